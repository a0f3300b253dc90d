#include "frontend/menus.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>
#include <string>
#include <vector>

#include "frontend/front_end.h"

namespace kestrel {

namespace {

// Subsystems not built yet: their items are shown but greyed.
bool availableYet(int id) {
    switch (id) {
    case cmd::kAttachDrive0: case cmd::kAttachDrive0 + 1: case cmd::kAttachDrive0 + 2: case cmd::kAttachDrive0 + 3:
    case cmd::kDetachDrive0: case cmd::kDetachDrive0 + 1: case cmd::kDetachDrive0 + 2: case cmd::kDetachDrive0 + 3:
    case cmd::kDetachAll:
    case cmd::kSaveVideo:
    case cmd::kSaveWav:
    case cmd::kAttachWav: case cmd::kCreateWav: case cmd::kCloseWav:
    case cmd::kAdjustHead:
    case cmd::kSound:
    case cmd::kEnablePrinter:
    case cmd::kCopy:
    case cmd::kPaste:
    case cmd::kConfiguration:
    case cmd::kMonitor:
        return false;
    default:
        return true;
    }
}

bool togglesCheck(int id) {
    switch (id) {
    case cmd::kPause: case cmd::kMonitor: case cmd::kRunInBackground: case cmd::kLimitSpeed:
    case cmd::kSound: case cmd::kDoubleScan: case cmd::kOneBitDisplay: case cmd::kGiantScreen:
    case cmd::kCompositeBlur: case cmd::kSymbolicKeys: case cmd::kEnablePrinter:
    case cmd::kSaveVideoRamWithShots: case cmd::kToggleFullScreen: case cmd::kPlayRecord:
    case cmd::kVideoCut: case cmd::kPage: case cmd::kSaveWav:
        return true;
    default:
        return false;
    }
}

// Keys beyond the one named after the tab of the item's text.
std::vector<QKeySequence> extraKeys(int id) {
    switch (id) {
    case cmd::kRestart: return {QKeySequence("Shift+F11"), QKeySequence("Shift+F8")};
    case cmd::kAttachWav: return {QKeySequence("Alt+W")};
    case cmd::kToggleFullScreen: return {QKeySequence("Alt+Return")};  // the main Enter key
    default:
        if (id >= cmd::kAttachDrive0 && id <= cmd::kAttachDrive0 + 3)
            return {QKeySequence(QString("Alt+%1").arg(id - cmd::kAttachDrive0))};
        return {};
    }
}

// The key named after the tab, in Qt's spelling. F4 stays with the window,
// which gives it to the monitor while that is shown.
QKeySequence keyOfText(int id, const std::string& text) {
    const auto tab = text.find('\t');
    if (tab == std::string::npos || id == cmd::kPage) return {};
    const std::string key = text.substr(tab + 1);
    if (key == "ESC") return QKeySequence(Qt::Key_Escape);
    return QKeySequence(QString::fromStdString(key));
}

class Builder {
public:
    Builder(QMenuBar* bar, const std::function<void(int)>& dispatch) : bar_(bar), dispatch_(dispatch) {}

    QAction* item(QMenu* menu, int id, const char* text) {
        auto* action = new QAction(QString::fromUtf8(text), bar_);
        action->setData(id);
        action->setCheckable(togglesCheck(id));
        action->setEnabled(availableYet(id));
        action->setShortcutContext(Qt::WindowShortcut);
        QList<QKeySequence> keys;
        if (QKeySequence main = keyOfText(id, text); !main.isEmpty()) keys << main;
        for (const auto& k : extraKeys(id)) keys << k;
        action->setShortcuts(keys);
        QObject::connect(action, &QAction::triggered, bar_, [d = dispatch_, id] { d(id); });
        menu->addAction(action);
        actions_[id] = action;
        return action;
    }

