// The sound beside the pictures: exactly one frame's samples per picture,
// whatever size the sound comes in, silence while sound is off.
#include <gtest/gtest.h>

#include <numeric>

#include "capture/video_recording.h"

namespace kestrel {
namespace {

struct CountingEncoder final : VideoEncoder {
    std::vector<size_t>* counts;
    std::vector<int16_t>* samples;
    int failAt;
    CountingEncoder(std::vector<size_t>& c, std::vector<int16_t>& s, int fail) : counts(&c), samples(&s), failAt(fail) {}
    IoResult open(const std::string&, const VideoFormat&) override { return {}; }
    IoResult write(const FrameImage&, std::span<const int16_t> frame) override {
        if (static_cast<int>(counts->size()) == failAt) return IoResult::failure("disk full");
        counts->push_back(frame.size());
        samples->insert(samples->end(), frame.begin(), frame.end());
        return {};
    }
    IoResult finish() override { return {}; }
};

TEST(VideoRecording, TheSoundTrackKeepsPaceWithThePictures) {
    struct Case {
        uint32_t frameHz;
        int soundOffFrom, soundOffTo;  // frames recorded with sound switched off
        bool sound;
    };
    const Case cases[] = {{50, -1, -1, true}, {60, 100, 200, true}, {7, -1, -1, true}, {50, -1, -1, false}};
    const FrameImage picture = FrameImage::create(512, 384, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frameHz);
        std::vector<size_t> counts;
        std::vector<int16_t> samples;
        VideoRecording video;
        ASSERT_TRUE(video.start(std::make_unique<CountingEncoder>(counts, samples, -1), "x.avi", picture, c.frameHz,
                                c.sound));
        // Sound frames of 960 samples, made at the pictures' pace but in
        // lumps of their own; each sample carries its own number.
        const int frames = 3000;
        std::vector<int16_t> lump(960);
        uint64_t made = 0;
        for (int f = 0; f < frames; ++f) {
            while ((made + 960) * c.frameHz <= static_cast<uint64_t>(f + 1) * 48000) {
                for (int16_t& s : lump) s = static_cast<int16_t>(++made % 30000 + 1);
                video.addSound(lump);
            }
            const bool on = f < c.soundOffFrom || f >= c.soundOffTo;
            ASSERT_TRUE(video.writeFrame(picture, on));
        }
        const uint64_t total = std::accumulate(counts.begin(), counts.end(), uint64_t{0});
        EXPECT_EQ(total, c.sound ? uint64_t{frames} * 48000 / c.frameHz : 0u);
        EXPECT_EQ(video.framesWritten(), static_cast<uint32_t>(frames));
        if (!c.sound) continue;
        // Silence exactly while sound was off; the sound never lags by more than one sound frame.
        for (int f = 1; f < frames; ++f) {
            const size_t end = static_cast<size_t>(uint64_t{static_cast<uint64_t>(f)} * 48000 / c.frameHz);
            const int16_t s = samples[end - 1];
            if (f > c.soundOffFrom && f <= c.soundOffTo) {
                EXPECT_EQ(s, 0) << f;
            } else if (f > 2 && (c.soundOffTo < 0 || f > c.soundOffTo + 2)) {
                EXPECT_LE(static_cast<int64_t>(end % 30000) - s, 960) << f;
            }
        }
    }
}

TEST(VideoRecording, AFailedWriteEndsTheRecording) {
    std::vector<size_t> counts;
    std::vector<int16_t> samples;
    VideoRecording video;
    const FrameImage picture = FrameImage::create(512, 384, 8);
    ASSERT_TRUE(video.start(std::make_unique<CountingEncoder>(counts, samples, 5), "x.avi", picture, 50, true));
    for (int f = 0; f < 5; ++f) EXPECT_TRUE(video.writeFrame(picture, true));
    EXPECT_FALSE(video.writeFrame(picture, true));
    EXPECT_FALSE(video.recording());
    EXPECT_EQ(video.lastError(), "disk full");
    EXPECT_EQ(video.framesWritten(), 5u);
    EXPECT_FALSE(video.writeFrame(picture, true));
}

}  // namespace
}  // namespace kestrel
