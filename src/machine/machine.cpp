#include "machine/machine.h"

#include <algorithm>

#include "z80/z80_execute.h"

namespace kestrel {

Machine::Machine(MachineOptions options)
    : bus(cpu, BusDevices{fdc, keyboard, printer, tape, sound, hiRes, video, joystick, traps}),
      configs(standardConfigs()),
      roms(options.romDirectory, options.diagnostics),
      traceOutput(options.traceOutput),
      traceErrors(options.traceErrors),
      diagnostics(options.diagnostics),
      frame(FrameImage::create(FrameImage::kNormalWidth, FrameImage::kNormalHeight, 8)) {
    bus.diagnostics = options.diagnostics;
    typedText.diagnostics = options.diagnostics;
    cassette.diagnostics = options.diagnostics;
    z80Init(cpu, kInitialClockHz);
}

int Machine::runCycles(int32_t budget) { return z80Execute(cpu, bus, budget); }

void Machine::initMachine() {
    configs = standardConfigs();
    bus.activeConfigIndex = 0;
    configureMachine(configs[0], true);
    copyRoms();
    z80Init(cpu, configs[0].cpuClockHz);
    sound.initBeeper();
    fdc.fdcPowerOn();
    sound.initSound();
}

void Machine::enterCasMode() {
    cassette.casMode = true;
    traps.armTapeTraps();
}

void Machine::configureMachine(const MachineConfig& record, bool fullReset) {
    bus.lowercaseVideo = renderer.loadCharacterSet(static_cast<int>(record.charRom), roms.characterImages(record.charRom), charRomPath);
    if (fullReset) {
        setCpuClock(record.cpuClockHz);
        setRamSize(record.ramSize);
        roms.produceBasic(record.basicRom, basicRomPath, basicImage);
        roms.produceExpansion(record.expansionRom, expansionRomPath, expansionImage);
        fillRam();
        copyRoms();
        z80Reset(cpu);
        cancelPendingStart();
        atPowerOn = true;
    }
    refreshMachineLabel();
}

void Machine::setCpuClock(int64_t hz) {
    cpu.clockHz = hz;
    const uint32_t divisor = std::max<uint32_t>(activeConfig().psgDivisor, 1);
    sound.setPsgClock(static_cast<uint64_t>(hz) / divisor);
}

void Machine::refreshMachineLabel() {
    if (bus.activeConfigIndex != kTrs80ConfigIndex) video.columns32 = false;
    if (showStatusPart) showStatusPart(0, activeConfig().shortName);
}

void Machine::setRamSize(uint32_t choice) {
    if (choice == 0)
        bus.setRamTop(0x3FFF);
    else if (choice == 1)
        bus.setRamTop(0xFFFF);
    std::fill(bus.memory.begin() + 0x4000, bus.memory.begin() + 0xFFFF, static_cast<uint8_t>(ramStartupPattern_));
}

uint8_t Machine::nextFillByte() {
    if (ramStartupPattern_ <= 0xFF) return static_cast<uint8_t>(ramStartupPattern_);
    return static_cast<uint8_t>(fillGenerator_() >> 7);
}

void Machine::fillRam() {
    // Keyboard array, video RAM, then RAM, in that order through one generator.
    for (uint32_t a = 0x3800; a <= 0xFFFF; ++a) bus.memory[a] = nextFillByte();
}

void Machine::copyRoms() {
    std::copy(basicImage.begin(), basicImage.end(), bus.memory.begin());
    std::copy(expansionImage.begin(), expansionImage.end(), bus.memory.begin() + 0x3000);
    traps.applyTrapsOnReset();
}

void Machine::warmReset() {
    fdc.fdcReset();
    cpu.intLine = 0;
    cpu.nmiLine = 1;
    cpu.nmiTaken = 0;
    traps.restoreKeyboardRoutine();
    typedText.freeTypedText();
    sound.resetPsg();
    sound.resetSound();
    imageBaseName.clear();
    cancelPendingStart();
}

void Machine::coldRestart() {
    fillRam();
    traps.restoreKeyboardRoutine();
    typedText.freeTypedText();
    z80Reset(cpu);
    fdc.fdcReset();
    sound.resetPsg();
    cancelPendingStart();
    atPowerOn = true;
}

int32_t Machine::frameBudget() const {
    const uint32_t hz = std::max<uint32_t>(activeConfig().frameHz, 1);
    return static_cast<int32_t>(cpu.clockHz / hz);
}

unsigned Machine::runFrame() {
    unsigned events = 0;
    if (runCycles(frameBudget())) {
        events |= kFrameBreakpoint;
        bus.redrawPending = false;
        cpu.breakLatch = 0;  // armed again at once
    }
    keyboard.endFrame();
    cassette.endFrame(cpu.tstates, cpu.clockHz);
    if (cpu.tstates >= quitAtTstates) {
        events |= kFrameQuit;
    } else if (cpu.tstates >= screenshotAtTstates) {
        events |= kFrameScreenshot;
        screenshotAtTstates = UINT64_MAX;
    }
    if (setLitLamp) setLitLamp(fdc.fdcActiveDrive());
    sound.updateSound(cpu.tstates);
    // Autostart that waits for the firmware's start-up.
    if (pendingStart_) runPendingStart();
    atPowerOn = false;
    return events;
}

void Machine::startWhenReady(std::function<void(Machine&)> action, int fallbackSeconds) {
    pendingStart_ = std::move(action);
    pendingStartDeadline_ = cpu.tstates + static_cast<uint64_t>(fallbackSeconds) * static_cast<uint64_t>(cpu.clockHz);
}

void Machine::runPendingStart() {
    if (!typedText.holdReached() && cpu.tstates < pendingStartDeadline_) return;
    auto action = std::move(pendingStart_);
    pendingStart_ = nullptr;
    typedText.releaseHold();
    if (!typedText.hasKeysLeft()) {
        // Nothing typed after the start: the real keyboard answers at once.
        traps.restoreKeyboardRoutine();
        typedText.freeTypedText();
    }
    action(*this);
}

void Machine::cancelPendingStart() {
    pendingStart_ = nullptr;
}

void Machine::renderFrame() {
    renderer.renderFrame(bus.memory.data(), video, hiRes, frame);
    if (presentFrame) presentFrame(frame);
    bus.redrawPending = false;
}

void Machine::setFrameFormat(bool oneBit, bool giant) {
    video.oneBitDisplay = oneBit && !giant;
    video.giantScreen = giant;
    frame = giant ? FrameImage::create(FrameImage::kGiantWidth, FrameImage::kGiantHeight, 8)
                  : FrameImage::create(FrameImage::kNormalWidth, FrameImage::kNormalHeight, oneBit ? 1 : 8);
    bus.redrawPending = true;
}

}  // namespace kestrel
