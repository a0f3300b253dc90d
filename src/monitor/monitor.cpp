#include "monitor/monitor.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "monitor/disassembler.h"

namespace kestrel {

namespace {

// Read as stored: looking at memory must not acknowledge a device's latch.
MemoryReader reader(const Machine& machine) { return MemoryReader(machine.memory().data()); }

std::string flagDigits(uint8_t f) {
    std::string digits;
    for (int bit = 7; bit >= 0; --bit) digits += (f >> bit) & 1 ? '1' : '0';
    return digits;
}

}  // namespace

void Monitor::setSize(int rows, int cols) {
    rows_ = std::max(0, rows);
    cols_ = std::max(0, cols);
}

uint16_t Monitor::disassemblyStart() const { return disassemblyStart_.value_or(machine_.processor().PC); }

int Monitor::bytesPerLine() const {
    // Room for " AAAA: ", the ":" and three columns a byte.
    if (cols_ < 16) return 0;
    return (((cols_ - 16) / 2) & 248) / 2;
}

std::vector<std::string> Monitor::lines() const {
    std::vector<std::string> out = view_ == kMemory ? memoryLines() : disassemblyLines();
    for (std::string& line : out)
        if (line.size() > static_cast<size_t>(cols_)) line.resize(static_cast<size_t>(cols_));
    return out;
}

std::vector<std::string> Monitor::disassemblyLines() const {
    std::vector<std::string> out;
    if (rows_ == 0 || cols_ == 0) return out;
    const Z80State& r = machine_.processor();
    char text[96];
    std::snprintf(text, sizeof text, "AF:%04X,BC:%04X,DE:%04X,HL:%04X,IP:%04X,R:%02X|SZ-H-PNC", r.AF, r.BC, r.DE,
                  r.HL, r.PC, r.R);
    out.emplace_back(text);
    std::snprintf(text, sizeof text, "IX:%04X,IY:%04X,SP:%04X,I:%02X,BP:%04X(%s),FL:%s", r.IX, r.IY, r.SP, r.I,
                  r.breakAddress, r.breakEnabled ? "ON " : "OFF", flagDigits(r.F).c_str());
    out.emplace_back(text);
    std::snprintf(text, sizeof text, "TCOUNT:%024" PRIu64, machine_.tstates());
    out.emplace_back(text);
    out.resize(static_cast<size_t>(std::min(rows_, kHeaderRows)));

    // Column 0 marks the armed breakpoint, column 1 the program counter.
    const MemoryReader memory = reader(machine_);
    uint16_t address = disassemblyStart();
    std::string line;
    for (int row = kHeaderRows; row < rows_; ++row) {
        const uint16_t next = disassembleOne(memory, address, line);
        const char breakMark = r.breakEnabled && address == r.breakAddress ? '*' : ' ';
        const char pcMark = address == r.PC ? '>' : ' ';
        out.push_back(std::string{breakMark, pcMark} + line.substr(1));
        address = next;
    }
    return out;
}

std::vector<std::string> Monitor::memoryLines() const {
    std::vector<std::string> out;
    const int n = bytesPerLine();
    const std::span<const uint8_t, 0x10000> memory = machine_.memory();
    uint16_t address = memoryStart_;
    char text[8];
    for (int row = 0; row < rows_; ++row) {
        std::snprintf(text, sizeof text, " %04X: ", address);
        std::string line = text;
        std::string characters;
        for (int i = 0; i < n; ++i) {
            const uint8_t b = memory[static_cast<uint16_t>(address + i)];
            std::snprintf(text, sizeof text, "%02X ", b);
            line += text;
            // A gap after every 16 bytes' middle: after the 8th, 24th, 40th ...
            if (i % 16 == 7 && i + 1 < n) line += ' ';
            characters += b >= 32 && b <= 125 ? static_cast<char>(b) : '.';
        }
        out.push_back(line + ":" + characters);
        address = static_cast<uint16_t>(address + n);
    }
    return out;
}

uint16_t Monitor::previousInstruction(uint16_t address) const {
    const MemoryReader memory = reader(machine_);
    std::string unused;
    for (int back = 5; back > 1; --back) {
        const uint16_t candidate = static_cast<uint16_t>(address - back);
        if (disassembleOne(memory, candidate, unused) == address) return candidate;
    }
    return static_cast<uint16_t>(address - 1);
}

void Monitor::scroll(int direction) {
    if (view_ == kMemory) {
        memoryStart_ = static_cast<uint16_t>(memoryStart_ + direction * bytesPerLine());
        return;
    }
    const uint16_t start = disassemblyStart();
    if (direction > 0) {
        std::string unused;
        disassemblyStart_ = disassembleOne(reader(machine_), start, unused);
    } else {
        disassemblyStart_ = previousInstruction(start);
    }
}

void Monitor::scrollPage(int direction) {
    // A page is what the view lists, so nothing is passed over unseen.
    const int page = view_ == kMemory ? rows_ : rows_ - kHeaderRows;
    scrollLines(direction, page);
}

void Monitor::scrollLines(int direction, int count) {
    for (int i = 0; i < count; ++i) scroll(direction);
}

int Monitor::wheelLines(int delta) {
    const int count = std::abs(delta / 120 * 256 / 120);
    return delta > 0 ? -count : count;
}

void Monitor::step() {
    machine_.stepInstruction();
    setView(kDisassembly);
    showAtPc();
}

bool Monitor::loopPass() {
    const uint16_t start = machine_.processor().PC;
    machine_.stepInstruction();
    bool stopped = false;
    for (int i = 1; i < kLoopPassLimit && machine_.processor().PC != start; ++i) {
        if (machine_.runCycles(0)) {
            // Armed again, or it would stay passive once the machine runs on.
            machine_.rearmBreakpoint();
            stopped = true;
            break;
        }
    }
    setView(kDisassembly);
    showAtPc();
    return stopped;
}

}  // namespace kestrel
