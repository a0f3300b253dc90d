#include "capture/screenshot.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kestrel {

namespace {

constexpr size_t kFileHeaderBytes = 14;

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t get32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool wellFormed(const FrameImage& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    if (image.bitsPerPixel != 1 && image.bitsPerPixel != 8) return false;
    if (image.bitsPerPixel == 1 && image.width % 8 != 0) return false;
    return image.dib.size() >= image.pixelOffset() + static_cast<size_t>(image.stride()) * image.height;
}

// "%s%.4d.%s": the number has at least four digits.
std::string formatName(const std::string& baseName, int n, const std::string& extension) {
    char number[16];
    std::snprintf(number, sizeof number, "%.4d", n);
    return (baseName.empty() ? std::string("kestrel") : baseName) + number + "." + extension;
}

IoResult writeAndReport(const std::vector<uint8_t>& bytes, const std::string& path, const StatusSink& status,
                        const char* refusal) {
    if (bytes.empty()) return IoResult::failure("Cannot save " + path + ": " + refusal);
    IoResult written = writeFileAtomic(path, bytes);
    if (written && status) status(screenshotSavedText(fullPathText(path)));
    return written;
}

}  // namespace

std::string screenshotName(const std::string& extension, const std::string& baseName) {
    for (int n = 0;; ++n) {
        std::string name = formatName(baseName, n, extension);
        std::error_code ec;
        // A dangling link counts as taken: writing would go where it points.
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, ec))) return name;
    }
}

std::vector<uint8_t> encodeBmp(const FrameImage& image) {
    std::vector<uint8_t> out;
    if (!wellFormed(image)) return out;
    const size_t paletteBytes = 4 * image.paletteEntries();
    const size_t rowBytes = static_cast<size_t>(image.stride());
    const size_t pixelOffset = kFileHeaderBytes + FrameImage::kHeaderBytes + paletteBytes;
    const size_t fileSize = pixelOffset + rowBytes * image.height;
    out.reserve(fileSize);

    out.push_back('B');
    out.push_back('M');
    put32(out, static_cast<uint32_t>(fileSize));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(pixelOffset));

    // The image's own header, except that a positive height turns the rows bottom-up.
    const uint8_t* header = image.dib.data();
    out.insert(out.end(), header, header + FrameImage::kHeaderBytes);
    int32_t height = static_cast<int32_t>(get32(header + 8));
    if (height < 0) height = -height;
    uint8_t* h = out.data() + kFileHeaderBytes + 8;
    for (int i = 0; i < 4; ++i) h[i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * i));

    out.insert(out.end(), image.palette(), image.palette() + paletteBytes);
    for (int y = image.height - 1; y >= 0; --y) out.insert(out.end(), image.row(y), image.row(y) + rowBytes);
    return out;
}

IoResult writeBmp(const FrameImage& image, const std::string& path, const StatusSink& status) {
    return writeAndReport(encodeBmp(image), path, status, "the screen image is malformed");
}

IoResult writeGif(const FrameImage& image, const std::string& path, const StatusSink& status) {
    return writeAndReport(encodeGif(image), path, status, "only a screen of 8 bits per pixel can be saved as GIF");
}

namespace {

using Writer = IoResult (*)(const FrameImage&, const std::string&, const StatusSink&);

ScreenshotResult autoScreenshot(const char* extension, Writer write, const FrameImage& image,
                                const std::string& baseName, const StatusSink& status) {
    ScreenshotResult result;
    result.path = screenshotName(extension, baseName);
    const IoResult written = write(image, result.path, status);
    result.saved = written.ok;
    result.message = written.message;
    return result;
}

}  // namespace

ScreenshotResult autoBmpScreenshot(const FrameImage& image, const std::string& baseName, const StatusSink& status) {
    return autoScreenshot("bmp", writeBmp, image, baseName, status);
}

ScreenshotResult autoGifScreenshot(const FrameImage& image, const std::string& baseName, const StatusSink& status) {
    return autoScreenshot("gif", writeGif, image, baseName, status);
}

std::string screenshotSavedText(const std::string& path) { return "Screenshot saved: " + path; }

std::string gifErrorText(int bitsPerPixel) {
    std::string text = "Error saving in GIF format.";
    if (bitsPerPixel != 8) text += "\rNon 8-bit display can not be saved as GIF.";
    return text;
}

}  // namespace kestrel
