#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>

#include "machine/machine.h"
#include "machine/screen_text.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

TEST(MachineTest, StartsAsAZeroed48KVideoGenie) {
    auto m = std::make_unique<Machine>();
    MachinePeer in = inside(*m);
    EXPECT_EQ(std::tuple(in.cpu.clockHz, in.cpu.PC, in.bus.ramTop(), in.bus.activeConfigIndex, in.bus.isTrs80()),
              std::tuple(1774080, 0, 0xFFFF, 0, false));
    for (int a = 0; a < 0x10000; ++a) ASSERT_EQ(in.bus.memoryBase()[a], 0) << a;
    for (int p = 0; p < 256; ++p) ASSERT_EQ(in.bus.lastPortOut(static_cast<uint8_t>(p)), 0) << p;
}

TEST(MachineTest, TwoMachinesAreIndependent) {
    auto a = std::make_unique<Machine>();
    auto b = std::make_unique<Machine>();
    MachinePeer pa = inside(*a), pb = inside(*b);
    pa.bus.activeConfigIndex = 3;
    pa.bus.setRamTop(0x3FFF);
    pa.bus.memWrite(0x8000, 0x12);
    pa.bus.memWrite(0x4000, 0x34);
    pa.bus.memWrite(0x37E0, 0x01);
    pa.bus.portOut(0xFF, 0x0B);
    pa.cpu.tstates = 99;
    pa.bus.portOut(0x1F, 2);
    // What the writes did to a, and that b saw none of it.
    EXPECT_EQ(std::tuple(pa.bus.memRead(0x8000), pa.video.columns32, pa.fdc.driveSelect, pa.sound.beeperLevel),
              std::tuple(0xFF, true, 1u, 3 * 4096));
    EXPECT_EQ(std::tuple(pb.bus.memRead(0x8000), pb.bus.memRead(0x4000), pb.bus.lastPortOut(0xFF),
                         pb.bus.lastPortOut(0x1F), pb.video.columns32, pb.bus.redrawPending),
              std::tuple(0, 0, 0, 0, false, false));
    EXPECT_EQ(std::tuple(pb.fdc.driveSelect, pb.sound.beeperLevel, pb.cpu.tstates), std::tuple(0u, 0, 0u));

    // Each bus talks to its own devices and its own processor.
    pb.bus.memWrite(0x3C00, 0x01);
    EXPECT_TRUE(pb.bus.redrawPending);
    EXPECT_EQ(pa.bus.memoryBase()[0x3C00], 0);
    pb.fdc.driveSelect = 1;
    pb.fdc.interruptPending = true;
    pb.cpu.intLine = pa.cpu.intLine = 1;
    EXPECT_EQ(pb.bus.memRead(0x37E0), 0x40);
    EXPECT_EQ(std::tuple(pb.cpu.intLine, pa.cpu.intLine), std::tuple(0u, 1u));
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

TEST(ScreenText, ConvertsCodesAsTheClipboardCopyDoes) {
    std::array<uint8_t, 1024> vram;
    vram.fill(0x20);
    std::string blank = screenText(vram.data(), "\r\n");
    ASSERT_EQ(blank.size(), 16u * 66);
    for (int row = 0; row < 16; ++row) EXPECT_EQ(blank.substr(row * 66, 66), std::string(64, ' ') + "\r\n");

    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {0x00, "@"}, {0x1F, "_"}, {0x41, "A"}, {0x5E, "["}, {0x60, "'"}, {0x7F, "\x7F"},
        {0x80, " "},                 // no dots
        {0x81, "\U0001FB00"},        // top left: the first sextant
        {0x95, "\u258C"},            // the left column
        {0x96, "\U0001FB14"},        // the sextant after the left column
        {0xAA, "\u2590"},            // the right column
        {0xBE, "\U0001FB3B"},        // all but top left: the last sextant
        {0xBF, "\u2588"}, {0xFF, "\u2588"},
    };
    std::string expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        vram[64 + i] = cases[i].code;
        expected += cases[i].text;
    }
    const std::string text = screenText(vram.data(), "\n");
    EXPECT_EQ(text.substr(65, expected.size()), expected);
    EXPECT_EQ(text.substr(65 + expected.size(), 64 - std::size(cases) + 1), std::string(64 - std::size(cases), ' ') + "\n");
}

TEST(ScreenText, PastedTextBecomesKeys) {
    const struct {
        const char* text;
        const char* keys;
        size_t dropped;
    } cases[] = {
        {"10 PRINT 1\r\nRUN\r\n", "10 PRINT 1\r\nRUN\r\n", 0},
        {"A\nB\rC", "A\r\nB\r\nC", 0},
        {"\xE2\x80\x9CHi\xE2\x80\x9D \xE2\x80\x98x\xE2\x80\x99 1\xE2\x80\x93" "2\tok\xE2\x80\xA6", "\"Hi\" 'x' 1-2 ok...", 0},
        {"caf\xC3\xA9 {x} \xF0\x9F\x98\x80", "caf x ", 4},
        {"\xFF\xC3", "", 2},  // malformed UTF-8
    };
    for (const auto& c : cases) {
        const PastedKeys pasted = pastedKeys(c.text);
        EXPECT_EQ(pasted.keys, c.keys) << c.text;
        EXPECT_EQ(pasted.dropped, c.dropped) << c.text;
    }
}

}  // namespace
}  // namespace kestrel
