#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include <string>

#include "machine/machine.h"
#include "machine/screen_text.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

TEST(MachineTest, StartsAsAZeroed48KVideoGenie) {
    auto m = std::make_unique<Machine>();
    EXPECT_EQ(inside(*m).cpu.clockHz, 1774080);
    EXPECT_EQ(inside(*m).cpu.PC, 0);
    EXPECT_EQ(inside(*m).bus.ramTop(), 0xFFFF);
    EXPECT_EQ(inside(*m).bus.activeConfigIndex, 0);
    EXPECT_FALSE(inside(*m).bus.isTrs80());
    for (int a = 0; a < 0x10000; ++a) ASSERT_EQ(inside(*m).bus.memoryBase()[a], 0) << a;
    for (int p = 0; p < 256; ++p) ASSERT_EQ(inside(*m).bus.lastPortOut(static_cast<uint8_t>(p)), 0) << p;
    EXPECT_EQ(inside(*m).bus.memRead(0xC000), 0x00);  // 48 KB: nothing hidden
}

TEST(MachineTest, TwoMachinesAreIndependent) {
    auto a = std::make_unique<Machine>();
    auto b = std::make_unique<Machine>();

    inside(*a).bus.activeConfigIndex = 3;
    inside(*a).bus.setRamTop(0x3FFF);
    inside(*a).bus.memWrite(0x8000, 0x12);
    inside(*a).bus.memWrite(0x4000, 0x34);
    inside(*a).bus.memWrite(0x37E0, 0x01);
    inside(*a).bus.portOut(0xFF, 0x0B);
    inside(*a).cpu.tstates = 99;
    inside(*a).bus.portOut(0x1F, 2);

    EXPECT_EQ(inside(*a).bus.memRead(0x8000), 0xFF);
    EXPECT_TRUE(inside(*a).video.columns32);
    EXPECT_EQ(inside(*a).fdc.driveSelect, 1u);
    EXPECT_EQ(inside(*a).sound.beeperLevel, 3 * 4096);

    EXPECT_EQ(inside(*b).bus.memRead(0x8000), 0x00);
    EXPECT_EQ(inside(*b).bus.memRead(0x4000), 0x00);
    EXPECT_EQ(inside(*b).bus.lastPortOut(0xFF), 0);
    EXPECT_EQ(inside(*b).bus.lastPortOut(0x1F), 0);
    EXPECT_FALSE(inside(*b).video.columns32);
    EXPECT_FALSE(inside(*b).bus.redrawPending);
    EXPECT_EQ(inside(*b).fdc.driveSelect, 0u);
    EXPECT_EQ(inside(*b).sound.beeperLevel, 0);
    EXPECT_EQ(inside(*b).cpu.tstates, 0u);

    // Each bus talks to its own devices and its own processor.
    inside(*b).bus.memWrite(0x3C00, 0x01);
    EXPECT_TRUE(inside(*b).bus.redrawPending);
    EXPECT_EQ(inside(*a).bus.memoryBase()[0x3C00], 0);
    inside(*b).fdc.driveSelect = 1;
    inside(*b).fdc.interruptPending = true;
    inside(*b).cpu.intLine = 1;
    inside(*a).cpu.intLine = 1;
    EXPECT_EQ(inside(*b).bus.memRead(0x37E0), 0x40);
    EXPECT_EQ(inside(*b).cpu.intLine, 0u);
    EXPECT_EQ(inside(*a).cpu.intLine, 1u);
}

// Places a program at 0x4000 (RAM) and starts the processor there.
void loadProgram(Machine& m, std::initializer_list<uint8_t> bytes) {
    uint16_t a = 0x4000;
    for (uint8_t b : bytes) inside(m).bus.memoryBase()[a++] = b;
    inside(m).cpu.PC = 0x4000;
}

TEST(MachineTest, ProgramsReachTheBusThroughRunCycles) {
    auto m = std::make_unique<Machine>();
    // LD BC,12FFh; LD A,05h; OUT (C),A; LD A,01h; LD (3C00h),A;
    // LD A,(3C00h); LD (5000h),A; OUT (1Fh),A; LD A,3Ah; OUT (1Eh),A; HALT
    loadProgram(*m, {0x01, 0xFF, 0x12, 0x3E, 0x05, 0xED, 0x79, 0x3E, 0x01, 0x32, 0x00, 0x3C,
                     0x3A, 0x00, 0x3C, 0x32, 0x00, 0x50, 0xD3, 0x1F, 0x3E, 0x3A, 0xD3, 0x1E,
                     0x76});
    // 10 + 7 + 12 + 7 + 13 + 13 + 13 + 11 + 7 + 11 = 104 T-states up to the HALT.
    inside(*m).tape.cassetteLatch = 1;
    EXPECT_EQ(m->runCycles(104), 0);
    EXPECT_EQ(inside(*m).cpu.PC, 0x4018);
    EXPECT_EQ(inside(*m).cpu.tstates, 104u);

    // OUT (C),A used only C as the port number.
    EXPECT_EQ(inside(*m).bus.lastPortOut(0xFF), 0x05);
    EXPECT_EQ(inside(*m).bus.lastPortOut(0x12), 0x00);
    EXPECT_EQ(inside(*m).sound.beeperLevel, 4096);  // bits 0-1 went from 0 to 1
    // The last sound change was the PSG write, brought up to the count at the
    // start of its OUT (1Eh).
    EXPECT_EQ(inside(*m).sound.updatedTo, 93u);
    EXPECT_EQ(inside(*m).tape.cassetteLatch, 0);    // motor bit set: the latch is reset

    EXPECT_EQ(inside(*m).bus.memoryBase()[0x3C00], 0x41);
    EXPECT_TRUE(inside(*m).bus.redrawPending);
    EXPECT_EQ(inside(*m).bus.memoryBase()[0x5000], 0x41);
}

// What a new caller can do with the public operations alone: start, type,
// run, read the screen, stop at a breakpoint, step over it, and get the timed
// frame events.
TEST(MachineTest, ANewCallerDrivesItThroughItsOperationsAlone) {
    MachineOptions o;
    o.diagnostics = nullptr;
    Machine m(o);
    m.startUp();
    ASSERT_TRUE(m.typeText("\r\nPRINT 6*7\r\n"));
    for (int i = 0; i < 300 && m.typing(); ++i) m.runFrame();
    for (int i = 0; i < 10; ++i) m.runFrame();
    EXPECT_NE(screenText(m.memory().data() + 0x3C00, "\n").find(" 42"), std::string::npos);

    const uint16_t pc = m.processor().PC;
    m.toggleBreakpoint(pc);
    EXPECT_EQ(m.runFrame() & kFrameBreakpoint, kFrameBreakpoint);
    EXPECT_EQ(m.processor().PC, pc);
    const uint64_t before = m.tstates();
    m.stepInstruction();
    EXPECT_GT(m.tstates(), before);
    EXPECT_EQ(m.processor().breakEnabled, 1u);  // stepping over it keeps it set
    m.toggleBreakpoint(pc);

    m.screenshotAt(m.tstates() + 1);
    m.quitAt(m.tstates() + 3 * static_cast<uint64_t>(m.frameBudget()));
    EXPECT_EQ(m.runFrame(), kFrameScreenshot);
    EXPECT_EQ(m.runFrame(), 0u);  // the screenshot fires once
    EXPECT_EQ(m.runFrame(), 0u);
    EXPECT_EQ(m.runFrame(), kFrameQuit);
}

}  // namespace
}  // namespace kestrel
