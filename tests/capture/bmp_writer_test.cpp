#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/screenshot.h"
#include "capture_test_support.h"

namespace kestrel {
namespace {

using capturetest::le32;

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
        EXPECT_EQ(f[0], 'B');
        EXPECT_EQ(f[1], 'M');
        EXPECT_EQ(le32(f, 2), c.fileSize);
        EXPECT_EQ(le32(f, 6), 0u);
        EXPECT_EQ(le32(f, 10), c.pixelOffset);
        // Bitmap header: size 40, width, positive height, 1 plane, depth.
        EXPECT_EQ(le32(f, 14), 40u);
        EXPECT_EQ(le32(f, 18), static_cast<uint32_t>(c.width));
        EXPECT_EQ(le32(f, 22), static_cast<uint32_t>(c.height));
        EXPECT_EQ(f[26], 1);
        EXPECT_EQ(f[27], 0);
        EXPECT_EQ(f[28], c.bits);
        EXPECT_EQ(f[29], 0);
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

TEST(BmpWriterTest, FailuresReportNothingAndGiveTheReason) {
    capturetest::ScratchDir dir;
    FrameImage image = markedImage(512, 384, 8);
    int messages = 0;
    auto sink = [&](const std::string&) { ++messages; };

    // Cannot be created.
    const std::string missing = dir.file("no-such-dir/shot.bmp");
    EXPECT_FALSE(writeBmp(image, missing, sink));
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A device is not a file to replace; the writer's reason comes back (a write
    // cut short keeps the old file, as the file tests show).
    if (std::filesystem::exists("/dev/full")) {
        const IoResult r = writeBmp(image, "/dev/full", sink);
        EXPECT_NE(r.message.find("not a regular file"), std::string::npos) << r.message;
    }

    EXPECT_EQ(messages, 0);
}

TEST(BmpWriterTest, AutomaticNameIsHandedBack) {
    capturetest::ScratchDir dir;
    capturetest::CurrentDirGuard inDir(dir.path());
    FrameImage image = markedImage(512, 384, 1);
    std::vector<std::string> status;
    auto sink = [&](const std::string& s) { status.push_back(s); };

    ScreenshotResult first = autoBmpScreenshot(image, "", sink);
    EXPECT_TRUE(first.saved);
    EXPECT_EQ(first.path, "kestrel0000.bmp");
    ScreenshotResult second = autoBmpScreenshot(image, "", sink);
    EXPECT_TRUE(second.saved);
    EXPECT_EQ(second.path, "kestrel0001.bmp");
    EXPECT_EQ(capturetest::readFile("kestrel0001.bmp"), encodeBmp(image));
    ASSERT_EQ(status.size(), 2u);
    // The status names the file in full.
    EXPECT_EQ(status[0], "Screenshot saved: " + dir.file("kestrel0000.bmp"));
    EXPECT_EQ(status[1], "Screenshot saved: " + dir.file("kestrel0001.bmp"));
}

}  // namespace
}  // namespace kestrel
