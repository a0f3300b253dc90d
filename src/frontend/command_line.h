// The window's command line: GNU-style options, and the short slash options
// that scripts written for the original program use ("/h", "/m2", "/b FILE").
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// One option that changes the machine or the window, in the order given.
struct StartAction {
    enum Kind {
        kNoAutorun,        // /a --no-autorun
        kAutostart,        // /b --autostart FILE
        kNoDoubleScan,     // /d --no-double-scan
        kHiRes,            // /g --hires
        kNoSound,          // /h --no-sound
        kDisk,             // /i --disk FILE
        kMachine,          // /m --machine N: configuration N-1
        kRam,              // /r --ram 16|48
        kScreenshotAfter,  // /s --screenshot-after S
        kQuitAfter,        // /t --quit-after S
        kRecordVideo,      // /v --record-video FILE
        kNoSpeedLimit,     // /w --no-speed-limit
    };
    Kind kind = kNoAutorun;
    std::string file = {};
    int number = 0;        // configuration index, or RAM kilobytes
    double seconds = 0;

    bool operator==(const StartAction&) const = default;
};

struct CommandLine {
    std::vector<StartAction> actions;
    std::string file;  // the file to autostart, when one is named
    std::string romDir;
    // For scripted checks: text typed after the file's, and pictures taken
    // when --quit-after closes the window.
    std::string type, screenshotWindow, frameImage;
    bool printTitle = false;
    bool help = false;
    bool version = false;
    // Slash options that do nothing, said on stderr.
    std::vector<std::string> warnings;
};

// The arguments after the program name. A bad one gives nullopt and a
// one-line reason in `error`.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error);
// --help's text.
std::string commandLineUsage();

}  // namespace kestrel
