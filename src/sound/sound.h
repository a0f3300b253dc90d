// Sound stream and its two sources, the beeper and the PSG. The stream is not
// rendered yet: it only remembers how far it has been brought.
#pragma once

#include <cstdint>

namespace kestrel {

class Sound {
public:
    uint64_t updatedTo = 0;    // T-state count of the latest updateSound
    uint16_t beeperLevel = 0;  // 0, 4096, 8192 or 12288
    // Last PSG register write, until the PSG exists.
    int lastPsgRegister = -1;
    uint8_t lastPsgValue = 0;

    uint64_t psgClockHz = 0;

    void updateSound(uint64_t tstates) { updatedTo = tstates; }

    // Start-up and reset hooks; the sources themselves come later.
    void initBeeper() { beeperLevel = 0; }
    void initSound() { updatedTo = 0; }
    void resetPsg() { lastPsgRegister = -1; }
    void resetSound() {}
    void setPsgClock(uint64_t hz) { psgClockHz = hz; }

    void setBeeperLevel(unsigned step) { beeperLevel = static_cast<uint16_t>(step * 4096); }

    void psgWrite(uint8_t reg, uint8_t value) {
        lastPsgRegister = reg;
        lastPsgValue = value;
    }
};

}  // namespace kestrel
