// The execution loop around the instructions: the carried T-state budget, the
// breakpoint, HALT, maskable and non-maskable interrupts, reset and init.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

class Z80Loop : public Z80Test {
protected:
    // A maskable request held in `mode` with interrupts enabled.
    void requestInterrupt(uint8_t mode) {
        cpu.interruptMode = mode;
        cpu.IFF1 = cpu.IFF2 = 1;
        cpu.intLine = 1;
        cpu.SP = 0x9000;
    }
    // After an interrupt from SP = 9000h: PC, SP, the address pushed, IFF1, IFF2.
    std::tuple<int, int, int, int, int> entry() const {
        return {cpu.PC, cpu.SP, bus.word(0x8FFE), cpu.IFF1, cpu.IFF2};
    }
};

TEST_F(Z80Loop, OvershootIsCarriedAndTheCountPassesThirtyTwoBits) {
    // LD A,(nn) takes 13 T-states: a budget of 6 overshoots by 7.
    program({0x3A, 0x00, 0x00});
    cpu.cycleBudget = 0;
    uint64_t start = cpu.tstates;
    EXPECT_EQ(z80Execute(cpu, bus, 6), 0);
    EXPECT_EQ(std::tuple(cpu.tstates - start, cpu.cycleBudget), std::tuple(13u, -7));
    // The rest of memory is NOPs: 35474 T-states owed are 8868.5 NOPs, so 8869 run.
    start = cpu.tstates;
    EXPECT_EQ(z80Execute(cpu, bus, 35481), 0);
    EXPECT_EQ(std::tuple(cpu.tstates - start, cpu.cycleBudget, cpu.PC), std::tuple(35476u, -2, kCode + 3 + 8869));

    // A zero budget runs one instruction.
    cpu.tstates = 0xFFFFFFFEull;
    cpu.cycleBudget = 0;
    EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
    EXPECT_EQ(std::tuple(cpu.tstates, cpu.cycleBudget, cpu.PC), std::tuple(0x100000002ull, -4, kCode + 3 + 8870));
    cpu.tstates = 0xFFFFFFF0ull;
    cpu.cycleBudget = 0;
    EXPECT_EQ(z80Execute(cpu, bus, 100), 0);
    EXPECT_EQ(std::tuple(cpu.tstates, cpu.cycleBudget), std::tuple(0xFFFFFFF0ull + 100, 0));
}

TEST_F(Z80Loop, BreakpointStopsBeforeTheInstruction) {
    program({0x00, 0x00, 0x00});
    cpu.breakEnabled = 1;
    cpu.breakAddress = kCode;
    cpu.breakLatch = 0;
    cpu.cycleBudget = -5;
    cpu.R = 0x10;
    EXPECT_EQ(z80Execute(cpu, bus, 1000), 1);
    EXPECT_EQ(std::tuple(cpu.PC, z80GetPC(cpu), cpu.tstates, cpu.cycleBudget, cpu.R, cpu.breakLatch),
              std::tuple(kCode, kCode, 1000u, -5, 0x10, 1u));

    // Latched: the breakpoint is passed.
    EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
    EXPECT_EQ(cpu.PC, kCode + 1);

    // Cleared latch with PC on the breakpoint: stops again at once.
    cpu.PC = kCode;
    cpu.breakLatch = 0;
    EXPECT_EQ(z80Execute(cpu, bus, 0), 1);
    EXPECT_EQ(cpu.PC, kCode);

    // The monitor's single step: disarm for one instruction.
    cpu.breakLatch = 0;
    cpu.breakEnabled = 0;
    EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
    cpu.breakEnabled = 1;
    EXPECT_EQ(std::tuple(cpu.PC, cpu.breakLatch), std::tuple(kCode + 1, 0u));

    // Met during a frame, it gives the rest of the budget back.
    cpu.PC = kCode;
    cpu.tstates = 1000;
    cpu.breakAddress = kCode + 3;
    cpu.cycleBudget = 0;
    EXPECT_EQ(z80Execute(cpu, bus, 1000), 1);
    EXPECT_EQ(std::tuple(cpu.PC, cpu.tstates, cpu.cycleBudget), std::tuple(kCode + 3, 1012u, -12));
    // Resuming the frame with the latch still set runs on past it; the frame's
    // 1000 T-states are paid in total.
    EXPECT_EQ(z80Execute(cpu, bus, 1000), 0);
    EXPECT_EQ(std::tuple(cpu.tstates, cpu.cycleBudget), std::tuple(2000u, 0));
}

