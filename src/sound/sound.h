// The sound stream: the beeper and the PSG rendered against emulated time,
// mixed into 960-sample frames at 48000 Hz, high-passed to signed PCM and
// written into the audio driver's ring, with a latency control that drops or
// inserts whole frames to keep the device 40-70 ms behind the writes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>

#include "sound/audio_driver.h"
#include "sound/beeper.h"
#include "sound/one_pole_filter.h"
#include "sound/ym2149.h"

namespace kestrel {

class Sound {
    Beeper beeper_;  // first: beeperLevel refers into it

public:
    // T-states of a 64-us scan line at the first configuration's clock
    // (1774080 / 15625). The processor fixes it once at start-up and does not
    // follow clock changes, so the sample clock keeps it too: 312 lines make
    // one 960-sample frame.
    static constexpr uint32_t kLineTstates = 113;
    static constexpr uint32_t kLatencyEntries = 14;

    explicit Sound(uint32_t lineTstates = kLineTstates) : lineTstates_(lineTstates) {}
    // The driver pointer may point at the owned no-sound driver, and the level
    // is a reference into the beeper: no copies.
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    uint16_t& beeperLevel = beeper_.level;  // 0, 4096, 8192 or 12288
    uint64_t updatedTo = 0;                 // T-state count of the latest updateSound
    uint64_t psgClockHz = 0;

    // Renders the stream up to `tstates` with the sources' current state.
    void updateSound(uint64_t tstates);
    // For callers that change the PSG at a known time: brings the stream up
    // to `tstates` first, so the write takes effect at its own sample.
    void psgWrite(uint8_t reg, uint8_t value, uint64_t tstates) {
        updateSound(tstates);
        psgWrite(reg, value);
    }

    void initBeeper() {
        beeper_.level = 0;
        beeperRegistered_ = true;
    }
    void initSound();
    void resetPsg() {
        psg_.reset();
        psgRegisters_.fill(0);
    }
    void resetSound();
    void setPsgClock(uint64_t hz);

    void setBeeperLevel(unsigned step) { beeper_.level = static_cast<uint16_t>(step * 4096); }

    // The chip decodes four address bits; a higher register number selects nothing.
    void psgWrite(uint8_t reg, uint8_t value) {
        if (reg >= psgRegisters_.size()) return;
        psgRegisters_[reg] = value;
        psg_.write(reg, value);
    }
    // The last value written, for tests and the debugger; the chip itself
    // cannot be read back.
    uint8_t psgRegister(uint8_t reg) const { return reg < psgRegisters_.size() ? psgRegisters_[reg] : 0xFF; }

    // Drivers. The current one gets every finished frame; null selects none.
    void selectAudioDriver(AudioDriver* driver);
    void selectNoSound() { selectAudioDriver(nullptr); }
    AudioDriver& audioDriver() const { return *driver_; }
    void pauseAudio();
    void resumeAudio();
    // Finishes a running recording and closes the driver.
    void shutdownSound();

    // Sound recording: called with every finished frame (signed PCM) while
    // set; true when the frame was stored. While set, the latency control
    // never drops or inserts a frame, so the recording has every sample.
    std::function<bool(std::span<const int16_t>)> recordFrame;
    // Also called with every finished frame, for a video recording; it may
    // miss frames the latency control drops, its user pads them.
    std::function<void(std::span<const int16_t>)> frameTap;
    // Called by shutdownSound before a running recording is dropped.
    std::function<void()> finishRecording;
    bool recording() const { return static_cast<bool>(recordFrame); }
    uint32_t recordedBytes() const { return recordedBytes_; }
    void startRecording(std::function<bool(std::span<const int16_t>)> sink) {
        recordFrame = std::move(sink);
        recordedBytes_ = 0;
    }
    void stopRecording();

    // The frame buffer as it stands (the AVI recorder takes it at frame end).
    std::span<const int16_t> frameBuffer() const {
        return {reinterpret_cast<const int16_t*>(frame_.data()), frame_.size()};
    }

    // Sample clock of a T-state count.
    uint32_t sampleClock(uint64_t tstates) const;

    // Latency control: 1 normal, 2 insert a frame, 0 drop until re-evaluated.
    int32_t syncState() const { return syncState_; }
    uint32_t fill() const { return fill_; }
    uint32_t writeOffset() const { return writeOffset_; }
    const std::array<int32_t, kLatencyEntries>& latencyHistory() const { return latencyHistory_; }
    uint64_t framesWritten() const { return framesWritten_; }
    uint64_t dropCount() const { return dropCount_; }
    uint64_t insertCount() const { return insertCount_; }

    Ym2149& psg() { return psg_; }

private:
    int32_t measureLatency();
    void mix(uint32_t position, uint32_t count);
    void finishFrame();

    uint32_t lineTstates_;
    Ym2149 psg_;
    bool psgRegistered_ = false;
    bool beeperRegistered_ = false;
    std::array<uint8_t, 16> psgRegisters_{};

    NoSoundDriver noSound_;
    AudioDriver* driver_ = &noSound_;

    int32_t syncState_ = 1;
    bool audioPaused_ = false;
    std::array<uint16_t, kFrameSamples> frame_{};  // unsigned while mixed, signed after the filter
    uint32_t frameLength_ = kFrameSamples;
    uint32_t fill_ = 0;
    uint32_t lastSampleClock_ = 0;
    uint32_t writeOffset_ = 0;
    std::array<int32_t, kLatencyEntries> latencyHistory_{};
    uint32_t latencyIndex_ = 0;
    OnePoleFilter dcFilter_{50, OnePoleFilter::HighPass};
    uint32_t recordedBytes_ = 0;

    uint64_t framesWritten_ = 0;
    uint64_t dropCount_ = 0;
    uint64_t insertCount_ = 0;
};

}  // namespace kestrel
