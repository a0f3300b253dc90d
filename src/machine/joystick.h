// Joystick port (reads of 0x00-0x7F and 0xF7). Without a host controller the
// port reads as nothing pressed.
#pragma once

#include <cstdint>

namespace kestrel {

class Joystick {
public:
    unsigned reads = 0;  // port reads served

    uint8_t joystickPort() {
        ++reads;
        return 0xFF;
    }
};

}  // namespace kestrel
