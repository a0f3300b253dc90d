#include "machine/keyboard.h"

#include <cstring>

namespace kestrel {

namespace {

using namespace hostkey;

// Row 6 and SHIFT in the symbolic tables. Backspace stands for LEFT here: it
// is the key a symbolic typist reaches for to rub out.
constexpr std::array<uint16_t, 9> kFixedKeys = {
    kReturn, kHome, kTab, kUp, kDown, kBackspace, kRight, kSpace, kShift,
};
constexpr int kFixedFirst = 48;

}  // namespace

int usLayoutKeyForChar(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z') return c | kShiftBit;
    if (c >= '0' && c <= '9') return c;
    if (c == ' ') return kSpace;
    // Shifted digit row, ")!@#$%^&*(" over 0-9.
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    if (c != 0) {
        if (const char* p = std::strchr(kShiftedDigits, c)) return ('0' + static_cast<int>(p - kShiftedDigits)) | kShiftBit;
    }
    struct Punct {
        char plain, shifted;
        int key;
    };
    static constexpr Punct kPunct[] = {
        {';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD}, {'.', '>', 0xBE},
        {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB}, {'\\', '|', 0xDC}, {']', '}', 0xDD},
        {'\'', '"', 0xDE},
    };
    for (const Punct& p : kPunct) {
        if (c == p.plain) return p.key;
        if (c == p.shifted) return p.key | kShiftBit;
    }
    return -1;
}

void Keyboard::buildSymbolicTables(const std::function<int(char)>& keyForChar) {
    for (int shifted = 0; shifted < 2; ++shifted) {
        auto& table = symbolicKeys[static_cast<unsigned>(shifted)];
        table.fill(0);
        for (int e = 0; e < kCharEntries; ++e) {
            const char c = symbolicChars[static_cast<unsigned>(shifted)][static_cast<unsigned>(e)];
            if (c == 0) continue;
            const int k = keyForChar ? keyForChar(c) : usLayoutKeyForChar(c);
            // Only the key code and the Shift/Ctrl/Alt bits mean anything.
            if (k > 0) table[static_cast<unsigned>(e)] = static_cast<uint16_t>(k & 0x7FF);
        }
        for (unsigned i = 0; i < kFixedKeys.size(); ++i)
            table[kFixedFirst + i] = static_cast<uint16_t>(kFixedKeys[i] | (shifted ? kShiftBit : 0));
    }
    keyMode = 1;
    releaseAllKeys();
}

void Keyboard::learnCharacter(char c, int keyCode) {
    if (keyCode <= 0 || keyCode > 0xFF || c == 0) return;
    const auto value = static_cast<uint16_t>(keyCode | heldModifiers());
    // One key with one set of modifiers types one character: any other
    // character that claimed it is unmapped until it is typed itself.
    for (int shifted = 0; shifted < 2; ++shifted) {
        for (int e = 0; e < kCharEntries; ++e) {
            auto& entry = symbolicKeys[static_cast<unsigned>(shifted)][static_cast<unsigned>(e)];
            if (symbolicChars[static_cast<unsigned>(shifted)][static_cast<unsigned>(e)] == c)
                entry = value;
            else if (entry == value)
                entry = 0;
        }
    }
}

int Keyboard::heldModifiers() const {
    int modifiers = (hostKeyIsDown(kShift) ? kShiftBit : 0) | (hostKeyIsDown(kCtrl) ? kCtrlBit : 0) |
                    (hostKeyIsDown(kAlt) ? kAltBit : 0);
    return modifiers == kCtrlBit ? 0 : modifiers;
}

bool Keyboard::hostKeyIsDown(int keyCode) const {
    if (keyCode <= 0 || keyCode >= static_cast<int>(held_.size())) return false;
    // The generic modifier codes stand for either side.
    switch (keyCode) {
        case kShift: return held_[kShift] || held_[kLeftShift] || held_[kRightShift];
        case kCtrl: return held_[kCtrl] || held_[kLeftCtrl] || held_[kRightCtrl];
        case kAlt: return held_[kAlt] || held_[kLeftAlt] || held_[kRightAlt];
        default: return held_[static_cast<unsigned>(keyCode)];
    }
}

uint8_t Keyboard::readRow(int row) {
    if (row < 0 || row >= kRows) return 0;
    return keyMode == 1 ? readSymbolic(row) : readPositional(row);
}

uint8_t Keyboard::readPositional(int row) const {
    // Alt belongs to the host (menus, shortcuts): the machine sees nothing.
    if (hostKeyIsDown(kAlt)) return 0;
    if (row == 7) return hostKeyIsDown(kShift) ? 1 : 0;
    uint8_t value = 0;
    for (int b = 0; b < 8; ++b) {
        if (hostKeyIsDown(positionalKeys[static_cast<unsigned>(row * 8 + b)])) value |= static_cast<uint8_t>(1u << b);
    }
    if (row == 6 && hostKeyIsDown(kBackspace)) value |= 0x20;
    return value;
}

uint8_t Keyboard::readSymbolic(int row) {
    if (row == 7) {
        // Only the synthesised SHIFT; the host's own Shift was part of the
        // character it helped to type.
        if (!pendingShift) return 0;
        pendingShift = false;
        return 1;
    }
    const int modifiers = heldModifiers();
    uint8_t value = 0;
    for (int b = 0; b < 8; ++b) {
        const unsigned e = static_cast<unsigned>(row * 8 + b);
        const int plain = symbolicKeys[0][e];
        const int shifted = symbolicKeys[1][e];
        if (hostKeyIsDown(plain & 0xFF) && (plain & 0x700) == modifiers) {
            value |= static_cast<uint8_t>(1u << b);
            pendingShift = false;
        } else if (hostKeyIsDown(shifted & 0xFF) && (shifted & 0x700) == modifiers) {
            value |= static_cast<uint8_t>(1u << b);
            pendingShift = true;
        }
    }
    // The table gives LEFT to Backspace only; the arrow key means it too.
    if (row == 6 && hostKeyIsDown(kLeft) && (modifiers & ~kShiftBit) == 0) {
        value |= 0x20;
        pendingShift = modifiers == kShiftBit;
    }
    return value;
}

}  // namespace kestrel
