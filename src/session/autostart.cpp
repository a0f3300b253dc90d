#include "session/autostart.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "machine/machine.h"
#include "session/disks.h"
#include "session/snapshot.h"

namespace kestrel {

namespace {

// Index of the "." that starts the extension, or npos. A dot in a directory
// name is not an extension.
size_t extensionDot(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return std::string::npos;
    return dot;
}

}  // namespace

std::string imageBaseNameOf(const std::string& path) {
    const size_t dot = extensionDot(path);
    if (dot == std::string::npos || dot == 0) return {};
    return path.substr(0, dot);
}

std::string lowerExtension(const std::string& path) {
    const size_t dot = extensionDot(path);
    if (dot == std::string::npos) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return ext;
}

std::string systemTapeCommand(char nameChar) {
    return std::string("\r\r\r\rSYSTEM\r\r") + nameChar + "\r\r/\r";
}

namespace {

// Emulated seconds a CMD autostart waits at power-on for the firmware to ask
// for a key before it starts the program all the same.
constexpr int kStartFallbackSeconds = 5;

// Shown in the status bar and on the diagnostics stream.
IoResult report(Machine& m, IoResult r, bool trace = true) {
    if (!r) {
        m.showStatus(r.message);
        if (trace && m.diagnostics()) std::fprintf(m.diagnostics(), "%s\n", r.message.c_str());
    }
    return r;
}

void startCmd(Machine& m, const std::vector<uint8_t>& image, bool start) {
    uint16_t entry = 0;
    m.loadCmd(image, entry);
    if (start) m.setProgramCounter(entry);
}

IoResult autostartCmd(Machine& m, const std::string& path, bool start) {
    std::vector<uint8_t> image;
    if (IoResult r = readWholeFile(path, kCmdMaxFileSize, image); !r) return r;
    if (IoResult r = checkCmdImage(image, path); !r) return r;
    if (!m.atPowerOn()) {
        startCmd(m, image, start);
        return {};
    }
    // At power-on the firmware has yet to set up its RAM (the vectors a
    // program calls through, the memory size): answer MEMORY SIZE? and load
    // once it waits at its prompt. Text typed later goes to the program.
    m.typeText("\r\n");
    m.holdTypedTextAtEnd();
    m.startWhenReady([image = std::move(image), start](Machine& machine) { startCmd(machine, image, start); },
                     kStartFallbackSeconds);
    return {};
}

// A plain listing, line by line; at power-on MEMORY SIZE? gets its RETURN first.
IoResult typeListing(Machine& m, const std::string& path, bool run) {
    std::vector<uint8_t> bytes;
    if (IoResult r = readWholeFile(path, TypedText::kMaxFileSize, bytes); !r) return r;
    std::string keys = listingKeys(bytes);
    if (keys.empty()) return IoResult::failure("Nothing to type: " + path + " is empty");
    if (m.atPowerOn()) keys.insert(0, "\r\n");
    if (run) keys += "RUN\r\n";
    if (!m.typeText(keys)) return IoResult::failure("Not enough memory to type " + path);
    return {};
}

IoResult typeBasic(Machine& m, const std::string& path, bool run) {
    if (!Cassette::isTokenisedBasic(path)) return typeListing(m, path, run);
    if (IoResult r = m.attachBasicAsTape(path); !r) return r;
    m.typeText(run ? kTypeConvertedBasic : kTypeLoadBasicOnly);
    return {};
}

IoResult autostartByExtension(Machine& m, const std::string& path, const AutostartOptions& options, bool& quiet) {
    const std::string ext = lowerExtension(path);
    if (ext == "cmd") return autostartCmd(m, path, options.autorun);
    if (ext == "cas") {
        if (IoResult r = m.attachTape(path); !r) return r;
        uint8_t nameChar = 0;
        const int kind = m.findTapeProgram(nameChar);
        if (!options.autorun) {
            quiet = true;
            return {};
        }
        // Let the ROM reach its prompt, then reset into a clean READY and type
        // the command that loads this kind of tape.
        m.typeText("\r");
        for (int frame = 0; frame < 100; ++frame) {
            m.runFrame();
            if (options.display) m.renderFrame(*options.display);
        }
        m.warmReset();
        if (kind == 1)
            m.typeText(kTypeBasicTape);
        else if (kind == 2)
            m.typeText(systemTapeCommand(static_cast<char>(nameChar)));
        else
            m.typeText("");
        return {};
    }
    if (ext == "dsk" || ext == "cgd" || ext == "jv1" || ext == "jv3") {
        const DiskPrompts none;
        if (IoResult r = attachDisk(m, 0, path, options.disks ? *options.disks : none); !r) return r;
        // From the top, so that the firmware boots the disk.
        m.setProgramCounter(0);
        return {};
    }
    if (ext == "hts") return loadSnapshot(m, path);
    if (ext == "bas" || ext == "txt") return typeBasic(m, path, options.autorun);
    return IoResult::failure("Cannot autostart " + path + ": not a CMD, CAS, HTS, BAS or TXT file");
}

}  // namespace

IoResult autostartFile(Machine& m, const std::string& path, const AutostartOptions& options) {
    // Whatever it is, it must be a file that can be read.
    if (IoResult r = checkRegularFile(path, UINTMAX_MAX); !r) return report(m, r, options.traceFailures);
    const std::string previousName = m.imageBaseName();
    m.setImageBaseName(imageBaseNameOf(path));
    bool quiet = false;
    IoResult r = autostartByExtension(m, path, options, quiet);
    if (!r) {
        m.setImageBaseName(previousName);
        return report(m, r, options.traceFailures);
    }
    if (!quiet) m.showStatus("Autoloaded: " + path);
    return r;
}

IoResult loadOrTypeBasic(Machine& m, const std::string& path) {
    if (IoResult r = checkRegularFile(path, UINTMAX_MAX); !r) return report(m, r);
    return report(m, typeBasic(m, path, false));
}

}  // namespace kestrel
