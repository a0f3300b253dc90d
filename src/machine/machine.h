// One emulated computer: the processor, the bus, every device and the machine
// configurations, with no state shared between instances. Callers drive it
// through the operations below; the devices themselves stay inside.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devices/cassette.h"
#include "devices/fdc.h"
#include "devices/joystick.h"
#include "devices/keyboard.h"
#include "devices/printer.h"
#include "devices/typed_text.h"
#include "formats/cmd_format.h"
#include "io/file_io.h"
#include "machine/bus.h"
#include "machine/config.h"
#include "machine/rom_supply.h"
#include "machine/traps.h"
#include "sound/audio_driver.h"
#include "sound/sound.h"
#include "video/display_options.h"
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
    kFrameBreakpoint = 1,      // stopped in front of the breakpoint
    kFrameQuit = 2,            // quitAt reached
    kFrameScreenshot = 4,      // screenshotAt reached (now disarmed)
    kFrameTapeRecording = 8,   // the ROM waits at its write-leader trap for answerTapeRecording
};

class Machine {
public:
    static constexpr int64_t kInitialClockHz = 1774080;

    explicit Machine(MachineOptions options = {});
    // The bus and the devices hold references into this object.
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // --- start-up, configurations and reset -------------------------------------------
    // The program's start-up: power-on, then configuration `index` (with
    // `record` for it, when given) applied with a full reset unless it is the
    // untouched first one, then CAS mode.
    void startUp(int index = 0, const MachineConfig* record = nullptr);
    // Power-on with the first standard configuration.
    void initMachine();
    // The tape unit's start-up state: CAS mode on and the tape traps armed. The
    // start-up calls it once, after initMachine and after the configuration from
    // the settings has been applied; every later ROM refill keeps the traps.
    void enterCasMode();
    // Makes configuration `index` the active one and applies it; a full reset
    // also reloads the ROMs, refills RAM and resets the processor.
    void selectConfiguration(int index, bool fullReset = true);
    int activeConfigIndex() const { return bus_.activeConfigIndex; }
    const MachineConfig& activeConfig() const { return configs_[static_cast<size_t>(bus_.activeConfigIndex)]; }
    const MachineConfig& configuration(int index) const { return configs_[static_cast<size_t>(index)]; }
    // Takes effect with the next selectConfiguration of that index.
    void setConfiguration(int index, const MachineConfig& record) { configs_[static_cast<size_t>(index)] = record; }
    // Files of the custom ROM choices ("BasicROMPath", "ExpansionROMPath", "CharROMPath").
    void setCustomRomFiles(std::string basic, std::string expansion, std::string characters);
    void setRamStartupPattern(uint32_t value) { ramStartupPattern_ = value; }
    // RAM size choice 0 (16 KB) or 1 (48 KB) now, RAM refilled with the
    // start-up pattern; the configuration record keeps its own.
    void setRamSize(uint32_t choice);
    uint32_t ramStartupPattern() const { return ramStartupPattern_; }
    // The configuration dialog sets a chosen clock at once, without a full reset.
    void setCpuClock(int64_t hz);
    // The machine's short label into status-bar part 0.
    void refreshMachineLabel();
    void warmReset();
    void coldRestart();
    // No frame has run since the last cold start or full reset: the firmware
    // has not set up its RAM yet, so a program cannot be started now.
    bool atPowerOn() const { return atPowerOn_; }
    // The machine has long been running (a snapshot was put in).
    void markStarted() { atPowerOn_ = false; }

