#include <gtest/gtest.h>

#include <vector>

#include "devices/keyboard.h"

namespace kestrel {
namespace {

using namespace hostkey;

// Reads one row through the address window, as the ROM does.
uint8_t row(Keyboard& k, int r) { return k.keyboardRead(static_cast<uint8_t>(1u << r)); }

// Frames pass with nobody reading until every waiting event is in the matrix.
void settle(Keyboard& k) {
    for (int i = 0; i < 10000 && !k.settled(); ++i) k.endFrame();
    ASSERT_TRUE(k.settled());
}

void hold(Keyboard& k, const std::vector<int>& keys) {
    for (int key : keys) k.hostKeyDown(key);
    settle(k);
}

void letGo(Keyboard& k) {
    k.releaseAllKeys();
    settle(k);
}

TEST(KeyboardTest, AddressSelectsTheLowestRowOnlyAndPositionalKeysKeepTheirPlaces) {
    Keyboard k;
    k.setKeyMode(false);
    // One key per row, each on a different bit.
    hold(k, {'A', 'J', 'R', 'Z', '3', '9', kDown, kShift});
    const uint8_t expected[8] = {0x02, 0x04, 0x04, 0x04, 0x08, 0x02, 0x10, 0x01};
    for (int r = 0; r < 8; ++r) EXPECT_EQ(row(k, r), expected[r]) << r;
    EXPECT_EQ(k.keyboardRead(0x03), 0x02);  // rows 0 and 1: row 0 only
    EXPECT_EQ(k.keyboardRead(0xF0), 0x08);  // row 4
    EXPECT_EQ(k.keyboardRead(0x88), 0x04);  // row 3
    EXPECT_EQ(k.keyboardRead(0x00), 0x00);
    k.press(0, 7);  // a matrix key pressed directly adds to the host keys
    EXPECT_EQ(row(k, 0), 0x82);

    k.release(0, 7);
    letGo(k);
    hold(k, {0xDB, 'G', '7', '9', 0xDE, 0xBF});  // @ G 7 9 : /
    EXPECT_EQ(row(k, 0), 0x81);
    EXPECT_EQ(row(k, 4), 0x80);
    EXPECT_EQ(row(k, 5), 0x86);
    letGo(k);
    hold(k, {kReturn, kHome, kTab, kUp, kDown, kBackspace, kRight, kSpace});
    EXPECT_EQ(row(k, 6), 0xFF);  // Backspace is LEFT too
    k.hostKeyUp(kBackspace);
    k.hostKeyDown(kLeft);
    k.hostKeyUp(kSpace);
    settle(k);
    EXPECT_EQ(row(k, 6), 0x7F);

    hold(k, {kRightShift});
    EXPECT_EQ(row(k, 7), 0x01);
    hold(k, {kLeftAlt});  // the host owns Alt: nothing reaches the machine
    for (int r = 0; r < 8; ++r) EXPECT_EQ(row(k, r), 0) << r;

    // Letters take the case the host typed.
    struct Case {
        std::vector<int> keys;  // the last one types `typed`
        char typed;
        bool shift;  // the machine's SHIFT
    };
    const Case cases[] = {
        {{'A'}, 'a', true},               // the firmware's lower case is SHIFT A
        {{'A'}, 'A', false},              // Caps Lock
        {{kShift, 'A'}, 'A', false},
        {{kShift, 'A'}, 'a', true},       // Shift with Caps Lock
        {{kCtrl, 'A'}, 0, true},          // no text: the host's Shift decides
        {{kShift, kCtrl, 'A'}, 0, false},
        {{'1'}, '1', false},              // other keys: the host's Shift
        {{kShift, '1'}, '!', true},
        {{kShift, 'Q', 'B'}, 'b', true},  // the latest letter
    };
    for (const Case& c : cases) {
        letGo(k);
        for (size_t i = 0; i + 1 < c.keys.size(); ++i) k.hostKeyDown(c.keys[i], c.keys[i] == 'Q' ? 'Q' : 0);
        k.hostKeyDown(c.keys.back(), c.typed);
        settle(k);
        EXPECT_EQ(row(k, 7), c.shift ? 1 : 0) << &c - cases;
    }
    k.hostKeyUp('B');  // back to the earlier letter
    settle(k);
    EXPECT_EQ(row(k, 7), 0);
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
        // The firmware types an unshifted letter in upper case.
        {{kShift, 'A'}, 0, 0x02, false},
        {{'A'}, 0, 0x02, true},
        {{kCtrl, 'A'}, 0, 0x02, true},       // Ctrl alone is no modifier
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
        letGo(k);
        hold(k, c.keys);
        EXPECT_EQ(row(k, c.row), c.bits) << &c - cases;
        EXPECT_EQ(row(k, 7), c.shift ? 1 : 0) << &c - cases;
        EXPECT_EQ(row(k, 7), 0) << &c - cases;  // reported once per match
    }

