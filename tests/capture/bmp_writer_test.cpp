#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/screenshot.h"

namespace kestrel {
namespace {

uint32_t le32(const std::vector<uint8_t>& f, size_t at) {
    return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<uint32_t>(f[at + 3]) << 24;
}

// Row 0 (the top) is all 0xA5, the bottom row all 0x3C, every other row filled
// with its own number, so any row in the wrong place shows.
FrameImage markedImage(int width, int height, int bits) {
    FrameImage image = FrameImage::create(width, height, bits);
    for (int y = 0; y < height; ++y) {
        uint8_t fill = static_cast<uint8_t>(y);
        if (y == 0) fill = 0xA5;
        if (y == height - 1) fill = 0x3C;
        std::memset(image.row(y), fill, image.stride());
    }
    return image;
}

struct BmpCase {
    int width, height, bits;
    uint32_t fileSize, pixelOffset, rowBytes;
};

TEST(BmpWriterTest, SizesHeadersPaletteAndBottomUpRows) {
    // 54 + palette + rows, worked out by hand.
    const BmpCase cases[] = {
        {512, 384, 1, 54 + 8 + 64 * 384, 62, 64},
        {512, 384, 8, 197686, 1078, 512},
        {768, 576, 8, 54 + 1024 + 768 * 576, 1078, 768},
    };
    for (const BmpCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.bits));
        FrameImage image = markedImage(c.width, c.height, c.bits);
        if (c.bits == 8) {
            // A palette that is not the gray ramp, so a rebuilt palette would show.
            for (int i = 0; i < 256; ++i) image.dib[40 + 4 * i + 1] = static_cast<uint8_t>(255 - i);
        }
        const std::vector<uint8_t> f = encodeBmp(image);
        ASSERT_EQ(f.size(), c.fileSize);
        // File header, then the bitmap header: size 40, width, positive height, 1 plane, depth.
        std::vector<uint8_t> header = {'B', 'M'};
        for (uint32_t v : {c.fileSize, 0u, c.pixelOffset, 40u, uint32_t(c.width), uint32_t(c.height)})
            for (int i = 0; i < 4; ++i) header.push_back(static_cast<uint8_t>(v >> 8 * i));
        header.insert(header.end(), {1, 0, static_cast<uint8_t>(c.bits), 0});
        EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 30), header);
        for (int i = 30; i < 54; ++i) EXPECT_EQ(f[i], image.dib[i - 14]) << "header byte " << i - 14;

        if (c.bits == 1) {
            const uint8_t blackWhite[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
            for (int i = 0; i < 8; ++i) EXPECT_EQ(f[54 + i], blackWhite[i]) << i;
        } else {
            for (int i = 0; i < 256; ++i) {
                ASSERT_EQ(f[54 + 4 * i], i) << i;
                ASSERT_EQ(f[55 + 4 * i], 255 - i) << i;
                ASSERT_EQ(f[56 + 4 * i], i) << i;
                ASSERT_EQ(f[57 + 4 * i], 0) << i;
            }
        }

        // First row in the file is the bottom of the screen, last is the top.
        auto fileRow = [&](int n) { return f.begin() + c.pixelOffset + n * c.rowBytes; };
        for (uint32_t i = 0; i < c.rowBytes; ++i) {
            ASSERT_EQ(fileRow(0)[i], 0x3C);
            ASSERT_EQ(fileRow(c.height - 1)[i], 0xA5);
            ASSERT_EQ(fileRow(1)[i], static_cast<uint8_t>(c.height - 2));
        }
        for (int n = 1; n < c.height - 1; ++n) ASSERT_EQ(fileRow(n)[0], static_cast<uint8_t>(c.height - 1 - n)) << n;
        // The image itself keeps its top-down header.
        EXPECT_EQ(static_cast<int32_t>(le32(image.dib, 8)), -c.height);
    }
}

}  // namespace
}  // namespace kestrel
