// Records the mixed sound, as it goes to the audio driver, into a WAV file:
// 16-bit signed mono at 48000 samples per second.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

class SoundRecording {
public:
    static constexpr uint32_t kRate = 48000;

    SoundRecording() = default;
    // A recording still running is finished, so quitting during one still
    // leaves a playable file.
    ~SoundRecording() { stop(); }
    SoundRecording(const SoundRecording&) = delete;
    SoundRecording& operator=(const SoundRecording&) = delete;

    // Starts a new file at `path` (finishing any recording still running).
    IoResult start(const std::string& path);
    // Appends one frame of samples. On failure the recording ends with the
    // frames written before, and lastError() says why.
    bool writeFrame(std::span<const int16_t> samples);
    // Fills in the header's sizes and puts the file in place.
    IoResult stop();

    bool recording() const { return recording_; }
    // Sample bytes written so far (kept after the recording ends).
    uint64_t bytes() const { return bytes_; }
    const std::string& lastError() const { return lastError_; }
    // The file of the last recording started.
    const std::string& path() const { return path_; }

private:
    AtomicFileWriter file_;
    bool recording_ = false;
    uint64_t bytes_ = 0;
    std::string lastError_;
    std::string path_;
    std::vector<uint8_t> buffer_;
};

}  // namespace kestrel
