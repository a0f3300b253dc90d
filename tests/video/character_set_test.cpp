#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "scratch_files.h"
#include "video/character_set.h"
#include "video/open_font.h"

namespace kestrel {
namespace {

// Distinct, recognisable bytes in every image, with dots in the high bits.
CharacterImages patternedImages() {
    CharacterImages images;
    for (size_t i = 0; i < 2048; ++i) {
        images.trs80[i] = static_cast<uint8_t>(i * 7 + 1);
        images.videoGenie[i] = static_cast<uint8_t>(0xF8 ^ (i * 5));
        images.hungarianV2[i] = static_cast<uint8_t>(0x0F + i * 3);
    }
    return images;
}

class CharacterSetTest : public testing::Test {
protected:
    static bool blank(const GlyphTable& table) {
        for (uint8_t b : table)
            if (b) return false;
        return true;
    }

    test::ScratchDir dir;
    CharacterImages images = patternedImages();
    GlyphTable table{};
};

TEST_F(CharacterSetTest, Trs80SetMovesDownOneLine) {
    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetTrs80, images, ""));
    EXPECT_EQ(table[0], 0x00);
    EXPECT_EQ(table[1], 0x01);                   // image byte 0, as stored
    EXPECT_EQ(table[0x41 * 16 + 1], images.trs80[0x41 * 16]);
    EXPECT_EQ(table[0x41 * 16], images.trs80[0x41 * 16 - 1]);  // the previous glyph's last line
    EXPECT_EQ(table[2047], images.trs80[2046]);
    EXPECT_EQ(table[100], static_cast<uint8_t>(99 * 7 + 1));
}

TEST_F(CharacterSetTest, VideoGenieSetTakesNonEmptyReplacements) {
    // Glyph 5 has a single set bit on its last line: the whole glyph is replaced.
    images.videoGenieReplacements[5 * 16 + 15] = 0x08;
    // Glyph 0x41 is replaced completely.
    for (int k = 0; k < 16; ++k) images.videoGenieReplacements[0x41 * 16 + k] = static_cast<uint8_t>(0xF8 - 8 * k);

    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetVideoGenie, images, ""));
    EXPECT_EQ(table[0], 0xF8 >> 3);
    EXPECT_EQ(table[3], (0xF8 ^ 15) >> 3);
    for (int k = 0; k < 15; ++k) EXPECT_EQ(table[5 * 16 + k], 0) << k;
    EXPECT_EQ(table[5 * 16 + 15], 0x01);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(table[0x41 * 16 + k], (0xF8 - 8 * k) >> 3) << k;
    // All-zero replacement glyphs keep the image's glyph.
    EXPECT_EQ(table[4 * 16 + 2], static_cast<uint8_t>(0xF8 ^ (66 * 5)) >> 3);
    EXPECT_EQ(table[6 * 16], static_cast<uint8_t>(0xF8 ^ (96 * 5)) >> 3);

    // The first Hungarian set is the same image without replacements.
    EXPECT_FALSE(loadCharacterSet(table, kCharsetHungarianV1, images, ""));
    for (size_t i = 0; i < 2048; ++i) ASSERT_EQ(table[i], images.videoGenie[i] >> 3) << i;
}

TEST_F(CharacterSetTest, SecondHungarianSetHasLowerCase) {
    EXPECT_TRUE(loadCharacterSet(table, kCharsetHungarianV2, images, ""));
    EXPECT_EQ(std::tuple(table[0], table[1], table[2047]),
              std::tuple(0x0F >> 3, 0x12 >> 3, static_cast<uint8_t>(0x0F + 2047 * 3) >> 3));
}

TEST_F(CharacterSetTest, CustomFileAndBlankTableRules) {
    // Byte 0 stays as read, the others lose their low three bits.
    const std::string shortFile = dir.write("short", {0xFF, 0xFF, 0x80, 0x08, 0x07});
    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, shortFile));
    GlyphTable want{0xFF, 0x1F, 0x10, 0x01};
    EXPECT_EQ(table, want);

    // A longer file is cut at 2,048 bytes.
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i < 2048 ? 0x40 : 0xFF);
    bytes[2047] = 0x88;
    const std::string longFile = dir.write("long", bytes);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, longFile));
    EXPECT_EQ(std::tuple(table[0], table[1], table[2047]), std::tuple(0x40, 0x08, 0x11));

    // Exactly 2,048 bytes.
    const std::string exact = dir.write("exact", std::vector<uint8_t>(2048, 0xF8));
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, exact));
    EXPECT_EQ(std::tuple(table[0], table[2047]), std::tuple(0xF8, 0x1F));

    // Without a readable regular file, or for an unknown choice, the table is
    // left blank and reports no lower case.
    EXPECT_TRUE(loadCharacterSet(table, kCharsetHungarianV2, images, ""));
    const std::pair<int, std::string> blanks[] = {
        {kCharsetCustom, ""},
        {kCharsetCustom, dir.file("missing")},
        {kCharsetCustom, dir.write("empty", {})},
        {kCharsetCustom, "/dev/urandom"},
        {-1, ""},
        {5, ""},
        {99, ""},
    };
    for (const auto& [choice, path] : blanks) {
        SCOPED_TRACE(testing::Message() << choice << " " << path);
        EXPECT_FALSE(loadCharacterSet(table, choice, images, path));
        EXPECT_TRUE(blank(table));
        table.fill(0x55);
    }
}

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
