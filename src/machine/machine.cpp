#include "machine/machine.h"

#include <algorithm>
#include <vector>

#include "formats/cas_format.h"
#include "z80/z80_execute.h"

namespace kestrel {

Machine::Machine(MachineOptions options)
    : bus_(cpu_, BusDevices{fdc_, keyboard_, printer_, cassette_.wav(), sound_, hiRes_, video_, joystick_, traps_,
                            basicImage_, typedText_, cassette_}),
      configs_(standardConfigs()),
      roms_(options.romDirectory, options.diagnostics),
      traceOutput_(options.traceOutput),
      traceErrors_(options.traceErrors),
      diagnostics_(options.diagnostics),
      frame_(FrameImage::create(FrameImage::kNormalWidth, FrameImage::kNormalHeight, 8)) {
    bus_.diagnostics = options.diagnostics;
    cassette_.diagnostics = options.diagnostics;
    fdc_.trace = options.diagnostics;
    cassette_.wav().trace = options.diagnostics;
    cassette_.postStatus = [this](const std::string& text) { showStatus(text); };
    printer_.diagnostics = options.diagnostics;
    printer_.postStatus = [this](const std::string& text) { showStatus(text); };
    z80Init(cpu_, kInitialClockHz);
}

int Machine::runCycles(int32_t budget) { return z80Execute(cpu_, bus_, budget); }

void Machine::stepInstruction() {
    const uint32_t enabled = cpu_.breakEnabled;
    cpu_.breakEnabled = 0;
    runCycles(0);
    cpu_.breakEnabled = enabled;
}

void Machine::setRegisters(const Z80State& r) {
    cpu_.AF = r.AF;
    cpu_.BC = r.BC;
    cpu_.DE = r.DE;
    cpu_.HL = r.HL;
    cpu_.IX = r.IX;
    cpu_.IY = r.IY;
    cpu_.SP = r.SP;
    cpu_.PC = r.PC;
    cpu_.altAF = r.altAF;
    cpu_.altBC = r.altBC;
    cpu_.altDE = r.altDE;
    cpu_.altHL = r.altHL;
    cpu_.I = r.I;
    cpu_.R = r.R;
    cpu_.IFF1 = r.IFF1;
    cpu_.IFF2 = r.IFF2;
    cpu_.interruptMode = r.interruptMode;
}

void Machine::toggleBreakpoint(uint16_t address) { z80ToggleBreakpoint(cpu_, address); }

void Machine::selectConfiguration(int index, bool fullReset) {
    bus_.activeConfigIndex = index;
    configureMachine(configs_[static_cast<size_t>(index)], fullReset);
}

void Machine::setCustomRomFiles(std::string basic, std::string expansion, std::string characters) {
    basicRomPath_ = std::move(basic);
    expansionRomPath_ = std::move(expansion);
    charRomPath_ = std::move(characters);
}

void Machine::initMachine() {
    configs_ = standardConfigs();
    bus_.activeConfigIndex = 0;
    configureMachine(configs_[0], true);
    copyRoms();
    z80Init(cpu_, configs_[0].cpuClockHz);
    sound_.initBeeper();
    fdc_.fdcPowerOn(cpu_.clockHz);
    sound_.initSound();
}

void Machine::startUp(int index, const MachineConfig* record) {
    initMachine();
    if (record) configs_[static_cast<size_t>(index)] = *record;
    if (index != 0 || record) selectConfiguration(index);
    enterCasMode();
}

void Machine::enterCasMode() {
    cassette_.casMode = true;
    traps_.armTapeTraps(addressSpace());
}

void Machine::configureMachine(const MachineConfig& record, bool fullReset) {
    bus_.lowercaseVideo = renderer_.loadCharacterSet(static_cast<int>(record.charRom), roms_.characterImages(record.charRom), charRomPath_);
    if (fullReset) {
        setCpuClock(record.cpuClockHz);
        setRamSize(record.ramSize);
        roms_.produceBasic(record.basicRom, basicRomPath_, basicImage_);
        roms_.produceExpansion(record.expansionRom, expansionRomPath_, expansionImage_);
        fillRam();
        copyRoms();
        z80Reset(cpu_);
        cancelPendingStart();
        atPowerOn_ = true;
    }
    refreshMachineLabel();
}

void Machine::setCpuClock(int64_t hz) {
    cpu_.clockHz = hz;
    fdc_.setClock(hz);
    cassette_.wav().setClock(hz);
    const uint32_t divisor = std::max<uint32_t>(activeConfig().psgDivisor, 1);
    sound_.setPsgClock(static_cast<uint64_t>(hz) / divisor);
}

void Machine::refreshMachineLabel() {
    if (bus_.activeConfigIndex != kTrs80ConfigIndex) video_.columns32 = false;
    if (showStatusPart) showStatusPart(0, activeConfig().shortName);
}

void Machine::setRamSize(uint32_t choice) {
    if (choice == 0)
        bus_.setRamTop(0x3FFF);
    else if (choice == 1)
        bus_.setRamTop(0xFFFF);
    std::fill(bus_.memory.begin() + 0x4000, bus_.memory.begin() + 0xFFFF, static_cast<uint8_t>(ramStartupPattern_));
}

uint8_t Machine::nextFillByte() {
    if (ramStartupPattern_ <= 0xFF) return static_cast<uint8_t>(ramStartupPattern_);
    return static_cast<uint8_t>(fillGenerator_() >> 7);
}

void Machine::fillRam() {
    // Keyboard array, video_ RAM, then RAM, in that order through one generator.
    for (uint32_t a = 0x3800; a <= 0xFFFF; ++a) bus_.memory[a] = nextFillByte();
}

void Machine::copyRoms() {
    std::copy(basicImage_.begin(), basicImage_.end(), bus_.memory.begin());
    std::copy(expansionImage_.begin(), expansionImage_.end(), bus_.memory.begin() + 0x3000);
    traps_.applyTrapsOnReset(addressSpace());
}

void Machine::warmReset() {
    fdc_.fdcReset();
    // The reset takes the processor's request away; the controller's own flag
    // stays until the program reads it.
    cpu_.intLine = 0;
    cpu_.nmiLine = 1;
    cpu_.nmiTaken = 0;
    traps_.restoreKeyboardRoutine(addressSpace(), basicImage_);
    typedText_.freeTypedText();
    sound_.resetPsg();
    sound_.resetSound();
    imageBaseName_.clear();
    cancelPendingStart();
}

void Machine::coldRestart() {
    fillRam();
    traps_.restoreKeyboardRoutine(addressSpace(), basicImage_);
    typedText_.freeTypedText();
    z80Reset(cpu_);
    fdc_.fdcReset();
    sound_.resetPsg();
    cancelPendingStart();
    atPowerOn_ = true;
}

int32_t Machine::frameBudget() const {
    const uint32_t hz = std::max<uint32_t>(activeConfig().frameHz, 1);
    return static_cast<int32_t>(cpu_.clockHz / hz);
}

unsigned Machine::runFrame() {
    unsigned events = 0;
    if (runCycles(frameBudget())) {
        events |= kFrameBreakpoint;
        bus_.redrawPending = false;
        cpu_.breakLatch = 0;  // armed again at once
    }
    if (traps_.recordingFileWanted()) events |= kFrameTapeRecording;
    keyboard_.endFrame();
    cassette_.endFrame(cpu_.tstates, cpu_.clockHz);
    printer_.endFrame(cpu_.tstates, cpu_.clockHz);
    if (cpu_.tstates >= quitAtTstates_) {
        events |= kFrameQuit;
    } else if (cpu_.tstates >= screenshotAtTstates_) {
        events |= kFrameScreenshot;
        screenshotAtTstates_ = UINT64_MAX;
    }
    if (setLitLamp) setLitLamp(fdc_.fdcActiveDrive(cpu_.tstates));
    sound_.updateSound(cpu_.tstates);
    // Autostart that waits for the firmware's start-up.
    if (pendingStart_) runPendingStart();
    atPowerOn_ = false;
    return events;
}

void Machine::startWhenReady(std::function<void(Machine&)> action, int fallbackSeconds) {
    pendingStart_ = std::move(action);
    pendingStartDeadline_ = cpu_.tstates + static_cast<uint64_t>(fallbackSeconds) * static_cast<uint64_t>(cpu_.clockHz);
}

void Machine::runPendingStart() {
    if (!typedText_.holdReached() && cpu_.tstates < pendingStartDeadline_) return;
    auto action = std::move(pendingStart_);
    pendingStart_ = nullptr;
    typedText_.releaseHold();
    if (!typedText_.hasKeysLeft()) {
        // Nothing typed after the start: the real keyboard_ answers at once.
        traps_.restoreKeyboardRoutine(addressSpace(), basicImage_);
        typedText_.freeTypedText();
    }
    action(*this);
}

void Machine::renderFrame(const DisplayOptions& display) {
    renderer_.renderFrame(bus_.memory.data(), video_, display, hiRes_, frame_);
    if (presentFrame) presentFrame(frame_);
    bus_.redrawPending = false;
}

void Machine::setFrameFormat(const DisplayOptions& display) {
    frame_ = display.giantScreen
                 ? FrameImage::create(FrameImage::kGiantWidth, FrameImage::kGiantHeight, 8)
                 : FrameImage::create(FrameImage::kNormalWidth, FrameImage::kNormalHeight, display.oneBitDisplay ? 1 : 8);
    bus_.redrawPending = true;
}

void Machine::blankFrame() {
    std::fill(frame_.dib.begin() + static_cast<long>(frame_.pixelOffset()), frame_.dib.end(), 0);
}

void Machine::setHiResBoard(bool fitted) {
    if (fitted)
        hiRes_.fitHiResBoard();
    else
        hiRes_.removeHiResBoard();
    bus_.redrawPending = true;
}

void Machine::loadMemory(uint16_t address, std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes) bus_.memory[address++] = b;
}

