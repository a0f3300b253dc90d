#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "video/open_font.h"
#include "video_test_support.h"

namespace kestrel::video_test {
namespace {

// FNV-1a, 64 bits, over the pixel rows.
uint64_t pixelHash(const FrameImage& frame) {
    uint64_t hash = 0xCBF29CE484222325ull;
    const uint8_t* p = frame.pixels();
    for (size_t i = 0; i < static_cast<size_t>(frame.stride()) * frame.height; ++i) {
        hash ^= p[i];
        hash *= 0x100000001B3ull;
    }
    return hash;
}

// A screen of text in the open font, every character code, and every block code.
// The hashes below were taken once from renders that were inspected by eye as
// images and matched a plain per-pixel transcription of the rendering rules; the
// spot checks were worked out by hand.
class GoldenFrameTest : public VideoFixture {
protected:
    void SetUp() override {
        renderer.loadCharacterSet(kCharsetVideoGenie, openFontImages(), "");
        std::memset(&memory[Renderer::kVideoRam], 0x20, 1024);
        const char* lines[] = {"KESTREL VIDEO TEST  The quick brown fox jumps over the lazy dog.",
                               "0123456789 !\"#$%&'()*+,-./:;<=>?@ [\\]^_`{|}~ gjpqy",
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz"};
        for (int row = 0; row < 3; ++row)
            for (size_t i = 0; lines[row][i] && i < 64; ++i) putChar(row, static_cast<int>(i), static_cast<uint8_t>(lines[row][i]));
        for (int i = 0; i < 128; ++i) memory[Renderer::kVideoRam + 4 * 64 + i] = static_cast<uint8_t>(i);
        for (int i = 0; i < 128; ++i) memory[Renderer::kVideoRam + 6 * 64 + i] = static_cast<uint8_t>(0x80 + i);
        for (int i = 0; i < 64; ++i) putChar(9, i, (i & 1) ? 0xBF : static_cast<uint8_t>(0x80 | (i & 0x3F)));
    }
};

TEST_F(GoldenFrameTest, GrayWithBlurAndDoubleScan) {
    display.compositeBlur = 66;
    display.doubleScan = true;
    const FrameImage frame = renderNormal();
    // 'K' line 1 is X...X: input pixels 1 and 5 lit, blurred with o[-1] = o[0].
    EXPECT_EQ(pixels(frame, 2, 0, 2), (Pixels{63, 148}));
    EXPECT_EQ(pixels(frame, 3, 0, 2), (Pixels{50, 118}));
    // Row 9 starts with 0x80, then a full block at column 1 (input 6-11, output 8-15).
    EXPECT_EQ(pixels(frame, 216, 5, 5), (Pixels{0, 21, 106, 212, 255}));
    for (int row = 240; row < 384; ++row) ASSERT_TRUE(rowIsBlack(frame, row)) << row;
    EXPECT_EQ(pixelHash(frame), 0x53085920C5EDA8F2ull);
}

TEST_F(GoldenFrameTest, OneBitWithDoubleScan) {
    display.doubleScan = true;
    const FrameImage frame = renderOneBit();
    EXPECT_EQ(frame.row(2)[0], 0x11);   // 'K' line 1
    EXPECT_EQ(frame.row(3)[0], 0x11);
    EXPECT_EQ(frame.row(8)[1], 0x1E);    // 'E' line 4, XXXX.
    EXPECT_EQ(frame.row(216)[1], 0xFF);  // 0xBF
    EXPECT_EQ(frame.row(216)[2], 0x0F);  // 0x82: the right half of the top block
    EXPECT_EQ(pixelHash(frame), 0xCD48F9CA39C09FDDull);
}

TEST_F(GoldenFrameTest, GiantWithBlurAndHiRes) {
    display.compositeBlur = 66;
    hiRes.fitHiResBoard();
    hiRes.hiResWrite(3, 1);
    for (int y = 0; y < 192; y += 5) {
        hiRes.hiResWrite(2, static_cast<uint8_t>(y));
        for (int x = 0; x < 64; x += 3) {
            hiRes.hiResWrite(1, static_cast<uint8_t>(x));
            hiRes.hiResWrite(0, 0x21);
        }
    }
    const FrameImage frame = renderGiant();
    EXPECT_EQ(pixelHash(frame), 0x99F979F1B5091CAFull);
}

}  // namespace
}  // namespace kestrel::video_test
