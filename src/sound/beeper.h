// The cassette output heard as a square wave: a two-bit level that every
// sample repeats until the bus changes it.
#pragma once

#include <cstdint>

namespace kestrel {

class Beeper {
public:
    uint16_t level = 0;  // 0, 4096, 8192 or 12288

    void reset() { level = 0; }
    void render(uint16_t* out, uint32_t count) const {
        for (uint32_t i = 0; i < count; ++i) out[i] = level;
    }
    // Mixed with 16-bit wrap-around, like every source after the first.
    void addTo(uint16_t* out, uint32_t count) const {
        for (uint32_t i = 0; i < count; ++i) out[i] = static_cast<uint16_t>(out[i] + level);
    }
};

}  // namespace kestrel