bool Machine::typeText(std::string_view keys) {
    traps_.installKeyboardTrap(addressSpace());
    return typedText_.setTypedText(keys) != 0;
}

bool Machine::appendTypedText(std::string_view keys) {
    traps_.installKeyboardTrap(addressSpace());
    return typedText_.appendTypedText(keys) != 0;
}

IoResult Machine::openPrinter(const std::string& path) {
    if (IoResult opened = printer_.open(path); !opened) return opened;
    showStatus("Printing to " + fullPathText(path));
    return {};
}

IoResult Machine::attachTape(const std::string& path) {
    if (IoResult attached = cassette_.attachCas(path); !attached) return attached;
    traps_.armTapeTraps(addressSpace());
    return {};
}

IoResult Machine::attachBasicAsTape(const std::string& path) {
    if (IoResult attached = cassette_.convertBasicToCas(path); !attached) return attached;
    traps_.armTapeTraps(addressSpace());
    return {};
}

IoResult Machine::attachWavTape(const std::string& path) {
    TapeWav& wav = cassette_.wav();
    closeWavTape();
    if (IoResult attached = wav.attachWav(path, cpu_.clockHz); !attached) return attached;
    leaveCasMode();
    return {};
}

IoResult Machine::createWavTape(const std::string& path) {
    TapeWav& wav = cassette_.wav();
    closeWavTape();
    wav.setClock(cpu_.clockHz);
    if (IoResult created = wav.createWav(path, cpu_.tstates); !created) return created;
    leaveCasMode();
    return {};
}

