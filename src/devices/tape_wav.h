// Cassette signal at port 0xFF (0x37E4 on the TRS-80). No WAV file is attached
// yet, so the input stays at the cassette latch and nothing is recorded.
#pragma once

#include <cstdint>

namespace kestrel {

class TapeWav {
public:
    uint8_t cassetteLatch = 0;  // 0 or 1, what the next input read reports

    uint8_t tapeInputAt(uint64_t) const { return cassetteLatch; }

    // Where the WAV side plugs into the tape unit. No WAV file can be open yet,
    // so these have nothing to do.
    bool isWavOpen() const { return false; }
    void closeWav() {}
    // Back to the first sample; the data length in bytes for the tape counter.
    void rewindWav() {}
    uint32_t wavDataSize() const { return 0; }
    // Sample index, previous sample and previous difference back to 0.
    void resetSampleDetector() {}

    // A write with the motor on is how the ROM resets the latch.
    void tapeOutputWrite(uint64_t, uint8_t) { cassetteLatch = 0; }
};

}  // namespace kestrel