    // --- running ------------------------------------------------------------------------
    // One frame and its end-of-frame duties; returns FrameEvent bits.
    unsigned runFrame();
    // Runs the processor for about `budget` T-states (0: one instruction);
    // 1 when it stopped at the breakpoint, else 0.
    int runCycles(int32_t budget);
    // One instruction even on the breakpoint (the monitor's single step).
    void stepInstruction();
    // The T-states of one frame of the active configuration.
    int32_t frameBudget() const;
    const Z80State& processor() const { return cpu_; }
    uint64_t tstates() const { return cpu_.tstates; }
    // Registers only (AF to IY, SP, PC, the alternate set, I, R, IFF1/2 and the
    // interrupt mode); T-states, clock, interrupt lines and breakpoint stay.
    void setRegisters(const Z80State& registers);
    void setProgramCounter(uint16_t pc) { cpu_.PC = pc; }
    void toggleBreakpoint(uint16_t address);
    // A breakpoint stop outside runFrame leaves the breakpoint passive until
    // this arms it again.
    void rearmBreakpoint() { cpu_.breakLatch = 0; }
    // The frame events kFrameQuit and kFrameScreenshot at a T-state count.
    void quitAt(uint64_t tstates) { quitAtTstates_ = tstates; }
    void screenshotAt(uint64_t tstates) { screenshotAtTstates_ = tstates; }

    // Runs `action` between frames once the firmware waits at its prompt (it
    // asks for a key at the hold point of the typed text), or after
    // `fallbackSeconds` of emulated time for firmware that never asks through
    // the keyboard routine. The hold is released first. Any reset cancels it.
    void startWhenReady(std::function<void(Machine&)> action, int fallbackSeconds);
    bool startPending() const { return static_cast<bool>(pendingStart_); }

    // --- memory and ports -----------------------------------------------------------------
    // The address space as stored, read without touching any device: for the
    // monitor, the disassembler, dumps and snapshots.
    std::span<const uint8_t, 0x10000> memory() const { return std::span<const uint8_t, 0x10000>(bus_.memory); }
    // As a processor write: ROM stays, video RAM redraws, devices see it.
    void writeMemory(uint16_t address, uint8_t value) { bus_.memWrite(address, value); }
    // Straight into the address space, ROM included (a snapshot's memory).
    void loadMemory(uint16_t address, std::span<const uint8_t> bytes);
    // As IN and OUT by the processor.
    uint8_t readPort(uint8_t port) { return bus_.portIn(port); }
    void writePort(uint8_t port, uint8_t value) { bus_.portOut(port, value); }
    uint8_t lastPortOut(uint8_t port) const { return bus_.lastPortOut(port); }

    // --- picture ----------------------------------------------------------------------------
    // Something on the screen changed since the last render.
    bool screenChanged() const { return bus_.redrawPending; }
    // The whole screen is to be drawn again (display options, window changes).
    void invalidateScreen() { bus_.redrawPending = true; }
    // A frame drawn now would show nothing new (the monitor is up instead).
    void screenShown() { bus_.redrawPending = false; }
    // Renders video RAM into the frame image, hands it to presentFrame, clears
    // the redraw flag.
    void renderFrame(const DisplayOptions& display);
    // A new, black frame image: 1 or 8 bits per pixel, normal or giant (always 8 bits).
    void setFrameFormat(const DisplayOptions& display);
    // Clears the picture (the scan lines left dark when double scan goes off).
    void blankFrame();
    const FrameImage& frame() const { return frame_; }
    // Lines of text in the character set instead of the screen, with a rule
    // under the first `ruleRow` rows when that is above 0; the caller presents it.
    void drawText(std::span<const std::string> lines, int ruleRow) { renderer_.renderText(lines, ruleRow, frame_); }
    void setHiResBoard(bool fitted);

    // --- keyboard and typed text --------------------------------------------------------------
    Keyboard& keyboard() { return keyboard_; }
    // Types `keys` through the keyboard trap instead of what is left to type.
    bool typeText(std::string_view keys);
    // Types `keys` after what is still to be typed.
    bool appendTypedText(std::string_view keys);
    // Typing stops at the present end of the text until the firmware asks for
    // a key there (see startWhenReady).
    void holdTypedTextAtEnd() { typedText_.holdAtEnd(); }
    bool typing() const { return typedText_.hasTypedText(); }

