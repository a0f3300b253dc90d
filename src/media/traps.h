// ROM trap service for the ED 00-09 opcodes. No trap is armed yet.
#pragma once

#include <cstdint>

namespace kestrel {

class Traps {
public:
    void serviceTrap(uint8_t nn) { (void)nn; }
};

}  // namespace kestrel
