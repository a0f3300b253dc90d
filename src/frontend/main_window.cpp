#include "frontend/main_window.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "frontend/command_table.h"
#include "frontend/display_widget.h"
#include "frontend/menus.h"
#include "frontend/status_bar.h"
#include "host/key_translation.h"
#include "host/refresh_rate.h"
#include "session/autostart.h"
#include "session/snapshot.h"
#include "monitor/disassembler.h"

namespace kestrel {

namespace {

QString statusText(const std::string& text) {
    QString s = QString::fromStdString(text);
    while (s.endsWith(QLatin1Char('\n')) || s.endsWith(QLatin1Char('\r'))) s.chop(1);
    return s;
}

// What F8 and F9 report: the full name of the file they wrote, or why they could not.
std::string writtenText(const char* what, const char* file, const IoResult& written) {
    return written ? what + fullPathText(file) : written.message;
}

}  // namespace

MainWindow::MainWindow(const MachineOptions& options, const StartRequest& request, QWidget* parent)
    : QMainWindow(parent), machine_(std::make_unique<Machine>(options)),
      settings_(std::make_unique<Settings>("", nullptr)),
      commands_(*this) {
    QMainWindow::setWindowTitle(QString::fromLatin1(kInitialTitle));
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);

    central_ = new QWidget(this);
    auto* column = new QVBoxLayout(central_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    display_ = new DisplayWidget(central_);
    display_->setPalette(black);
    statusBar_ = new StatusBar(central_);
    column->addWidget(display_);
    column->addWidget(statusBar_);
    setCentralWidget(central_);
    // Not resizable: the window always takes the size its contents ask for.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    display_->doubleClicked = [this] { command(cmd::kGiantScreen); };
    display_->wheeled = [this](int delta) { monitorWheel(delta); };

    actions_ = buildMenuBar(menuBar(), state_, [this](int id) { command(id); });
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this] {
            pauseAudio();
            keyboardLost();
        });
        connect(menu, &QMenu::aboutToHide, this, [this] {
            resetPacing();
            if (state_.running) resumeAudio();
            keyboardLost();
            returnFocus();
        });
    }

    Machine& m = *machine_;
    m.presentFrame = [this](const FrameImage&) { presentFrame(); };
    m.showStatusPart = [this](int part, const std::string& text) {
        if (!state_.fullScreen) statusBar_->setPartText(part, statusText(text));
    };
    m.setLitLamp = [this](int drive) { statusBar_->setLitLamp(drive); };
    driver_.hooks.setReadout = [this](const std::string& text) { setWindowTitle(text); };
    driver_.hooks.soundRecordingBytes = [this]() -> std::optional<uint64_t> {
        return commands_.soundRecording().recording() ? std::optional<uint64_t>(commands_.soundRecording().bytes())
                                                      : std::nullopt;
    };
    driver_.hooks.writeAviFrame = [this] { commands_.writeVideoFrame(); };
    startUp(request);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState s) { activationChanged(s == Qt::ApplicationActive); });
}

MainWindow::~MainWindow() {
    // A recording running at exit is finished, its file whole.
    commands_.stopSoundRecording();
    commands_.stopVideoRecording();
    machine_->stopSound();
    audio_.close();
    // The machine outlives no widget it calls back into.
    machine_->presentFrame = nullptr;
    machine_->showStatusPart = nullptr;
    machine_->setLitLamp = nullptr;
}

// --- window services ---------------------------------------------------------------

void MainWindow::setWindowTitle(const std::string& text) {
    QMainWindow::setWindowTitle(QString::fromLatin1(kProgramName) + QStringLiteral(" - ") + QString::fromStdString(text));
}

void MainWindow::showStatus(const std::string& text) {
    if (!state_.fullScreen) statusBar_->setPartText(2, statusText(text));
}

void MainWindow::resetPacing() { driver_.resetPacing(); }

void MainWindow::presentFrame() {
    if (state_.monitorActive) drawMonitor();
    display_->present();
}

