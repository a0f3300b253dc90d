// Screenshots: the current FrameImage as an uncompressed BMP or as a GIF with our
// own LZW encoder, and the automatic file names "kestrel0000.gif", "ghost0001.bmp", ...
//
// Nothing here keeps state between calls: the automatic name is found afresh each
// time by probing the disk, and the base name comes from whoever owns it (the
// machine's autostart). Status texts go to a caller-supplied sink.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "video/frame_image.h"

namespace kestrel {

// Receives "Screenshot saved: <full path>" after a successful write.
using StatusSink = std::function<void(const std::string&)>;

// The name chosen by an automatic screenshot, and whether it was written. The
// caller hands the name on to the video-RAM dump that goes next to the picture.
struct ScreenshotResult {
    bool saved = false;
    std::string path;
    std::string message;  // why it was not saved
};

// The first of "<baseName>NNNN.<extension>" (or "kestrelNNNN.<extension>" when
// `baseName` is empty), NNNN = 0000, 0001, ..., that does not exist yet.
// A base name with directories in it is used unchanged, relative names are
// relative to the current directory.
std::string screenshotName(const std::string& extension, const std::string& baseName);

// The whole BMP file: 14-byte file header, the image's 40-byte header with a
// positive height, the palette, the rows bottom-up. Empty for a malformed image.
std::vector<uint8_t> encodeBmp(const FrameImage& image);

// The whole GIF87a file. Empty unless the image has 8 bits per pixel.
std::vector<uint8_t> encodeGif(const FrameImage& image);

// Write the file in one go; only on success is the status text sent. A failed
// write leaves any older file of that name as it was.
IoResult writeBmp(const FrameImage& image, const std::string& path, const StatusSink& status = {});
// Writes nothing and fails for an image that is not 8 bits per pixel.
IoResult writeGif(const FrameImage& image, const std::string& path, const StatusSink& status = {});

ScreenshotResult autoBmpScreenshot(const FrameImage& image, const std::string& baseName,
                                   const StatusSink& status = {});
ScreenshotResult autoGifScreenshot(const FrameImage& image, const std::string& baseName,
                                   const StatusSink& status = {});

// "Screenshot saved: <path>".
std::string screenshotSavedText(const std::string& path);

// The message box shown when writeGif fails for a name the user chose: title and
// text (error icon). The second sentence only appears for a non-8-bit image.
inline constexpr const char* kGifErrorTitle = "Error!";
std::string gifErrorText(int bitsPerPixel);

}  // namespace kestrel
