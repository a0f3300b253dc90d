#include "host/sdl_audio.h"
#include "io/file_io.h"
#include "machine/machine.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestrel {
namespace {

bool hasAudioDriver(const char* wanted) {
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        if (std::string(SDL_GetAudioDriver(i)) == wanted) return true;
    }
    return false;
}

TEST(SdlAudio, OpenWithAnUnknownDriverFailsWithTheReason) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlAudioDriver driver;
    std::string error;
    EXPECT_FALSE(driver.open(kSoundRate, error));
    EXPECT_FALSE(error.empty());
    driver.close();
}

// A 1000 Hz square wave written into the whole ring (a second of sound, so
// the player cannot run past it however this thread is held up) comes out of
// the device as that tone.
TEST(SdlAudio, PlaysTheRingAtThePositionItReports) {
    if (!hasAudioDriver("disk")) GTEST_SKIP() << "this SDL has no disk audio driver";
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("kestrel-sdl-audio-" + std::to_string(getpid()) + ".raw")).string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);

    std::array<int16_t, kFrameSamples> frame{};
    for (uint32_t i = 0; i < kFrameSamples; ++i) frame[i] = (i % 48) < 24 ? 8000 : -8000;

    SdlAudioDriver driver;
    std::string error;
    ASSERT_TRUE(driver.open(kSoundRate, error)) << error;
    EXPECT_GT(driver.deviceBufferSamples(), 0u);
    for (uint32_t offset = 0; offset < kRingBytes; offset += kFrameBytes) driver.write(frame, offset);
    uint32_t last = driver.position(), played = 0;
    // Until 0.6 s have been played; bounded so a stalled device fails instead of hanging.
    for (int step = 0; step < 5000 && played < kSoundRate * 2 * 6 / 10; ++step) {
        const uint32_t position = driver.position();
        ASSERT_LT(position, kRingBytes);
        played += (position + kRingBytes - last) % kRingBytes;
        last = position;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    driver.close();
    EXPECT_GE(played, kSoundRate * 2 * 6 / 10);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(file, 1 << 24, bytes));
    std::filesystem::remove(file);
    // 0.4 s from 0.1 s in, past any silence before the first frame arrived.
    const uint32_t from = kSoundRate / 10, count = kSoundRate * 4 / 10;
    ASSERT_GE(bytes.size(), 2u * (from + count));
    auto sample = [&](uint32_t i) { return static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8); };
    uint32_t crossings = 0;
    for (uint32_t i = from + 1; i < from + count; ++i) crossings += (sample(i) < 0) != (sample(i - 1) < 0);
    const double hertz = crossings / 2.0 / 0.4;
    EXPECT_NEAR(hertz, 1000.0, 20.0);
}

// The machine itself through the device: a program that switches the
// cassette output bits at 1003 Hz, run frame by frame at the pace of real
// time, is heard as that tone.
TEST(SdlAudio, TheMachinesCassetteOutputIsHeard) {
    if (!hasAudioDriver("disk")) GTEST_SKIP() << "this SDL has no disk audio driver";
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("kestrel-sdl-machine-" + std::to_string(getpid()) + ".raw")).string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    MachineOptions o;
    o.diagnostics = nullptr;
    Machine m(o);
    m.startUp();
    // DI; loop: LD A,1; OUT (FFh),A; LD B,66; DJNZ $; LD A,2; OUT (FFh),A; LD B,66; DJNZ $; JR loop
    static constexpr uint8_t kTone[] = {0xF3, 0x3E, 0x01, 0xD3, 0xFF, 0x06, 0x42, 0x10, 0xFE, 0x3E,
                                        0x02, 0xD3, 0xFF, 0x06, 0x42, 0x10, 0xFE, 0x18, 0xEE};
    m.loadMemory(0x5000, kTone);
    m.setProgramCounter(0x5000);

    SdlAudioDriver driver;
    std::string error;
    ASSERT_TRUE(driver.open(kSoundRate, error)) << error;
    m.startSound(&driver);
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 1; frame <= 60; ++frame) {
        m.runFrame();
        std::this_thread::sleep_until(start + std::chrono::milliseconds(20 * frame));
    }
    m.stopSound();
    driver.close();

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(file, 1 << 24, bytes));
    std::filesystem::remove(file);
    // Half a second from 0.4 s in. The latency control may add a frame of
    // steady level or leave one out; the typical distance between zero
    // crossings is still half the tone's period.
    const uint32_t from = kSoundRate * 4 / 10, count = kSoundRate / 2;
    ASSERT_GE(bytes.size(), 2u * (from + count));
    auto sample = [&](uint32_t i) { return static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8); };
    std::vector<uint32_t> gaps;
    for (uint32_t i = from + 1, last = from; i < from + count; ++i) {
        if ((sample(i) < 0) == (sample(i - 1) < 0)) continue;
        gaps.push_back(i - last);
        last = i;
    }
    ASSERT_GT(gaps.size(), 100u);
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<long>(gaps.size() / 2), gaps.end());
    EXPECT_NEAR(kSoundRate / 2.0 / gaps[gaps.size() / 2], 1003.0, 50.0);
}

}  // namespace
}  // namespace kestrel
