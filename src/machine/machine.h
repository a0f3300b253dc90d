// One emulated computer: the processor, the bus, every device and the machine
// configurations, with no state shared between instances.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "machine/bus.h"
#include "machine/config.h"
#include "machine/joystick.h"
#include "machine/keyboard.h"
#include "machine/printer.h"
#include "machine/rom_supply.h"
#include "media/cmd_loader.h"
#include "media/cassette.h"
#include "media/fdc.h"
#include "media/tape_wav.h"
#include "media/traps.h"
#include "media/typed_text.h"
#include "sound/sound.h"
#include "video/frame_image.h"
#include "video/hires.h"
#include "video/renderer.h"
#include "video/video_state.h"
#include "z80/z80.h"

namespace kestrel {

struct MachineOptions {
    // Where the user's ROM files are; empty means none, and the open firmware and
    // open font are used without a word.
    std::filesystem::path romDirectory;
    std::FILE* diagnostics = stderr;
    // Where program loaders trace what they do (the CMD loader's load lines go
    // to traceOutput, its block lines to traceErrors).
    std::FILE* traceOutput = stdout;
    std::FILE* traceErrors = stderr;
};

// What happened at the end of a frame, for the caller to act on.
enum FrameEvent : unsigned {
    kFrameBreakpoint = 1,   // stopped in front of the breakpoint
    kFrameQuit = 2,         // quitAtTstates reached
    kFrameScreenshot = 4,   // screenshotAtTstates reached (now disarmed)
};

class Machine {
public:
    static constexpr int64_t kInitialClockHz = 1774080;

    explicit Machine(MachineOptions options = {});
    // The bus and the devices hold references into this object.
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Runs the processor for about `budget` T-states; 1 when it stopped at the
    // breakpoint, else 0.
    int runCycles(int32_t budget);

    // --- configurations and reset ---------------------------------------------------
    void initMachine();
    // The tape unit's start-up state: CAS mode on and the tape traps armed. The
    // start-up calls it once, after initMachine and after the configuration from
    // the settings has been applied; every later ROM refill keeps the traps.
    void enterCasMode();
    void configureMachine(const MachineConfig& record, bool fullReset);
    void setCpuClock(int64_t hz);
    void refreshMachineLabel();
    void setRamSize(uint32_t choice);
    void fillRam();
    void copyRoms();
    void setRamStartupPattern(uint32_t value) { ramStartupPattern_ = value; }
    uint32_t ramStartupPattern() const { return ramStartupPattern_; }
    void warmReset();
    void coldRestart();

    const MachineConfig& activeConfig() const { return configs[static_cast<size_t>(bus.activeConfigIndex)]; }
    // The T-states of one frame of the active configuration.
    int32_t frameBudget() const;

    // --- frames and pictures ----------------------------------------------------------
    // One frame and its end-of-frame duties; returns FrameEvent bits.
    unsigned runFrame();
    // Renders video RAM into `frame`, hands it to presentFrame, clears redrawPending.
    void renderFrame();
    // A new, black frame image: 1 or 8 bits per pixel, normal or giant (always 8 bits).
    void setFrameFormat(bool oneBit, bool giant);

    // Declared before the bus, which is built from references to them.
    Z80 cpu;
    Fdc fdc{cpu};
    Keyboard keyboard;
    Printer printer;
    TapeWav tape;
    Sound sound;
    HiResBoard hiRes;
    VideoState video;
    Joystick joystick;
    TypedText typedText;
    // The tape unit and the traps only keep references to the bus and the ROM
    // image declared below; they touch them on their first call.
    Cassette cassette{tape, traps, bus};
    Traps traps{cpu, bus, basicImage, typedText, cassette};
    MachineBus bus;

    std::array<MachineConfig, kConfigCount> configs;
    RomSupply roms;
    BasicImage basicImage{};
    ExpansionImage expansionImage{};
    // Files of the custom ROM choices ("BasicROMPath", "ExpansionROMPath", "CharROMPath").
    std::string basicRomPath, expansionRomPath, charRomPath;
    // The last autostarted file's name, for screenshot names; reset empties it.
    std::string imageBaseName;
    // Whether autostart starts CMD programs and types tape commands.
    bool autorun = true;
    // No frame has run since the last cold start or full reset: the firmware
    // has not set up its RAM yet, so a program cannot be started now.
    bool atPowerOn = true;
    // Runs `action` between frames once the firmware waits at its prompt (it
    // asks for a key at the hold point of the typed text), or after
    // `fallbackSeconds` of emulated time for firmware that never asks through
    // the keyboard routine. The hold is released first. Any reset cancels it.
    void startWhenReady(std::function<void(Machine&)> action, int fallbackSeconds);
    bool startPending() const { return static_cast<bool>(pendingStart_); }
    CmdLoader cmdLoader;
    std::FILE* traceOutput;
    std::FILE* traceErrors;
    // Where autostart says what went wrong (besides the status bar).
    std::FILE* diagnostics;

    Renderer renderer;
    FrameImage frame;

    uint64_t quitAtTstates = UINT64_MAX;
    uint64_t screenshotAtTstates = UINT64_MAX;

    // Filled in by the front end; not called on any hot path.
    std::function<void(const FrameImage&)> presentFrame;
    std::function<void(int part, const std::string& text)> showStatusPart;
    std::function<void(int drive)> setLitLamp;

    // A message in status-bar part 2.
    void showStatus(const std::string& text) {
        if (showStatusPart) showStatusPart(2, text);
    }

private:
    uint8_t nextFillByte();
    void runPendingStart();
    void cancelPendingStart();

    std::function<void(Machine&)> pendingStart_;
    uint64_t pendingStartDeadline_ = 0;
    uint32_t ramStartupPattern_ = 0;
    // Never reseeded: every run of the program fills RAM with the same sequence.
    std::minstd_rand fillGenerator_;
};

}  // namespace kestrel
