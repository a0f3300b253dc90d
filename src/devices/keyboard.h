// Keyboard matrix behind 0x3800-0x3BFF: eight rows of eight keys, a set bit is
// a key held down. The low address byte selects the row. The rows come from
// the host keys, mapped either by position (a host key stands for the machine
// key in the same place) or by symbol (the character the host keys type is
// looked up and the machine keys typing the same character are reported, with
// the machine's SHIFT synthesised when needed).
//
// Host key events take effect one at a time: each stays in the matrix until
// the machine has read the rows it changed and a whole frame has passed after
// that, so a press shorter than the firmware's scan and debounce is still
// typed.
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
    // The firmware types an unshifted letter in upper case and a shifted one
    // in lower case, so the letters sit the other way round from the host's.
    static constexpr int kCharEntries = 48;
    static constexpr std::array<std::array<char, kCharEntries>, 2> symbolicChars = {{
        {'@', 'A', 'B', 'C', 'D', 'E', 'F', 'G',
         'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O',
         'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W',
         'X', 'Y', 'Z', 0,   0,   0,   0,   0,
         '0', '1', '2', '3', '4', '5', '6', '7',
         '8', '9', ':', ';', ',', '-', '.', '/'},
        {'`', 'a', 'b', 'c', 'd', 'e', 'f', 'g',
         'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o',
         'p', 'q', 'r', 's', 't', 'u', 'v', 'w',
         'x', 'y', 'z', 0,   0,   0,   0,   0,
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

    // Host key events wait here until the machine has seen the one before.
    static constexpr int kQueueSize = 256;
    // An event nobody reads counts as seen after this many frames.
    static constexpr int kObserveTimeoutFrames = 10;

    Keyboard() { buildSymbolicTables(); }

    // Only the row of the lowest set address bit answers, even when more
    // bits are set; no bit selects nothing.
    uint8_t keyboardRead(uint8_t addressLow) {
        lastAddressLow = addressLow;
        if (addressLow == 0) return 0;
        const auto row = static_cast<unsigned>(std::countr_zero(addressLow));
        unreadRows_ &= static_cast<uint8_t>(~(1u << row));
        uint8_t value = image_[row];
        if (keyMode == 1) {
            if (row == 7) {
                // Only the synthesised SHIFT; the host's own Shift was part of
                // the character it helped to type.
                value = pendingShift ? 1 : 0;
                pendingShift = false;
            } else if (shiftAfterRead_[row] != kShiftKeep) {
                pendingShift = shiftAfterRead_[row] == kShiftSet;
            }
        }
        return static_cast<uint8_t>(rows[row] | value);
    }

    // Rebuilds both symbolic tables from `keyForChar` (key code | modifier
    // bits that type a character on the host's layout, -1 for none; the US
    // layout when empty), selects symbolic mapping and forgets all host keys.
    void buildSymbolicTables(const std::function<int(char)>& keyForChar = {});

    void setKeyMode(bool symbolic) {
        keyMode = symbolic ? 1 : 0;
        updateImage();
    }

    // The host layout tells which character a key typed: when `c` is one of
    // the machine's characters, `keyCode` with `modifiers` becomes the way to
    // type it, whatever the built-in layout said.
    void learnCharacter(char c, int keyCode, int modifiers);
    // Shift/Ctrl/Alt as modifier bits (Ctrl alone counts as none), as the
    // latest host key event left them.
    int heldModifiers() const { return modifierBits(hostDown_); }

    // Host key events, in the order the host sent them. Shift/Ctrl/Alt are
    // keys like any other, by their generic or left/right codes. `typed` is
    // the character the host typed with the key (0 for none): it teaches the
    // symbolic mapping the host's layout and tells a letter's case.
    void hostKeyDown(int keyCode, char typed = 0) { enqueue(keyCode, true, typed); }
    void hostKeyUp(int keyCode) { enqueue(keyCode, false, 0); }
    // Brings Shift/Ctrl/Alt in line with the modifiers (bits as in the
    // tables) a host event says are held: their own key events may have gone
    // to another window. `exceptKey` is the event's own key, whose modifier
    // state the host reports unreliably.
    void syncModifiers(int modifiers, int exceptKey = 0);
    // True when the key is down in the matrix's current view (the generic
    // modifier codes stand for either side).
    bool hostKeyIsDown(int keyCode) const { return isDown(held_, keyCode); }

    // Every host key still down is let go, after the events already waiting:
    // keys held while a menu or dialog had the keyboard would otherwise stick.
    void releaseAllKeys();

    // The end of an emulated frame: a seen event makes way for the next.
    void endFrame();
    // No host key event is waiting or still to be seen.
    bool settled() const { return queued_ == 0 && !watching_; }

    void press(int row, int bit) { rows[static_cast<unsigned>(row)] |= static_cast<uint8_t>(1u << bit); }
    void release(int row, int bit) { rows[static_cast<unsigned>(row)] &= static_cast<uint8_t>(~(1u << bit)); }
    void releaseAll() { rows.fill(0); }

private:
    struct HostKeyEvent {
        uint8_t keyCode;
        bool down;
        char typed;
        uint8_t modifiers;  // modifier bits >> 8, as the host held them
    };
    using KeyState = std::array<bool, 256>;
    static bool isDown(const KeyState& keys, int keyCode);
    static int modifierBits(const KeyState& keys);

    void enqueue(int keyCode, bool down, char typed);
    void applyNext();
    // The matrix rows as the applied keys give them, in the current mapping.
    void updateImage();
    void positionalImage();
    void symbolicImage();
    void resolveSymbolic(unsigned keyCode, int modifiers);

    // Per row: what a read of it does to pendingShift.
    static constexpr uint8_t kShiftKeep = 0, kShiftClear = 1, kShiftSet = 2;

    KeyState hostDown_{};     // after every event received
    KeyState held_{};         // after the events applied so far
    KeyState lowerCase_{};    // a held letter key typed in lower case
    std::array<uint32_t, 256> pressedAt_{};  // order of presses: the latest key wins
    // Symbolic: the matrix entry (row * 8 + bit, kNoEntry for none) a held
    // key stands for and whether it wants SHIFT, fixed when it was pressed,
    // as the character a host key types is: letting go of Shift first does
    // not make it another key.
    static constexpr uint8_t kNoEntry = 0xFF;
    std::array<uint8_t, 256> symbolicEntry_{};
    KeyState symbolicShift_{};
    uint32_t pressCount_ = 0;

    std::array<uint8_t, kRows> image_{};
    std::array<uint8_t, kRows> shiftAfterRead_{};

    std::array<HostKeyEvent, kQueueSize> queue_{};
    int queueHead_ = 0;
    int queued_ = 0;
    // The latest applied event changed rows: wait until each was read and a
    // whole frame passed after that, or the timeout.
    bool watching_ = false;
    uint8_t unreadRows_ = 0;
    int framesSinceRead_ = 0;
    int framesWatched_ = 0;
};

}  // namespace kestrel
