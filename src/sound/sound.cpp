#include "sound/sound.h"

namespace kestrel {

uint32_t Sound::sampleClock(uint64_t tstates) const {
    const uint32_t lineRate = lineTstates_ * 15600u;
    const double c = static_cast<double>(tstates) * kSoundRate / lineRate + 0.5;
    return static_cast<uint32_t>(static_cast<uint64_t>(c));
}

void Sound::setPsgClock(uint64_t hz) {
    psgClockHz = hz;
    psgRegistered_ = true;
    psg_.setClock(hz);
    psgRegisters_.fill(0);
}

void Sound::initSound() {
    updatedTo = 0;
    frameLength_ = kFrameSamples;
    writeOffset_ = 0;
    fill_ = 0;
    driver_->reset();
    dcFilter_ = OnePoleFilter{50, OnePoleFilter::HighPass};
}

void Sound::resetSound() {
    driver_->reset();
    if (psgRegistered_) resetPsg();
    if (beeperRegistered_) beeper_.reset();
    writeOffset_ = 0;
    fill_ = 0;
}

void Sound::selectAudioDriver(AudioDriver* driver) {
    driver_->close();
    driver_ = driver ? driver : &noSound_;
}

void Sound::pauseAudio() {
    audioPaused_ = true;
    driver_->pause();
}

void Sound::resumeAudio() {
    audioPaused_ = false;
    driver_->resume();
}

void Sound::stopRecording() {
    if (!recordFrame) return;
    if (finishRecording) finishRecording();
    recordFrame = nullptr;
}

void Sound::shutdownSound() {
    stopRecording();
    driver_->close();
    dcFilter_ = OnePoleFilter{50, OnePoleFilter::HighPass};
}

// The sources in the order they registered: the first renders into the frame,
// the next is added with 16-bit wrap-around. Neither scales nor clips; the
// sources' own levels are the mix.
void Sound::mix(uint32_t position, uint32_t count) {
    uint16_t* out = frame_.data() + position;
    if (psgRegistered_) {
        psg_.render(out, count);
        if (beeperRegistered_) beeper_.addTo(out, count);
    } else if (beeperRegistered_) {
        beeper_.render(out, count);
    }
}

void Sound::finishFrame() {
    dcFilter_.process(frame_.data(), frameLength_, kSoundRate);
    driver_->write(frameBuffer(), writeOffset_);
    writeOffset_ = (writeOffset_ + kFrameBytes) % kRingBytes;
    ++framesWritten_;
    if (recordFrame && recordFrame(frameBuffer())) recordedBytes_ += kFrameBytes;
    if (frameTap) frameTap(frameBuffer());
}

void Sound::updateSound(uint64_t tstates) {
    updatedTo = tstates;
    const uint32_t c = sampleClock(tstates);
    const uint32_t n = c - lastSampleClock_;
    lastSampleClock_ = c;
    if (n == 0) return;
    if (syncState_ == 0) {
        // Dropping: this interval is skipped and the sources stand still.
        syncState_ = measureLatency();
        return;
    }
    if (fill_ + n < frameLength_) {
        mix(fill_, n);
        fill_ += n;
        return;
    }
    syncState_ = measureLatency();
    mix(fill_, frameLength_ - fill_);
    finishFrame();
    const uint32_t rest = (fill_ + n) % frameLength_;
    fill_ = 0;
    if (syncState_ == 2) {
        // One extra whole frame instead of the remainder.
        mix(0, frameLength_);
        finishFrame();
        return;
    }
    // After a long gap only the remainder is rendered; the rest is skipped.
    if (rest == 0) return;
    mix(0, rest);
    fill_ = rest;
}

// How many frames the writes run ahead of the device, averaged over the last
// 14 measurements: keep it between about 2 and 3.5 frames.
int32_t Sound::measureLatency() {
    if (audioPaused_) return 0;
    const uint32_t p = driver_->position();
    if (p == kPositionUnknown) return 1;
    int32_t d = static_cast<int32_t>((static_cast<uint64_t>(writeOffset_) + kRingBytes - p) % kRingBytes);
    if (d >= static_cast<int32_t>(kRingBytes / 2)) d -= static_cast<int32_t>(kRingBytes);
    latencyHistory_[latencyIndex_] = d / static_cast<int32_t>(kFrameBytes);
    latencyIndex_ = (latencyIndex_ + 1) % kLatencyEntries;
    if (recording()) return 1;
    int32_t sum = 0;
    for (int32_t entry : latencyHistory_) sum += entry;
    const int32_t k = sum / 7;  // twice the mean
    // Moving every entry by the frame just dropped or inserted makes one
    // excursion lead to one correction, not fourteen.
    if (k > 6) {
        for (int32_t& entry : latencyHistory_) --entry;
        ++dropCount_;
        return 0;
    }
    if (k > 3) return 1;
    for (int32_t& entry : latencyHistory_) ++entry;
    ++insertCount_;
    return 2;
}

}  // namespace kestrel
