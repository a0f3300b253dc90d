// The one top-level window: owns the machine and the front end's switches,
// shows the frame and the status bar, turns menu commands, keys, activation
// changes and dropped files into calls on the machine, and runs the main loop.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "frontend/command_line.h"
#include "frontend/commands.h"
#include "frontend/front_end.h"
#include "frontend/settings.h"
#include "host/keypad_joystick.h"
#include "host/sdl_audio.h"
#include "host/sdl_joystick.h"
#include "session/frame_driver.h"
#include "machine/machine.h"
#include "monitor/monitor.h"

class QAction;

namespace kestrel {

class DisplayWidget;
class StatusBar;

// What the start-up works from besides the defaults.
struct StartRequest {
    std::string settingsPath;  // empty: nothing is read or kept
    std::string printerPath;
    CommandLine commandLine;
    std::FILE* diagnostics = stderr;
};

class MainWindow : public QMainWindow, public FrontEnd {
    Q_OBJECT
public:
    // Builds the window and runs the start-up: settings, then the command line.
    explicit MainWindow(const MachineOptions& options, const StartRequest& request = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // FrontEnd
    Machine& machine() override { return *machine_; }
    FrontEndState& state() override { return state_; }
    Settings& settings() override { return *settings_; }
    QWidget* window() override { return this; }
    void setWindowTitle(const std::string& text) override;
    void showStatus(const std::string& text) override;
    void resetPacing() override;
    void presentFrame() override;
    void pauseAudio() override { machine_->pauseAudio(); }
    void resumeAudio() override { machine_->resumeAudio(); }
    // The sound device follows soundOn and limitSpeed: open and playing when
    // both are on, "No sound" otherwise. A device that cannot be opened is
    // reported once and sound goes off.
    void applySoundSwitch();
    void setMenuChecked(int id, bool checked) override;
    void setMenuText(int id, const std::string& text) override;
    // Autostarts a file as the menu command does (the command line's FILE).
    IoResult startFile(const std::string& path) { return commands_.autostart(path); }

    // A menu command or its key, by its row in the command table.
    void command(int id);

    // A new black frame image of the size and depth; the window keeps its size.
    void setDisplayDepth(bool giant, int bits);
    // The same, then the window is fitted around it.
    void setWindowGeometry(bool giant, int bits);
    // The window fitted around the image at the state's scale (not in full screen).
    void fitWindow();
    const FrameImage& frameImage() const { return machine_->frame(); }
    // Enters or leaves full screen; true on success.
    bool switchFullScreen(bool leaving);

    // Run-state rule for the application becoming active or inactive.
    void activationChanged(bool active);
    // One frame while not running, presented (Page Down).
    void frameAdvance();

    // Runs until the window is closed; returns the exit code.
    int runMainLoop();
    bool quitRequested() const { return quit_; }
    // Called when the machine reaches its quit time, before the window closes.
    std::function<void()> quitting;
    // One pass of the main loop: handles waiting events or runs one frame.
    void loopPass();

    DisplayWidget* display() const { return display_; }
    StatusBar* statusBarWidget() const { return statusBar_; }
    QAction* action(int id) const;
    FrameDriver& frameDriver() { return driver_; }
    const Monitor& monitor() const { return monitor_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend struct CommandTable;  // its window rows are the window's own code

    void pauseCommand();
    void monitorCommand();
    // The monitor's view into the frame image, laid out for its size.
    void drawMonitor();
    // A key of the monitor's own while it is shown.
    bool monitorKey(int key);
    void monitorWheel(int delta);
    void redrawUnlessMonitor();
    int displayBits() const;
    // Check marks and enabled items as the table's rows read them.
    void syncMenuChecks();
    void applyEnabledRules();
    void handleFrameEvents(unsigned events);
    // Keys of the window's own that no menu shortcut took.
    bool windowKey(QKeyEvent* event);
    void keyboardLost();
    // The controllers and the keypad stick as the machine's sticks.
    void feedJoysticks();
    // Keyboard focus back to the machine's screen once no menu or dialog has it.
    void returnFocus();
    void disassemblyDump();
    // The start-up and shutdown sequences (start_up.cpp).
    void startUp(const StartRequest& request);
    void readNumberSettings(uint32_t& bitDepth, uint32_t& activeConfig, MachineConfig& custom);
    void reattach(const std::string& label, const std::string& path,
                  const std::function<IoResult(const std::string&)>& attach, std::string& notice);
    void applyStartAction(const StartAction& action);
    void shutDown(const std::array<std::string, Machine::kDrives>& diskPaths);

    std::unique_ptr<Machine> machine_;
    SdlAudioDriver audio_;
    bool audioOpen_ = false;
    SdlJoysticks joysticks_;
    KeypadJoystick keypad_;
    FrontEndState state_;
    std::unique_ptr<Settings> settings_;
    Commands commands_;
    FrameDriver driver_;
    Monitor monitor_{*machine_};
    std::map<int, QAction*> actions_;
    QWidget* central_ = nullptr;
    DisplayWidget* display_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QRect savedGeometry_;
    std::FILE* diagnostics_ = stderr;
    bool quit_ = false;
    bool activeSeen_ = false;
};

}  // namespace kestrel
