// The debug monitor: registers, T-state counter and a disassembly listing, or a
// hexadecimal and character dump of memory, as lines of text for a grid of
// character cells; moves through memory and steps the processor of one machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace kestrel {

class Monitor {
public:
    enum View : int { kDisassembly = 0, kMemory = 1 };
    // Register and T-state rows above the listing.
    static constexpr int kHeaderRows = 3;
    // Instructions a loop pass runs at most.
    static constexpr int kLoopPassLimit = 10001;

    // Keeps a reference: the machine outlives the monitor.
    explicit Monitor(Machine& machine) : machine_(machine) {}

    // The text grid the views are laid out for; moves by a line or a page
    // depend on it.
    void setSize(int rows, int cols);
    int rows() const { return rows_; }
    int cols() const { return cols_; }

    int view() const { return view_; }
    void setView(int view) { view_ = view == kMemory ? kMemory : kDisassembly; }

    // The current view, one string per row, none longer than the columns.
    std::vector<std::string> lines() const;

    // First listed instruction: the program counter until the listing is moved.
    uint16_t disassemblyStart() const;
    bool followsPc() const { return !disassemblyStart_; }
    uint16_t memoryStart() const { return memoryStart_; }
    void setMemoryStart(uint16_t address) { memoryStart_ = address; }
    // Bytes on one memory line (a multiple of 4, none when too narrow).
    int bytesPerLine() const;

    // The listing follows the program counter again.
    void showAtPc() { disassemblyStart_.reset(); }
    // One line of the current view, +1 forward, -1 back.
    void scroll(int direction);
    // The lines one screen of the view shows.
    void scrollPage(int direction);
    void scrollLines(int direction, int count);
    // Lines the wheel moves for an angle delta (120 a notch): two a notch,
    // negative (back) for a positive delta.
    static int wheelLines(int delta);

    // One instruction even on the breakpoint; the listing shows the new PC.
    void step();
    // Runs until the program counter is back where it was (at most
    // kLoopPassLimit instructions) or the breakpoint is reached after the
    // first instruction; true when the breakpoint stopped it.
    bool loopPass();
    // A new address becomes the armed breakpoint; the same one is switched on or off.
    void toggleBreakpoint() { machine_.toggleBreakpoint(disassemblyStart()); }

private:
    std::vector<std::string> disassemblyLines() const;
    std::vector<std::string> memoryLines() const;
    // The instruction before `address`: the earliest of the five bytes before
    // it whose instruction ends exactly there, else the byte before it.
    uint16_t previousInstruction(uint16_t address) const;

    Machine& machine_;
    int view_ = kDisassembly;
    std::optional<uint16_t> disassemblyStart_;
    uint16_t memoryStart_ = 0;
    int rows_ = 0;
    int cols_ = 0;
};

}  // namespace kestrel
