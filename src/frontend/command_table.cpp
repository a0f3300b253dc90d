#include "frontend/command_table.h"

#include <QWidget>
#include <algorithm>
#include <string>

#include "frontend/commands.h"
#include "frontend/display_widget.h"
#include "frontend/front_end.h"
#include "frontend/main_window.h"
#include "frontend/status_bar.h"
#include "machine/machine.h"
#include "session/autostart.h"
#include "session/disks.h"
#include "session/snapshot.h"

namespace kestrel {

namespace {

CommandRow menu(const char* text) { return {.kind = CommandRow::kMenu, .text = text}; }
CommandRow endMenu() { return {.kind = CommandRow::kEndMenu}; }
CommandRow separator() { return {.kind = CommandRow::kSeparator}; }

template <bool FrontEndState::*Switch>
bool isOn(FrontEnd& fe) {
    return fe.state().*Switch;
}

template <bool DisplayOptions::*Option>
bool isShown(FrontEnd& fe) {
    return fe.state().display.*Option;
}

template <int Scale>
bool isScale(FrontEnd& fe) {
    return fe.state().windowScale == Scale;
}

// Either scale item: choosing the checked one again goes back to 1x.
void chooseScale(MainWindow& w, FrontEndState& s, Machine&, int id) {
    const int scale = id == cmd::kWindowScale2 ? 2 : 3;
    s.windowScale = s.windowScale == scale ? 1 : scale;
    w.setMenuChecked(cmd::kWindowScale2, s.windowScale == 2);
    w.setMenuChecked(cmd::kWindowScale3, s.windowScale == 3);
    w.fitWindow();
}

// Video recording needs FFmpeg; a build without it shows the item greyed.
#if KESTREL_HAVE_AVI
bool videoBuilt(const FrontEndState&) { return true; }
#else
bool videoBuilt(const FrontEndState&) { return false; }
#endif

// Either hi-res item: the board goes in or out with the choice.
void chooseHiRes(MainWindow& w, FrontEndState& s, Machine& m, int id) {
    s.hiResBoard = id == cmd::kLoweHiRes;
    m.setHiResBoard(s.hiResBoard);
    w.setMenuChecked(cmd::kNoHiRes, !s.hiResBoard);
    w.setMenuChecked(cmd::kLoweHiRes, s.hiResBoard);
}

}  // namespace

std::vector<CommandRow> CommandTable::rows() {
    using K = CommandKey;
    // Chooser kind 5, then the image goes into drive 0-3.
    const auto attachDriveCommand = [](Commands& c, FrontEnd&, Machine& m, int id) {
        std::string path;
        if (!c.choose(chooser::kAttachDisk, path)) return;
        attachDisk(m, id - cmd::kAttachDrive0, path, c.diskPrompts());
        c.refreshDiskLabels();
    };
    const auto detachDriveCommand = [](Commands& c, FrontEnd&, Machine& m, int id) {
        detachDisk(m, id - cmd::kDetachDrive0, c.diskPrompts());
        c.refreshDiskLabels();
    };
    return {
        menu("&File"),
        {.id = cmd::kAutostart, .text = "&Autostart file...",
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) {
             std::string path;
             if (c.choose(chooser::kAutostart, path)) c.autostart(path);
         }},
        {.id = cmd::kLoadCmd, .text = "Load &CMD...",
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) {
             std::string path;
             if (c.choose(chooser::kLoadCmd, path)) c.autostart(path);
         }},
        {.id = cmd::kLoadBasic, .text = "Load or type &BAS/TXT...",
         .byCommands = [](Commands& c, FrontEnd&, Machine& m, int) {
             std::string path;
             if (c.choose(chooser::kLoadBasic, path)) loadOrTypeBasic(m, path);
         }},
        {.id = cmd::kSaveMemoryAsCas, .text = "Save &memory as CAS...",
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.saveMemoryAsCas(); }},
        separator(),
        menu("Attach &disk image..."),
        {.id = cmd::kAttachDrive0, .text = "Drive :&0 - <no disk>", .keys = {{Qt::ALT | Qt::Key_0}},
         .byCommands = attachDriveCommand},
        {.id = cmd::kAttachDrive0 + 1, .text = "Drive :&1 - <no disk>", .keys = {{Qt::ALT | Qt::Key_1}},
         .byCommands = attachDriveCommand},
        {.id = cmd::kAttachDrive0 + 2, .text = "Drive :&2 - <no disk>", .keys = {{Qt::ALT | Qt::Key_2}},
         .byCommands = attachDriveCommand},
        {.id = cmd::kAttachDrive0 + 3, .text = "Drive :&3 - <no disk>", .keys = {{Qt::ALT | Qt::Key_3}},
         .byCommands = attachDriveCommand},
        endMenu(),
        menu("D&etach disk image"),
        {.id = cmd::kDetachDrive0, .text = "Drive :&0", .byCommands = detachDriveCommand},
        {.id = cmd::kDetachDrive0 + 1, .text = "Drive :&1", .byCommands = detachDriveCommand},
        {.id = cmd::kDetachDrive0 + 2, .text = "Drive :&2", .byCommands = detachDriveCommand},
        {.id = cmd::kDetachDrive0 + 3, .text = "Drive :&3", .byCommands = detachDriveCommand},
        {.id = cmd::kDetachAll, .text = "&All",
         .byCommands = [](Commands& c, FrontEnd&, Machine& m, int) {
             detachAllDisks(m, c.diskPrompts());
             c.refreshDiskLabels();
         }},
        endMenu(),
        separator(),
        {.id = cmd::kLoadSnapshot, .text = "&Load snapshot ...",
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             std::string path;
             if (c.choose(chooser::kLoadSnapshot, path)) {
                 if (IoResult loaded = loadSnapshot(m, path)) m.invalidateScreen();
                 else fe.showStatus(loaded.message);
             }
         }},
        {.id = cmd::kSaveSnapshot, .text = "Sa&ve snapshot as ...",
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             std::string path;
             if (c.choose(chooser::kSaveSnapshot, path)) {
                 const IoResult saved = saveSnapshot(m, path);
                 fe.showStatus(saved ? "Snapshot saved: " + fullPathText(path) : saved.message);
             }
         }},
        separator(),
        {.id = cmd::kScreenshot, .text = "&Save screenshot\tF6", .keys = {{Qt::Key_F6}},
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.screenshot(); }},
        {.id = cmd::kScreenshotAs, .text = "S&ave screenshot as...",
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.screenshotAs(); }},
        {.id = cmd::kSaveVideoRamWithShots, .text = "Save video memory with screenshots (.V80)",
         .checked = isOn<&FrontEndState::saveVideoRamWithShots>,
         .byCommands = [](Commands&, FrontEnd& fe, Machine&, int id) {
             FrontEndState& st = fe.state();
             st.saveVideoRamWithShots = !st.saveVideoRamWithShots;
             fe.setMenuChecked(id, st.saveVideoRamWithShots);
         }},
        separator(),
        {.id = cmd::kSaveVideo, .text = "Sa&ve to video...\tAlt+I", .keys = {{Qt::ALT | Qt::Key_I}},
         .checked = [](FrontEnd&) { return false; }, .enabled = videoBuilt,
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.toggleVideoRecording(); }},
        {.id = cmd::kSaveWav, .text = "Sa&ve to WAV...\tAlt+U", .keys = {{Qt::ALT | Qt::Key_U}},
         .checked = [](FrontEnd&) { return false; },
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.toggleSoundRecording(); }},
        separator(),
        {.id = cmd::kExit, .text = "E&xit",
         .byCommands = [](Commands&, FrontEnd& fe, Machine&, int) {
             if (QWidget* w = fe.window()) w->close();
         }},
        endMenu(),

        menu("&Emulator"),
        {.id = cmd::kPause, .text = "&Pause\tPause", .keys = {{Qt::Key_Pause, K::kAnyModifiers}},
         .checked = isOn<&FrontEndState::paused>,
         .byWindow = [](MainWindow& w, FrontEndState&, Machine&, int) { w.pauseCommand(); }},
        {.id = cmd::kReset, .text = "&Reset\tF11", .keys = {{Qt::Key_F11}},
         .byCommands = [](Commands&, FrontEnd&, Machine& m, int) { m.warmReset(); }},
        {.id = cmd::kRestart, .text = "R&estart\tAlt+F1",
         .keys = {{Qt::ALT | Qt::Key_F1}, {Qt::SHIFT | Qt::Key_F11}, {Qt::SHIFT | Qt::Key_F8}},
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             c.hooks_.sleep(500);
             m.coldRestart();
             fe.resetPacing();
         }},
        separator(),
        {.id = cmd::kCopy, .text = "C&opy to clipboard\tAlt+C", .keys = {{Qt::ALT | Qt::Key_C}},
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.copyScreen(); }},
        {.id = cmd::kPaste, .text = "P&aste from clipboard\tAlt+V", .keys = {{Qt::ALT | Qt::Key_V}},
         .byCommands = [](Commands& c, FrontEnd&, Machine&, int) { c.paste(); }},
        separator(),
        {.id = cmd::kMonitor, .text = "&Monitor\tESC", .keys = {{Qt::Key_Escape, K::kAnyModifiers}},
         .checked = isOn<&FrontEndState::monitorActive>,
         .byWindow = [](MainWindow& w, FrontEndState&, Machine&, int) { w.monitorCommand(); }},
        {.id = cmd::kConfiguration, .text = "&Configuration...\tAlt+Q", .keys = {{Qt::ALT | Qt::Key_Q}},
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             // OK has reconfigured the machine and shown its label; the frame
             // length may have changed and the character set with it.
             c.hooks_.configure();
             fe.resetPacing();
             m.invalidateScreen();
         }},
        menu("&Hi-res"),
        {.id = cmd::kNoHiRes, .text = "&No hi-res", .checked = [](FrontEnd& fe) { return !fe.state().hiResBoard; },
         .radio = true, .byWindow = chooseHiRes},
        {.id = cmd::kLoweHiRes, .text = "&Lowe LE18 - 384x192", .checked = isOn<&FrontEndState::hiResBoard>,
         .radio = true, .byWindow = chooseHiRes},
        endMenu(),  // Hi-res
        endMenu(),

        // "T&ape": Alt+T belongs to Attach CAS.
        menu("T&ape"),
        {.id = cmd::kAttachCas, .text = "&Attach CAS...\tAlt+T", .keys = {{Qt::ALT | Qt::Key_T}},
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             std::string path;
             if (c.choose(chooser::kAttachCas, path)) {
                 fe.showStatus((m.attachTape(path) ? "CAS image attached: " : "Error opening image: ") + path);
             }
         }},
        {.id = cmd::kDetachCas, .text = "Detach &CAS",
         .byCommands = [](Commands&, FrontEnd&, Machine& m, int) { m.detachTape(); }},
        separator(),
        {.id = cmd::kAttachWav, .text = "&Attach WAV...", .keys = {{Qt::ALT | Qt::Key_W}},
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             std::string path;
             if (!c.choose(chooser::kAttachWav, path)) return;
             const IoResult attached = m.attachWavTape(path);
             fe.showStatus(attached ? "WAV tape attached: " + path : attached.message);
         }},
        {.id = cmd::kCreateWav, .text = "&Create WAV...",
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             std::string path;
             if (!c.choose(chooser::kCreateWav, path)) return;
             const IoResult created = m.createWavTape(path);
             fe.showStatus(created ? "WAV tape created: " + path : created.message);
         }},
        {.id = cmd::kCloseWav, .text = "C&lose WAV",
         .byCommands = [](Commands&, FrontEnd& fe, Machine& m, int) {
             if (!m.wavTapeOpen()) return;
             const IoResult closed = m.closeWavTape();
             fe.showStatus(closed ? std::string("WAV tape closed") : closed.message);
         }},
        separator(),
        {.id = cmd::kPlayRecord, .text = "&Play/Record\tF5", .keys = {{Qt::Key_F5}},
         .checked = [](FrontEnd& fe) { return fe.machine().tapeRunning(); },
         .byCommands = [](Commands&, FrontEnd& fe, Machine& m, int id) {
             const bool on = !m.tapeRunning();
             m.setTapeRunning(on);
             fe.setMenuChecked(id, on);
         }},
        {.id = cmd::kRewindTape, .text = "&Rewind tape",
         .byCommands = [](Commands&, FrontEnd& fe, Machine& m, int) {
             m.rewindTape();
             fe.setMenuChecked(cmd::kPlayRecord, false);
         }},
        {.id = cmd::kAdjustHead, .text = "Adj&ust head...",
         .byCommands = [](Commands& c, FrontEnd& fe, Machine& m, int) {
             int level = m.tapeTriggerLevel();
             bool inverted = m.tapeInverted();
             const bool accepted = c.hooks().askTapeHead(level, inverted);
             fe.resetPacing();
             if (accepted) m.setTapeHead(level, inverted);
         }},
        endMenu(),

        menu("&Options"),
        {.id = cmd::kVideoCut, .text = "&Video cut\tF3", .keys = {{Qt::Key_F3}},
         .checked = isShown<&DisplayOptions::videoCut>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             s.display.videoCut = !s.display.videoCut;
             w.setMenuChecked(id, s.display.videoCut);
             m.invalidateScreen();
         }},
        {.id = cmd::kPage, .text = "Page\tF4", .keys = {{Qt::Key_F4, K::kLeftToMonitor}},
         .checked = isShown<&DisplayOptions::videoPage>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             s.display.videoPage = !s.display.videoPage;
             w.setMenuChecked(id, s.display.videoPage);
             m.invalidateScreen();
         }},
        separator(),
        {.id = cmd::kLimitSpeed, .text = "&Limit speed\tAlt+F3", .keys = {{Qt::ALT | Qt::Key_F3}},
         .checked = isOn<&FrontEndState::limitSpeed>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine&, int id) {
             s.limitSpeed = !s.limitSpeed;
             w.setMenuChecked(id, s.limitSpeed);
             if (!s.limitSpeed) {
                 w.pauseAudio();
             } else if (s.soundOn) {
                 w.resumeAudio();
                 w.applySoundSwitch();
                 w.machine().resetSound();
             }
             w.resetPacing();
         }},
        {.id = cmd::kRunInBackground, .text = "&Run in background", .checked = isOn<&FrontEndState::runInBackground>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine&, int id) {
             s.runInBackground = !s.runInBackground;
             w.setMenuChecked(id, s.runInBackground);
             s.running = !s.paused && !s.monitorActive;
             w.resetPacing();
         }},
        {.id = cmd::kSound, .text = "&Sound", .checked = isOn<&FrontEndState::soundOn>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine&, int id) {
             s.soundOn = !s.soundOn;
             w.setMenuChecked(id, s.soundOn);
             w.applySoundSwitch();
         }},
        {.id = cmd::kSymbolicKeys, .text = "&Symbolic keymapping", .checked = isOn<&FrontEndState::symbolicKeys>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             s.symbolicKeys = !s.symbolicKeys;
             m.keyboard().setKeyMode(s.symbolicKeys);
             w.setMenuChecked(id, s.symbolicKeys);
         }},
        {.id = cmd::kKeypadJoystick, .text = "&Keypad joystick", .checked = isOn<&FrontEndState::keypadJoystick>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine&, int id) {
             s.keypadJoystick = !s.keypadJoystick;
             w.keypad_.releaseAll();
             w.feedJoysticks();
             w.setMenuChecked(id, s.keypadJoystick);
         }},
        {.id = cmd::kEnablePrinter, .text = "&Enable printer", .checked = isOn<&FrontEndState::printerOn>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             // Opening says where printing goes; a failure says why.
             const IoResult done = m.printerOpen() ? m.closePrinter() : m.openPrinter(s.printerPath);
             if (!done) w.showStatus(done.message);
             s.printerOn = m.printerOpen();
             w.setMenuChecked(id, s.printerOn);
         }},
        separator(),
        {.id = cmd::kDoubleScan, .text = "&Double scan", .checked = isShown<&DisplayOptions::doubleScan>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             s.display.doubleScan = !s.display.doubleScan;
             if (!s.display.doubleScan) m.blankFrame();
             w.setMenuChecked(id, s.display.doubleScan);
             w.redrawUnlessMonitor();
         }},
        {.id = cmd::kCompositeBlur, .text = "&Composite blur",
         .checked = [](FrontEnd& fe) { return fe.state().display.compositeBlur != 0; },
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine&, int id) {
             s.display.compositeBlur = s.display.compositeBlur == 0 ? 66 : 0;
             w.setMenuChecked(id, s.display.compositeBlur != 0);
             w.redrawUnlessMonitor();
         }},
        {.id = cmd::kOneBitDisplay, .text = "&Use 1-bit display", .checked = isShown<&DisplayOptions::oneBitDisplay>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             s.display.oneBitDisplay = !s.display.oneBitDisplay;
             w.setDisplayDepth(s.display.giantScreen, w.displayBits());
             w.setMenuChecked(id, s.display.oneBitDisplay);
             if (!s.monitorActive) m.invalidateScreen();
         }},
        {.id = cmd::kGiantScreen, .text = "&Giant screen\tAlt+F2", .keys = {{Qt::ALT | Qt::Key_F2}},
         .checked = isShown<&DisplayOptions::giantScreen>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             s.display.giantScreen = !s.display.giantScreen;
             w.setWindowGeometry(s.display.giantScreen, w.displayBits());
             w.setMenuChecked(id, s.display.giantScreen);
             if (!s.monitorActive) m.invalidateScreen();
             if (s.monitorActive) w.presentFrame();
             else w.display_->update();
         }},
        {.id = cmd::kWindowScale2, .text = "Window size &2x", .checked = isScale<2>, .byWindow = chooseScale},
        {.id = cmd::kWindowScale3, .text = "Window size &3x", .checked = isScale<3>, .byWindow = chooseScale},
        // Alt with the keypad's Enter or the main one.
        {.id = cmd::kToggleFullScreen, .text = "Toggle fullscreen\tAlt+Enter",
         .keys = {{Qt::ALT | Qt::Key_Enter}, {Qt::ALT | Qt::Key_Return}}, .checked = isOn<&FrontEndState::fullScreen>,
         .byWindow = [](MainWindow& w, FrontEndState& s, Machine& m, int id) {
             w.pauseAudio();
             m.invalidateScreen();
             if (w.switchFullScreen(s.fullScreen)) {
                 s.fullScreen = !s.fullScreen;
                 if (!s.fullScreen) {
                     // The bar comes back empty, as a new one would.
                     w.statusBar_->setPartText(0, {});
                     w.statusBar_->setPartText(2, {});
                     w.setWindowGeometry(s.display.giantScreen, w.displayBits());
                     m.refreshMachineLabel();
                 }
             }
             w.setMenuChecked(id, s.fullScreen);
             w.resetPacing();
         }},
        endMenu(),

        menu("&Help"),
        {.id = cmd::kAbout, .text = "&About...",
         .byCommands = [](Commands& c, FrontEnd& fe, Machine&, int) {
             c.hooks_.about();
             fe.resetPacing();
         }},
        endMenu(),
    };
}

std::span<const CommandRow> commandTable() {
    static const std::vector<CommandRow> table = CommandTable::rows();
    return table;
}

const CommandRow* findCommand(int id) {
    for (const CommandRow& row : commandTable())
        if (row.kind == CommandRow::kItem && row.id == id) return &row;
    return nullptr;
}

bool commandEnabled(const CommandRow& row, const FrontEndState& s) { return !row.enabled || row.enabled(s); }

const CommandRow* commandOfKey(int key, Qt::KeyboardModifiers mods, bool monitorShown) {
    for (const CommandRow& row : commandTable()) {
        for (const CommandKey& k : row.keys) {
            if (k.key.key() != key || ((k.flags & CommandKey::kLeftToMonitor) && monitorShown)) continue;
            if ((k.flags & CommandKey::kAnyModifiers) || k.key.keyboardModifiers() == mods) return &row;
        }
    }
    return nullptr;
}

}  // namespace kestrel