void MainWindow::applySoundSwitch() {
    if (!state_.soundOn || !state_.limitSpeed) {
        machine_->stopSound();
        if (audioOpen_) audio_.close();
        audioOpen_ = false;
        return;
    }
    if (!audioOpen_) {
        std::string error;
        if (!audio_.open(kSoundRate, error)) {
            // Said once; the machine runs on silently.
            const std::string text = "No sound: " + error;
            std::fprintf(stderr, "%s\n", text.c_str());
            showStatus(text);
            state_.soundOn = false;
            setMenuChecked(cmd::kSound, false);
            machine_->stopSound();
            return;
        }
        audioOpen_ = true;
    }
    machine_->startSound(&audio_);
}

void MainWindow::setMenuText(int id, const std::string& text) {
    if (QAction* a = action(id)) a->setText(QString::fromStdString(text));
}

void MainWindow::setMenuChecked(int id, bool checked) {
    if (QAction* a = action(id)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

QAction* MainWindow::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

// --- display -------------------------------------------------------------------------

int MainWindow::displayBits() const {
    return state_.display.oneBitDisplay && !state_.display.giantScreen ? 1 : 8;
}

void MainWindow::setDisplayDepth(bool giant, int bits) {
    DisplayOptions format = state_.display;
    format.giantScreen = giant;
    format.oneBitDisplay = bits == 1;
    machine_->setFrameFormat(format);
    display_->setSource(&machine_->frame());
}

void MainWindow::setWindowGeometry(bool giant, int bits) {
    setDisplayDepth(giant, bits);
    fitWindow();
}

void MainWindow::fitWindow() {
    if (state_.fullScreen) return;  // the screen's size, until full screen is left
    const FrameImage& f = machine_->frame();
    const int scale = state_.windowScale;
    display_->setScale(scale);
    display_->setFixedSize(f.width * scale + 2 * DisplayWidget::kBorder, f.height * scale + 2 * DisplayWidget::kBorder);
    layout()->activate();
}

bool MainWindow::switchFullScreen(bool leaving) {
    if (!leaving) {
        savedGeometry_ = geometry();
        statusBar_->hide();
        menuBar()->hide();
        // The fixed size the layout gave the window would keep it small.
        layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        display_->setMinimumSize(0, 0);
        display_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        display_->setFullScreenMode(true);
        showFullScreen();
        return true;
    }
    showNormal();
    display_->setFullScreenMode(false);
    menuBar()->show();
    statusBar_->show();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(savedGeometry_.topLeft());
    return true;
}

void MainWindow::syncMenuChecks() {
    for (const CommandRow& row : commandTable())
        if (row.checked) setMenuChecked(row.id, row.checked(*this));
}

void MainWindow::applyEnabledRules() {
    for (const CommandRow& row : commandTable())
        if (QAction* a = action(row.id)) a->setEnabled(commandEnabled(row, state_));
}

// --- commands --------------------------------------------------------------------------

void MainWindow::command(int id) {
    pauseAudio();
    const CommandRow* row = findCommand(id);
    if (row && row->byWindow) row->byWindow(*this, state_, *machine_, id);
    else commands_.execute(id);
    // A command may have rebuilt or cleared the frame image the monitor is in.
    if (state_.monitorActive) presentFrame();
    applyEnabledRules();
    if (state_.running) resumeAudio();
}

void MainWindow::redrawUnlessMonitor() {
    if (!state_.monitorActive) machine_->invalidateScreen();
}

void MainWindow::pauseCommand() {
    const bool wasPaused = state_.paused;
    state_.paused = !state_.paused;
    if (wasPaused && !state_.running && !state_.monitorActive) {
        state_.running = true;
        setWindowTitle("(Restarting)");
        setMenuChecked(cmd::kPause, false);
    } else {
        state_.running = false;
        if (!state_.monitorActive) {
            setWindowTitle("(Suspended)");
            setMenuChecked(cmd::kPause, true);
        }
    }
    resetPacing();
}

void MainWindow::monitorCommand() {
    state_.monitorActive = !state_.monitorActive;
    if (state_.monitorActive) {
        state_.running = false;
        setWindowTitle("(Monitor)");
        presentFrame();
        setMenuChecked(cmd::kMonitor, true);
    } else {
        state_.running = !state_.paused;
        setWindowTitle(state_.paused ? "(Suspended)" : "(Restarting)");
        // The monitor's text is in the frame image: the screen goes back at once.
        machine_->renderFrame(state_.display);
        setMenuChecked(cmd::kMonitor, false);
    }
    resetPacing();
}

// --- run state ---------------------------------------------------------------------------

void MainWindow::activationChanged(bool active) {
    const bool wasRunning = state_.running;
    state_.running = !state_.paused && !state_.monitorActive && (state_.runInBackground || active);
    // The title must not go on claiming a speed while nothing runs.
    if (wasRunning && !state_.running) setWindowTitle("(Suspended)");
    else if (!wasRunning && state_.running && activeSeen_) setWindowTitle("(Restarting)");
    if (active) activeSeen_ = true;
    if (!active) keyboardLost();
    resetPacing();
}

void MainWindow::frameAdvance() {
    handleFrameEvents(machine_->runFrame());
    if (!state_.monitorActive) machine_->renderFrame(state_.display);
}

void MainWindow::handleFrameEvents(unsigned events) {
    if (events & kFrameBreakpoint) {
        setWindowTitle("(Breakpoint)");
        state_.monitorActive = true;
        state_.running = false;
        monitor_.showAtPc();
        setMenuChecked(cmd::kMonitor, true);
        presentFrame();
    }
    if (events & kFrameTapeRecording) commands_.answerTapeRecording();
    if (events & kFrameQuit) {
        if (quitting) quitting();
        close();
        return;
    }
    if (events & kFrameScreenshot) commands_.execute(cmd::kScreenshot);
}

// --- main loop ---------------------------------------------------------------------------

void MainWindow::loopPass() {
    if (!state_.running) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        resetPacing();  // emulated time never jumps after a wait
        return;
    }
    // Waiting events first; a pass that handled some runs no frame.
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher && dispatcher->processEvents(QEventLoop::AllEvents)) return;
    PassSwitches switches;
    switches.limitSpeed = state_.limitSpeed;
    switches.monitorActive = state_.monitorActive;
    switches.aviRecording = commands_.videoRecording();
    joysticks_.poll();
    feedJoysticks();
    handleFrameEvents(driver_.runPass(*machine_, switches, state_.display));
}

