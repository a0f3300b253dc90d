// Records the screen, one picture per emulated frame, with the sound beside
// it. The encoding and the file format belong to an encoder the host supplies;
// this side keeps the sound in step with the pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "video/frame_image.h"

namespace kestrel {

struct VideoFormat {
    int width = 0;           // every picture is brought to this size
    int height = 0;
    uint32_t frameHz = 50;   // pictures per second
    bool sound = true;       // an audio track (16-bit mono PCM at kSampleRate)
};

// A video file being written.
class VideoEncoder {
public:
    virtual ~VideoEncoder() = default;
    virtual IoResult open(const std::string& path, const VideoFormat& format) = 0;
    // One picture and, with an audio track, the samples that play with it.
    // A failure leaves the file as it was before this frame.
    virtual IoResult write(const FrameImage& picture, std::span<const int16_t> samples) = 0;
    // Completes the file and puts it in place; playable even after a failed write.
    virtual IoResult finish() = 0;
};

class VideoRecording {
public:
    static constexpr uint32_t kSampleRate = 48000;

    VideoRecording() = default;
    ~VideoRecording() { stop(); }
    VideoRecording(const VideoRecording&) = delete;
    VideoRecording& operator=(const VideoRecording&) = delete;

    // Starts writing `path` through `encoder` at the size of `first`.
    IoResult start(std::unique_ptr<VideoEncoder> encoder, const std::string& path, const FrameImage& first,
                   uint32_t frameHz, bool sound);
    // Every finished sound frame, as the sound framework makes them.
    void addSound(std::span<const int16_t> samples);
    // One picture per emulated frame. The audio track gets exactly one frame's
    // worth of samples with it, silence while sound is off, so the two tracks
    // never drift apart. False when the recording stopped on an error (lastError).
    bool writeFrame(const FrameImage& picture, bool soundOn);
    // Completes the file; nothing to do when none is being written.
    IoResult stop();

    bool recording() const { return encoder_ != nullptr; }
    uint32_t framesWritten() const { return frames_; }
    const std::string& lastError() const { return lastError_; }
    const std::string& path() const { return path_; }

private:
    std::unique_ptr<VideoEncoder> encoder_;
    bool sound_ = false;
    uint32_t frameHz_ = 50;
    uint32_t frames_ = 0;
    std::vector<int16_t> pending_;   // made but not yet written
    std::vector<int16_t> samples_;   // one frame's, handed to the encoder
    int16_t lastSample_ = 0;
    std::string lastError_;
    std::string path_;
};

}  // namespace kestrel
