// ROM trap service for the ED 00-09 opcodes and the typed-text buffer. No trap is
// armed and no text is queued yet.
#pragma once

#include <cstdint>

namespace kestrel {

class Traps {
public:
    void serviceTrap(uint8_t nn) { (void)nn; }
    // Writes the armed tape traps over a freshly copied ROM.
    void applyTrapsOnReset(uint8_t* memory) { (void)memory; }
    void freeTypedText() {}
};

}  // namespace kestrel
