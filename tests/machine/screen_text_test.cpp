#include <gtest/gtest.h>

#include <array>

#include "machine/screen_text.h"

namespace kestrel {
namespace {

TEST(ScreenText, ConvertsCodesAsTheClipboardCopyDoes) {
    std::array<uint8_t, 1024> vram;
    vram.fill(0x20);
    std::string blank = screenText(vram.data(), "\r\n");
    ASSERT_EQ(blank.size(), 16u * 66);
    for (int row = 0; row < 16; ++row) EXPECT_EQ(blank.substr(row * 66, 66), std::string(64, ' ') + "\r\n");

    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {0x00, "@"}, {0x1F, "_"}, {0x41, "A"}, {0x5E, "["}, {0x60, "'"}, {0x7F, "\x7F"},
        {0x80, " "},                 // no dots
        {0x81, "\U0001FB00"},        // top left: the first sextant
        {0x95, "\u258C"},            // the left column
        {0x96, "\U0001FB14"},        // the sextant after the left column
        {0xAA, "\u2590"},            // the right column
        {0xBE, "\U0001FB3B"},        // all but top left: the last sextant
        {0xBF, "\u2588"}, {0xFF, "\u2588"},
    };
    std::string expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        vram[64 + i] = cases[i].code;
        expected += cases[i].text;
    }
    const std::string text = screenText(vram.data(), "\n");
    EXPECT_EQ(text.substr(65, expected.size()), expected);
    EXPECT_EQ(text.substr(65 + expected.size(), 64 - std::size(cases) + 1), std::string(64 - std::size(cases), ' ') + "\n");
}

TEST(ScreenText, PastedTextBecomesKeys) {
    const struct {
        const char* text;
        const char* keys;
        size_t dropped;
    } cases[] = {
        {"10 PRINT 1\r\nRUN\r\n", "10 PRINT 1\r\nRUN\r\n", 0},
        {"A\nB\rC", "A\r\nB\r\nC", 0},
        {"\xE2\x80\x9CHi\xE2\x80\x9D \xE2\x80\x98x\xE2\x80\x99 1\xE2\x80\x93" "2\tok\xE2\x80\xA6", "\"Hi\" 'x' 1-2 ok...", 0},
        {"caf\xC3\xA9 {x} \xF0\x9F\x98\x80", "caf x ", 4},
        {"\xFF\xC3", "", 2},  // malformed UTF-8
    };
    for (const auto& c : cases) {
        const PastedKeys pasted = pastedKeys(c.text);
        EXPECT_EQ(pasted.keys, c.keys) << c.text;
        EXPECT_EQ(pasted.dropped, c.dropped) << c.text;
    }
}

}  // namespace
}  // namespace kestrel
