#include "capture/sound_recording.h"

#include <gtest/gtest.h>

#include "formats/wav.h"
#include "scratch_files.h"

using namespace kestrel;
using kestrel::test::ScratchDir;

namespace {

// A frame of 960 samples that differs from frame to frame.
std::vector<int16_t> frame(int n) {
    std::vector<int16_t> f(960);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<int16_t>(n * 1000 - static_cast<int>(i) * 37);
    return f;
}

// The file as it should read back: header sizes, format and samples.
void expectRecording(const std::string& path, int frames) {
    const std::vector<uint8_t> file = test::readFile(path);
    const uint32_t dataBytes = static_cast<uint32_t>(frames) * 1920;
    ASSERT_EQ(file.size(), 44u + dataBytes);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 44), wavHeader(48000, 1, 16, dataBytes));
    WavAudio audio;
    ASSERT_TRUE(parseWav(file, audio));
    std::vector<int16_t> expected;
    for (int n = 0; n < frames; ++n) {
        const auto f = frame(n);
        expected.insert(expected.end(), f.begin(), f.end());
    }
    EXPECT_EQ(audio.samples, expected);
}

}  // namespace

TEST(SoundRecording, WritesEveryFrameAndFinishesTheHeader) {
    ScratchDir dir;
    for (int frames : {0, 1, 50}) {
        const std::string path = dir.file("sound" + std::to_string(frames) + ".wav");
        SoundRecording rec;
        ASSERT_TRUE(rec.start(path));
        EXPECT_TRUE(rec.recording());
        for (int n = 0; n < frames; ++n) ASSERT_TRUE(rec.writeFrame(frame(n)));
        EXPECT_EQ(rec.bytes(), frames * 1920u);
        ASSERT_TRUE(rec.stop());
        EXPECT_FALSE(rec.recording());
        EXPECT_FALSE(rec.writeFrame(frame(0)));
        expectRecording(path, frames);
    }

    // A second recording counts from 0; one left running is finished on destruction.
    const std::string path = dir.file("again.wav");
    {
        SoundRecording rec;
        ASSERT_TRUE(rec.start(dir.file("first.wav")));
        ASSERT_TRUE(rec.writeFrame(frame(0)));
        ASSERT_TRUE(rec.start(path));
        EXPECT_EQ(rec.bytes(), 0u);
        ASSERT_TRUE(rec.writeFrame(frame(0)));
        ASSERT_TRUE(rec.writeFrame(frame(1)));
    }
    expectRecording(dir.file("first.wav"), 1);
    expectRecording(path, 2);

    SoundRecording rec;
    EXPECT_FALSE(rec.start(dir.file("nodir/x.wav")));
    EXPECT_FALSE(rec.recording());
    EXPECT_FALSE(rec.lastError().empty());
}

TEST(SoundRecording, AFailedWriteKeepsTheFramesBefore) {
    ScratchDir dir;
    const std::string path = dir.file("full.wav");
    SoundRecording rec;
    ASSERT_TRUE(rec.start(path));
    int written = 0;
    {
        test::FileSizeLimit limit(8192);
        while (written < 10 && rec.writeFrame(frame(written))) ++written;
    }
    EXPECT_EQ(written, 4);  // 44 + 4 * 1920 bytes fit in 8192
    EXPECT_FALSE(rec.recording());
    EXPECT_NE(rec.lastError().find("Cannot write " + path), std::string::npos) << rec.lastError();
    expectRecording(path, written);
}