// From the state z80Init leaves (FFFFh, off): the same address inverts, another
// one moves the breakpoint there armed, even from disarmed.
TEST_F(Z80Loop, ToggleBreakpoint) {
    const std::pair<uint16_t, bool> steps[] = {{0xFFFF, true},  {0x1234, true},  {0x1234, false}, {0x1234, true},
                                               {0x5678, true},  {0x5678, false}, {0x9ABC, true}};
    for (auto [address, enabled] : steps) {
        z80ToggleBreakpoint(cpu, address);
        EXPECT_EQ(cpu.breakAddress, address);
        EXPECT_EQ(cpu.breakEnabled != 0, enabled) << std::hex << address;
    }
}

TEST_F(Z80Loop, HaltRepeatsItselfUntilAnEnabledInterrupt) {
    program({0xED, 0x4F, 0x76, 0x00});  // LD R,A; HALT
    cpu.A = 0xFE;
    cpu.IFF1 = cpu.IFF2 = 0;
    step();
    for (uint8_t wantR : {0xFF, 0x80, 0x81}) {  // R bit 7 stays as LD R,A set it
        EXPECT_EQ(step(), 4u);
        EXPECT_EQ(cpu.PC, kCode + 2);
        EXPECT_EQ(cpu.R, wantR);
    }
    // A maskable request without IFF1 does not release it.
    cpu.intLine = 1;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 2);

    // With a budget the HALT is passed over and over.
    cpu.cycleBudget = 0;
    uint64_t start = cpu.tstates;
    EXPECT_EQ(z80Execute(cpu, bus, 400), 0);
    EXPECT_EQ(cpu.tstates - start, 400u);
    EXPECT_EQ(cpu.PC, kCode + 2);

    // Enabled, the request is taken and returns after the HALT.
    requestInterrupt(1);
    EXPECT_EQ(step(), 4u + 13u);
    EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode + 3, 0, 0));

    // So it does when taken at the HALT's first execution.
    program({0xFB, 0x76});  // EI; HALT
    requestInterrupt(1);
    step();
    EXPECT_EQ(step(), 4u + 13u);
    EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode + 2, 0, 0));
}

TEST_F(Z80Loop, MaskableInterruptAfterEiAndTheNextInstruction) {
    program({0xFB, 0x00, 0x00});
    requestInterrupt(1);
    cpu.IFF1 = cpu.IFF2 = 0;
    cpu.R = 0;
    cpu.cycleBudget = 0;

    EXPECT_EQ(step(), 4u) << "not taken right after EI";
    EXPECT_EQ(std::tuple(cpu.PC, cpu.IFF1, cpu.IFF2), std::tuple(kCode + 1, 1, 1));

    bus.clearLogs();
    uint64_t start = cpu.tstates;
    EXPECT_EQ(step(), 4u + 13u);
    EXPECT_EQ(cpu.cycleBudget, -(4 + 4 + 13)) << "the acknowledge counts against the budget";
    EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode + 2, 0, 0));
    EXPECT_NE(cpu.intLine, 0u) << "the acknowledge does not lower the request";
    EXPECT_EQ(cpu.R, 3);
    // High byte after 7 T-states of the acknowledge, low byte 3 later.
    ASSERT_EQ(bus.writes.size(), 2u);
    for (const MemAccess& w : bus.writes) {
        bool high = w.address == 0x8FFF;
        EXPECT_EQ(w.address, high ? 0x8FFF : 0x8FFE);
        EXPECT_EQ(w.value, high ? 0x80 : 0x02);
        EXPECT_EQ(w.tstates, start + 4 + (high ? 7 : 10));
    }

    // DI then: no interrupt after DI nor after the next instruction.
    program({0xF3, 0x00});
    requestInterrupt(1);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(std::tuple(cpu.IFF1, cpu.IFF2), std::tuple(0, 0));
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 2);

    // A run of EIs delays it until the first other instruction.
    program({0xFB, 0xFB, 0xFB, 0x00, 0x00});
    requestInterrupt(1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 3);
    EXPECT_EQ(step(), 17u);
    EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode + 4, 0, 0));
}

