#include "session/frame_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine_peer.h"
#include "quiet_machine.h"

namespace kestrel {
namespace {

// A microsecond counter that only moves when slept on (or when a frame costs time).
struct FakeClock final : PacingClockSource {
    int64_t t = 0;
    int sleeps = 0;
    int64_t now() override { return t; }
    int64_t frequency() const override { return 1'000'000; }
    void sleepOneMillisecond() override {
        t += 1000;
        ++sleeps;
    }
};

struct Rig {
    FakeClock clock;
    FrameDriver driver{clock};
    // Quiet: frames of NOPs sweep the watched addresses.
    std::unique_ptr<Machine> m = std::make_unique<Machine>(test::quietMachineOptions());
    std::vector<std::string> readouts;
    int renders = 0;
    Rig() {
        driver.hooks.setReadout = [this](const std::string& s) { readouts.push_back(s); };
        m->presentFrame = [this](const FrameImage&) { ++renders; };
    }
    DisplayOptions display;
};

// With frames that take no host time, pass k >= 3 starts at reset + (k-3) * 20000
// + 1000 (the 1-ms sleep that first drops the lead below one period).
TEST(FrameDriverTest, LimitedSpeedHoldsFiftyFramesPerSecondAndMakesUpStalls) {
    Rig r;
    r.driver.setUpPacing(60, 50);
    int inWindow = 0;
    for (int k = 1; k <= 250; ++k) {
        if (r.clock.t >= 2'000'000 && r.clock.t < 4'000'000) ++inWindow;
        r.driver.runPass(*r.m, {}, r.display);
    }
    EXPECT_EQ(inWindow, 100);
    // The second read-out covers passes 103..202: 100 frames, each presented.
    ASSERT_GE(r.readouts.size(), 2u);
    EXPECT_EQ(r.readouts[1], "1.774 Mhz CPU at 100% (50 Hz video)");

    // Lead before the stall: 39000. A 5-s stall leaves it at -4961000; 250 frames
    // run back to back before it reaches one period again.
    r.clock.t += 5'000'000;
    int unslept = 0;
    for (const int sleepsBefore = r.clock.sleeps; unslept < 1000; ++unslept) {
        r.driver.runPass(*r.m, {}, r.display);
        if (r.clock.sleeps != sleepsBefore) break;
    }
    EXPECT_EQ(unslept, 250);

    // The same stall forgotten by resetPacing: one frame at once, then sleeps.
    r.clock.t += 5'000'000;
    r.driver.resetPacing();
    const int sleeps = r.clock.sleeps;
    r.driver.runPass(*r.m, {}, r.display);
    EXPECT_EQ(r.clock.sleeps, sleeps);
    r.driver.runPass(*r.m, {}, r.display);
    EXPECT_GT(r.clock.sleeps, sleeps);
}

TEST(FrameDriverTest, UnlimitedSpeedPresentsAtTheDisplayRateOnly) {
    Rig r;
    r.m->setLitLamp = [&r](int) { r.clock.t += 1000; };  // each frame costs 1 ms
    inside(*r.m).bus.redrawPending = false;
    const PassSwitches fast{.limitSpeed = false};
    r.driver.setUpPacing(60, 50);  // a slot every 16666 ticks
    for (int k = 0; k < 1000; ++k) r.driver.runPass(*r.m, fast, r.display);
    EXPECT_EQ(r.clock.sleeps, 0);
    // Slots at 0, 16666, ..., 999960: 61 within the first second.
    EXPECT_EQ(r.driver.pacing().presentCount, 61u);
    EXPECT_EQ(r.renders, 0);  // nothing to redraw

    // Next slot at 1016626: a pending redraw waits for it, then renders once.
    inside(*r.m).bus.redrawPending = true;
    r.driver.runPass(*r.m, fast, r.display);
    EXPECT_EQ(r.renders, 0);
    for (int k = 0; k < 20; ++k) r.driver.runPass(*r.m, fast, r.display);
    EXPECT_EQ(r.renders, 1);
    EXPECT_FALSE(inside(*r.m).bus.redrawPending);

    // An AVI recording takes a slot, and writes a frame, every pass.
    int aviFrames = 0;
    r.driver.hooks.writeAviFrame = [&] { ++aviFrames; };
    const uint32_t before = r.driver.pacing().presentCount;
    for (int k = 0; k < 10; ++k) r.driver.runPass(*r.m, {.limitSpeed = false, .aviRecording = true}, r.display);
    EXPECT_EQ(aviFrames, 10);
    EXPECT_EQ(r.driver.pacing().presentCount - before, 10u);
}

TEST(FrameDriverTest, PeriodsFallBackAndFollowTheFrameRate) {
    Rig r;
    r.driver.setUpPacing(0, 0);  // 100 Hz display, divisor 100
    EXPECT_EQ(r.driver.pacing().ticksPerPresent, 10000);
    EXPECT_EQ(r.driver.pacing().ticksPerFrame, 20000);

    r.clock.t = 777'000;
    r.driver.setUpPacing(60, 50);
    r.driver.runPass(*r.m, {}, r.display);
    inside(*r.m).configs[static_cast<size_t>(inside(*r.m).bus.activeConfigIndex)].frameHz = 60;
    r.driver.recomputeFramePeriod(60);
    EXPECT_EQ(r.driver.pacing().ticksPerFrame, 16666);  // 2000000 / 120
    EXPECT_EQ(r.driver.pacing().nextReadout, 2'777'000);  // re-based

    // Second read-out: passes 123..242, 120 frames, all presented: 120 * 50 / 60.
    for (int k = 0; k < 250; ++k) r.driver.runPass(*r.m, {}, r.display);
    ASSERT_GE(r.readouts.size(), 2u);
    EXPECT_EQ(r.readouts[1], "1.774 Mhz CPU at 100% (60 Hz video)");
}

}  // namespace
}  // namespace kestrel
