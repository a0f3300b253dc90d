#include "media/autostart.h"

#include <algorithm>
#include <cctype>

#include "machine/machine.h"
#include "media/snapshot.h"

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

void typeText(Machine& m, const std::string& text) {
    m.traps.installKeyboardTrap();
    m.typedText.setTypedText(text);
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

void autostartFile(Machine& m, const std::string& path) {
    m.imageBaseName = imageBaseNameOf(path);
    const std::string ext = lowerExtension(path);
    if (ext == "cmd") {
        CmdFileResult r = m.cmdLoader.loadCmdFile(m, path, m.traceOutput, m.traceErrors);
        if (!r.opened && !r.message.empty()) {
            // Refused unread: say why instead of claiming it was loaded.
            m.showStatus(r.message);
            return;
        }
        if (r.opened && m.autorun) m.cpu.PC = r.entry;
    } else if (ext == "cas") {
        m.cassette.attachCas(path);
        uint8_t nameChar = 0;
        const int kind = m.cassette.findCasProgram(nameChar);
        if (!m.autorun) return;
        // Let the ROM reach its prompt, then reset into a clean READY and type
        // the command that loads this kind of tape.
        typeText(m, "\r");
        for (int frame = 0; frame < 100; ++frame) {
            m.runFrame();
            if (m.presentFrame) m.renderFrame();
        }
        m.warmReset();
        if (kind == 1)
            typeText(m, kTypeBasicTape);
        else if (kind == 2)
            typeText(m, systemTapeCommand(static_cast<char>(nameChar)));
        else
            m.traps.installKeyboardTrap();
    } else if (ext == "dsk" || ext == "cgd") {
        // No disk drives are fitted yet: every image is one they cannot read.
        m.showStatus("Unsupported disk image.\n");
    } else if (ext == "hts") {
        std::string message;
        if (!loadSnapshot(m, path, &message) && m.traceErrors) std::fprintf(m.traceErrors, "%s\n", message.c_str());
    } else if (ext == "bas" || ext == "txt") {
        if (Cassette::isTokenisedBasic(path)) {
            m.cassette.convertBasicToCas(path);
            typeText(m, kTypeConvertedBasic);
        } else if (m.typedText.loadTypedTextFile(path)) {
            m.traps.installKeyboardTrap();
        }
    }
    m.showStatus("Autoloaded: " + path);
}

void loadOrTypeBasic(Machine& m, const std::string& path) {
    if (Cassette::isTokenisedBasic(path)) {
        m.cassette.convertBasicToCas(path);
        typeText(m, kTypeLoadBasicOnly);
    } else if (m.typedText.loadTypedTextFile(path)) {
        m.traps.installKeyboardTrap();
    }
}

}  // namespace kestrel