// The acknowledge steps R once more, keeping bit 7 (0xFE -> 0xFF for the NOP -> 0x80).
TEST_F(Z80Loop, InterruptModesTwoAndZero) {
    // Mode 2 with I = 0xFF: low byte of the vector at 0xFFFF, high byte at 0x0000.
    struct Case {
        uint8_t mode, i;
        unsigned t;
        uint16_t wantPC;
    };
    bus.load(0xFFFF, {0x34});
    bus.load(0x0000, {0x12});
    bus.load(0x40FF, {0xCD, 0xAB});
    for (const Case& c : {Case{2, 0xFF, 4 + 19, 0x1234}, Case{2, 0x40, 4 + 19, 0xABCD}, Case{0, 0x40, 4 + 13, 0x0038}}) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " I " << std::hex << int(c.i));
        program({0x00});
        requestInterrupt(c.mode);
        cpu.I = c.i;
        cpu.R = 0xFE;
        EXPECT_EQ(step(), c.t);
        EXPECT_EQ(entry(), std::tuple(c.wantPC, 0x8FFE, kCode + 1, 0, 0));
        EXPECT_EQ(cpu.R, 0x80);
    }
}

TEST_F(Z80Loop, NmiDuringHalt) {
    program({0x76, 0x00, 0x00});
    bus.load(0x0066, {0x00, 0x00, 0xED, 0x45});  // NOP; NOP; RETN
    requestInterrupt(1);
    cpu.intLine = 0;
    cpu.nmiLine = 1;
    cpu.R = 0x7F;
    EXPECT_EQ(step(), 4u + 11u);
    EXPECT_EQ(entry(), std::tuple(0x0066, 0x8FFE, kCode + 1, 0, 1));
    EXPECT_NE(cpu.nmiTaken, 0u);
    EXPECT_EQ(cpu.R, 0x01) << "the HALT and the acknowledge step the low seven bits";

    // Still requested, but taken already.
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, 0x0067);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(step(), 14u);  // RETN
    EXPECT_EQ(std::tuple(cpu.PC, cpu.SP, cpu.IFF1), std::tuple(kCode + 1, 0x9000, 1));

    cpu.nmiTaken = 0;
    EXPECT_EQ(step(), 4u + 11u);
    EXPECT_EQ(entry(), std::tuple(0x0066, 0x8FFE, kCode + 2, 0, 1));
}

TEST_F(Z80Loop, NmiComesBeforeTheMaskableInterrupt) {
    program({0x00, 0x00});
    bus.load(0x0066, {0x00});
    requestInterrupt(1);
    cpu.nmiLine = 1;
    EXPECT_EQ(step(), 4u + 11u);
    EXPECT_EQ(entry(), std::tuple(0x0066, 0x8FFE, kCode + 1, 0, 1));
    // IFF1 is now 0, so the maskable request waits.
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, 0x0067);

    // With IFF1 = IFF2 = 0 the NMI is still taken, and IFF2 stays 0.
    program({0x00});
    cpu.IFF1 = cpu.IFF2 = 0;
    cpu.intLine = 0;
    cpu.nmiTaken = 0;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(std::tuple(cpu.PC, cpu.IFF2), std::tuple(0x0066, 0));

    // Right after EI the NMI is not held back.
    program({0xFB});
    cpu.nmiTaken = 0;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(std::tuple(cpu.PC, cpu.IFF1, cpu.IFF2), std::tuple(0x0066, 0, 1));

    // A blocked NMI does not block the maskable interrupt.
    program({0x00});
    requestInterrupt(1);
    cpu.nmiLine = 1;
    cpu.nmiTaken = 1;
    EXPECT_EQ(step(), 17u);
    EXPECT_EQ(cpu.PC, 0x0038);
}

TEST_F(Z80Loop, IgnoredPrefixLetsAnInterruptIn) {
    // Returns to the byte after the prefix; before HALT, onto the HALT itself,
    // since the byte tested is the prefix.
    for (uint8_t next : {0x00, 0x76}) {
        program({0xDD, next});
        requestInterrupt(1);
        EXPECT_EQ(step(), 4u + 13u);
        EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode + 1, 0, 0)) << std::hex << int(next);
    }
}

