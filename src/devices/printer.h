// Parallel printer (port 0xFD, or 0x37E8 on the TRS-80), printing into a text
// file. The file is held in memory and written whole: a crash or a full disk
// never leaves it half written, and earlier runs' output stays at its start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "io/held_file.h"

namespace kestrel {

// The largest printer file kept; beyond it the printer is out of paper.
inline constexpr std::size_t kMaxPrinterFile = 16u << 20;

class Printer {
public:
    // Status bits as the guest reads them.
    static constexpr uint8_t kBusy = 0x80, kPaperOut = 0x40, kSelected = 0x20, kNoFault = 0x10;
    static constexpr uint8_t kReady = kSelected | kNoFault;
    // Characters on a printed line; a longer one goes on on the next.
    static constexpr int kLineWidth = 64;

    Printer() {
        file_.onError = [this](const std::string& text) { report(text); };
    }
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Printing goes on at the end of `path` (created, with its directory, when
    // missing). An open printer is closed first.
    IoResult open(const std::string& path);
    // Writes out what was printed, then the printer is off line.
    IoResult close();
    bool isOpen() const { return file_.held(); }
    const std::string& path() const { return file_.path(); }
    // The file as it stands, written out or not.
    const std::vector<uint8_t>& contents() const { return file_.bytes(); }

    void printByte(uint8_t value);
    // kReady while printing; paper out once the file is full; 0 off line.
    uint8_t printerStatus() const { return !file_.held() ? 0 : full_ ? kReady | kPaperOut : kReady; }

    // Once a frame: writes what was printed at most once a second of
    // emulated time, so that a crash loses little.
    void endFrame(uint64_t tstates, int64_t clockHz);
    // Writes the file now if something was printed since it was last written.
    IoResult flush();

    // Messages with no caller to tell (file full, a failed write).
    std::function<void(const std::string&)> postStatus;
    std::FILE* diagnostics = nullptr;

private:
    void report(const std::string& text);
    void put(uint8_t byte);
    // At the size limit the printer is out of paper, and says so once.
    void checkFull();

    HeldFile file_;  // the whole file
    bool full_ = false;
    int column_ = 0;
};

}  // namespace kestrel
