#include "devices/keyboard.h"

#include <algorithm>
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
    // A new layout: what was held under the old one means nothing now.
    hostDown_.fill(false);
    held_.fill(false);
    symbolicEntry_.fill(kNoEntry);
    queued_ = 0;
    watching_ = false;
    pendingShift = false;
    updateImage();
}

void Keyboard::learnCharacter(char c, int keyCode, int modifiers) {
    if (keyCode <= 0 || keyCode > 0xFF || c == 0) return;
    const auto value = static_cast<uint16_t>(keyCode | (modifiers & 0x700));
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
    updateImage();
}

bool Keyboard::isDown(const KeyState& keys, int keyCode) {
    if (keyCode <= 0 || keyCode >= static_cast<int>(keys.size())) return false;
    // The generic modifier codes stand for either side.
    switch (keyCode) {
        case kShift: return keys[kShift] || keys[kLeftShift] || keys[kRightShift];
        case kCtrl: return keys[kCtrl] || keys[kLeftCtrl] || keys[kRightCtrl];
        case kAlt: return keys[kAlt] || keys[kLeftAlt] || keys[kRightAlt];
        default: return keys[static_cast<unsigned>(keyCode)];
    }
}

int Keyboard::modifierBits(const KeyState& keys) {
    const int modifiers = (isDown(keys, kShift) ? kShiftBit : 0) | (isDown(keys, kCtrl) ? kCtrlBit : 0) |
                          (isDown(keys, kAlt) ? kAltBit : 0);
    return modifiers == kCtrlBit ? 0 : modifiers;
}

// --- the event queue --------------------------------------------------------------

void Keyboard::enqueue(int keyCode, bool down, char typed) {
    if (keyCode <= 0 || keyCode >= static_cast<int>(hostDown_.size())) return;
    const auto code = static_cast<unsigned>(keyCode);
    // A release of a key already let go (after releaseAllKeys) changes nothing.
    if (!down && !hostDown_[code]) return;
    hostDown_[code] = down;
    const HostKeyEvent event{static_cast<uint8_t>(keyCode), down, typed,
                             static_cast<uint8_t>(modifierBits(hostDown_) >> 8)};
    // Full: the oldest waiting event goes in unseen rather than any being lost.
    if (queued_ == kQueueSize) {
        watching_ = false;
        applyNext();
    }
    queue_[static_cast<unsigned>((queueHead_ + queued_) % kQueueSize)] = event;
    ++queued_;
    while (!watching_ && queued_ > 0) applyNext();
}

void Keyboard::applyNext() {
    const HostKeyEvent event = queue_[static_cast<unsigned>(queueHead_)];
    queueHead_ = (queueHead_ + 1) % kQueueSize;
    --queued_;

    const std::array<uint8_t, kRows> before = image_;
    const unsigned code = event.keyCode;
    const int modifiers = event.modifiers << 8;
    if (event.down) {
        // What the host's layout typed teaches the symbolic mapping.
        if (event.typed != 0) learnCharacter(event.typed, event.keyCode, modifiers);
        const char t = event.typed;
        const bool letter = (t >= 'a' && t <= 'z') || (t >= 'A' && t <= 'Z');
        lowerCase_[code] = letter ? (t >= 'a') : !(modifiers & kShiftBit);
        pressedAt_[code] = ++pressCount_;
        resolveSymbolic(code, modifiers);
    }
    held_[code] = event.down;
    updateImage();

    // SHIFT on its own is never scanned for, only read along with a key: its
    // changes need no reading.
    uint8_t changed = 0;
    for (unsigned r = 0; r < 7; ++r) {
        if (image_[r] != before[r]) changed |= static_cast<uint8_t>(1u << r);
    }
    if (changed != 0) {
        watching_ = true;
        unreadRows_ = changed;
        framesSinceRead_ = 0;
        framesWatched_ = 0;
    }
}

void Keyboard::endFrame() {
    if (!watching_) return;
    ++framesWatched_;
    if (unreadRows_ == 0) ++framesSinceRead_;
    // Seen: read, then a whole frame more, so that a program reading a row
    // twice to debounce it finds the key both times.
    if (framesSinceRead_ < 2 && framesWatched_ < kObserveTimeoutFrames) return;
    watching_ = false;
    while (!watching_ && queued_ > 0) applyNext();
}

