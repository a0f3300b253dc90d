#include "devices/joystick.h"

namespace kestrel {

DeadZone deadZone(int32_t axisMin, int32_t axisMax) {
    // Wide enough for any 32-bit range. The middle is taken from the axis
    // minimum: signed axes (-32768..32767) centre on 0, not on range / 2.
    const int64_t range = int64_t{axisMax} - axisMin;
    const int64_t width = range * 20 / 100;
    const int64_t high = axisMin + range / 2 + width / 2;
    return {static_cast<int32_t>(high - width), static_cast<int32_t>(high)};
}

uint8_t joystickPortByte(const JoystickState& s) {
    if (!s.connected) return 0xFF;
    uint8_t active = (s.buttons & 1) ? joybit::kFire : 0;
    // A device reporting no usable range has its axes taken as centred.
    if (s.axisMax > s.axisMin) {
        const DeadZone zone = deadZone(s.axisMin, s.axisMax);
        if (s.y < zone.low) active |= joybit::kUp;
        else if (s.y > zone.high) active |= joybit::kDown;
        if (s.x < zone.low) active |= joybit::kLeft;
        else if (s.x > zone.high) active |= joybit::kRight;
    }
    return static_cast<uint8_t>(0xFF & ~active);
}

void Joystick::setState(int stick, const JoystickState& state) {
    if (valid(stick)) port_[static_cast<std::size_t>(stick)] = joystickPortByte(state);
}

}  // namespace kestrel
