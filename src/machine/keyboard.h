// Keyboard matrix behind 0x3800-0x3BFF: eight rows of eight keys, a set bit is
// a key held down. The low address byte selects the row. Each read is answered
// from the host keys held at that moment, mapped either by position (a host key
// stands for the machine key in the same place) or by symbol (the character the
// host keys type is looked up and the machine keys typing the same character
// are reported, with the machine's SHIFT synthesised when needed).
//
// Host key codes are Windows virtual-key codes ('A'-'Z' 0x41-0x5A, '0'-'9'
// 0x30-0x39, Shift 0x10, Ctrl 0x11, Alt 0x12, ...); the window translates its
// own key events into them.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <functional>

namespace kestrel {

// Host virtual-key codes the key mapping knows by name.
namespace hostkey {
constexpr int kBackspace = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kCtrl = 0x11;
constexpr int kAlt = 0x12;
constexpr int kSpace = 0x20;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kLeftShift = 0xA0;
constexpr int kRightShift = 0xA1;
constexpr int kLeftCtrl = 0xA2;
constexpr int kRightCtrl = 0xA3;
constexpr int kLeftAlt = 0xA4;
constexpr int kRightAlt = 0xA5;

// Modifier bits above the key code in a symbolic table entry.
constexpr int kShiftBit = 0x100;
constexpr int kCtrlBit = 0x200;
constexpr int kAltBit = 0x400;
}  // namespace hostkey

// The key code | modifier bits that types `c` on a US host layout, or -1 when
// no key does.
int usLayoutKeyForChar(char c);

class Keyboard {
public:
    // Row 7 bit 0 is SHIFT; the other rows as the machine's key layout.
    static constexpr int kRows = 8;
    static constexpr int kEntries = kRows * 8;

    // Host key for each matrix position, indexed row * 8 + bit; 0 = none.
    static constexpr std::array<uint8_t, kEntries> positionalKeys = {
        0xDB, 'A',  'B',  'C',  'D',  'E',  'F',  'G',
        'H',  'I',  'J',  'K',  'L',  'M',  'N',  'O',
        'P',  'Q',  'R',  'S',  'T',  'U',  'V',  'W',
        'X',  'Y',  'Z',  0,    0,    0,    0,    0,
        '0',  '1',  '2',  '3',  '4',  '5',  '6',  '7',
        '8',  '9',  0xDE, 0xBA, 0xBC, 0xBD, 0xBE, 0xBF,
        hostkey::kReturn, hostkey::kHome, hostkey::kTab, hostkey::kUp,
        hostkey::kDown, hostkey::kLeft, hostkey::kRight, hostkey::kSpace,
        hostkey::kShift, 0, 0, 0, 0, 0, 0, 0,
    };

    // Characters of rows 0-5 without and with the machine's SHIFT; 0 = none.
    static constexpr int kCharEntries = 48;
    static constexpr std::array<std::array<char, kCharEntries>, 2> symbolicChars = {{
        {'@', 'a', 'b', 'c', 'd', 'e', 'f', 'g',
         'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o',
         'p', 'q', 'r', 's', 't', 'u', 'v', 'w',
         'x', 'y', 'z', 0,   0,   0,   0,   0,
         '0', '1', '2', '3', '4', '5', '6', '7',
         '8', '9', ':', ';', ',', '-', '.', '/'},
        {'`', 'A', 'B', 'C', 'D', 'E', 'F', 'G',
         'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O',
         'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W',
         'X', 'Y', 'Z', 0,   0,   0,   0,   0,
         0,   '!', '"', '#', '$', '%', '&', '\'',
         '(', ')', '*', '+', '<', '=', '>', '?'},
    }};

    // [0] unshifted, [1] shifted: host key code in the low byte, the host
    // modifiers needed in bits 8-10; 0 = no key.
    std::array<std::array<uint16_t, kEntries>, 2> symbolicKeys{};

    // 1 = symbolic mapping, anything else positional.
    int keyMode = 0;
    // The machine SHIFT owed for a key matched in the shifted table.
    bool pendingShift = false;

    // The row-select byte of the latest read.
    uint8_t lastAddressLow = 0;
    // Keys pressed directly into the matrix (tests, tools); ORed into what
    // the host keys give.
    std::array<uint8_t, kRows> rows{};

    Keyboard() { buildSymbolicTables(); }

    // Only the row of the lowest set address bit answers, even when more
    // bits are set; no bit selects nothing.
    uint8_t keyboardRead(uint8_t addressLow) {
        lastAddressLow = addressLow;
        if (addressLow == 0) return 0;
        const int row = std::countr_zero(addressLow);
        return static_cast<uint8_t>(rows[static_cast<unsigned>(row)] | readRow(row));
    }

    // One row from the host keys in the current mapping.
    uint8_t readRow(int row);

    // Rebuilds both symbolic tables from `keyForChar` (key code | modifier
    // bits that type a character on the host's layout, -1 for none; the US
    // layout when empty), selects symbolic mapping and releases all keys.
    void buildSymbolicTables(const std::function<int(char)>& keyForChar = {});

    void setKeyMode(bool symbolic) { keyMode = symbolic ? 1 : 0; }

    // The host layout tells which character a key typed: when `c` is one of
    // the machine's characters, the key held now with the modifiers held now
    // becomes the way to type it, whatever the built-in layout said.
    void learnCharacter(char c, int keyCode);
    // Shift/Ctrl/Alt held now as modifier bits (Ctrl alone counts as none).
    int heldModifiers() const;

    // Host key events. Shift/Ctrl/Alt are keys like any other, by their
    // generic or left/right codes.
    void hostKeyDown(int keyCode) { setHostKey(keyCode, true); }
    void hostKeyUp(int keyCode) { setHostKey(keyCode, false); }
    bool hostKeyIsDown(int keyCode) const;

    // All host keys up and no SHIFT owed: keys held while a menu was open or
    // the window lost focus would otherwise stick.
    void releaseAllKeys() {
        held_.fill(false);
        pendingShift = false;
    }

    void press(int row, int bit) { rows[static_cast<unsigned>(row)] |= static_cast<uint8_t>(1u << bit); }
    void release(int row, int bit) { rows[static_cast<unsigned>(row)] &= static_cast<uint8_t>(~(1u << bit)); }
    void releaseAll() { rows.fill(0); }

private:
    void setHostKey(int keyCode, bool down) {
        if (keyCode > 0 && keyCode < static_cast<int>(held_.size())) held_[static_cast<unsigned>(keyCode)] = down;
    }
    uint8_t readPositional(int row) const;
    uint8_t readSymbolic(int row);

    std::array<bool, 256> held_{};
};

}  // namespace kestrel
