// Joystick port (reads of 0x00-0x7F and 0xF7): one byte per stick with
// active-low direction and fire bits. The host hands in each stick's state as
// it changes; the byte is worked out then, so a port read costs one load.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

// One host stick as the host reads it: raw axis positions within the range the
// device reports, and its buttons (bit 0 is fire).
struct JoystickState {
    bool connected = false;
    int32_t x = 0, y = 0;
    int32_t axisMin = 0, axisMax = 0;
    uint32_t buttons = 0;
};

// The port bits; a cleared bit means active. Bits 5-7 always read 1.
namespace joybit {
constexpr uint8_t kUp = 0x01, kDown = 0x02, kLeft = 0x04, kRight = 0x08, kFire = 0x10;
}

// A raw axis value from `low` to `high` inclusive counts as centred: a band 20 %
// of the range wide around the middle of the range.
struct DeadZone {
    int32_t low = 0, high = 0;
};
DeadZone deadZone(int32_t axisMin, int32_t axisMax);

// The byte a stick in `state` puts on the port; 0xFF when it is not connected.
uint8_t joystickPortByte(const JoystickState& state);

class Joystick {
public:
    static constexpr int kSticks = 2;

    // Out-of-range sticks are ignored.
    void setState(int stick, const JoystickState& state);
    uint8_t portByte(int stick) const { return valid(stick) ? port_[static_cast<std::size_t>(stick)] : 0xFF; }
    // The guest sees the first stick only.
    uint8_t joystickPort() const { return port_[0]; }

private:
    static bool valid(int stick) { return stick >= 0 && stick < kSticks; }
    std::array<uint8_t, kSticks> port_{0xFF, 0xFF};
};

}  // namespace kestrel