    // A key stays the character it was pressed as: Shift let go first (as
    // automation does) does not make '"' into '.
    letGo(k);
    k.hostKeyDown(kShift);
    k.hostKeyDown(0xDE, '"');
    k.hostKeyUp(kShift);
    settle(k);
    EXPECT_EQ(row(k, 4), 0x04);
    EXPECT_EQ(row(k, 7), 1);

    // The latest key pressed in a row decides the SHIFT; letting go of all
    // drops a SHIFT owed.
    letGo(k);
    hold(k, {'A'});
    EXPECT_EQ(row(k, 0), 0x02);
    hold(k, {kShift, 'B'});
    EXPECT_EQ(row(k, 0), 0x06);
    EXPECT_EQ(row(k, 7), 0);
    letGo(k);
    hold(k, {'A'});
    EXPECT_EQ(row(k, 0), 0x02);
    EXPECT_TRUE(k.pendingShift);
    letGo(k);
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
    hold(k, {kRightCtrl, kRightAlt, 'Q'});
    EXPECT_EQ(row(k, 0), 0x01);
    EXPECT_EQ(row(k, 7), 0);
    letGo(k);
    hold(k, {kShift, '2'});
    EXPECT_EQ(row(k, 4), 0x04);
    EXPECT_EQ(row(k, 7), 1);
}

TEST(KeyboardTest, TheHostLayoutIsLearntFromTypedCharacters) {
    Keyboard k;
    // A German host: the key at the US 'Z' position types 'y', Shift+7 types '/'.
    k.hostKeyDown('Z', 'y');
    settle(k);
    EXPECT_EQ(row(k, 3), 0x02);  // machine Y (row 3 bit 1), lower case: SHIFT
    EXPECT_EQ(row(k, 7), 1);
    letGo(k);
    // Events behind one still to be seen wait, but each is learnt with the
    // modifiers held when it was typed.
    k.hostKeyDown('X', 'x');
    k.hostKeyUp('X');
    k.hostKeyDown(kShift);
    EXPECT_EQ(k.heldModifiers(), kShiftBit);
    k.hostKeyDown('7', '/');
    EXPECT_EQ(row(k, 5), 0x00);
    settle(k);
    EXPECT_EQ(row(k, 5), 0x80);  // machine '/' (row 5 bit 7), no SHIFT
    EXPECT_EQ(row(k, 7), 0);
    EXPECT_EQ(row(k, 4), 0x00);  // not the machine's 7 or its '
    letGo(k);
    hold(k, {'7'});              // 7 alone is still the machine's 7
    EXPECT_EQ(row(k, 4), 0x80);
    letGo(k);
    hold(k, {'Y'});  // the US 'Y' position no longer means y
    EXPECT_EQ(row(k, 3), 0x00);

    // Caps Lock: the same key types the other case, and the machine follows.
    for (char typed : {'A', 'a', 'A'}) {
        letGo(k);
        k.hostKeyDown('A', typed);
        settle(k);
        EXPECT_EQ(row(k, 0), 0x02) << typed;
        EXPECT_EQ(row(k, 7), typed == 'a' ? 1 : 0) << typed;
    }
}

TEST(KeyboardTest, APressStaysUntilReadAndAFrameHasPassed) {
    for (bool symbolic : {false, true}) {
        Keyboard k;
        k.setKeyMode(symbolic);
        // Pressed and released between two scans: the press still shows.
        k.hostKeyDown('X', 'X');
        k.hostKeyUp('X');
        k.endFrame();  // frames nobody read do not count
        k.endFrame();
        EXPECT_EQ(row(k, 3), 0x01) << symbolic;
        // Read at the very end of a frame, as a debouncing scan may be: a
        // whole frame more before the release.
        k.endFrame();
        EXPECT_EQ(row(k, 3), 0x01) << symbolic;
        k.endFrame();
        EXPECT_EQ(row(k, 3), 0x00) << symbolic;
        settle(k);
        // Rows nobody reads hold the queue up only so long; reads of other
        // rows do not count.
        k.hostKeyDown('X', 'X');
        k.hostKeyDown('A', 'A');
        for (int frame = 1; frame < Keyboard::kObserveTimeoutFrames; ++frame) {
            k.endFrame();
            EXPECT_EQ(row(k, 0), 0x00) << symbolic;
        }
        k.endFrame();
        EXPECT_EQ(row(k, 0), 0x02) << symbolic;
        EXPECT_EQ(row(k, 3), 0x01) << symbolic;
    }

    // Keys that change no row take no frames: Shift, then the letter at once.
    Keyboard k;
    k.hostKeyDown(kShift);
    k.hostKeyDown('A', 'A');
    EXPECT_EQ(row(k, 0), 0x02);
    EXPECT_EQ(row(k, 7), 0);

    // Letting go of all keys keeps what waits and lets it go afterwards.
    k.hostKeyUp('A');
    k.hostKeyDown('B', 'B');
    k.releaseAllKeys();
    settle(k);
    EXPECT_EQ(row(k, 0), 0x00);
    EXPECT_EQ(k.heldModifiers(), 0);
    k.hostKeyDown('C', 'C');
    k.hostKeyUp('C');
    k.hostKeyDown(kShift);
    k.hostKeyDown('D', 'D');
    k.releaseAllKeys();
    std::vector<uint8_t> seen;
    for (int frame = 0; frame < 100; ++frame) {
        const uint8_t r = row(k, 0);
        if (seen.empty() || seen.back() != r) seen.push_back(r);
        k.endFrame();
    }
    EXPECT_EQ(seen, (std::vector<uint8_t>{0x08, 0x00, 0x10, 0x00}));  // C, D

    // More than the queue holds: the oldest go in unseen, none are lost.
    for (int i = 0; i < Keyboard::kQueueSize; ++i) {
        k.hostKeyDown('E', 'E');
        k.hostKeyUp('E');
    }
    k.hostKeyDown('F', 'F');
    settle(k);
    EXPECT_EQ(row(k, 0), 0x40);
}

TEST(KeyboardTest, ModifiersFollowTheHostsEvents) {
    Keyboard k;
    k.setKeyMode(false);
    // Alt let go while a dialog had the keyboard: the next event says so.
    hold(k, {kLeftAlt});
    k.syncModifiers(kAltBit, kSpace);
    k.hostKeyDown(kSpace, ' ');
    settle(k);
    EXPECT_EQ(row(k, 6), 0x00);
    k.syncModifiers(0, kSpace);
    settle(k);
    EXPECT_EQ(row(k, 6), 0x80);
    EXPECT_FALSE(k.hostKeyIsDown(kAlt));
    // A Shift pressed elsewhere joins in; the event's own key is left alone.
    k.syncModifiers(kShiftBit, kSpace);
    settle(k);
    EXPECT_EQ(row(k, 7), 1);
    k.syncModifiers(0, kShift);
    settle(k);
    EXPECT_EQ(row(k, 7), 1);
    k.syncModifiers(0, kSpace);
    settle(k);
    EXPECT_EQ(row(k, 7), 0);
}

}  // namespace
}  // namespace kestrel