    std::map<int, QAction*> take() { return std::move(actions_); }

private:
    QMenuBar* bar_;
    std::function<void(int)> dispatch_;
    std::map<int, QAction*> actions_;
};

}  // namespace

std::map<int, QAction*> buildMenuBar(QMenuBar* bar, const std::function<void(int id)>& dispatch) {
    Builder b(bar, dispatch);

    QMenu* file = bar->addMenu("&File");
    b.item(file, cmd::kAutostart, "&Autostart file...");
    b.item(file, cmd::kLoadCmd, "Load &CMD...");
    b.item(file, cmd::kLoadBasic, "Load or type &BAS/TXT...");
    b.item(file, cmd::kSaveMemoryAsCas, "Save &memory as CAS...");
    file->addSeparator();
    QMenu* disk = file->addMenu("&Disk");
    for (int d = 0; d < 4; ++d)
        b.item(disk, cmd::kAttachDrive0 + d, ("Drive :&" + std::to_string(d) + " - <no disk>").c_str());
    disk->addSeparator();
    QMenu* detach = disk->addMenu("&Detach");
    for (int d = 0; d < 4; ++d) b.item(detach, cmd::kDetachDrive0 + d, ("Drive :&" + std::to_string(d)).c_str());
    b.item(detach, cmd::kDetachAll, "&All");
    file->addSeparator();
    b.item(file, cmd::kLoadSnapshot, "&Load snapshot ...");
    b.item(file, cmd::kSaveSnapshot, "Sa&ve snapshot as ...");
    file->addSeparator();
    b.item(file, cmd::kScreenshot, "&Save screenshot\tF6");
    b.item(file, cmd::kScreenshotAs, "S&ave screenshot as...");
    b.item(file, cmd::kSaveVideoRamWithShots, "Save video memory with screenshots (.V80)");
    file->addSeparator();
    b.item(file, cmd::kSaveVideo, "Sa&ve to video...\tAlt+I");
    b.item(file, cmd::kSaveWav, "Sa&ve to WAV...\tAlt+U");
    file->addSeparator();
    b.item(file, cmd::kExit, "E&xit");

    QMenu* emulator = bar->addMenu("&Emulator");
    b.item(emulator, cmd::kPause, "&Pause\tPause");
    b.item(emulator, cmd::kReset, "&Reset\tF11");
    b.item(emulator, cmd::kRestart, "R&estart\tAlt+F1");
    emulator->addSeparator();
    b.item(emulator, cmd::kCopy, "C&opy to clipboard\tAlt+C");
    b.item(emulator, cmd::kPaste, "P&aste from clipboard\tAlt+V");
    emulator->addSeparator();
    b.item(emulator, cmd::kMonitor, "&Monitor\tESC");
    b.item(emulator, cmd::kConfiguration, "&Configuration...\tAlt+Q");
    QMenu* hiRes = emulator->addMenu("&Hi-res");
    auto* hiResGroup = new QActionGroup(bar);
    hiResGroup->setExclusive(true);
    for (QAction* a : {b.item(hiRes, cmd::kNoHiRes, "&No hi-res"), b.item(hiRes, cmd::kLoweHiRes, "&Lowe LE18 - 384x192")}) {
        a->setCheckable(true);
        hiResGroup->addAction(a);
    }
    hiResGroup->actions().first()->setChecked(true);

    // "T&ape": Alt+T belongs to Attach CAS.
    QMenu* tape = bar->addMenu("T&ape");
    b.item(tape, cmd::kAttachCas, "&Attach CAS...\tAlt+T");
    b.item(tape, cmd::kDetachCas, "Detach &CAS");
    tape->addSeparator();
    b.item(tape, cmd::kAttachWav, "&Attach WAV...");
    b.item(tape, cmd::kCreateWav, "&Create WAV...");
    b.item(tape, cmd::kCloseWav, "C&lose WAV");
    tape->addSeparator();
    b.item(tape, cmd::kPlayRecord, "&Play/Record\tF5");
    b.item(tape, cmd::kRewindTape, "&Rewind tape");
    b.item(tape, cmd::kAdjustHead, "Adj&ust head...");

    QMenu* options = bar->addMenu("&Options");
    b.item(options, cmd::kVideoCut, "&Video cut\tF3");
    b.item(options, cmd::kPage, "Page\tF4");
    options->addSeparator();
    b.item(options, cmd::kLimitSpeed, "&Limit speed\tAlt+F3");
    b.item(options, cmd::kRunInBackground, "&Run in background");
    b.item(options, cmd::kSound, "&Sound");
    b.item(options, cmd::kSymbolicKeys, "&Symbolic keymapping");
    b.item(options, cmd::kEnablePrinter, "&Enable printer");
    options->addSeparator();
    b.item(options, cmd::kDoubleScan, "&Double scan");
    b.item(options, cmd::kCompositeBlur, "&Composite blur");
    b.item(options, cmd::kOneBitDisplay, "&Use 1-bit display");
    b.item(options, cmd::kGiantScreen, "&Giant screen\tAlt+F2");
    b.item(options, cmd::kToggleFullScreen, "Toggle fullscreen\tAlt+Enter");

    QMenu* help = bar->addMenu("&Help");
    b.item(help, cmd::kAbout, "&About...");

    return b.take();
}

}  // namespace kestrel
