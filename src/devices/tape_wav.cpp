#include "devices/tape_wav.h"

#include <algorithm>

#include "formats/wav.h"

namespace kestrel {

namespace {

// The output levels by the new value of port 0xFF bits 0-1.
constexpr uint8_t kOutputLevel[4] = {0x46, 0x80, 0xBA, 0x80};
// Recorded samples go to the file in pieces of this size.
constexpr std::size_t kFlushBytes = 64 * 1024;

}  // namespace

IoResult TapeWav::attachWav(const std::string& path, int64_t clockHz) {
    closeWav();
    std::vector<uint8_t> bytes;
    if (IoResult read = readWholeFile(path, kMaxWavFile, bytes); !read) return read;
    WavAudio audio;
    if (IoResult parsed = parseWav(bytes, audio); !parsed) return IoResult::failure(path + ": " + parsed.message);
    const std::vector<int16_t> at = resample(audio.samples, audio.rate, kRate);
    samples_.resize(at.size());
    std::transform(at.begin(), at.end(), samples_.begin(),
                   [](int16_t s) { return static_cast<uint8_t>((s >> 8) + 128); });
    setClock(clockHz);
    samplesPerTState_ = static_cast<double>(kRate) / static_cast<double>(clockHz_);
    input_ = true;
    cassetteLatch = 0;
    rewindWav();
    if (trace) {
        std::fprintf(trace, "WAV. Resolution: %i\n", static_cast<int>(audio.bits));
        std::fprintf(trace, "WAV. Samples per second: %i\n", static_cast<int>(audio.rate));
        std::fprintf(trace, "WAV. Samples per clk: %f\n", samplesPerTState_);
        std::fprintf(trace, "WAV. Data offset: %u\n", static_cast<unsigned>(kWavHeaderBytes));
    }
    return {};
}

IoResult TapeWav::createWav(const std::string& path, uint64_t now) {
    closeWav();
    cassetteLatch = 0;
    if (IoResult opened = file_.open(path); !opened) return opened;
    if (IoResult header = file_.append(wavHeader(kRate, 1, 8, 0)); !header) {
        file_.abandon();
        return header;
    }
    recording_ = true;
    written_ = 0;
    pending_.clear();
    recordingError_.clear();
    // The first level written covers the time from here, not from whenever
    // the output last changed.
    lastLevelChange_ = now;
    return {};
}

void TapeWav::flushOutput() {
    if (pending_.empty() || !recording_) return;
    if (IoResult appended = file_.append(pending_); !appended) {
        // Stop here: what reached the file so far is kept, with a valid header.
        recordingError_ = appended.message;
        written_ -= pending_.size();
        pending_.clear();
        closeWav();
        return;
    }
    pending_.clear();
}

IoResult TapeWav::closeWav() {
    cassetteLatch = 0;
    input_ = false;
    samples_ = {};
    if (!recording_) return recordingError_.empty() ? IoResult{} : IoResult::failure(recordingError_);
    // A short pause at the end, then the sizes into the header.
    if (recordingError_.empty()) {
        pending_.insert(pending_.end(), 32, 0x80);
        written_ += 32;
        flushOutput();
    }
    recording_ = false;
    const uint32_t dataBytes = static_cast<uint32_t>(std::min<uint64_t>(written_, UINT32_MAX - 64));
    const std::vector<uint8_t> header = wavHeader(kRate, 1, 8, dataBytes);
    IoResult done = file_.writeAt(0, header);
    if (done) done = file_.commit();
    else file_.abandon();
    if (!done && recordingError_.empty()) recordingError_ = done.message;
    return recordingError_.empty() ? IoResult{} : IoResult::failure(recordingError_);
}

void TapeWav::rewindWav() {
    resetSampleDetector();
}

uint32_t TapeWav::wavDataSize() const {
    if (input_) return static_cast<uint32_t>(samples_.size());
    return static_cast<uint32_t>(std::min<uint64_t>(written_, UINT32_MAX));
}

void TapeWav::resetSampleDetector() {
    sampleIndex_ = 0;
    previousSample_ = 0;
    previousDelta_ = 0;
}

void TapeWav::setRunning(bool on, uint64_t now) {
    if (on && !running_) {
        // Playback goes on at the sample where it stopped.
        const uint64_t played = samplesPerTState_ > 0 ? static_cast<uint64_t>(sampleIndex_ / samplesPerTState_) : 0;
        origin_ = now - std::min(now, played);
    }
    running_ = on;
}

void TapeWav::advanceInput(uint64_t now) {
    const uint64_t elapsed = now >= origin_ ? now - origin_ : 0;
    const double wanted = (static_cast<double>(elapsed) + 0.5) * samplesPerTState_;
    const uint64_t target = std::min<uint64_t>(static_cast<uint64_t>(wanted), samples_.size());
    while (sampleIndex_ < target) {
        const int s = samples_[sampleIndex_] ^ invertMask;
        const int d = s - previousSample_;
        bool peak = false;
        if (d <= 0 && previousDelta_ > 0) {
            peakValue_ = previousSample_;
            peak = true;
        }
        if ((d > 0 || (d == 0 && !peak)) && previousDelta_ < 0) {
            troughValue_ = previousSample_;
            if (triggerLevel < peakValue_ - troughValue_) cassetteLatch = 1;
        }
        previousSample_ = s;
        previousDelta_ = d;
        ++sampleIndex_;
    }
}

void TapeWav::tapeOutputWrite(uint64_t now, uint8_t value) {
    if (input_ && running_) advanceInput(now);
    cassetteLatch = 0;
    const uint8_t bits = value & 0x03;
    if (bits == outputBits_) return;
    outputBits_ = bits;
    if (recording_ && running_) {
        const uint64_t count = ((now - std::min(now, lastLevelChange_) + 20) * kRate) / static_cast<uint64_t>(clockHz_);
        pending_.insert(pending_.end(), count, kOutputLevel[bits]);
        written_ += count;
        if (pending_.size() >= kFlushBytes) flushOutput();
    }
    lastLevelChange_ = now;
}

}  // namespace kestrel
