// The window's start-up and shutdown: what is read from the settings and the
// command line, in the order the other parts rely on, and what is kept.
#include <algorithm>
#include <QFileInfo>
#include <thread>

#include "frontend/main_window.h"
#include "frontend/status_bar.h"
#include "host/refresh_rate.h"
#include "session/disks.h"

namespace kestrel {

namespace {

// One core is the Linux sign of a machine too slow for the gray-level picture.
bool hostIsSlow() { return std::thread::hardware_concurrency() == 1; }

constexpr uint32_t kMinClockHz = 50000, kMaxClockHz = 100000000;

// A switch kept as a number.
void readFlag(Settings& s, const char* name, bool& flag) {
    uint32_t value = flag ? 1 : 0;
    s.readNumber(name, value);
    flag = value != 0;
}

// A choice outside its list (a hand-edited file) is the record's own again.
void readChoice(Settings& s, const char* name, uint32_t& value, size_t choices) {
    const uint32_t kept = value;
    if (s.readNumber(name, value) && value >= choices) value = kept;
}

}  // namespace

void MainWindow::readNumberSettings(uint32_t& bitDepth, uint32_t& activeConfig, MachineConfig& custom) {
    Settings& s = *settings_;
    Machine& m = *machine_;
    readFlag(s, "Sound", state_.soundOn);
    readFlag(s, "DoubleScan", state_.display.doubleScan);
    readFlag(s, "HiResLowe", state_.hiResBoard);
    s.readNumber("BitDepth", bitDepth);
    readFlag(s, "SyncSpeed", state_.limitSpeed);
    readFlag(s, "RunInBackground", state_.runInBackground);
    uint32_t blur = static_cast<uint32_t>(state_.display.compositeBlur);
    s.readNumber("CompositeBlur", blur);
    // Kept in range until the check below writes a bad one back.
    state_.display.compositeBlur = blur > 99 ? 100 : static_cast<int>(blur);
    s.readNumber("ActiveConfig", activeConfig);
    s.readString("VideoCodec", state_.videoCodec);
    s.readNumber("VideoQuality", state_.videoQuality);
    state_.videoQuality = std::clamp<uint32_t>(state_.videoQuality, 1, 100);
    readChoice(s, "CustomRomBASIC", custom.basicRom, kBasicRomNames.size());
    readChoice(s, "CustomRomChar", custom.charRom, kCharRomNames.size());
    readChoice(s, "CustomRomExpansion", custom.expansionRom, kExpansionRomNames.size());
    readChoice(s, "CustomRamSize", custom.ramSize, kRamSizeNames.size());
    const uint32_t clock = custom.cpuClockHz;
    if (s.readNumber("CustomCpuClockFreq", custom.cpuClockHz) &&
        (custom.cpuClockHz < kMinClockHz || custom.cpuClockHz > kMaxClockHz))
        custom.cpuClockHz = clock;
    s.readNumber("CustomScreenFreq", custom.frameHz);
    if (custom.frameHz < 5 || custom.frameHz > 150) custom.frameHz = 50;
    uint32_t pattern = m.ramStartupPattern();
    s.readNumber("CustomRamStartupPattern", pattern);
    m.setRamStartupPattern(pattern);
    readFlag(s, "VideoCut", state_.display.videoCut);
    readFlag(s, "VideoPage", state_.display.videoPage);
    readFlag(s, "KeyMapping", state_.symbolicKeys);
    readFlag(s, "KeypadJoystick", state_.keypadJoystick);
    readFlag(s, "GiantScreen", state_.display.giantScreen);
    readFlag(s, "EnablePrinter", state_.printerOn);
    uint32_t scale = static_cast<uint32_t>(state_.windowScale);
    s.readNumber("WindowScale", scale);
    state_.windowScale = scale >= 1 && scale <= 3 ? static_cast<int>(scale) : 1;
}

// A remembered disk or tape that is gone or refused is passed over with a
// word, not a box.
void MainWindow::reattach(const std::string& label, const std::string& path,
                          const std::function<IoResult(const std::string&)>& attach, std::string& notice) {
    if (path.empty()) return;
    std::string why;
    if (!QFileInfo::exists(QString::fromStdString(path))) why = path + " is no longer there";
    else if (const IoResult attached = attach(path); !attached) why = attached.message;
    else return;
    notice = label + ": " + why;
    if (diagnostics_) std::fprintf(diagnostics_, "kestrel: %s\n", notice.c_str());
}

void MainWindow::startUp(const StartRequest& request) {
    Machine& m = *machine_;
    diagnostics_ = request.diagnostics;
    uint32_t bitDepth = hostIsSlow() ? 1 : 8;
    settings_ = std::make_unique<Settings>(request.settingsPath, request.diagnostics);
    Settings& s = *settings_;
    m.initMachine();
    state_.printerPath = request.printerPath;

    uint32_t activeConfig = 0;
    MachineConfig custom = m.configuration(kCustomConfigIndex);
    readNumberSettings(bitDepth, activeConfig, custom);

    std::string notice;  // what was passed over, shown once the start-up is done
    for (int d = 0; d < Machine::kDrives; ++d) {
        std::string path;
        s.readString(("Disk" + std::to_string(d)).c_str(), path);
        reattach("Drive :" + std::to_string(d), path, [&](const std::string& p) { return m.attachDisk(d, p); },
                 notice);
    }
    if (state_.display.compositeBlur > 99) {
        state_.display.compositeBlur = 0;
        s.writeNumber("CompositeBlur", 0);
    }
    readFlag(s, "SaveVideoRamWithScreenShots", state_.saveVideoRamWithShots);
    state_.display.oneBitDisplay = bitDepth == 1;
    if (state_.hiResBoard) m.setHiResBoard(true);

    std::string basicRom, expansionRom, charRom;
    s.readString("BasicROMPath", basicRom);
    s.readString("ExpansionROMPath", expansionRom);
    s.readString("CharROMPath", charRom);
    m.setCustomRomFiles(basicRom, expansionRom, charRom);
    m.setConfiguration(kCustomConfigIndex, custom);
    m.selectConfiguration(activeConfig < kConfigCount ? static_cast<int>(activeConfig) : 0, true);
    driver_.setUpPacing(static_cast<uint32_t>(displayRefreshHz(this)), m.activeConfig().frameHz);

    m.enterCasMode();
    if (state_.printerOn) {
        if (const IoResult opened = m.openPrinter(state_.printerPath); !opened) {
            notice = "Printer off: " + opened.message;
            state_.printerOn = false;
        }
    }
    std::string tape;
    s.readString("Tape", tape);
    reattach("Tape", tape, [&](const std::string& p) { return m.attachTape(p); }, notice);
    m.keyboard().setKeyMode(state_.symbolicKeys);

    const CommandLine& line = request.commandLine;
    for (const std::string& warning : line.warnings)
        if (diagnostics_) std::fprintf(diagnostics_, "kestrel: %s\n", warning.c_str());
    for (const StartAction& action : line.actions) applyStartAction(action);
    if (!line.file.empty()) commands_.autostart(line.file);
    state_.autorun = true;

    syncMenuChecks();
    commands_.refreshDiskLabels();
    setWindowGeometry(state_.display.giantScreen, displayBits());
    statusBar_->setPartText(2, QString());
    if (!notice.empty()) showStatus(notice);
    applySoundSwitch();
#if KESTREL_HAVE_AVI
    for (const StartAction& action : line.actions)
        if (action.kind == StartAction::kRecordVideo) commands_.startVideoRecording(action.file);
#endif
    joysticks_.start(diagnostics_);
    // The defaults of a first start are in the file from now on.
    s.sync();
}

void MainWindow::applyStartAction(const StartAction& action) {
    Machine& m = *machine_;
    const auto atSeconds = [&m](double seconds) {
        return static_cast<uint64_t>(seconds * static_cast<double>(m.processor().clockHz));
    };
    switch (action.kind) {
    case StartAction::kNoAutorun: state_.autorun = false; break;
    case StartAction::kAutostart: commands_.autostart(action.file); break;
    case StartAction::kNoDoubleScan: state_.display.doubleScan = false; break;
    case StartAction::kHiRes:
        state_.hiResBoard = true;
        m.setHiResBoard(true);
        break;
    case StartAction::kNoSound: state_.soundOn = false; break;
    case StartAction::kDisk: attachDisk(m, 0, action.file, commands_.diskPrompts()); break;
    case StartAction::kMachine: m.selectConfiguration(action.number, true); break;
    case StartAction::kRam: m.setRamSize(action.number == 16 ? 0 : 1); break;
    case StartAction::kScreenshotAfter: m.screenshotAt(atSeconds(action.seconds)); break;
    case StartAction::kQuitAfter: m.quitAt(atSeconds(action.seconds)); break;
    case StartAction::kRecordVideo:
#if !KESTREL_HAVE_AVI
        if (diagnostics_) std::fprintf(diagnostics_, "kestrel: video recording is not available in this build\n");
#endif
        break;  // started once the screen and the sound are set up
    case StartAction::kNoSpeedLimit: state_.limitSpeed = false; break;
    }
}

// The disks are out already (the user may have kept the window open over a
// changed one); `diskPaths` is what the drives held.
void MainWindow::shutDown(const std::array<std::string, Machine::kDrives>& diskPaths) {
    Machine& m = *machine_;
    Settings& s = *settings_;
    // The printer setting stays as the user left it.
    if (const IoResult closed = m.closePrinter(); !closed && diagnostics_)
        std::fprintf(diagnostics_, "kestrel: printer output not saved: %s\n", closed.message.c_str());
    commands_.stopSoundRecording();
    commands_.stopVideoRecording();
    const MachineConfig& custom = m.configuration(kCustomConfigIndex);
    const DisplayOptions& d = state_.display;
    const std::pair<const char*, uint32_t> numbers[] = {
        {"Sound", state_.soundOn},
        {"DoubleScan", d.doubleScan},
        {"HiResLowe", state_.hiResBoard},
        {"BitDepth", d.oneBitDisplay ? 1u : 8u},
        {"SyncSpeed", state_.limitSpeed},
        {"RunInBackground", state_.runInBackground},
        {"CompositeBlur", static_cast<uint32_t>(d.compositeBlur)},
        {"ActiveConfig", static_cast<uint32_t>(m.activeConfigIndex())},
        {"CustomRomBASIC", custom.basicRom},
        {"CustomRomChar", custom.charRom},
        {"CustomRomExpansion", custom.expansionRom},
        {"CustomRamSize", custom.ramSize},
        {"CustomCpuClockFreq", custom.cpuClockHz},
        {"CustomScreenFreq", custom.frameHz},
        {"CustomPalette", custom.palette},
        {"VideoCut", d.videoCut},
        {"VideoPage", d.videoPage},
        {"KeyMapping", state_.symbolicKeys},
        {"KeypadJoystick", state_.keypadJoystick},
        {"GiantScreen", d.giantScreen},
        {"EnablePrinter", state_.printerOn},
        {"SaveVideoRamWithScreenShots", state_.saveVideoRamWithShots},
        {"CustomRamStartupPattern", m.ramStartupPattern()},
        {"WindowScale", static_cast<uint32_t>(state_.windowScale)},
        {"VideoQuality", state_.videoQuality},
    };
    for (const auto& [name, value] : numbers) s.writeNumber(name, value);
    s.writeString("VideoCodec", state_.videoCodec);
    for (int drive = 0; drive < Machine::kDrives; ++drive)
        s.writeString(("Disk" + std::to_string(drive)).c_str(), diskPaths[static_cast<size_t>(drive)]);
    m.stopSound();
    if (audioOpen_) audio_.close();
    audioOpen_ = false;
    joysticks_.stop();
    const std::string tape = m.tapePath();
    m.detachTape();
    s.writeString("Tape", tape);
    s.sync();
}

}  // namespace kestrel
