// Sound stream and its two sources, the beeper and the PSG. The stream is not
// rendered yet: it only remembers how far it has been brought, and the PSG
// only holds its registers.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

class Sound {
public:
    uint64_t updatedTo = 0;    // T-state count of the latest updateSound
    uint16_t beeperLevel = 0;  // 0, 4096, 8192 or 12288
    uint64_t psgClockHz = 0;

    void updateSound(uint64_t tstates) { updatedTo = tstates; }

    // Start-up and reset hooks; the sources themselves come later.
    void initBeeper() { beeperLevel = 0; }
    void initSound() { updatedTo = 0; }
    void resetPsg() { psgRegisters_.fill(0); }
    void resetSound() {}
    void setPsgClock(uint64_t hz) { psgClockHz = hz; }

    void setBeeperLevel(unsigned step) { beeperLevel = static_cast<uint16_t>(step * 4096); }

    // The chip decodes four address bits; a higher register number selects nothing.
    void psgWrite(uint8_t reg, uint8_t value) {
        if (reg < psgRegisters_.size()) psgRegisters_[reg] = value;
    }
    uint8_t psgRegister(uint8_t reg) const { return reg < psgRegisters_.size() ? psgRegisters_[reg] : 0xFF; }

private:
    std::array<uint8_t, 16> psgRegisters_{};
};

}  // namespace kestrel
