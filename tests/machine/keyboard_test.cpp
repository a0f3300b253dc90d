#include <gtest/gtest.h>

#include <vector>

#include "machine/keyboard.h"

namespace kestrel {
namespace {

using namespace hostkey;

// Reads one row through the address window, as the ROM does.
uint8_t row(Keyboard& k, int r) { return k.keyboardRead(static_cast<uint8_t>(1u << r)); }

TEST(KeyboardTest, AddressSelectsTheLowestRowOnly) {
    Keyboard k;
    k.setKeyMode(false);
    // One key per row, each on a different bit.
    for (int key : std::vector<int>{'A', 'J', 'R', 'Z', '3', '9', kDown, kShift}) k.hostKeyDown(key);
    const uint8_t expected[8] = {0x02, 0x04, 0x04, 0x04, 0x08, 0x02, 0x10, 0x01};
    for (int r = 0; r < 8; ++r) EXPECT_EQ(row(k, r), expected[r]) << r;
    EXPECT_EQ(k.keyboardRead(0x03), 0x02);  // rows 0 and 1: row 0 only
    EXPECT_EQ(k.keyboardRead(0xF0), 0x08);  // row 4
    EXPECT_EQ(k.keyboardRead(0x88), 0x04);  // row 3
    EXPECT_EQ(k.keyboardRead(0x00), 0x00);
    k.press(0, 7);  // a matrix key pressed directly adds to the host keys
    EXPECT_EQ(row(k, 0), 0x82);
}

TEST(KeyboardTest, Positional) {
    Keyboard k;
    k.setKeyMode(false);
    for (int key : {0xDB, int('G'), int('7'), int('9'), 0xDE, 0xBF}) k.hostKeyDown(key);  // @ G 7 9 : /
    EXPECT_EQ(row(k, 0), 0x81);
    EXPECT_EQ(row(k, 4), 0x80);
    EXPECT_EQ(row(k, 5), 0x86);
    k.releaseAllKeys();
    for (int key : std::vector<int>{kReturn, kHome, kTab, kUp, kDown, kBackspace, kRight, kSpace}) k.hostKeyDown(key);
    EXPECT_EQ(row(k, 6), 0xFF);  // Backspace is LEFT too
    k.hostKeyUp(kBackspace);
    k.hostKeyDown(kLeft);
    k.hostKeyUp(kSpace);
    EXPECT_EQ(row(k, 6), 0x7F);

    k.hostKeyDown(kRightShift);
    EXPECT_EQ(row(k, 7), 0x01);
    k.hostKeyDown(kLeftAlt);  // the host owns Alt: nothing reaches the machine
    for (int r = 0; r < 8; ++r) EXPECT_EQ(row(k, r), 0) << r;
}

TEST(KeyboardTest, SymbolicUsLayout) {
    Keyboard k;  // built for the US layout, symbolic selected
    struct Case {
        std::vector<int> keys;
        int row;
        uint8_t bits;
        bool shift;  // machine SHIFT reported on the following row-7 read
    };
    const Case cases[] = {
        {{kShift, 'A'}, 0, 0x02, true},
        {{'A'}, 0, 0x02, false},
        {{kCtrl, 'A'}, 0, 0x02, false},      // Ctrl alone is no modifier
        {{kCtrl, kShift, 'A'}, 0, 0x00, false},
        {{kShift, 0xBA}, 5, 0x04, false},    // ':' needs no machine SHIFT
        {{kShift, '2'}, 0, 0x01, false},     // '@'
        {{kShift, '2'}, 4, 0x00, false},     // ... and not '2' or '"'
        {{0xBB}, 5, 0x20, true},             // '=' is SHIFT -
        {{kShift, 0xBB}, 5, 0x08, true},     // '+' is SHIFT ;
        {{kShift, '8'}, 5, 0x04, true},      // '*' is SHIFT :
        {{kBackspace}, 6, 0x20, false},
        {{kLeft}, 6, 0x20, false},           // the arrow is LEFT as well
        {{kShift, kLeft}, 6, 0x20, true},
        {{kShift, kReturn}, 6, 0x01, true},
        {{kShift}, 7, 0x00, false},          // host Shift never shows itself
    };
    for (const Case& c : cases) {
        k.releaseAllKeys();
        for (int key : c.keys) k.hostKeyDown(key);
        EXPECT_EQ(row(k, c.row), c.bits) << &c - cases;
        EXPECT_EQ(row(k, 7), c.shift ? 1 : 0) << &c - cases;
        EXPECT_EQ(row(k, 7), 0) << &c - cases;  // reported once per match
    }

    // An unshifted match cancels a SHIFT owed; releaseAllKeys drops it too.
    k.releaseAllKeys();
    for (int key : {kShift, int('A')}) k.hostKeyDown(key);
    EXPECT_EQ(row(k, 0), 0x02);
    k.hostKeyUp(kShift);
    EXPECT_EQ(row(k, 0), 0x02);
    EXPECT_EQ(row(k, 7), 0);
    k.hostKeyDown(kShift);
    EXPECT_EQ(row(k, 0), 0x02);
    k.releaseAllKeys();
    EXPECT_FALSE(k.pendingShift);
    EXPECT_EQ(row(k, 0), 0);
}

TEST(KeyboardTest, SymbolicFollowsTheHostLayout) {
    // A layout typing '@' with AltGr (Ctrl+Alt) on Q and '"' with Shift+2.
    Keyboard k;
    k.buildSymbolicTables([](char c) {
        if (c == '@') return 'Q' | kCtrlBit | kAltBit;
        if (c == '"') return '2' | kShiftBit;
        return usLayoutKeyForChar(c);
    });
    for (int key : {kRightCtrl, kRightAlt, int('Q')}) k.hostKeyDown(key);
    EXPECT_EQ(row(k, 0), 0x01);
    EXPECT_EQ(row(k, 7), 0);
    k.releaseAllKeys();
    for (int key : {kShift, int('2')}) k.hostKeyDown(key);
    EXPECT_EQ(row(k, 4), 0x04);
    EXPECT_EQ(row(k, 7), 1);
}

TEST(Keyboard, TheHostLayoutIsLearntFromTypedCharacters) {
    Keyboard k;
    // A German host: the key at the US 'Z' position types 'y', Shift+7 types '/'.
    k.hostKeyDown('Z');
    k.learnCharacter('y', 'Z');
    EXPECT_EQ(k.keyboardRead(0x08), 0x02);  // machine Y (row 3 bit 1), unshifted
    EXPECT_EQ(k.keyboardRead(0x80), 0);
    k.releaseAllKeys();
    k.hostKeyDown(hostkey::kShift);
    k.hostKeyDown('7');
    k.learnCharacter('/', '7');
    EXPECT_EQ(k.keyboardRead(0x20), 0x80);  // machine '/' (row 5 bit 7), no SHIFT
    EXPECT_EQ(k.keyboardRead(0x10), 0x00);  // not the machine's 7 or its '
    k.releaseAllKeys();
    k.hostKeyDown('Y');  // the US 'Y' position no longer means y
    EXPECT_EQ(k.keyboardRead(0x08), 0x00);
}

}  // namespace
}  // namespace kestrel
