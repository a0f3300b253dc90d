// Where finished sound frames go: a device that plays a 96000-byte ring of
// 16-bit mono samples in a loop and reports where it is playing. The host
// supplies real ones; the no-sound driver swallows everything. Called once
// per frame, never per sample.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kestrel {

inline constexpr uint32_t kSoundRate = 48000;
inline constexpr uint32_t kFrameSamples = 960;
inline constexpr uint32_t kFrameBytes = kFrameSamples * 2;
inline constexpr uint32_t kRingBytes = 96000;
inline constexpr uint32_t kPositionUnknown = 0xFFFFFFFF;

class AudioDriver {
public:
    virtual ~AudioDriver() = default;
    virtual const char* name() const = 0;
    // Opens the device for `rate` samples per second, 16-bit mono; false and
    // `error` when it cannot.
    virtual bool open(uint32_t rate, std::string& error) = 0;
    virtual void close() = 0;
    // Places little-endian samples at byte `offset` of the ring (a multiple of
    // kFrameBytes below kRingBytes).
    virtual void write(std::span<const int16_t> samples, uint32_t offset) = 0;
    // Back to a usable state after a loss or a flush.
    virtual void reset() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // The byte position being played in the ring, or kPositionUnknown.
    virtual uint32_t position() const = 0;
};

// "No sound": never opens, plays nothing, always at position 0.
class NoSoundDriver final : public AudioDriver {
public:
    const char* name() const override { return "No sound"; }
    bool open(uint32_t, std::string& error) override {
        error = "No sound";
        return false;
    }
    void close() override {}
    void write(std::span<const int16_t>, uint32_t) override {}
    void reset() override {}
    void pause() override {}
    void resume() override {}
    uint32_t position() const override { return 0; }
};

}  // namespace kestrel
