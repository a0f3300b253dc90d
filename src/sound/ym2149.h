// The YM2149 programmable sound generator: three square-wave tone channels,
// one noise generator and one envelope generator, stepped once per output
// sample at 48000 Hz. Periods are kept × 256 so the per-sample steps stay
// integers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

// The envelope: a 5-bit ramp whose end-of-cycle behaviour is set by the shape.
class PsgEnvelope {
public:
    int32_t period = 256;  // × 256
    uint8_t shape = 0;
    int32_t counter = 0;  // position in the current cycle
    int32_t direction = 0;
    int32_t base = 0;
    uint32_t step = 0;  // counter increment per sample

    void reset() {
        period = 256;
        counter = 0;
        direction = 0;
        base = 0;
    }
    void setPeriodLow(uint8_t value);
    void setPeriodHigh(uint8_t value);
    void setShape(uint8_t value);

    // Advances one sample and returns the level, 0..31.
    int32_t next() {
        counter += static_cast<int32_t>(step);
        if (counter >= period) {
            counter -= period;
            endOfCycle();
        }
        return direction * 31 * counter / period + base;
    }

private:
    void endOfCycle();
};

// The noise: a 17-bit shift register clocked at the noise period.
class PsgNoise {
public:
    uint32_t period = 256;  // × 256
    int32_t counter = 256;
    uint32_t bit = 0;
    uint32_t lfsr = 1;  // set once; a reset leaves it running

    void reset() {
        period = 256;
        counter = 256;
        bit = 0;
    }
    void next(uint32_t step) {
        counter += static_cast<int32_t>(step);
        while (counter >= static_cast<int32_t>(period)) {
            lfsr = ((((lfsr >> 2) ^ lfsr) & 1) << 16 | (lfsr >> 1)) & 0x1FFFF;
            bit = lfsr & 1;
            counter -= static_cast<int32_t>(period);
        }
    }
};

struct PsgTone {
    uint32_t period = 0;  // × 256; 0 after reset, which toggles every sample
    uint32_t volume = 0;
    bool useEnvelope = false;
    uint32_t counter = 0;
    uint32_t output = 0;

    // At most one toggle per sample, whatever the period.
    void next(uint32_t step) {
        counter += step;
        if (counter >= period) {
            counter -= period;
            output ^= 1;
        }
    }
};

class Ym2149 {
public:
    std::array<PsgTone, 3> channel{};  // A, B, C
    PsgNoise noise;
    uint32_t mixerEnable = 63;  // bit set = on: 0-2 tone A-C, 3-5 noise A-C
    PsgEnvelope envelope;
    uint32_t toneStep = 0;  // per-sample increment for tone and noise

    // Amplitudes for envelope levels 0..31; fixed volume v uses entry 2v.
    static constexpr std::array<uint32_t, 32> kLevels = {
        0,    0,    190,  286,  375,   470,   560,   664,   866,   1130,  1515,  1803,  2253,  2848,  3351,  3862,
        4844, 6058, 7290, 8559, 10474, 12878, 15297, 17787, 21500, 26172, 30866, 35676, 42664, 50986, 58842, 65535};

    // Steps for a chip clocked at `hz`, then a reset. 32-bit arithmetic on
    // purpose: clocks of 8388608 Hz and above wrap like the original.
    void setClock(uint64_t hz);
    // Generators back to their power-on state; the envelope shape and the
    // noise register are kept.
    void reset();
    void write(uint8_t reg, uint8_t value);
    // Writes `count` unsigned samples (0..24573) and advances the generators.
    void render(uint16_t* out, uint32_t count);
};

}  // namespace kestrel