TEST_F(Z80Loop, BlockInstructionsAndInterrupts) {
    // LDIR can be interrupted between passes and resumes at the LDIR.
    program({0xED, 0xB0});
    cpu.HL = 0x4000;
    cpu.DE = 0x5000;
    cpu.BC = 2;
    cpu.F = 0xD7;
    requestInterrupt(1);
    EXPECT_EQ(step(), 21u + 13u);
    EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode, 0, 0));
    EXPECT_EQ(std::tuple(cpu.BC, cpu.F), std::tuple(1, 0xD7));

    // CPIR runs whole before the interrupt.
    program({0xED, 0xB1});
    bus.load(0x4000, {0x01, 0x02, 0x03});
    cpu.HL = 0x4000;
    cpu.BC = 3;
    cpu.A = 0x55;
    requestInterrupt(1);
    EXPECT_EQ(step(), 2u * 21 + 16 + 13);
    EXPECT_EQ(entry(), std::tuple(0x0038, 0x8FFE, kCode + 2, 0, 0));
    EXPECT_EQ(cpu.BC, 0);
}

// Sets every field that init or reset could touch to something else.
void scramble(Z80& cpu) {
    cpu.tstates = 123456789, cpu.clockHz = 2000000;
    cpu.BC = 0x1111, cpu.DE = 0x2222, cpu.HL = 0x3333, cpu.IX = 0x4444, cpu.IY = 0x5555;
    cpu.altAF = 0x6666, cpu.altBC = 0x7777, cpu.altDE = 0x8888, cpu.altHL = 0x9999;
    cpu.PC = 0x4321, cpu.SP = 0x1000, cpu.AF = 0x0000, cpu.I = 0x12, cpu.R = 0x34;
    cpu.IFF1 = cpu.IFF2 = 1, cpu.interruptMode = 2;
    cpu.breakEnabled = 1, cpu.breakAddress = 0x1234;
    cpu.intLine = cpu.nmiLine = cpu.nmiTaken = 1;
}

TEST(Z80Lifecycle, InitAndReset) {
    // What both set, and what both leave alone (tstates and the other registers).
    const auto afterReset = std::make_tuple(0xFFFF, 0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0xFFFF, 0x0000,
                                            0x6666, 0x7777, 0x8888, 0x9999, 0, 0, 0, 0, 0);
    Z80 cpu;
    scramble(cpu);
    z80Init(cpu, 1774080);
    EXPECT_EQ(registers(cpu), afterReset);
    EXPECT_EQ(cpu.clockHz, 1774080);
    EXPECT_EQ(cpu.lineTstates, 113u);
    EXPECT_EQ(cpu.breakEnabled, 0u);
    EXPECT_EQ(cpu.breakAddress, 0xFFFF);
    EXPECT_EQ(cpu.intLine | cpu.nmiLine | cpu.nmiTaken, 0u);
    EXPECT_EQ(cpu.tstates, 123456789u);
    z80Init(cpu, 1747200);
    EXPECT_EQ(cpu.lineTstates, 111u);

    scramble(cpu);
    z80Reset(cpu);
    EXPECT_EQ(registers(cpu), afterReset);
    EXPECT_EQ(cpu.intLine | cpu.nmiLine | cpu.nmiTaken, 0u);
    // Left alone by reset.
    EXPECT_EQ(cpu.tstates, 123456789u);
    EXPECT_EQ(cpu.clockHz, 2000000);
    EXPECT_EQ(cpu.breakEnabled, 1u);
    EXPECT_EQ(cpu.breakAddress, 0x1234);
}

TEST(Z80Lifecycle, MachinesAreIndependent) {
    Z80 a, b;
    FlatBus busA(&a), busB(&b);
    z80Init(a, 1774080);
    z80Init(b, 1774080);
    busA.load(0, {0x3E, 0x11});  // LD A,0x11
    busB.load(0, {0x3E, 0x22});
    z80Execute(a, busA, 0);
    z80Execute(b, busB, 0);
    EXPECT_EQ(a.A, 0x11);
    EXPECT_EQ(b.A, 0x22);
    EXPECT_EQ(a.cycleBudget, -7);
    EXPECT_EQ(b.cycleBudget, -7);
}

}  // namespace
}  // namespace kestrel::test
