#include "capture/video_recording.h"

#include <algorithm>

namespace kestrel {

IoResult VideoRecording::start(std::unique_ptr<VideoEncoder> encoder, const std::string& path,
                               const FrameImage& first, uint32_t frameHz, bool sound) {
    stop();
    lastError_.clear();
    if (!encoder) return IoResult::failure("Video recording is not available in this build");
    if (frameHz == 0) frameHz = 50;
    const VideoFormat format{first.width, first.height, frameHz, sound};
    if (IoResult opened = encoder->open(path, format); !opened) return opened;
    encoder_ = std::move(encoder);
    sound_ = sound;
    frameHz_ = frameHz;
    frames_ = 0;
    path_ = path;
    lastSample_ = 0;
    pending_.clear();
    // Room for a few frames of either rate, so that no frame allocates.
    pending_.reserve(8 * (kSampleRate / 5 + 1));
    samples_.reserve(kSampleRate / 5 + 1);
    return {};
}

void VideoRecording::addSound(std::span<const int16_t> samples) {
    if (!encoder_ || !sound_) return;
    // More than a few frames behind means frames were inserted: the oldest go.
    const size_t limit = pending_.capacity() - samples.size();
    if (pending_.size() > limit) pending_.erase(pending_.begin(), pending_.begin() + (pending_.size() - limit));
    pending_.insert(pending_.end(), samples.begin(), samples.end());
}

bool VideoRecording::writeFrame(const FrameImage& picture, bool soundOn) {
    if (!encoder_) return false;
    samples_.clear();
    if (sound_) {
        // Frame n ends at sample n * rate / frameHz of the video's own clock.
        const uint64_t n = frames_;
        const auto count = static_cast<size_t>((n + 1) * kSampleRate / frameHz_ - n * kSampleRate / frameHz_);
        if (!soundOn) {
            pending_.clear();
            lastSample_ = 0;
            samples_.resize(count, 0);
        } else {
            const size_t have = std::min(count, pending_.size());
            samples_.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(have));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(have));
            if (have > 0) lastSample_ = samples_.back();
            // A dropped frame or the emulated clock running a little slow: held level, no click.
            samples_.resize(count, lastSample_);
            // Sound comes in frames of its own (a fiftieth of a second), so up to
            // one of them waits here; more would only add delay.
            const size_t keep = count + kSampleRate / 50;
            if (pending_.size() > keep)
                pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pending_.size() - keep));
        }
    }
    if (IoResult written = encoder_->write(picture, samples_); !written) {
        lastError_ = written.message;
        const IoResult finished = encoder_->finish();
        encoder_.reset();
        if (!finished) lastError_ += "; " + finished.message;
        return false;
    }
    ++frames_;
    return true;
}

IoResult VideoRecording::stop() {
    if (!encoder_) return {};
    IoResult finished = encoder_->finish();
    encoder_.reset();
    if (!finished) lastError_ = finished.message;
    return finished;
}

}  // namespace kestrel