int MainWindow::runMainLoop() {
    while (!quit_) loopPass();
    return 0;
}

// --- events --------------------------------------------------------------------------------

bool MainWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Keys the emulated keyboard needs are never taken by a menu shortcut.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) &&
            hostKeyCode(*key) != 0) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        // Tab would move the focus; the machine wants it.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
        break;
    }
    // Key releases that go to a dialog, a menu or another window never
    // come here.
    case QEvent::WindowDeactivate:
    case QEvent::WindowBlocked:
        keyboardLost();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowUnblocked:
        returnFocus();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

bool MainWindow::windowKey(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool plain = mods == Qt::NoModifier;
    int id = 0;
    if (e->key() == Qt::Key_Escape && state_.fullScreen) {
        // Esc leaves full screen first.
        id = cmd::kToggleFullScreen;
    } else if (const CommandRow* row = commandOfKey(e->key(), mods, state_.monitorActive)) {
        // A greyed item's key goes to the machine.
        if (commandEnabled(*row, state_)) id = row->id;
    } else if (state_.monitorActive && plain && monitorKey(e->key())) {
        return true;
    } else {
        switch (e->key()) {
        case Qt::Key_F8:
            if (plain && state_.monitorActive) {
                showStatus(writtenText("Memory dump saved: ", kMemoryDumpFile, dumpMemory(*machine_, kMemoryDumpFile)));
                return true;
            }
            break;
        case Qt::Key_F9:
            if (plain) {
                disassemblyDump();
                return true;
            }
            break;
        case Qt::Key_PageDown:
            if (!state_.running && !state_.monitorActive) {
                frameAdvance();
                return true;
            }
            return false;
        default: break;
        }
    }
    if (id == 0) return false;
    if (!e->isAutoRepeat()) command(id);
    return true;
}

// --- monitor -----------------------------------------------------------------------------

void MainWindow::drawMonitor() {
    const FrameImage& f = machine_->frame();
    monitor_.setSize(f.height / Renderer::kTextCellHeight, f.width / Renderer::kTextCellWidth);
    const std::vector<std::string> lines = monitor_.lines();
    machine_->drawText(lines, monitor_.view() == Monitor::kDisassembly ? Monitor::kHeaderRows : 0);
    machine_->screenShown();
}

