#include "capture/sound_recording.h"

#include "formats/wav.h"

namespace kestrel {

namespace {

// The data size field is 32 bits and the RIFF size adds the 36 header bytes
// after it.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kWavHeaderBytes - 8);
// One sound frame: 960 samples of two bytes.
constexpr std::size_t kFrameBytes = 1920;

}  // namespace

IoResult SoundRecording::start(const std::string& path) {
    stop();
    bytes_ = 0;
    lastError_.clear();
    buffer_.reserve(kFrameBytes);
    IoResult r = file_.open(path);
    if (r) r = file_.append(wavHeader(kRate, 1, 16, 0));
    if (!r) {
        file_.abandon();
        lastError_ = r.message;
        return r;
    }
    recording_ = true;
    path_ = path;
    return r;
}

bool SoundRecording::writeFrame(std::span<const int16_t> samples) {
    if (!recording_) return false;
    if (bytes_ + samples.size() * 2 > kMaxDataBytes) {
        lastError_ = "The WAV file is full";
        if (IoResult s = stop(); !s) lastError_ += "; " + s.message;
        return false;
    }
    // The buffer keeps its size from frame to frame, so a frame costs no
    // allocation; one append per frame keeps the file to whole frames.
    buffer_.resize(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<uint16_t>(samples[i]);
        buffer_[2 * i] = static_cast<uint8_t>(v);
        buffer_[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    if (IoResult r = file_.append(buffer_); !r) {
        lastError_ = r.message;
        if (IoResult s = stop(); !s) lastError_ += "; " + s.message;
        return false;
    }
    bytes_ += samples.size() * 2;
    return true;
}

IoResult SoundRecording::stop() {
    if (!recording_) return {};
    recording_ = false;
    IoResult r = file_.writeAt(0, wavHeader(kRate, 1, 16, static_cast<uint32_t>(bytes_)));
    if (r) r = file_.commit();
    file_.abandon();
    if (!r && lastError_.empty()) lastError_ = r.message;
    return r;
}

}  // namespace kestrel
