#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_files.h"
#include "video/character_set.h"

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
    EXPECT_EQ(table[0], 0x0F >> 3);
    EXPECT_EQ(table[1], 0x12 >> 3);
    EXPECT_EQ(table[2047], static_cast<uint8_t>(0x0F + 2047 * 3) >> 3);
}

TEST_F(CharacterSetTest, CustomFileRules) {
    // Byte 0 stays as read, the others lose their low three bits.
    const std::string shortFile = dir.write("short", {0xFF, 0xFF, 0x80, 0x08, 0x07});
    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, shortFile));
    EXPECT_EQ(table[0], 0xFF);
    EXPECT_EQ(table[1], 0x1F);
    EXPECT_EQ(table[2], 0x10);
    EXPECT_EQ(table[3], 0x01);
    EXPECT_EQ(table[4], 0x00);
    for (size_t i = 5; i < 2048; ++i) ASSERT_EQ(table[i], 0) << i;

    // A longer file is cut at 2,048 bytes.
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i < 2048 ? 0x40 : 0xFF);
    bytes[2047] = 0x88;
    const std::string longFile = dir.write("long", bytes);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, longFile));
    EXPECT_EQ(table[0], 0x40);
    EXPECT_EQ(table[1], 0x08);
    EXPECT_EQ(table[2047], 0x11);

    // Exactly 2,048 bytes.
    const std::string exact = dir.write("exact", std::vector<uint8_t>(2048, 0xF8));
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, exact));
    EXPECT_EQ(table[0], 0xF8);
    EXPECT_EQ(table[2047], 0x1F);

    // No file: the table is left blank, even after a set with lower case.
    EXPECT_TRUE(loadCharacterSet(table, kCharsetHungarianV2, images, ""));
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, ""));
    EXPECT_TRUE(blank(table));
    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, dir.file("missing")));
    EXPECT_TRUE(blank(table));
    const std::string empty = dir.write("empty", {});
    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, empty));
    EXPECT_TRUE(blank(table));
    // Only a regular file is read.
    table.fill(0x55);
    EXPECT_FALSE(loadCharacterSet(table, kCharsetCustom, images, "/dev/urandom"));
    EXPECT_TRUE(blank(table));
}

TEST_F(CharacterSetTest, UnknownChoiceLeavesTheTableBlank) {
    for (int choice : {-1, 5, 99}) {
        table.fill(0x55);
        EXPECT_FALSE(loadCharacterSet(table, choice, images, "")) << choice;
        EXPECT_TRUE(blank(table)) << choice;
    }
}

}  // namespace
}  // namespace kestrel
