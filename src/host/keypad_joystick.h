// The keyboard as the first joystick: the numeric keypad's 8/2/4/6 and its
// 7/9/1/3 diagonals, or the arrow keys, steer; keypad 0 or the right Ctrl
// fires. Num Lock may be either way.
#pragma once

#include <cstdint>

#include "devices/joystick.h"

class QKeyEvent;

namespace kestrel {

class KeypadJoystick {
public:
    // True when the event is one of the stick's keys (auto-repeats included):
    // it is then the stick's, not the emulated keyboard's.
    bool keyEvent(const QKeyEvent& event, bool pressed);
    void releaseAll() { held_ = 0; }
    // The joystick port bits (joybit) the held keys make active; opposite
    // directions held together cancel.
    uint8_t active() const;
    // A controller's state with these keys on top: a held direction pushes
    // the axis to its end, a held fire key adds fire. Without a controller,
    // a stick of its own.
    JoystickState over(JoystickState controller) const;

private:
    uint32_t held_ = 0;  // one bit per key of the stick
};

}  // namespace kestrel
