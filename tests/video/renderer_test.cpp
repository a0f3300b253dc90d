#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include "video/open_font.h"
#include "video_test_support.h"

namespace kestrel::video_test {
namespace {

class RendererTest : public VideoFixture {};

// A full block or an all-lit glyph cell at normal size: six lit input pixels
// scale to seven lit pixels and a 2/3 one.
const Pixels kLitCell{255, 255, 255, 255, 255, 255, 255, 170, 0};

// The 1-bit path draws every block code in GoldenFrameTest.OneBitWithDoubleScan.
TEST_F(RendererTest, BlockCodesInTheGrayPath) {
    // A full block: six lit input pixels scale to seven lit pixels and a 2/3 one.
    putChar(0, 0, 0xBF);
    FrameImage frame = renderNormal();
    for (int line = 0; line < 12; ++line) EXPECT_EQ(pixels(frame, 2 * line, 0, 9), kLitCell) << line;
    EXPECT_TRUE(rowIsBlack(frame, 24));

    for (uint8_t empty : {0x80, 0xC0}) {
        putChar(0, 0, empty);
        EXPECT_TRUE(allBlack(renderNormal())) << int(empty);
        EXPECT_TRUE(allBlack(renderOneBit())) << int(empty);
    }

    // Bit 0 top left, bit 1 top right, bit 4 bottom left; bits 6-7 select nothing.
    putChar(0, 0, 0x85);
    frame = renderNormal();
    EXPECT_EQ(pixels(frame, 0, 0, 5), (Pixels{255, 255, 255, 170, 0}));
    EXPECT_EQ(pixels(frame, 14, 0, 5), (Pixels{255, 255, 255, 170, 0}));  // line 7
    EXPECT_TRUE(rowIsBlack(frame, 16));                                    // line 8
    putChar(0, 0, 0xC5);
    EXPECT_EQ(renderNormal().dib, frame.dib);

    putChar(0, 0, 0x82);
    frame = renderNormal();
    EXPECT_EQ(pixels(frame, 0, 0, 9), (Pixels{0, 0, 0, 85, 255, 255, 255, 170, 0}));
    EXPECT_TRUE(rowIsBlack(frame, 8));

    putChar(0, 0, 0x90);
    frame = renderNormal();
    EXPECT_TRUE(rowIsBlack(frame, 14));
    EXPECT_EQ(pixels(frame, 16, 0, 5), (Pixels{255, 255, 255, 170, 0}));
    EXPECT_EQ(pixels(frame, 22, 0, 5), (Pixels{255, 255, 255, 170, 0}));
}

TEST_F(RendererTest, GlyphLinesAndDotBits) {
    // Line 0 and line 11 of the glyph; line 12 is never shown.
    renderer.glyphTable[1 * 16 + 0] = 0x20;
    renderer.glyphTable[1 * 16 + 11] = 0x01;
    renderer.glyphTable[1 * 16 + 12] = 0x3F;
    putChar(1, 0, 1);
    FrameImage frame = renderNormal();
    EXPECT_TRUE(rowIsBlack(frame, 22));
    EXPECT_EQ(pixels(frame, 24, 0, 3), (Pixels{255, 0, 0}));
    EXPECT_EQ(pixels(frame, 46, 4, 5), (Pixels{0, 0, 170, 170, 0}));
    EXPECT_TRUE(rowIsBlack(frame, 48));
    EXPECT_EQ(std::tuple(renderer.lineBuffer[12][0], renderer.lineBuffer[23][5], renderer.lineBuffer[23][4]),
              std::tuple(0xFF, 0xFF, 0x00));

    frame = renderOneBit();
    EXPECT_EQ(std::tuple(frame.row(24)[0], frame.row(46)[0], rowIsBlack(frame, 48)), std::tuple(0x20, 0x01, true));

    // Six dots in the gray path, all eight bits in the 1-bit path.
    solidGlyph(2, 0xC0);
    putChar(3, 5, 2);
    EXPECT_TRUE(rowIsBlack(renderNormal(), 72));
    EXPECT_EQ(renderOneBit().row(72)[5], 0xC0);
}

TEST_F(RendererTest, ThirtyTwoColumnModeShowsEvenAddressesOnly) {
    video.columns32 = true;
    putChar(0, 1, 0xBF);
    putChar(0, 3, 0xBF);
    putChar(15, 63, 0xBF);
    EXPECT_TRUE(allBlack(renderNormal()));
    EXPECT_TRUE(allBlack(renderOneBit()));

    // Column 2 is the second cell, twelve pixels wide.
    putChar(0, 2, 0xBF);
    FrameImage frame = renderNormal();
    for (int x : {11, 12, 23, 24}) EXPECT_EQ(renderer.lineBuffer[0][x], x == 12 || x == 23 ? 0xFF : 0x00) << x;
    Pixels expected{0, 85};
    expected.insert(expected.end(), 15, 255);
    expected.insert(expected.end(), {170, 0});
    EXPECT_EQ(pixels(frame, 0, 14, 19), expected);

    EXPECT_EQ(pixels(renderOneBit(), 0, 1, 4), (Pixels{0, 0xFF, 0xFF, 0}));

    // In the wide 1-bit view every bit is doubled, high nibble first.
    solidGlyph(1, 0xA5);
    putChar(1, 0, 1);
    EXPECT_EQ(pixels(renderOneBit(), 24, 0, 2), (Pixels{0xCC, 0x33}));
}

TEST_F(RendererTest, VideoCutAndPage) {
    display.videoCut = true;
    putChar(0, 31, 0xBF);
    putChar(0, 32, 0xBF);

    // Page off: column 31 at the right edge, doubled; column 32 not shown.
    FrameImage frame = renderNormal();
    Pixels right{0, 85};
    right.insert(right.end(), 15, 255);
    right.push_back(170);
    EXPECT_EQ(pixels(frame, 0, 494, 18), right);
    EXPECT_EQ(pixels(frame, 0, 0, 16), Pixels(16, 0));
    frame = renderOneBit();
    EXPECT_EQ(pixels(frame, 0, 62, 2), (Pixels{0xFF, 0xFF}));
    EXPECT_EQ(frame.row(0)[0], 0x00);

    // Page on: column 32 at the left edge; column 31 gone.
    display.videoPage = true;
    frame = renderNormal();
    Pixels left(15, 255);
    left.insert(left.end(), {170, 0});
    EXPECT_EQ(pixels(frame, 0, 0, 17), left);
    EXPECT_EQ(pixels(frame, 0, 494, 18), Pixels(18, 0));
    frame = renderOneBit();
    EXPECT_EQ(pixels(frame, 0, 0, 2), (Pixels{0xFF, 0xFF}));
    EXPECT_EQ(pixels(frame, 0, 62, 2), (Pixels{0, 0}));

    // In 32-column mode the page changes nothing.
    for (int i = 0; i < 1024; ++i) memory[Renderer::kVideoRam + i] = static_cast<uint8_t>(0x80 + (i * 13) % 128);
    video.columns32 = true;
    const FrameImage withPage = renderNormal();
    const FrameImage withPageOneBit = renderOneBit();
    display.videoPage = false;
    EXPECT_EQ(renderNormal().dib, withPage.dib);
    EXPECT_EQ(renderOneBit().dib, withPageOneBit.dib);
    display.videoCut = false;
    EXPECT_EQ(renderNormal().dib, withPage.dib);
}

TEST_F(RendererTest, HiResPictureIsExclusiveOredUnzoomed) {
    putChar(0, 0, 0xBF);
    hiRes.fitHiResBoard();
    hiRes.hiResWrite(1, 0);
    hiRes.hiResWrite(2, 0);
    hiRes.hiResWrite(0, 0x01);  // pixel 0 over lit text
    hiRes.hiResWrite(1, 1);
    hiRes.hiResWrite(0, 0x01);  // pixel 6 over dark

    // Not visible yet.
    EXPECT_EQ(pixels(renderNormal(), 0, 0, 9), kLitCell);

    hiRes.hiResWrite(3, 1);
    FrameImage frame = renderNormal();
    EXPECT_EQ(pixels(frame, 0, 0, 10), (Pixels{0, 255, 255, 255, 255, 255, 255, 255, 255, 0}));
    EXPECT_EQ(pixels(frame, 2, 0, 2), (Pixels{255, 255}));  // row 1 of the picture is empty
    EXPECT_EQ(renderer.lineBuffer[0][0], 0xFF);            // the text itself is untouched

    // The picture stays at 384 pixels when the text is doubled.
    video.columns32 = true;
    frame = renderNormal();
    EXPECT_EQ(pixels(frame, 0, 0, 10), (Pixels{0, 255, 255, 255, 255, 255, 255, 170, 0, 255}));
    video.columns32 = false;

    // Never in the 1-bit path, and not once the board is removed.
    EXPECT_EQ(renderOneBit().row(0)[0], 0xFF);
    hiRes.removeHiResBoard();
    EXPECT_EQ(pixels(renderNormal(), 0, 0, 9), kLitCell);
}

TEST_F(RendererTest, DoubleScan) {
    putChar(0, 0, 0xBF);
    for (const FrameImage& frame : {renderNormal(), renderOneBit()}) {
        EXPECT_FALSE(rowIsBlack(frame, 0));
        for (int row = 1; row < frame.height; row += 2) ASSERT_TRUE(rowIsBlack(frame, row)) << row;
    }

    // Double scan fills the odd rows at 80 % in the gray path, fully in the 1-bit path.
    display.doubleScan = true;
    FrameImage frame = renderNormal();
    for (int row : {1, 23}) EXPECT_EQ(pixels(frame, row, 0, 9), (Pixels{204, 204, 204, 204, 204, 204, 204, 136, 0}));
    EXPECT_TRUE(rowIsBlack(frame, 25));
    frame = renderOneBit();
    for (int row : {1, 23}) EXPECT_EQ(frame.row(row)[0], 0xFF) << row;
    EXPECT_TRUE(rowIsBlack(frame, 25));

    // Giant size has three full-strength rows per line instead.
    frame = renderGiant();
    Pixels lit(12, 255);
    lit.push_back(0);
    for (int row = 0; row < 36; ++row) EXPECT_EQ(pixels(frame, row, 0, 13), lit) << row;
    EXPECT_TRUE(rowIsBlack(frame, 36));
}

TEST_F(RendererTest, ScalingToFiveHundredTwelve) {
    solidGlyph(1, 0x2A);  // 101010
    solidGlyph(2, 0x15);  // 010101
    solidGlyph(3, 0x01);  // rightmost dot only
    putChar(0, 0, 1);
    putChar(0, 1, 2);
    putChar(0, 63, 3);
    FrameImage frame = renderNormal();
    EXPECT_EQ(pixels(frame, 0, 0, 17),
              (Pixels{255, 0, 170, 170, 0, 255, 85, 0, 0, 255, 85, 85, 255, 0, 170, 170, 0}));
    // The pixel after the last input pixel counts as dark.
    EXPECT_EQ(pixels(frame, 0, 507, 5), (Pixels{0, 0, 0, 170, 170}));

    // Giant size doubles every pixel.
    frame = renderGiant();
    EXPECT_EQ(pixels(frame, 0, 0, 14), (Pixels{255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0}));
    EXPECT_EQ(pixels(frame, 2, 764, 4), (Pixels{0, 0, 255, 255}));
}

TEST_F(RendererTest, CompositeBlurAtNormalSize) {
    display.compositeBlur = 66;
    solidGlyph(1, 0x20);  // leftmost dot
    solidGlyph(2, 0x01);  // rightmost dot
    putChar(0, 1, 1);     // input pixel 6 alone
    putChar(1, 0, 1);     // input pixel 0 alone
    putChar(2, 63, 2);    // input pixel 383 alone
    FrameImage frame = renderNormal();
    // Unblurred 0, 0, 85, 255, 0, 0 around output pixel 8.
    EXPECT_EQ(pixels(frame, 0, 4, 8), (Pixels{0, 0, 21, 106, 148, 63, 0, 0}));
    // The left edge repeats its first pixel: unblurred 255, 0, 0.
    EXPECT_EQ(pixels(frame, 24, 0, 3), (Pixels{191, 63, 0}));
    // Unblurred 0, 0, 170, 170 at the right edge; the last pixel keeps its value.
    EXPECT_EQ(pixels(frame, 48, 507, 5), (Pixels{0, 0, 42, 127, 170}));

    display.doubleScan = true;
    frame = renderNormal();
    EXPECT_EQ(pixels(frame, 1, 6, 4), (Pixels{16, 84, 118, 50}));
    EXPECT_EQ(pixels(frame, 49, 509, 3), (Pixels{33, 101, 136}));

    // At normal size the strength only switches the blur on.
    display.compositeBlur = 1;
    const FrameImage weak = renderNormal();
    display.compositeBlur = 99;
    EXPECT_EQ(renderNormal().dib, weak.dib);
    EXPECT_EQ(weak.dib, frame.dib);
}

TEST_F(RendererTest, CompositeBlurAtGiantSizeRunsWithStrength) {
    solidGlyph(1, 0x10);  // input pixel 1: output 2 and 3
    solidGlyph(2, 0x20);  // input pixel 0
    putChar(0, 0, 1);
    putChar(1, 0, 2);

    display.compositeBlur = 50;
    FrameImage frame = renderGiant();
    // The tail toward dark truncates toward zero: -1.5 gives 1, -0.5 gives 0.
    const Pixels half{0, 0, 128, 192, 96, 48, 24, 12, 6, 3, 1, 0};
    for (int row = 0; row < 3; ++row) EXPECT_EQ(pixels(frame, row, 0, 12), half) << row;
    // The first output is the first pixel itself.
    EXPECT_EQ(pixels(frame, 36, 0, 5), (Pixels{255, 255, 127, 63, 31}));

    display.compositeBlur = 66;
    frame = renderGiant();
    EXPECT_EQ(pixels(frame, 0, 0, 7), (Pixels{0, 0, 87, 145, 95, 62, 40}));

    display.compositeBlur = 0;
    EXPECT_EQ(pixels(renderGiant(), 0, 0, 6), (Pixels{0, 0, 255, 255, 0, 0}));
}

TEST_F(RendererTest, RefusesImagesOfAnotherShape) {
    putChar(0, 0, 0xBF);
    for (auto [width, height, bits] : {std::tuple{640, 480, 8}, std::tuple{768, 576, 1}, std::tuple{512, 384, 4},
                                            std::tuple{512, 576, 8}}) {
        FrameImage frame = FrameImage::create(width, height, bits);
        const std::vector<uint8_t> before = frame.dib;
        EXPECT_FALSE(renderer.renderFrame(memory.data(), video, display, hiRes, frame)) << width << "x" << height;
        EXPECT_EQ(frame.dib, before);
    }
}

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
