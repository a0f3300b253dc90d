// What the window and its commands share: the front end's switches, the menu
// command ids, and the window services a command may call.
#pragma once

#include <cstdint>
#include <string>

#include "session/autostart.h"
#include "video/display_options.h"

class QWidget;

namespace kestrel {

class Machine;
class Settings;

struct FrontEndState {
    bool running = false;  // the main loop runs frames
    bool paused = false;
    bool monitorActive = false;
    bool runInBackground = false;
    bool limitSpeed = true;
    bool soundOn = true;
    bool symbolicKeys = false;
    bool keypadJoystick = false;  // the keypad or arrows, and right Ctrl, are joystick 1
    bool printerOn = false;
    bool saveVideoRamWithShots = false;
    bool fullScreen = false;
    bool hiResBoard = false;
    // The shown image, giant or not, is drawn this many times its size.
    int windowScale = 1;
    // The menu toggles the blur between 0 and 66.
    DisplayOptions display;
    // CMD programs are started and tapes get their load commands when autostarted.
    bool autorun = true;
    // Where printer output goes.
    std::string printerPath;
    // How video recordings are compressed.
    std::string videoCodec = "ffv1";
    uint32_t videoQuality = 80;
};

// Menu command ids.
namespace cmd {
enum : int {
    kAutostart = 135,
    kLoadCmd = 110,
    kLoadBasic = 111,
    kSaveMemoryAsCas = 127,
    kAttachDrive0 = 40018,  // ..40021
    kDetachDrive0 = 40022,  // ..40025
    kDetachAll = 40033,
    kLoadSnapshot = 131,
    kSaveSnapshot = 132,
    kScreenshot = 112,
    kScreenshotAs = 126,
    kSaveVideoRamWithShots = 40123,
    kSaveVideo = 40054,
    kSaveWav = 40120,
    kExit = 102,
    kPause = 104,
    kReset = 105,
    kRestart = 109,
    kCopy = 145,
    kPaste = 40040,
    kMonitor = 108,
    kConfiguration = 141,
    kNoHiRes = 40045,
    kLoweHiRes = 40046,
    kAttachCas = 123,
    kDetachCas = 124,
    kAttachWav = 40034,
    kCreateWav = 120,
    kCloseWav = 121,
    kPlayRecord = 122,
    kRewindTape = 125,
    kAdjustHead = 40121,
    kVideoCut = 128,
    kPage = 129,
    kLimitSpeed = 106,
    kRunInBackground = 40122,
    kSound = 118,
    kSymbolicKeys = 40057,
    kKeypadJoystick = 40230,
    kEnablePrinter = 40060,
    kDoubleScan = 134,
    kCompositeBlur = 40052,
    kOneBitDisplay = 40050,
    kGiantScreen = 40058,
    kWindowScale2 = 40200,
    kWindowScale3 = 40201,
    kToggleFullScreen = 40007,
    kAbout = 103,
};
}  // namespace cmd

inline constexpr const char* kProgramName = "KESTREL";
inline constexpr const char* kInitialTitle = "KESTREL - EACA EG 3003 Video Genie and clones emulator";

// The window's services, as the commands see them. Not on any hot path.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    virtual Machine& machine() = 0;
    virtual FrontEndState& state() = 0;
    // The user's settings store (one that keeps nothing until start-up opens it).
    virtual Settings& settings() = 0;
    // How a file the user starts is autostarted: the user's autorun switch,
    // and the frames a tape start runs shown with the user's display options.
    AutostartOptions autostartOptions(const DiskPrompts* disks) {
        return {.autorun = state().autorun, .display = &state().display, .disks = disks};
    }
    virtual QWidget* window() = 0;
    // "KESTREL - " followed by the text.
    virtual void setWindowTitle(const std::string& text) = 0;
    // Status-bar part 2 (and its tooltip); dropped without a bar.
    virtual void showStatus(const std::string& text) = 0;
    virtual void resetPacing() = 0;
    virtual void presentFrame() = 0;
    virtual void pauseAudio() = 0;
    virtual void resumeAudio() = 0;
    // Checks or unchecks a menu item by id.
    virtual void setMenuChecked(int id, bool checked) = 0;
    virtual void setMenuText(int id, const std::string& text) = 0;
};

}  // namespace kestrel
