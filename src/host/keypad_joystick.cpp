#include "host/keypad_joystick.h"

#include <QKeyEvent>

namespace kestrel {

namespace {

using namespace joybit;

// The stick's keys: 0-9 the keypad digits, then the four arrow keys and the
// right Ctrl.
constexpr uint8_t kKeyBits[] = {
    kFire, kDown | kLeft, kDown, kDown | kRight, kLeft, 0, kRight, kUp | kLeft, kUp, kUp | kRight,
    kUp, kDown, kLeft, kRight, kFire,
};
constexpr int kArrowUp = 10, kRightCtrl = 14;

// X11 and Wayland both report the key symbol: XK_Control_R.
constexpr quint32 kControlRSymbol = 0xFFE4;

// The keypad digit of a keypad key with Num Lock on or off, -1 for none.
int keypadDigit(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    switch (key) {
    case Qt::Key_Insert: return 0;
    case Qt::Key_End: return 1;
    case Qt::Key_Down: return 2;
    case Qt::Key_PageDown: return 3;
    case Qt::Key_Left: return 4;
    case Qt::Key_Clear: return 5;
    case Qt::Key_Right: return 6;
    case Qt::Key_Home: return 7;
    case Qt::Key_Up: return 8;
    case Qt::Key_PageUp: return 9;
    default: return -1;
    }
}

int stickKey(const QKeyEvent& e) {
    const int key = e.key();
    if (e.modifiers() & Qt::KeypadModifier) return keypadDigit(key);
    switch (key) {
    case Qt::Key_Up: return kArrowUp;
    case Qt::Key_Down: return kArrowUp + 1;
    case Qt::Key_Left: return kArrowUp + 2;
    case Qt::Key_Right: return kArrowUp + 3;
    case Qt::Key_Control: return e.nativeVirtualKey() == kControlRSymbol ? kRightCtrl : -1;
    default: return -1;
    }
}

}  // namespace

bool KeypadJoystick::keyEvent(const QKeyEvent& event, bool pressed) {
    const int key = stickKey(event);
    // Keypad 5 has no direction, but it is the stick's all the same.
    if (key < 0) return false;
    if (event.isAutoRepeat()) return true;
    if (pressed) held_ |= 1u << key;
    else held_ &= ~(1u << key);
    return true;
}

uint8_t KeypadJoystick::active() const {
    uint8_t bits = 0;
    for (int key = 0; key <= kRightCtrl; ++key)
        if (held_ & (1u << key)) bits |= kKeyBits[key];
    if ((bits & (kUp | kDown)) == (kUp | kDown)) bits &= ~(kUp | kDown);
    if ((bits & (kLeft | kRight)) == (kLeft | kRight)) bits &= ~(kLeft | kRight);
    return bits;
}

JoystickState KeypadJoystick::over(JoystickState s) const {
    if (!s.connected) s = {};
    s.connected = true;
    if (s.axisMax <= s.axisMin) {
        s.axisMin = -1;
        s.axisMax = 1;
        s.x = s.y = 0;
    }
    const uint8_t bits = active();
    if (bits & kLeft) s.x = s.axisMin;
    else if (bits & kRight) s.x = s.axisMax;
    if (bits & kUp) s.y = s.axisMin;
    else if (bits & kDown) s.y = s.axisMax;
    if (bits & kFire) s.buttons |= 1;
    return s;
}

}  // namespace kestrel
