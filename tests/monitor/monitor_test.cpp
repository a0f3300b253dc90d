#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "monitor/monitor.h"
#include "quiet_machine.h"

namespace kestrel {
namespace {

// A counted loop in RAM, entered at 5000h.
const std::vector<uint8_t> kLoop = {
    0x21, 0x34, 0x12,  // 5000 ld hl,1234h
    0x06, 0x03,        // 5003 ld b,03h
    0xAF,              // 5005 xor a
    0x3C,              // 5006 inc a
    0x10, 0xFD,        // 5007 djnz 5006h
    0xC3, 0x00, 0x50,  // 5009 jp 5000h
};

struct Fixture {
    std::unique_ptr<Machine> machine = std::make_unique<Machine>(test::quietMachineOptions());
    Monitor monitor{*machine};
    Fixture(int rows = 8, int cols = 64) {
        machine->loadMemory(0x5000, kLoop);
        machine->setProgramCounter(0x5000);
        monitor.setSize(rows, cols);
    }
    std::string line(int row) const { return monitor.lines().at(static_cast<size_t>(row)); }
};

TEST(Monitor, StepsShowRegistersCounterAndTheListingFromThePc) {
    Fixture f;
    for (int i = 0; i < 3; ++i) f.monitor.step();
    const std::vector<std::string> expected = {
        "AF:0044,BC:0300,DE:0000,HL:1234,IP:5006,R:03|SZ-H-PNC",
        "IX:0000,IY:0000,SP:FFFF,I:00,BP:FFFF(OFF),FL:01000100",
        "TCOUNT:000000000000000000000021",
        " >5006 3C          inc a",
        "  5007 10 FD       djnz 5006h",
        "  5009 C3 00 50    jp 5000h",
        "  500C 00          nop",
        "  500D 00          nop",
    };
    EXPECT_EQ(f.monitor.lines(), expected);

    // The breakpoint on the first listed line: toggled twice it keeps its address, disarmed.
    f.monitor.scroll(+1);
    f.monitor.toggleBreakpoint();
    EXPECT_EQ(f.line(1).substr(29, 12), "BP:5007(ON )");
    EXPECT_EQ(f.line(3), "* 5007 10 FD       djnz 5006h");
    f.monitor.toggleBreakpoint();
    EXPECT_EQ(f.line(1).substr(29, 12), "BP:5007(OFF)");
    EXPECT_EQ(f.line(3).substr(0, 6), "  5007");

    // Narrow and short grids cut lines and rows; no grid, no text.
    f.monitor.setSize(2, 10);
    EXPECT_EQ(f.monitor.lines(), (std::vector<std::string>{"AF:0044,BC", "IX:0000,IY"}));
    f.monitor.setSize(0, 64);
    EXPECT_TRUE(f.monitor.lines().empty());
}

TEST(Monitor, FlagDigitsAreTheBitsOfF) {
    const std::pair<uint16_t, const char*> cases[] = {{0x0000, "FL:00000000"}, {0x00FF, "FL:11111111"},
                                                      {0x1281, "FL:10000001"}};
    for (const auto& [af, text] : cases) {
        Fixture f;
        Z80State r = f.machine->processor();
        r.AF = af;
        f.machine->setRegisters(r);
        EXPECT_EQ(f.line(1).substr(42), text) << af;
    }
}

TEST(Monitor, LoopPassRunsOneRoundTheBreakpointStopsItOrTheLimit) {
    struct Case {
        uint16_t pc;
        int breakAt;  // -1: none
        bool stopped;
        uint16_t pcAfter;
        uint64_t tstates;
    };
    const Case cases[] = {
        // inc a, djnz taken: back at the top.
        {0x5006, -1, false, 0x5006, 4 + 13},
        // Stops in front of the breakpoint; one it starts on it steps off.
        {0x5006, 0x5007, true, 0x5007, 4},
        {0x5007, 0x5007, false, 0x5007, 13 + 4},
        // inc a, then jr to itself: 10,001 instructions in all.
        {0x6000, -1, false, 0x6001, 4 + 10000 * 12},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.machine->loadMemory(0x6000, std::vector<uint8_t>{0x3C, 0x18, 0xFE});
        f.machine->setProgramCounter(c.pc);
        if (c.breakAt >= 0) f.machine->toggleBreakpoint(static_cast<uint16_t>(c.breakAt));
        f.monitor.scroll(+1);
        EXPECT_EQ(f.monitor.loopPass(), c.stopped) << c.pc;
        EXPECT_EQ(f.machine->processor().PC, c.pcAfter) << c.pc;
        EXPECT_EQ(f.machine->tstates(), c.tstates) << c.pc;
        EXPECT_TRUE(f.monitor.followsPc()) << c.pc;
    }
    // A stop in the monitor leaves the breakpoint armed for the running machine.
    Fixture f;
    f.machine->toggleBreakpoint(0x5009);
    EXPECT_TRUE(f.monitor.loopPass());
    EXPECT_EQ(f.machine->processor().PC, 0x5009);
    f.monitor.step();
    EXPECT_EQ(f.machine->runFrame() & kFrameBreakpoint, unsigned{kFrameBreakpoint});
    EXPECT_EQ(f.machine->processor().PC, 0x5009);
}

TEST(Monitor, ScrollingBackFindsTheInstructionEndingAtTheStart) {
    struct Case {
        uint16_t at;
        std::vector<uint8_t> bytes;
        uint16_t start, back;
    };
    const Case cases[] = {
        {0x6000, {0x00, 0x00, 0x21, 0x34, 0x12}, 0x6005, 0x6002},  // ld hl,1234h
        {0x6000, {0x00, 0xED, 0x43, 0x3E, 0x00}, 0x6005, 0x6001},  // the earlier of two
        {0x6000, {0x01, 0x3E, 0x00, 0x3C, 0x00}, 0x6005, 0x6004},  // none: one byte
        {0xFFFE, {0x21, 0x00, 0x00}, 0x0001, 0xFFFE},              // across FFFFh
    };
    for (const Case& c : cases) {
        Fixture f;
        f.machine->loadMemory(c.at, c.bytes);
        f.machine->setProgramCounter(c.start);
        f.monitor.scroll(-1);
        EXPECT_EQ(f.monitor.disassemblyStart(), c.back) << c.start;
    }
}

TEST(Monitor, PagesAndWheelMoveByTheShownLinesAndWrapAtFFFFh) {
    struct Case {
        int view, rows, cols;
        uint16_t from;
        int pages;
        uint16_t to;
    };
    const Case cases[] = {
        // nop everywhere: a listing page is the 13 instructions below the header.
        {Monitor::kDisassembly, 16, 64, 0xFFF0, 2, 0x000A},
        {Monitor::kDisassembly, 16, 64, 0x000A, -2, 0xFFF0},
        // 64 columns: 12 bytes a line, 32 lines a page.
        {Monitor::kMemory, 32, 64, 0xFF00, 1, 0x0080},
        {Monitor::kMemory, 32, 64, 0x0080, -1, 0xFF00},
        {Monitor::kMemory, 48, 96, 0xFFF0, 1, 0x03B0},  // 20 bytes a line
    };
    for (const Case& c : cases) {
        auto machine = std::make_unique<Machine>(test::quietMachineOptions());
        Monitor monitor(*machine);
        monitor.setSize(c.rows, c.cols);
        monitor.setView(c.view);
        machine->setProgramCounter(c.from);
        monitor.setMemoryStart(c.from);
        for (int i = 0; i < std::abs(c.pages); ++i) monitor.scrollPage(c.pages < 0 ? -1 : 1);
        EXPECT_EQ(c.view == Monitor::kMemory ? monitor.memoryStart() : monitor.disassemblyStart(), c.to) << c.from;
    }
    const std::pair<int, int> wheel[] = {{120, -2}, {-120, 2}, {240, -4}, {-360, 6}, {60, 0}};
    for (const auto& [delta, lines] : wheel) EXPECT_EQ(Monitor::wheelLines(delta), lines) << delta;
}

TEST(Monitor, MemoryViewShowsBytesAndCharactersToTheWidth) {
    struct Case {
        int cols;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {64,
         {" 5000: 21 34 12 06 03 AF 3C 10  FD C3 00 50 :!4....<....P",
          " 500C: 00 00 00 00 00 00 00 00  00 00 00 00 :............"}},
        {80,
         {" 5000: 21 34 12 06 03 AF 3C 10  FD C3 00 50 00 00 00 00 :!4....<....P....",
          " 5010: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00 :................"}},
        // Too narrow for a byte: the address alone, the same on every row.
        {14, {" 5000: :", " 5000: :"}},
        {5, {" 5000", " 5000"}},
    };
    for (const Case& c : cases) {
        Fixture f(2, c.cols);
        f.monitor.setView(Monitor::kMemory);
        f.monitor.setMemoryStart(0x5000);
        EXPECT_EQ(f.monitor.lines(), c.lines) << c.cols;
    }
    // Characters 32 to 125 as themselves; a gap after the 8th and 24th byte of a wide line.
    Fixture f(1, 128);
    std::vector<uint8_t> bytes(28);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0x1E + i * 4);
    f.machine->loadMemory(0x7000, bytes);
    f.monitor.setView(Monitor::kMemory);
    f.monitor.setMemoryStart(0x7000);
    EXPECT_EQ(f.line(0),
              " 7000: 1E 22 26 2A 2E 32 36 3A  3E 42 46 4A 4E 52 56 5A 5E 62 66 6A 6E 72 76 7A  7E 82 86 8A "
              ":.\"&*.26:>BFJNRVZ^bfjnrvz....");
}

}  // namespace
}  // namespace kestrel
