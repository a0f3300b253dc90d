// Joystick port (reads of 0x00-0x7F and 0xF7). Without a host controller the
// port reads as nothing pressed.
#pragma once

#include <cstdint>

namespace kestrel {

class Joystick {
public:
    uint8_t joystickPort() const { return 0xFF; }
};

}  // namespace kestrel
