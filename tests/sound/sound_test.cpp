// The sound stream end to end: sources, clock, filter and latency control,
// against a fake device that plays at a chosen speed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sound/sound.h"

namespace kestrel {
namespace {

constexpr uint64_t kPsgHz = 1774080;
constexpr uint64_t kFrameTstates = 312ull * Sound::kLineTstates;  // one 960-sample frame

// Plays `speed` frames of the ring per emulated frame; a negative speed means
// it cannot tell its position.
struct FakeDevice final : AudioDriver {
    double speed = -1;
    double played = 0;  // bytes
    uint64_t writes = 0;
    const char* name() const override { return "fake"; }
    bool open(uint32_t, std::string&) override { return true; }
    void close() override {}
    void write(std::span<const int16_t>, uint32_t) override { ++writes; }
    void reset() override {}
    void pause() override {}
    void resume() override {}
    uint32_t position() const override {
        if (speed < 0) return kPositionUnknown;
        return static_cast<uint32_t>(std::fmod(played, kRingBytes)) & ~1u;
    }
    void advance() { played += speed * kFrameBytes; }
};

struct Rig {
    FakeDevice device;
    Sound sound;
    std::vector<int16_t> recorded;
    uint64_t frames = 0;  // emulated frames run

    Rig() {
        sound.setPsgClock(kPsgHz);
        sound.initBeeper();
        sound.initSound();
        sound.selectAudioDriver(&device);
    }
    void record() {
        sound.recordFrame = [this](std::span<const int16_t> f) {
            recorded.insert(recorded.end(), f.begin(), f.end());
            return true;
        };
    }
    void psg(std::initializer_list<std::pair<uint8_t, uint8_t>> writes) {
        for (auto [reg, value] : writes) sound.psgWrite(reg, value);
    }
    void runFrames(uint64_t count) {
        for (uint64_t i = 0; i < count; ++i) {
            sound.updateSound(++frames * kFrameTstates);
            device.advance();
        }
    }
};

TEST(Ym2149, ToneFrequencyFromThePeriodRegisters) {
    struct Case {
        uint8_t fine, coarse;
        double hz;
    };
    // hz / (16 × period); the fine register is not 0, whose substitute would stay in the period.
    const Case cases[] = {{0x80, 0x01, 288.75}, {0x1C, 0x00, 3960.0}, {0xE8, 0x03, 110.88}};
    for (const Case& c : cases) {
        Rig rig;
        rig.record();
        rig.psg({{0, c.fine}, {1, c.coarse}, {7, 0x3E}, {8, 15}});  // tone A alone
        rig.runFrames(52);  // a second from the second frame on, and the sample after it
        int crossings = 0;  // upward
        for (size_t i = 960 + 1; i < 960 + 48000 + 1; ++i) crossings += rig.recorded[i - 1] < 0 && rig.recorded[i] >= 0;
        EXPECT_NEAR(crossings, c.hz, 2.0) << int(c.fine) << "/" << int(c.coarse);
    }
    // Both period registers 0 stand for one unit; fine and coarse combine with
    // the stored value, substitute included.
    Ym2149 psg;
    psg.setClock(kPsgHz);
    psg.write(2, 0);
    psg.write(3, 0);
    EXPECT_EQ(psg.channel[1].period, 256u);
    psg.write(3, 1);
    EXPECT_EQ(psg.channel[1].period, 0x10100u);
    psg.write(6, 0);
    EXPECT_EQ(psg.noise.period, 256u);
    psg.write(11, 0);
    psg.write(12, 0);
    EXPECT_EQ(psg.envelope.period, 128);
    EXPECT_EQ(psg.toneStep, 1183u);
    EXPECT_EQ(psg.envelope.step, 37u);
}

TEST(Ym2149, EnvelopeShapes) {
    // One 32-sample cycle; the level halfway through the first three cycles.
    struct Case {
        uint8_t shape;
        int32_t mid[3];
    };
    const Case cases[] = {
        {0, {16, 0, 0}},   {4, {15, 0, 0}},    {8, {16, 16, 16}},  {10, {16, 15, 16}},
        {11, {16, 31, 31}}, {12, {15, 15, 15}}, {13, {15, 31, 31}}, {14, {15, 16, 15}},
    };
    for (const Case& c : cases) {
        Ym2149 psg;
        psg.setClock(kPsgHz);
        psg.envelope.step = 8;
        psg.write(11, 1);
        psg.write(12, 0);
        psg.write(13, c.shape);
        for (int cycle = 0; cycle < 3; ++cycle) {
            int32_t level = 0;
            for (int i = 0; i < 16; ++i) level = psg.envelope.next();
            EXPECT_EQ(level, c.mid[cycle]) << "shape " << int(c.shape) << " cycle " << cycle;
            for (int i = 0; i < 16; ++i) psg.envelope.next();
            if (c.shape == 14 && cycle == 0) {
                psg.write(13, 255);  // no restart, no new shape
                EXPECT_EQ(psg.envelope.shape, 14);
                EXPECT_EQ(psg.envelope.counter, 0);
                EXPECT_EQ(psg.envelope.direction, -1);
            }
        }
    }
}

TEST(Ym2149, NoiseIsTheSameFromEveryStart) {
    auto render = [] {
        Ym2149 psg;
        psg.setClock(kPsgHz);
        psg.write(7, 0x37);  // noise A alone
        psg.write(8, 15);
        std::vector<uint16_t> out(4800);
        psg.render(out.data(), static_cast<uint32_t>(out.size()));
        return out;
    };
    const std::vector<uint16_t> a = render();
    EXPECT_EQ(a, render());
    const auto high = std::count(a.begin(), a.end(), Ym2149::kLevels[30] >> 3);
    EXPECT_EQ(std::count(a.begin(), a.end(), 0) + high, static_cast<long>(a.size()));
    EXPECT_GT(high, 1000);
    EXPECT_LT(high, 3800);
}

TEST(Sound, BeeperEdgesLandOnTheSampleOfTheirTstate) {
    Rig rig;
    rig.record();
    const uint64_t edges[] = {1000, 7777, 20000, 33000};
    unsigned step = 0;
    for (uint64_t t : edges) {
        rig.sound.updateSound(t);
        rig.sound.setBeeperLevel(step ^= 1);
    }
    rig.runFrames(1);
    ASSERT_EQ(rig.recorded.size(), 960u);
    std::vector<size_t> found;
    for (size_t i = 1; i < 960; ++i)
        if (std::abs(rig.recorded[i] - rig.recorded[i - 1]) > 2000) found.push_back(i);
    std::vector<size_t> expected;
    for (uint64_t t : edges) expected.push_back(static_cast<size_t>(std::llround(t * 48000.0 / 1762800)));
    EXPECT_EQ(found, expected);
    EXPECT_EQ(rig.sound.beeperLevel, 0);
}

TEST(Sound, HighPassSettlesAConstantLevelAtZero) {
    OnePoleFilter filter;
    std::vector<uint16_t> block(960);
    for (int frame = 0; frame < 50; ++frame) {
        std::fill(block.begin(), block.end(), 4096);
        filter.process(block.data(), 960, 48000);
        if (frame == 0) {
            EXPECT_EQ(static_cast<int16_t>(block[0]), 4069);
        }
    }
    for (uint16_t s : block) EXPECT_EQ(s, 0);
}

TEST(Sound, LatencyControlKeepsTheLeadInsideTheWindow) {
    struct Case {
        double speed;  // device frames per emulated frame
        bool recording;
        int inserts, drops;  // expected, within the settling margin
    };
    constexpr int kFrames = 3000;
    const Case cases[] = {{1.0, false, 0, 0}, {1.03, false, 90, 0}, {0.97, false, 0, 90}, {1.05, true, 0, 0}, {0.9, true, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        Rig rig;
        rig.device.speed = c.speed;
        if (c.recording) rig.record();
        double least = kRingBytes, most = -1.0 * kRingBytes;  // bytes written ahead of the device
        for (int i = 0; i < kFrames; ++i) {
            rig.runFrames(1);
            if (i < 50) continue;  // settling
            const double lead = rig.device.writes * double(kFrameBytes) - rig.device.played;
            least = std::min(least, lead);
            most = std::max(most, lead);
        }
        if (!c.recording) {
            EXPECT_GE(least, 1.0 * kFrameBytes);
            EXPECT_LE(most, 5.0 * kFrameBytes);
        }
        EXPECT_NEAR(static_cast<double>(rig.sound.insertCount()), c.inserts, 6);
        EXPECT_NEAR(static_cast<double>(rig.sound.dropCount()), c.drops, 6);
        if (c.recording) {
            EXPECT_EQ(rig.device.writes, uint64_t{kFrames});
            EXPECT_EQ(rig.sound.recordedBytes(), kFrames * kFrameBytes);
            EXPECT_EQ(rig.recorded.size(), kFrames * kFrameSamples);
        }
    }
}

TEST(Sound, PausedAudioRendersNothingUntilResumedAndReevaluated) {
    Rig rig;
    rig.sound.updateSound(kFrameTstates / 2);
    rig.sound.pauseAudio();
    rig.runFrames(3);  // completes the frame in progress, then nothing
    EXPECT_EQ(rig.device.writes, 1u);
    rig.sound.resumeAudio();
    rig.runFrames(1);  // re-evaluates only
    EXPECT_EQ(rig.device.writes, 1u);
    rig.runFrames(1);
    EXPECT_EQ(rig.device.writes, 2u);
}

}  // namespace
}  // namespace kestrel