    // --- joysticks ----------------------------------------------------------------------------
    // Stick 0 or 1 as the host reads it now; the guest's port follows at once.
    void setJoystickState(int stick, const JoystickState& state) { joystick_.setState(stick, state); }
    uint8_t joystickPortByte(int stick) const { return joystick_.portByte(stick); }

    // --- tape ----------------------------------------------------------------------------------
    // Attaches a CAS image and arms the tape traps.
    IoResult attachTape(const std::string& path);
    void detachTape() { cassette_.detachCas(); }
    // The attached CAS image's file or the one being recorded; empty for none.
    const std::string& tapePath() const { return cassette_.casPath; }
    // A tokenised BASIC file becomes a temporary tape.
    IoResult attachBasicAsTape(const std::string& path);
    // 0 no program, 1 BASIC, 2 SYSTEM (nameChar = first name character).
    int findTapeProgram(uint8_t& nameChar) { return cassette_.findCasProgram(nameChar); }
    // Memory from..end as the processor reads it, written whole as a SYSTEM tape.
    IoResult saveMemoryAsTape(const std::string& path, uint16_t from, uint16_t end, uint16_t entry);
    bool tapeRunning() const { return cassette_.tapeRunning; }
    void setTapeRunning(bool on) { cassette_.setTapeRunning(on, cpu_.tstates); }
    void rewindTape() { cassette_.rewindTape(cpu_.tstates); }
    // A WAV file as the tape, played at signal level through the ROM's own
    // routines (the tape traps are off until the WAV tape is closed).
    IoResult attachWavTape(const std::string& path);
    // A new WAV file the tape output is recorded into.
    IoResult createWavTape(const std::string& path);
    // Ends a WAV tape (a recording is put in place) and arms the tape traps again.
    IoResult closeWavTape();
    bool wavTapeOpen() const { return cassette_.wav().isWavOpen(); }
    // The head adjust: trigger level 0-240, inverted input.
    void setTapeHead(int triggerLevel, bool inverted);
    int tapeTriggerLevel() const { return cassette_.wav().triggerLevel; }
    bool tapeInverted() const { return cassette_.wav().invertMask > 254; }
    // A recording written out now; why the last one could not be, if so.
    IoResult flushTapeRecording() { return cassette_.flushRecording(); }
    const std::string& tapeRecordingError() const { return cassette_.recordingError(); }
    // After kFrameTapeRecording: the file to record to, empty when the user
    // cancelled. The processor goes on with the next frame.
    void answerTapeRecording(const std::string& path);
    bool tapeRecordingWanted() const { return traps_.recordingFileWanted(); }

    // --- printer ------------------------------------------------------------------------------
    // Printing goes on at the end of the file `path`, whose full name goes to
    // the status bar; on failure the printer stays off line.
    IoResult openPrinter(const std::string& path);
    // Writes out what was printed; the printer is then off line.
    IoResult closePrinter() { return printer_.close(); }
    bool printerOpen() const { return printer_.isOpen(); }
    // What was printed, on disk now (otherwise at most a second of emulated time later).
    IoResult flushPrinter() { return printer_.flush(); }

    // --- sound --------------------------------------------------------------------------------
    // Sound goes to `driver` (opened by the caller, who keeps it) from a fresh
    // stream on; null: to nowhere ("No sound"), the stream still rendered.
    void startSound(AudioDriver* driver) {
        sound_.selectAudioDriver(driver);
        if (driver) sound_.initSound();
    }
    void stopSound() {
        sound_.selectNoSound();
        sound_.shutdownSound();
    }
    void resetSound() { sound_.resetSound(); }
    void pauseAudio() { sound_.pauseAudio(); }
    void resumeAudio() { sound_.resumeAudio(); }
    // Every finished sound frame also goes to `sink` while one is set (a sound
    // recording); meanwhile no frame is dropped or inserted. Null ends it.
    void recordSound(std::function<bool(std::span<const int16_t>)> sink) {
        if (sink)
            sound_.startRecording(std::move(sink));
        else
            sound_.stopRecording();
    }

