#include "session/frame_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "machine/machine.h"

namespace kestrel {

int64_t SteadyPacingClock::now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t SteadyPacingClock::frequency() const { return 1'000'000'000; }

void SteadyPacingClock::sleepOneMillisecond() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

int64_t FrameDriver::framePeriod(int64_t readoutTicks, uint32_t frameHz) {
    const int64_t divisor = frameHz == 0 ? 100 : 2 * static_cast<int64_t>(frameHz);
    return readoutTicks / divisor;
}

void FrameDriver::setUpPacing(uint32_t displayRefreshHz, uint32_t frameHz) {
    const int64_t frequency = clock_->frequency();
    pacing_.ticksPerPresent = static_cast<int32_t>(frequency / (displayRefreshHz == 0 ? 100 : displayRefreshHz));
    pacing_.readoutTicks = 2 * frequency;
    pacing_.ticksPerFrame = framePeriod(pacing_.readoutTicks, frameHz);
    resetPacing();
}

void FrameDriver::resetPacing() {
    pacing_.hostNow = clock_->now();
    pacing_.framesInWindow = pacing_.presentCount = pacing_.presentCountAtReadout = 0;
    pacing_.nextPresent = pacing_.emulatedTime = pacing_.hostNow;
    pacing_.nextReadout = pacing_.hostNow + pacing_.readoutTicks;
}

void FrameDriver::recomputeFramePeriod(uint32_t frameHz) {
    pacing_.ticksPerFrame = framePeriod(pacing_.readoutTicks, frameHz);
    resetPacing();
}

void FrameDriver::readOut(Machine& machine) {
    PacingClock& p = pacing_;
    p.nextReadout += p.readoutTicks;
    const auto frameHz = static_cast<int32_t>(std::max<uint32_t>(machine.activeConfig().frameHz, 1));
    char text[96];
    std::snprintf(text, sizeof text, "%1.3f Mhz CPU at %d%% (%d Hz video)",
                  static_cast<double>(machine.processor().clockHz) / 1e6,
                  static_cast<int32_t>(p.framesInWindow * 50) / frameHz,
                  static_cast<int>((p.presentCount - p.presentCountAtReadout) >> 1));
    if (hooks.setReadout) hooks.setReadout(text);
    if (hooks.soundRecordingBytes) {
        if (const std::optional<uint64_t> bytes = hooks.soundRecordingBytes()) {
            std::snprintf(text, sizeof text, "Saving to WAV: %6.1f kbyte so far...",
                          static_cast<double>(*bytes) / 1024.0);
            machine.showStatus(text);
        }
    }
    p.framesInWindow = 0;
    p.presentCountAtReadout = p.presentCount;
}

unsigned FrameDriver::runPass(Machine& machine, const PassSwitches& switches, const DisplayOptions& display) {
    PacingClock& p = pacing_;
    const unsigned events = machine.runFrame();

    // Tested before emulatedTime advances, so finished frames lead host time by
    // at most two periods; a backlog (emulatedTime behind) runs without sleeping.
    p.hostNow = clock_->now();
    if (switches.limitSpeed) {
        while (p.emulatedTime - p.hostNow >= p.ticksPerFrame) {
            clock_->sleepOneMillisecond();
            p.hostNow = clock_->now();
        }
    }

    p.framesInWindow += 1;
    if (p.nextReadout <= p.hostNow) readOut(machine);

    // At most one slot per pass, so never more than one presentation per frame.
    if (p.nextPresent <= p.hostNow || switches.aviRecording) {
        if (switches.monitorActive) {
            if (hooks.redrawMonitor) hooks.redrawMonitor();
        } else if (machine.screenChanged()) {
            machine.renderFrame(display);
        }
        p.presentCount += 1;
        p.nextPresent += p.ticksPerPresent;
        if (switches.aviRecording && hooks.writeAviFrame) hooks.writeAviFrame();
    }

    p.emulatedTime += p.ticksPerFrame;
    return events;
}

}  // namespace kestrel
