// The rendered screen as a device-independent bitmap: a 40-byte header, the
// palette as blue-green-red-zero quadruples, then top-down pixel rows. Screenshots,
// the window and the AVI writer all take it unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

struct FrameImage {
    static constexpr size_t kHeaderBytes = 40;
    static constexpr int kNormalWidth = 512, kNormalHeight = 384;
    static constexpr int kGiantWidth = 768, kGiantHeight = 576;

    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 1 or 8
    std::vector<uint8_t> dib;

    // A black image: 1 bit per pixel with a black/white palette, or 8 bits with
    // the gray ramp (a pixel value is its own intensity).
    static FrameImage create(int width, int height, int bitsPerPixel) {
        FrameImage image;
        image.width = width;
        image.height = height;
        image.bitsPerPixel = bitsPerPixel;
        image.dib.assign(image.pixelOffset() + static_cast<size_t>(image.stride()) * height, 0);
        uint8_t* h = image.dib.data();
        put32(h + 0, kHeaderBytes);
        put32(h + 4, static_cast<uint32_t>(width));
        put32(h + 8, static_cast<uint32_t>(-height));  // negative: rows run top-down
        h[12] = 1;                                       // planes
        h[14] = static_cast<uint8_t>(bitsPerPixel);
        uint8_t* palette = h + kHeaderBytes;
        if (bitsPerPixel == 1) {
            palette[4] = palette[5] = palette[6] = 0xFF;
        } else {
            for (int i = 0; i < 256; ++i) palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<uint8_t>(i);
        }
        return image;
    }

    size_t paletteEntries() const { return bitsPerPixel == 1 ? 2 : 256; }
    size_t pixelOffset() const { return kHeaderBytes + 4 * paletteEntries(); }
    // Bytes per row: one per pixel, or one per eight pixels with bit 7 leftmost.
    int stride() const { return bitsPerPixel == 1 ? width / 8 : width; }
    uint8_t* pixels() { return dib.data() + pixelOffset(); }
    const uint8_t* pixels() const { return dib.data() + pixelOffset(); }
    uint8_t* row(int y) { return pixels() + static_cast<size_t>(y) * stride(); }
    const uint8_t* row(int y) const { return pixels() + static_cast<size_t>(y) * stride(); }
    const uint8_t* palette() const { return dib.data() + kHeaderBytes; }

private:
    static void put32(uint8_t* p, uint32_t v) {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
        p[3] = static_cast<uint8_t>(v >> 24);
    }
};

}  // namespace kestrel