    // Every finished sound frame also goes to `tap` (a video recording), whether
    // sound is on or off; null ends it.
    void tapSound(std::function<void(std::span<const int16_t>)> tap) { sound_.frameTap = std::move(tap); }

    // --- disks --------------------------------------------------------------------------------
    static constexpr int kDrives = Fdc::kDrives;
    // The largest file taken as a disk image: far above every kind there is.
    static constexpr std::size_t kMaxDiskImage = 4u << 20;
    // Puts the image in `path` into `drive` (0-3) in place of any disk there,
    // which is dropped unsaved: ask and save first (session/disks.h). Read-only
    // files give write-protected disks. "Unsupported disk image." on failure.
    IoResult attachDisk(int drive, const std::string& path);
    // Writes a disk back to its file (whole, or not at all); it is then unchanged.
    IoResult saveDisk(int drive);
    // Takes the disk out without saving it.
    void removeDisk(int drive);
    const DiskImage* disk(int drive) const;
    const std::string& diskPath(int drive) const { return diskPaths_[static_cast<size_t>(drive)]; }
    bool diskChanged(int drive) const { return disk(drive) && disk(drive)->changed(); }

    // --- programs -----------------------------------------------------------------------------
    // The records of a CMD file written into memory as processor writes; see
    // CmdLoader::loadCmd for the result and `entry`.
    int loadCmd(std::span<const uint8_t> bytes, uint16_t& entry);

    // --- session ------------------------------------------------------------------------------
    // The last autostarted file's name, for screenshot names; reset empties it.
    const std::string& imageBaseName() const { return imageBaseName_; }
    void setImageBaseName(std::string name) { imageBaseName_ = std::move(name); }
    // Where failures with no caller to tell are written; may be null.
    std::FILE* diagnostics() const { return diagnostics_; }

    // Filled in by the front end; not called on any hot path.
    std::function<void(const FrameImage&)> presentFrame;
    std::function<void(int part, const std::string& text)> showStatusPart;
    std::function<void(int drive)> setLitLamp;

    // A message in status-bar part 2.
    void showStatus(const std::string& text) {
        if (showStatusPart) showStatusPart(2, text);
    }

private:
    friend struct MachinePeer;  // the tests' view of the devices

    void configureMachine(const MachineConfig& record, bool fullReset);
    void fillRam();
    void copyRoms();
    uint8_t nextFillByte();
    void runPendingStart();
    void cancelPendingStart() { pendingStart_ = nullptr; }
    // A WAV tape went in: no CAS image, no tape traps.
    void leaveCasMode();
    AddressSpace addressSpace() { return AddressSpace(bus_.memory); }

    Z80 cpu_;
    Fdc fdc_;
    Keyboard keyboard_;
    Printer printer_;
    Sound sound_;
    HiResBoard hiRes_;
    VideoState video_;
    Joystick joystick_;
    TypedText typedText_;
    Cassette cassette_;
    Traps traps_;
    BasicImage basicImage_{};
    ExpansionImage expansionImage_{};
    MachineBus bus_;

    std::array<MachineConfig, kConfigCount> configs_;
    RomSupply roms_;
    std::string basicRomPath_, expansionRomPath_, charRomPath_;
    std::string imageBaseName_;
    std::array<std::string, Fdc::kDrives> diskPaths_;
    bool atPowerOn_ = true;
    CmdLoader cmdLoader_;
    std::vector<CmdBlock> cmdBlocks_;
    std::FILE* traceOutput_;
    std::FILE* traceErrors_;
    std::FILE* diagnostics_;

    Renderer renderer_;
    FrameImage frame_;

    uint64_t quitAtTstates_ = UINT64_MAX;
    uint64_t screenshotAtTstates_ = UINT64_MAX;

    std::function<void(Machine&)> pendingStart_;
    uint64_t pendingStartDeadline_ = 0;
    uint32_t ramStartupPattern_ = 0;
    // Never reseeded: every run of the program fills RAM with the same sequence.
    std::minstd_rand fillGenerator_;
};

}  // namespace kestrel
