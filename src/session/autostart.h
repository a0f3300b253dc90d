// Starting any file by its extension: CMD programs, CAS tapes, disks, snapshots
// and BASIC listings, with the commands typed for the user.
#pragma once

#include <string>

#include "io/file_io.h"
#include "session/disks.h"
#include "video/display_options.h"

namespace kestrel {

class Machine;

// The path without its extension, for screenshot names: empty when the file
// name has no "." or begins with it. Only the last path component is looked at.
std::string imageBaseNameOf(const std::string& path);

// The extension of the last path component in lower case, empty when none.
std::string lowerExtension(const std::string& path);

// Loads, attaches or types the file by its extension. Success posts
// "Autoloaded: <path>"; a failure leaves the machine as it was and its reason
// goes to the status bar and the machine's diagnostics stream. At power-on a
// CMD program is loaded and started once the firmware waits at its prompt,
// and a listing is typed after the RETURN that answers MEMORY SIZE?.
struct AutostartOptions {
    // CMD programs are started and tapes get their load commands typed.
    bool autorun = true;
    // The frames a tape autostart runs are shown with these options; none: not shown.
    const DisplayOptions* display = nullptr;
    // A failure also goes to the machine's diagnostics stream.
    bool traceFailures = true;
    // How a changed disk in drive 0 is dealt with before a disk image goes in;
    // none: it is not saved.
    const DiskPrompts* disks = nullptr;
};
IoResult autostartFile(Machine& machine, const std::string& path, const AutostartOptions& options = {});
// A BAS/TXT file loaded or typed in, not run; only a failure is posted.
IoResult loadOrTypeBasic(Machine& machine, const std::string& path);

// The command strings typed for tapes; each carriage return swallows the byte
// after it, so "\r\r" reaches the ROM as one RETURN.
inline constexpr const char* kTypeBasicTape = "\r\rCLOAD\r\rRUN\r";
inline constexpr const char* kTypeConvertedBasic = "\r\r\r\rCLOAD\r\rRUN\r";
inline constexpr const char* kTypeLoadBasicOnly = "\r\r\r\rCLOAD\r\r";
std::string systemTapeCommand(char nameChar);  // "\r\r\r\rSYSTEM\r\r%c\r\r/\r"

}  // namespace kestrel
