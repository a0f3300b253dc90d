// Real-time pacing of the main loop: one pass runs one frame, keeps emulated
// time in step with host time, picks presentation slots and formats the speed
// read-out every two seconds. The window's message handling stays in the front end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "video/display_options.h"

namespace kestrel {

class Machine;

// The host's high-resolution counter. Read a few times per frame, so a virtual
// call is cheap enough; tests inject a fake one.
class PacingClockSource {
public:
    virtual ~PacingClockSource() = default;
    virtual int64_t now() = 0;
    virtual int64_t frequency() const = 0;  // ticks per second
    virtual void sleepOneMillisecond() = 0;
};

// std::chrono::steady_clock in nanoseconds, std::this_thread::sleep_for.
class SteadyPacingClock final : public PacingClockSource {
public:
    int64_t now() override;
    int64_t frequency() const override;
    void sleepOneMillisecond() override;
};

// All times in counter ticks.
struct PacingClock {
    int64_t hostNow = 0;        // last counter reading
    int64_t emulatedTime = 0;   // host time up to which frames have been run
    int64_t ticksPerFrame = 0;
    int32_t ticksPerPresent = 0;
    int64_t readoutTicks = 0;   // two seconds
    int64_t nextPresent = 0;
    int64_t nextReadout = 0;
    uint32_t framesInWindow = 0;
    uint32_t presentCount = 0;
    uint32_t presentCountAtReadout = 0;
};

// The front end's switches, as one pass reads them.
struct PassSwitches {
    bool limitSpeed = true;
    bool monitorActive = false;
    bool aviRecording = false;  // every frame takes a presentation slot
};

// Filled in by the front end; unset hooks are skipped.
struct FrameDriverHooks {
    // The speed read-out, to go behind the program name in the title.
    std::function<void(const std::string&)> setReadout;
    // Bytes written so far while a WAV sound recording runs, none otherwise.
    std::function<std::optional<uint64_t>()> soundRecordingBytes;
    std::function<void()> redrawMonitor;
    // Writes the machine's current frame image to the running AVI recording.
    std::function<void()> writeAviFrame;
};

class FrameDriver {
public:
    FrameDriver() : clock_(&steady_) {}
    explicit FrameDriver(PacingClockSource& clock) : clock_(&clock) {}
    // Holds a pointer to its own default clock.
    FrameDriver(const FrameDriver&) = delete;
    FrameDriver& operator=(const FrameDriver&) = delete;

    // Once at start-up; a display rate of 0 counts as 100 Hz, a frame rate of 0 as 50 Hz.
    void setUpPacing(uint32_t displayRefreshHz, uint32_t frameHz);
    // Forgets any backlog: after a wait the next frame runs at once, without a burst.
    void resetPacing();
    // After the configuration changed the frame rate.
    void recomputeFramePeriod(uint32_t frameHz);

    // One pass of the running loop: runs a frame, paces, reads out, presents.
    // Returns the frame's FrameEvent bits; the caller acts on them after the pass:
    //  - kFrameBreakpoint: title "(Breakpoint)", monitorActive = true, running = false,
    //    redrawMonitor(). Machine::runFrame already cleared the redraw flag and
    //    re-armed the breakpoint, so this pass's presentation slot drew nothing.
    //  - kFrameQuit: post the quit message.
    //  - kFrameScreenshot: take the automatic screenshot.
    //  - kFrameTapeRecording: ask for the tape file, then answerTapeRecording.
    unsigned runPass(Machine& machine, const PassSwitches& switches, const DisplayOptions& display);

    const PacingClock& pacing() const { return pacing_; }

    FrameDriverHooks hooks;

private:
    void readOut(Machine& machine);
    static int64_t framePeriod(int64_t readoutTicks, uint32_t frameHz);

    SteadyPacingClock steady_;
    PacingClockSource* clock_;
    PacingClock pacing_;
};

}  // namespace kestrel
