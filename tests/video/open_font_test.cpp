#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "video/character_set.h"
#include "video/open_font.h"

namespace kestrel {
namespace {

using Glyph = std::array<uint8_t, 16>;

Glyph glyphOf(const GlyphTable& table, int code) {
    Glyph glyph;
    std::memcpy(glyph.data(), &table[code * 16], 16);
    return glyph;
}

GlyphTable loaded(int choice) {
    GlyphTable table{};
    loadCharacterSet(table, choice, openFontImages(), "");
    return table;
}

TEST(OpenFontTest, EverySetShowsTheSameLetters) {
    const CharacterImages images = openFontImages();
    for (uint8_t b : images.videoGenieReplacements) ASSERT_EQ(b, 0);

    // 'A' as drawn: .XXX. / X...X / X...X / XXXXX / X...X / X...X / X...X on
    // lines 1-7, dots in bits 4-0.
    const Glyph letterA{0x00, 0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int choice : {kCharsetTrs80, kCharsetVideoGenie, kCharsetHungarianV1, kCharsetHungarianV2}) {
        SCOPED_TRACE(choice);
        const GlyphTable table = loaded(choice);
        EXPECT_EQ(glyphOf(table, 'A'), letterA);
        EXPECT_EQ(table, loaded(kCharsetVideoGenie));
    }
}

TEST(OpenFontTest, GlyphsFitTheCell) {
    const GlyphTable table = loaded(kCharsetVideoGenie);
    for (int code = 0; code < 128; ++code) {
        SCOPED_TRACE(code);
        // Line 0 is the gap above, lines 10-11 the gap between rows; bit 5 is the
        // gap between cells.
        EXPECT_EQ(table[code * 16], 0);
        for (int k = 1; k < 10; ++k) EXPECT_EQ(table[code * 16 + k] & 0xE0, 0) << k;
        for (int k = 10; k < 16; ++k) EXPECT_EQ(table[code * 16 + k], 0) << k;
    }
    // Descenders reach below the base line; capitals do not.
    for (int code : {'g', 'j', 'p', 'q', 'y'}) EXPECT_NE(table[code * 16 + 8] | table[code * 16 + 9], 0) << char(code);
    for (int code = 'A'; code <= 'Z'; ++code) EXPECT_EQ(table[code * 16 + 8] | table[code * 16 + 9], 0) << char(code);
}

TEST(OpenFontTest, PrintableGlyphsAreDrawnAndDistinct) {
    const GlyphTable table = loaded(kCharsetHungarianV2);
    EXPECT_EQ(glyphOf(table, ' '), Glyph{});
    for (int code = 0x21; code <= 0x7E; ++code) {
        EXPECT_NE(glyphOf(table, code), Glyph{}) << char(code);
        for (int other = 0x21; other < code; ++other)
            EXPECT_NE(glyphOf(table, code), glyphOf(table, other)) << char(code) << " and " << char(other);
    }
    EXPECT_NE(glyphOf(table, 0x7F), Glyph{});
    // Codes 0x00-0x1F look like 0x40-0x5F, as without lower-case memory.
    for (int code = 0; code < 0x20; ++code) EXPECT_EQ(glyphOf(table, code), glyphOf(table, code + 0x40)) << code;
}

}  // namespace
}  // namespace kestrel