void Keyboard::releaseAllKeys() {
    for (unsigned code = 1; code < hostDown_.size(); ++code) {
        if (hostDown_[code]) enqueue(static_cast<int>(code), false, 0);
    }
}

void Keyboard::syncModifiers(int modifiers, int exceptKey) {
    struct Modifier {
        int bit, generic, left, right;
    };
    static constexpr Modifier kModifiers[] = {
        {kShiftBit, kShift, kLeftShift, kRightShift},
        {kCtrlBit, kCtrl, kLeftCtrl, kRightCtrl},
        {kAltBit, kAlt, kLeftAlt, kRightAlt},
    };
    for (const Modifier& m : kModifiers) {
        if (exceptKey == m.generic || exceptKey == m.left || exceptKey == m.right) continue;
        const bool want = (modifiers & m.bit) != 0;
        if (want && !isDown(hostDown_, m.generic)) enqueue(m.generic, true, 0);
        if (!want) {
            for (int code : {m.generic, m.left, m.right}) enqueue(code, false, 0);
        }
    }
}

// --- the matrix image --------------------------------------------------------------

void Keyboard::updateImage() {
    shiftAfterRead_.fill(kShiftKeep);
    if (keyMode == 1)
        symbolicImage();
    else
        positionalImage();
}

void Keyboard::positionalImage() {
    image_.fill(0);
    // Alt belongs to the host (menus, shortcuts): the machine sees nothing.
    if (isDown(held_, kAlt)) return;
    for (unsigned r = 0; r < 7; ++r) {
        for (unsigned b = 0; b < 8; ++b) {
            if (isDown(held_, positionalKeys[r * 8 + b])) image_[r] |= static_cast<uint8_t>(1u << b);
        }
    }
    if (isDown(held_, kBackspace)) image_[6] |= 0x20;
    // A letter comes out in the case the host typed it: SHIFT follows the
    // latest letter held (the host's Shift and Caps Lock together), other
    // keys get the host's Shift.
    int latestLetter = 0;
    for (int key = 'A'; key <= 'Z'; ++key) {
        const auto k = static_cast<unsigned>(key);
        if (held_[k] && (latestLetter == 0 || pressedAt_[k] > pressedAt_[static_cast<unsigned>(latestLetter)]))
            latestLetter = key;
    }
    const bool shift = latestLetter != 0 ? lowerCase_[static_cast<unsigned>(latestLetter)] : isDown(held_, kShift);
    image_[7] = shift ? 1 : 0;
}

void Keyboard::resolveSymbolic(unsigned keyCode, int modifiers) {
    symbolicEntry_[keyCode] = kNoEntry;
    const int wanted = static_cast<int>(keyCode) | modifiers;
    for (unsigned e = 0; e < kFixedFirst + 8; ++e) {
        for (unsigned shifted = 0; shifted < 2; ++shifted) {
            if (symbolicKeys[shifted][e] == wanted) {
                symbolicEntry_[keyCode] = static_cast<uint8_t>(e);
                symbolicShift_[keyCode] = shifted != 0;
                return;
            }
        }
    }
    // The table gives LEFT to Backspace only; the arrow key means it too.
    if (keyCode == kLeft && (modifiers & ~kShiftBit) == 0) {
        symbolicEntry_[keyCode] = kFixedFirst + 5;
        symbolicShift_[keyCode] = modifiers == kShiftBit;
    }
}

void Keyboard::symbolicImage() {
    image_.fill(0);
    // A read leaves the SHIFT owed by the latest key pressed in the row.
    std::array<uint32_t, kRows> latest{};
    for (unsigned code = 1; code < held_.size(); ++code) {
        const unsigned e = symbolicEntry_[code];
        if (!held_[code] || e == kNoEntry) continue;
        const unsigned r = e / 8;
        image_[r] |= static_cast<uint8_t>(1u << (e % 8));
        if (pressedAt_[code] >= latest[r]) {
            latest[r] = pressedAt_[code];
            shiftAfterRead_[r] = symbolicShift_[code] ? kShiftSet : kShiftClear;
        }
    }
    // Nothing held owes a SHIFT any more.
    if (std::all_of(image_.begin(), image_.end(), [](uint8_t v) { return v == 0; })) pendingShift = false;
}

}  // namespace kestrel