void Machine::leaveCasMode() {
    // The CAS side lets go; the ROM's own routines handle the signal.
    cassette_.detachCas();
    cassette_.casMode = false;
    traps_.disarmTapeTraps(addressSpace(), basicImage_);
}

IoResult Machine::closeWavTape() {
    TapeWav& wav = cassette_.wav();
    if (!wav.isWavOpen()) return {};
    IoResult closed = wav.closeWav();
    cassette_.casMode = true;
    traps_.armTapeTraps(addressSpace());
    return closed;
}

void Machine::setTapeHead(int triggerLevel, bool inverted) {
    TapeWav& wav = cassette_.wav();
    wav.triggerLevel = std::clamp(triggerLevel, 0, 240);
    wav.invertMask = inverted ? 0xFF : 0x00;
}

IoResult Machine::saveMemoryAsTape(const std::string& path, uint16_t from, uint16_t end, uint16_t entry) {
    char text[96];
    if (end + 1 == from) {
        std::snprintf(text, sizeof text, "No bytes from %04X to %04X: nothing saved", from, end);
        return IoResult::failure(text);
    }
    if (end < from) {
        std::snprintf(text, sizeof text, "End address %04X is below start address %04X: nothing saved", end, from);
        return IoResult::failure(text);
    }
    // Through the bus, as the processor would read it.
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t{end} - from + 1u);
    for (uint32_t a = from; a <= end; ++a) bytes.push_back(bus_.memRead(static_cast<uint16_t>(a)));
    return writeFileAtomic(path, systemTape(path, from, bytes, entry));
}

void Machine::answerTapeRecording(const std::string& path) {
    if (!traps_.recordingFileWanted()) return;
    if (cassette_.beginTapeRecording(path)) traps_.armTapeTraps(addressSpace());
    traps_.answerRecordingFile();
}

IoResult Machine::attachDisk(int drive, const std::string& path) {
    if (drive < 0 || drive >= kDrives) return IoResult::failure("No drive :" + std::to_string(drive));
    removeDisk(drive);
    std::vector<uint8_t> bytes;
    if (IoResult read = readWholeFile(path, kMaxDiskImage, bytes); !read) return read;
    // A file that cannot be opened for writing gives a write-protected disk.
    const bool writable = FileHandle(std::fopen(path.c_str(), "r+b")).get() != nullptr;
    std::string error;
    auto image = DiskImage::fromBytes(std::move(bytes), !writable, diagnostics_, error);
    if (!image) return IoResult::failure(error);
    fdc_.disk(drive) = std::move(image);
    diskPaths_[static_cast<size_t>(drive)] = path;
    fdc_.fdcMediaChanged();
    return {};
}

IoResult Machine::saveDisk(int drive) {
    auto& image = fdc_.disk(drive);
    if (!image) return {};
    IoResult written = writeFileAtomic(diskPaths_[static_cast<size_t>(drive)], image->bytes());
    if (written) image->markSaved();
    return written;
}

void Machine::removeDisk(int drive) {
    if (drive < 0 || drive >= kDrives) return;
    fdc_.disk(drive).reset();
    diskPaths_[static_cast<size_t>(drive)].clear();
}

const DiskImage* Machine::disk(int drive) const {
    if (drive < 0 || drive >= kDrives) return nullptr;
    const auto& image = fdc_.disk(drive);
    return image ? &*image : nullptr;
}

int Machine::loadCmd(std::span<const uint8_t> bytes, uint16_t& entry) {
    const int result = cmdLoader_.loadCmd(bytes, entry, cmdBlocks_, traceOutput_, traceErrors_);
    for (const CmdBlock& block : cmdBlocks_) {
        uint16_t address = block.address;
        for (uint8_t b : block.bytes) bus_.memWrite(address++, b);  // wraps at 0x10000
    }
    cmdBlocks_.clear();
    return result;
}

}  // namespace kestrel