bool MainWindow::monitorKey(int key) {
    drawMonitor();  // the moves work on the grid as shown
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: monitor_.step(); break;
    case Qt::Key_PageUp: monitor_.scrollPage(-1); break;
    case Qt::Key_PageDown: monitor_.scrollPage(+1); break;
    case Qt::Key_Up: monitor_.scroll(-1); break;
    case Qt::Key_Down: monitor_.scroll(+1); break;
    case Qt::Key_F1: monitor_.setView(Monitor::kDisassembly); break;
    case Qt::Key_F2: monitor_.setView(Monitor::kMemory); break;
    case Qt::Key_F4: monitor_.toggleBreakpoint(); break;
    case Qt::Key_F7:
        if (monitor_.loopPass()) setWindowTitle("(Breakpoint)");
        break;
    default: return false;
    }
    presentFrame();
    return true;
}

void MainWindow::monitorWheel(int delta) {
    if (!state_.monitorActive) return;
    drawMonitor();
    const int lines = Monitor::wheelLines(delta);
    monitor_.scrollLines(lines < 0 ? -1 : 1, lines < 0 ? -lines : lines);
    presentFrame();
}

// F9: the whole address space disassembled into the current directory. Read as
// stored, so the listing neither prints watch messages nor acknowledges the
// disk controller's interrupt latch.
void MainWindow::disassemblyDump() {
    pauseAudio();
    showStatus(writtenText("Disassembly dump to: ", kDisassemblyDumpFile,
                           dumpDisassembly(MemoryReader(machine_->memory().data()), kDisassemblyDumpFile)));
    resetPacing();
    if (state_.running) resumeAudio();
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    if (state_.keypadJoystick && keypad_.keyEvent(*e, true)) {
        feedJoysticks();
        return;
    }
    const int code = hostKeyCode(*e);
    // A modifier let go while another window had the keyboard shows here.
    machine_->keyboard().syncModifiers(hostModifiers(*e), code);
    if (windowKey(e)) return;
    if (e->isAutoRepeat() || code == 0) return;
    // The character typed teaches the symbolic mapping the host's layout
    // and gives a letter its case.
    machine_->keyboard().hostKeyDown(code, typedCharacter(*e));
}

void MainWindow::keyReleaseEvent(QKeyEvent* e) {
    if (state_.keypadJoystick && keypad_.keyEvent(*e, false)) {
        feedJoysticks();
        return;
    }
    const int code = hostKeyCode(*e);
    machine_->keyboard().syncModifiers(hostModifiers(*e), code);
    if (e->isAutoRepeat()) return;
    if (code) machine_->keyboard().hostKeyUp(code);
}

void MainWindow::keyboardLost() {
    machine_->keyboard().releaseAllKeys();
    keypad_.releaseAll();
    feedJoysticks();
}

// Stick 0 is the first controller with the keypad's keys on top, when those are on.
void MainWindow::feedJoysticks() {
    for (int stick = 0; stick < SdlJoysticks::kSticks; ++stick) {
        JoystickState s = joysticks_.state(stick);
        if (stick == 0 && state_.keypadJoystick) s = keypad_.over(s);
        machine_->setJoystickState(stick, s);
    }
}

void MainWindow::returnFocus() {
    // Later: a menu closed with Esc leaves the menu bar taking letters only
    // after its hide signal, and the next menu opens after this one hides.
    QTimer::singleShot(0, this, [this] {
        if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return;
        setFocus(Qt::OtherFocusReason);
    });
}

void MainWindow::focusOutEvent(QFocusEvent* e) {
    keyboardLost();
    QMainWindow::focusOutEvent(e);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    e->acceptProposedAction();
    commands_.autostart(urls.first().toLocalFile().toStdString());
    machine_->invalidateScreen();
    resetPacing();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // A changed disk is offered for saving; one the user keeps after a failed
    // save keeps the window open.
    if (quit_) {  // shut down already: the drives are empty now
        e->accept();
        return;
    }
    pauseAudio();
    std::array<std::string, Machine::kDrives> diskPaths;
    for (int d = 0; d < Machine::kDrives; ++d) diskPaths[static_cast<size_t>(d)] = machine_->diskPath(d);
    if (!detachAllDisks(*machine_, commands_.diskPrompts())) {
        commands_.refreshDiskLabels();
        e->ignore();
        resetPacing();
        return;
    }
    shutDown(diskPaths);
    quit_ = true;
    e->accept();
}

}  // namespace kestrel
