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

    const uint8_t codes[] = {0x00, 0x1F, 0x41, 0x5E, 0x60, 0x7F, 0x80, 0xBF, 0xFF, 0x9E};
    for (size_t i = 0; i < sizeof codes; ++i) vram[64 + i] = codes[i];
    std::string text = screenText(vram.data(), "\n");
    ASSERT_EQ(text.size(), 16u * 65);
    const std::string expected = {'@', '_', 'A', '[', '\'', 0x7F, '\'', static_cast<char>(0x9F),
                                  static_cast<char>(0xDF), '~'};
    EXPECT_EQ(text.substr(65, sizeof codes), expected);
    EXPECT_EQ(text[64], '\n');
}

}  // namespace
}  // namespace kestrel
