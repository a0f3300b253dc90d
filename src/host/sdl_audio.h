// Sound output through SDL's audio subsystem (audio only: no video, no events).
// The ring lives here; SDL's audio thread plays it in a loop and publishes how
// far it got, while the emulation thread writes frames ahead of that point.
// The two threads share only the ring bytes and two atomics, so nothing on the
// emulation side ever waits for the device.
#pragma once

#include "sound/audio_driver.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace kestrel {

class SdlAudioDriver final : public AudioDriver {
public:
    SdlAudioDriver() = default;
    ~SdlAudioDriver() override;
    SdlAudioDriver(const SdlAudioDriver&) = delete;
    SdlAudioDriver& operator=(const SdlAudioDriver&) = delete;

    const char* name() const override { return "SDL"; }
    bool open(uint32_t rate, std::string& error) override;
    void close() override;
    void write(std::span<const int16_t> samples, uint32_t offset) override;
    void reset() override;
    void pause() override;
    void resume() override;
    uint32_t position() const override;

    // Samples per device buffer as the device granted it (0 while closed).
    uint32_t deviceBufferSamples() const { return bufferSamples_; }

private:
    static void fill(void* self, uint8_t* stream, int length);

    uint32_t device_ = 0;
    uint32_t bufferSamples_ = 0;
    std::array<uint8_t, kRingBytes> ring_{};
    std::atomic<uint32_t> playPosition_{0};
    // Bumped after every write so the audio thread sees the bytes it is about to play.
    std::atomic<uint32_t> published_{0};
};

}  // namespace kestrel
