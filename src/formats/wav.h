// WAV files: the canonical 44-byte PCM header for the files the emulator
// writes, and reading the PCM recordings users bring as tapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

inline constexpr std::size_t kWavHeaderBytes = 44;
// The tape input plays one sample per byte at this rate.
inline constexpr uint32_t kTapeSampleRate = 44100;

// RIFF header, "fmt " chunk (PCM) and "data" chunk header for `dataBytes`
// bytes of samples.
std::vector<uint8_t> wavHeader(uint32_t rate, uint16_t channels, uint16_t bits, uint32_t dataBytes);

// A recording's first channel as signed 16-bit samples.
struct WavAudio {
    uint32_t rate = 0;
    uint16_t channels = 0;
    uint16_t bits = 0;
    std::vector<int16_t> samples;
};

// Reads 8-bit (unsigned) or 16-bit (signed) PCM, mono or stereo, at 4000 to
// 192000 samples per second; other chunks are skipped. Anything else is
// refused with a message, and `audio` is left unchanged. A data chunk that
// claims more than the file holds is cut to what is there.
IoResult parseWav(std::span<const uint8_t> bytes, WavAudio& audio);

// `samples` at `toRate` instead of `fromRate`, by linear interpolation.
std::vector<int16_t> resample(std::span<const int16_t> samples, uint32_t fromRate, uint32_t toRate);

}  // namespace kestrel
