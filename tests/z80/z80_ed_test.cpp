// The ED page: block transfers, searches and port loops, RRD/RLD, interrupt
// control, 16-bit loads, port forms with (C), no-operations and emulator traps.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

class Z80Ed : public Z80Test {};

TEST_F(Z80Ed, LdirRepeatsThroughTheLoop) {
    program({0xED, 0xB0});
    cpu.HL = 0x4000;
    cpu.DE = 0x5000;
    cpu.BC = 3;
    bus.load(0x4000, {0x01, 0x02, 0x03});
    cpu.A = 0x00;
    cpu.F = 0xD7;
    cpu.R = 0;

    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(cpu.PC, kCode) << "PC back on the LDIR";
    EXPECT_EQ(cpu.BC, 2);
    EXPECT_EQ(cpu.HL, 0x4001);
    EXPECT_EQ(cpu.DE, 0x5001);
    EXPECT_EQ(mem(0x5000), 0x01);
    EXPECT_EQ(mem(0x5001), 0x00) << "one byte per pass";
    EXPECT_EQ(cpu.F, 0xD7);
    EXPECT_EQ(cpu.R, 2);

    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(cpu.PC, kCode);
    EXPECT_EQ(cpu.BC, 1);
    EXPECT_EQ(cpu.F, 0xD7);
    EXPECT_EQ(cpu.R, 4);

    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.HL, 0x4003);
    EXPECT_EQ(cpu.DE, 0x5003);
    EXPECT_EQ(mem(0x5002), 0x03);
    // S, Z, C kept; H, P/V, N cleared; n = A + 3 = 0x03 gives bit 5 (bit 1 of n).
    EXPECT_EQ(cpu.F, 0xE1);
    EXPECT_EQ(cpu.R, 6);
}

TEST_F(Z80Ed, LdirWithZeroCountMovesEverything) {
    program({0xED, 0xB0});
    cpu.HL = 0x4000;  // onto itself, so the program survives
    cpu.DE = 0x4000;
    cpu.BC = 0;
    bus.logReads = false;
    uint64_t start = cpu.tstates;
    int passes = 0;
    while (cpu.PC == kCode && passes < 70000) {
        step();
        ++passes;
    }
    EXPECT_EQ(passes, 65536);
    EXPECT_EQ(bus.writes.size(), 65536u);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.HL, 0x4000);
    EXPECT_EQ(cpu.DE, 0x4000);
    EXPECT_EQ(cpu.tstates - start, 65535u * 21 + 16);
}

TEST_F(Z80Ed, LdirOverlappingFillsForward) {
    // Destination one above the source: the first byte is replicated, as the
    // real processor copies one byte per pass.
    program({0xED, 0xB0});
    cpu.HL = 0x4000;
    cpu.DE = 0x4001;
    cpu.BC = 4;
    bus.load(0x4000, {0xAA, 0x01, 0x02, 0x03, 0x04});
    while (cpu.PC == kCode) step();
    EXPECT_EQ(mem(0x4001), 0xAA);
    EXPECT_EQ(mem(0x4002), 0xAA);
    EXPECT_EQ(mem(0x4003), 0xAA);
    EXPECT_EQ(mem(0x4004), 0xAA);

    // LDIR with BC = 1 is a single 16 T-state pass.
    program({0xED, 0xB0});
    cpu.HL = 0x4000;
    cpu.DE = 0x5000;
    cpu.BC = 1;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.PC, kCode + 2);
}

TEST_F(Z80Ed, LdiAndLddFlagsAndDirection) {
    program({0xED, 0xA0});  // LDI
    cpu.HL = 0x4000;
    cpu.DE = 0x5000;
    cpu.BC = 2;
    poke(0x4000, 0x08);
    cpu.A = 0x20;
    cpu.F = 0xD7;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(mem(0x5000), 0x08);
    EXPECT_EQ(cpu.HL, 0x4001);
    EXPECT_EQ(cpu.DE, 0x5001);
    EXPECT_EQ(cpu.BC, 1);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.F, 0xCD);  // S, Z, C kept; P/V (BC != 0); n = 0x28: bit 3 only

    program({0xED, 0xA0});
    poke(0x4001, 0x02);
    cpu.A = 0x00;
    cpu.F = 0x12;
    step();
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.F, 0x20);  // n = 0x02: bit 1 goes to bit 5; P/V = 0

    program({0xED, 0xA0});
    cpu.HL = 0x4000;
    cpu.BC = 5;
    poke(0x4000, 0x1A);
    cpu.A = 0xF0;  // n = 0x10A, only the low byte counts
    cpu.F = 0;
    step();
    EXPECT_EQ(cpu.F, 0x2C);

    program({0xED, 0xA8});  // LDD
    cpu.HL = 0x4002;
    cpu.DE = 0x5002;
    cpu.BC = 1;
    poke(0x4002, 0x99);
    cpu.A = 0;
    cpu.F = 0;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(mem(0x5002), 0x99);
    EXPECT_EQ(cpu.HL, 0x4001);
    EXPECT_EQ(cpu.DE, 0x5001);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.F, 0x08);  // n = 0x99: bit 3 set, bit 1 clear

    // LDI wraps HL and DE.
    program({0xED, 0xA0});
    cpu.HL = 0xFFFF;
    cpu.DE = 0xFFFF;
    cpu.BC = 2;
    step();
    EXPECT_EQ(cpu.HL, 0x0000);
    EXPECT_EQ(cpu.DE, 0x0000);
}

TEST_F(Z80Ed, LddrCopiesDownward) {
    program({0xED, 0xB8});
    cpu.HL = 0x4002;
    cpu.DE = 0x5002;
    cpu.BC = 3;
    bus.load(0x4000, {0xA1, 0xA2, 0xA3});
    cpu.F = 0x00;
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(cpu.PC, kCode);
    EXPECT_EQ(cpu.F, 0x00);
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(mem(0x5000), 0xA1);
    EXPECT_EQ(mem(0x5001), 0xA2);
    EXPECT_EQ(mem(0x5002), 0xA3);
    EXPECT_EQ(cpu.HL, 0x3FFF);
    EXPECT_EQ(cpu.DE, 0x4FFF);
    EXPECT_EQ(cpu.BC, 0);
}

TEST_F(Z80Ed, CpirSearchesInOneExecution) {
    // Match at the second byte.
    program({0xED, 0xB1});
    bus.load(0x4000, {0x11, 0x22, 0x33, 0x44, 0x55});
    cpu.HL = 0x4000;
    cpu.BC = 5;
    cpu.A = 0x22;
    cpu.F = FLAG_C;
    cpu.R = 0;
    EXPECT_EQ(step(), 21u + 16u);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.BC, 3);
    EXPECT_EQ(cpu.HL, 0x4002);
    EXPECT_EQ(cpu.A, 0x22);
    EXPECT_EQ(cpu.F, 0x47);  // Z, P/V, N, C kept
    EXPECT_EQ(cpu.R, 2);

    // No match: all five passes, flags from the last comparison (0x22 - 0x05).
    program({0xED, 0xB1});
    bus.load(0x4000, {0x01, 0x02, 0x03, 0x04, 0x05});
    cpu.HL = 0x4000;
    cpu.BC = 5;
    cpu.A = 0x22;
    cpu.F = 0;
    cpu.R = 0;
    EXPECT_EQ(step(), 4u * 21 + 16);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.HL, 0x4005);
    EXPECT_EQ(cpu.F, 0x1A);  // H, N; m = 0x1D - 1 = 0x1C gives bit 3; P/V = 0
    EXPECT_EQ(cpu.R, 2);

    // Match at the last byte still ends with BC = 0 and P/V = 0.
    program({0xED, 0xB1});
    bus.load(0x4000, {0x01, 0x22});
    cpu.HL = 0x4000;
    cpu.BC = 2;
    cpu.A = 0x22;
    cpu.F = 0;
    EXPECT_EQ(step(), 21u + 16u);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.F, 0x42);

    // CPDR walks down.
    program({0xED, 0xB9});
    bus.load(0x4000, {0x22, 0x00, 0x00});
    cpu.HL = 0x4002;
    cpu.BC = 10;
    cpu.A = 0x22;
    cpu.F = 0;
    EXPECT_EQ(step(), 2u * 21 + 16);
    EXPECT_EQ(cpu.HL, 0x3FFF);
    EXPECT_EQ(cpu.BC, 7);
    EXPECT_EQ(cpu.F, 0x46);
}

// Each pass that is followed by another adds its 21 T-states before the next
// read, so a device sees the count move on between the passes.
TEST_F(Z80Ed, CpirPassesAdvanceTheCountBeforeTheNextRead) {
    program({0xED, 0xB1});
    bus.load(0x4000, {0x11, 0x22, 0x33});
    cpu.HL = 0x4000;
    cpu.BC = 3;
    cpu.A = 0x33;
    bus.clearLogs();
    uint64_t start = cpu.tstates;
    EXPECT_EQ(step(), 2u * 21 + 16);
    std::vector<MemAccess> dataReads;
    for (const MemAccess& r : bus.reads)
        if (r.address >= 0x4000 && r.address < 0x4003) dataReads.push_back(r);
    ASSERT_EQ(dataReads.size(), 3u);
    EXPECT_EQ(dataReads[0].tstates, start);
    EXPECT_EQ(dataReads[1].tstates, start + 21);
    EXPECT_EQ(dataReads[2].tstates, start + 42);
}

TEST_F(Z80Ed, CpirWithZeroCountSearchesAllMemory) {
    program({0xED, 0xB1});
    cpu.HL = 0x4000;
    cpu.BC = 0;
    cpu.A = 0x55;  // nowhere in memory
    cpu.F = 0;
    bus.logReads = false;
    EXPECT_EQ(step(), 65535u * 21 + 16);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.HL, 0x4000);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.F & (FLAG_Z | FLAG_PV), 0);
}

TEST_F(Z80Ed, CpiAndCpdFlags) {
    program({0xED, 0xA1});  // CPI
    cpu.HL = 0x4000;
    cpu.BC = 1;
    poke(0x4000, 0x08);
    cpu.A = 0x10;
    cpu.F = 0;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.HL, 0x4001);
    EXPECT_EQ(cpu.BC, 0);
    EXPECT_EQ(cpu.PC, kCode + 2);
    // 0x10 - 0x08 = 0x08 with H; m = 0x07: bit 5 from bit 1, bit 3 clear.
    EXPECT_EQ(cpu.F, 0x32);

    program({0xED, 0xA1});
    cpu.HL = 0x4000;
    cpu.BC = 1;
    poke(0x4000, 0x01);
    cpu.A = 0x00;
    cpu.F = FLAG_C;
    step();
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0xBB);  // 0xFF: S, H; m = 0xFE: 5 and 3; N; C kept

    program({0xED, 0xA9});  // CPD
    cpu.HL = 0x4005;
    cpu.BC = 2;
    poke(0x4005, 0x10);
    cpu.A = 0x10;
    cpu.F = 0;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.HL, 0x4004);
    EXPECT_EQ(cpu.BC, 1);
    EXPECT_EQ(cpu.F, 0x46);

    program({0xED, 0xA1});
    cpu.HL = 0x4000;
    cpu.BC = 3;
    poke(0x4000, 0x10);
    cpu.A = 0x38;  // 0x28, no half borrow: m = 0x28
    cpu.F = 0;
    step();
    EXPECT_EQ(cpu.F, 0x0E);  // 3 (bit 3 of m), P/V, N; bit 1 of m is 0
}

TEST_F(Z80Ed, InputBlockInstructions) {
    program({0xED, 0xA2});  // INI
    cpu.BC = 0x02FE;
    cpu.HL = 0x4000;
    bus.portValues[0xFE] = 0x5A;
    bus.portValues[0x02] = 0x11;
    cpu.F = 0xC5;
    uint64_t start = cpu.tstates;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(mem(0x4000), 0x5A);
    EXPECT_EQ(cpu.HL, 0x4001);
    EXPECT_EQ(cpu.B, 1);
    EXPECT_EQ(cpu.C, 0xFE);
    EXPECT_EQ(cpu.F, 0x87);  // Z cleared, N set, others kept
    ASSERT_EQ(bus.ins.size(), 1u);
    EXPECT_EQ(bus.ins[0].port, 0xFE);
    EXPECT_EQ(bus.ins[0].tstates, start);

    program({0xED, 0xAA});  // IND
    cpu.BC = 0x01FE;
    cpu.HL = 0x4010;
    cpu.F = 0x00;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(mem(0x4010), 0x5A);
    EXPECT_EQ(cpu.HL, 0x400F);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.F, 0x42);

    program({0xED, 0xB2});  // INIR
    cpu.BC = 0x02FE;
    cpu.HL = 0x4100;
    cpu.F = 0x81;
    bus.clearLogs();
    start = cpu.tstates;
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(cpu.PC, kCode);
    EXPECT_EQ(cpu.B, 1);
    EXPECT_EQ(cpu.F, 0x81);
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.HL, 0x4102);
    EXPECT_EQ(mem(0x4101), 0x5A);
    EXPECT_EQ(cpu.F, 0xC3);
    ASSERT_EQ(bus.ins.size(), 2u);
    EXPECT_EQ(bus.ins[0].tstates, start);
    EXPECT_EQ(bus.ins[1].tstates, start + 21);

    program({0xED, 0xBA});  // INDR
    cpu.BC = 0x02FE;
    cpu.HL = 0x4201;
    cpu.F = 0;
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.HL, 0x41FF);
    EXPECT_EQ(mem(0x4200), 0x5A);
    EXPECT_EQ(cpu.F, 0x42);
}

TEST_F(Z80Ed, OutputBlockInstructions) {
    program({0xED, 0xA3});  // OUTI
    cpu.BC = 0x0210;
    cpu.HL = 0x4000;
    poke(0x4000, 0x77);
    cpu.F = 0x40;
    EXPECT_EQ(step(), 16u);
    ASSERT_EQ(bus.outs.size(), 1u);
    EXPECT_EQ(bus.outs[0].port, 0x10);
    EXPECT_EQ(bus.outs[0].value, 0x77);
    EXPECT_EQ(cpu.HL, 0x4001);
    EXPECT_EQ(cpu.B, 1);
    EXPECT_EQ(cpu.F, 0x02);

    program({0xED, 0xAB});  // OUTD
    cpu.BC = 0x0110;
    cpu.HL = 0x4000;
    cpu.F = 0;
    bus.clearLogs();
    EXPECT_EQ(step(), 16u);
    ASSERT_EQ(bus.outs.size(), 1u);
    EXPECT_EQ(bus.outs[0].value, 0x77);
    EXPECT_EQ(cpu.HL, 0x3FFF);
    EXPECT_EQ(cpu.F, 0x42);

    // OTIR with B = 1: one byte, Z and N, 16 T-states.
    program({0xED, 0xB3});
    cpu.BC = 0x0120;
    cpu.HL = 0x4000;
    cpu.F = 0x00;
    bus.clearLogs();
    EXPECT_EQ(step(), 16u);
    ASSERT_EQ(bus.outs.size(), 1u);
    EXPECT_EQ(bus.outs[0].port, 0x20);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.F, 0x42);

    // OTIR with B = 3: three passes, each access at the start of its pass.
    program({0xED, 0xB3});
    bus.load(0x4000, {0xA1, 0xA2, 0xA3});
    cpu.BC = 0x0320;
    cpu.HL = 0x4000;
    cpu.F = 0x01;
    bus.clearLogs();
    uint64_t start = cpu.tstates;
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(cpu.PC, kCode);
    EXPECT_EQ(cpu.F, 0x01);
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(cpu.F, 0x01);
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.F, 0x43);
    ASSERT_EQ(bus.outs.size(), 3u);
    const uint8_t want[3] = {0xA1, 0xA2, 0xA3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bus.outs[i].port, 0x20);
        EXPECT_EQ(bus.outs[i].value, want[i]);
        EXPECT_EQ(bus.outs[i].tstates, start + 21u * i);
    }

    program({0xED, 0xBB});  // OTDR
    cpu.BC = 0x0220;
    cpu.HL = 0x4002;
    bus.clearLogs();
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(step(), 16u);
    ASSERT_EQ(bus.outs.size(), 2u);
    EXPECT_EQ(bus.outs[0].value, 0xA3);
    EXPECT_EQ(bus.outs[1].value, 0xA2);
    EXPECT_EQ(cpu.HL, 0x4000);
}

TEST_F(Z80Ed, OtirWithZeroCountSends256Bytes) {
    program({0xED, 0xB3});
    cpu.BC = 0x0030;
    cpu.HL = 0x4000;
    for (int i = 0; i < 256; ++i) poke(static_cast<uint16_t>(0x4000 + i), static_cast<uint8_t>(i));
    int passes = 0;
    while (cpu.PC == kCode && passes < 300) {
        step();
        ++passes;
    }
    EXPECT_EQ(passes, 256);
    ASSERT_EQ(bus.outs.size(), 256u);
    EXPECT_EQ(bus.outs[0].value, 0x00);
    EXPECT_EQ(bus.outs[255].value, 0xFF);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.HL, 0x4100);
}

TEST_F(Z80Ed, RrdAndRld) {
    program({0xED, 0x67});  // RRD
    cpu.HL = 0x4000;
    poke(0x4000, 0x20);
    cpu.A = 0x84;
    cpu.F = 0x13;
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(mem(0x4000), 0x42);
    EXPECT_EQ(cpu.F, 0x81);  // S; odd parity; H, N cleared; C kept

    program({0xED, 0x6F});  // RLD
    poke(0x4000, 0x31);
    cpu.A = 0x7A;
    cpu.F = 0x00;
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(cpu.A, 0x73);
    EXPECT_EQ(mem(0x4000), 0x1A);
    EXPECT_EQ(cpu.F, 0x20);

    program({0xED, 0x6F});
    poke(0x4000, 0x0F);
    cpu.A = 0x05;
    cpu.F = 0x00;
    step();
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(mem(0x4000), 0xF5);
    EXPECT_EQ(cpu.F, 0x44);

    program({0xED, 0x67});
    poke(0x4000, 0x8C);
    cpu.A = 0x20;
    cpu.F = 0x00;
    step();
    EXPECT_EQ(cpu.A, 0x2C);
    EXPECT_EQ(mem(0x4000), 0x08);
    EXPECT_EQ(cpu.F, 0x28);  // 5, 3, odd parity
}

TEST_F(Z80Ed, InterruptModesAndReturns) {
    struct Mode {
        uint8_t op, mode;
    };
    const Mode modes[] = {{0x46, 0}, {0x56, 1}, {0x5E, 2}, {0x66, 0}, {0x76, 1}, {0x7E, 2}};
    for (const Mode& m : modes) {
        program({0xED, m.op});
        cpu.interruptMode = 3 - m.mode;  // anything else
        EXPECT_EQ(step(), 8u);
        EXPECT_EQ(cpu.interruptMode, m.mode) << std::hex << "ED " << int(m.op);
    }

    // RETN: IFF1 from IFF2.
    program({0xED, 0x45});
    cpu.SP = 0x9000;
    poke(0x9000, 0x34);
    poke(0x9001, 0x12);
    cpu.IFF1 = 0;
    cpu.IFF2 = 1;
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(cpu.PC, 0x1234);
    EXPECT_EQ(cpu.SP, 0x9002);
    EXPECT_EQ(cpu.IFF1, 1);
    EXPECT_EQ(cpu.IFF2, 1);
    program({0xED, 0x45});
    cpu.SP = 0x9000;
    cpu.IFF1 = 1;
    cpu.IFF2 = 0;
    step();
    EXPECT_EQ(cpu.IFF1, 0);

    // RETI and its duplicates only pop.
    for (uint8_t op : {0x4D, 0x55, 0x5D, 0x65, 0x6D, 0x75, 0x7D}) {
        program({0xED, op});
        cpu.SP = 0x9000;
        cpu.IFF1 = 0;
        cpu.IFF2 = 1;
        EXPECT_EQ(step(), 14u) << std::hex << "ED " << int(op);
        EXPECT_EQ(cpu.PC, 0x1234) << std::hex << "ED " << int(op);
        EXPECT_EQ(cpu.SP, 0x9002);
        EXPECT_EQ(cpu.IFF1, 0) << std::hex << "ED " << int(op);
        EXPECT_EQ(cpu.IFF2, 1);
    }
}

TEST_F(Z80Ed, LoadIAndRegisterR) {
    program({0xED, 0x47});  // LD I,A
    cpu.A = 0x3C;
    cpu.F = 0xA5;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu.I, 0x3C);
    EXPECT_EQ(cpu.F, 0xA5);

    // LD R,A writes all eight bits; the next fetch steps the low seven only.
    program({0xED, 0x4F, 0x00, 0x00});
    cpu.A = 0xFF;
    cpu.R = 0x00;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu.R, 0xFF);
    step();
    EXPECT_EQ(cpu.R, 0x80);
    step();
    EXPECT_EQ(cpu.R, 0x81);

    program({0xED, 0x4F, 0x00});
    cpu.A = 0x05;
    cpu.R = 0xF0;
    step();
    EXPECT_EQ(cpu.R, 0x05) << "bit 7 cleared too";
    step();
    EXPECT_EQ(cpu.R, 0x06);
}

TEST_F(Z80Ed, SixteenBitLoadsThroughMemory) {
    struct Case {
        uint8_t store, load;
        uint16_t Z80State::*pair;
    };
    const Case cases[] = {
        {0x43, 0x4B, &Z80State::BC},
        {0x53, 0x5B, &Z80State::DE},
        {0x63, 0x6B, &Z80State::HL},
        {0x73, 0x7B, &Z80State::SP},
    };
    for (const Case& c : cases) {
        program({0xED, c.store, 0xFF, 0xFF});
        cpu.*c.pair = 0xC0DE;
        EXPECT_EQ(step(), 20u);
        EXPECT_EQ(cpu.PC, kCode + 4);
        EXPECT_EQ(mem(0xFFFF), 0xDE) << std::hex << "ED " << int(c.store);
        EXPECT_EQ(mem(0x0000), 0xC0) << std::hex << "ED " << int(c.store);

        program({0xED, c.load, 0x00, 0x50});
        bus.load(0x5000, {0x34, 0x12});
        cpu.*c.pair = 0;
        EXPECT_EQ(step(), 20u);
        EXPECT_EQ(cpu.PC, kCode + 4);
        EXPECT_EQ(cpu.*c.pair, 0x1234) << std::hex << "ED " << int(c.load);
    }
}

TEST_F(Z80Ed, PortFormsWithC) {
    struct Case {
        uint8_t op;
        uint8_t Z80State::*reg;
    };
    const Case outs[] = {
        {0x41, &Z80State::B}, {0x49, &Z80State::C}, {0x51, &Z80State::D}, {0x59, &Z80State::E},
        {0x61, &Z80State::H}, {0x69, &Z80State::L}, {0x79, &Z80State::A},
    };
    for (const Case& c : outs) {
        program({0xED, c.op});
        cpu.BC = 0x12FF;  // the upper byte B never reaches the port number
        cpu.DE = 0x3456;
        cpu.HL = 0x789A;
        cpu.A = 0xBC;
        cpu.F = 0xD7;
        uint8_t want = cpu.*c.reg;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        EXPECT_EQ(step(), 12u);
        ASSERT_EQ(bus.outs.size(), 1u);
        EXPECT_EQ(bus.outs[0].port, 0xFF) << std::hex << "ED " << int(c.op);
        EXPECT_EQ(bus.outs[0].value, want) << std::hex << "ED " << int(c.op);
        EXPECT_EQ(bus.outs[0].tstates, start);
        EXPECT_EQ(cpu.F, 0xD7) << "OUT changes no flag";
    }

    program({0xED, 0x71});  // OUT (C),0
    cpu.BC = 0x12FE;
    cpu.A = 0xBC;
    bus.clearLogs();
    EXPECT_EQ(step(), 12u);
    ASSERT_EQ(bus.outs.size(), 1u);
    EXPECT_EQ(bus.outs[0].port, 0xFE);
    EXPECT_EQ(bus.outs[0].value, 0x00);

    const Case ins[] = {
        {0x40, &Z80State::B}, {0x48, &Z80State::C}, {0x50, &Z80State::D}, {0x58, &Z80State::E},
        {0x60, &Z80State::H}, {0x68, &Z80State::L}, {0x78, &Z80State::A},
    };
    for (const Case& c : ins) {
        program({0xED, c.op});
        cpu.BC = 0x12FE;
        cpu.DE = 0x3456;
        cpu.HL = 0x789A;
        cpu.A = 0xBC;
        bus.portValues[0xFE] = 0x42;
        bus.portValues[0x12] = 0x24;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        EXPECT_EQ(step(), 12u);
        ASSERT_EQ(bus.ins.size(), 1u);
        EXPECT_EQ(bus.ins[0].port, 0xFE);
        EXPECT_EQ(bus.ins[0].tstates, start);
        EXPECT_EQ(cpu.*c.reg, 0x42) << std::hex << "ED " << int(c.op);
    }
}

TEST_F(Z80Ed, UndefinedOpcodesDoNothing) {
    std::vector<int> nops;
    for (int op = 0x0A; op <= 0x3F; ++op) nops.push_back(op);
    for (int op : {0x4E, 0x6E, 0x77, 0x7F}) nops.push_back(op);
    for (int op = 0x80; op <= 0x9F; ++op) nops.push_back(op);
    for (int op = 0xA4; op <= 0xA7; ++op) nops.push_back(op);
    for (int op = 0xAC; op <= 0xAF; ++op) nops.push_back(op);
    for (int op = 0xB4; op <= 0xB7; ++op) nops.push_back(op);
    for (int op = 0xBC; op <= 0xFF; ++op) nops.push_back(op);

    for (int op : nops) {
        program({0xED, static_cast<uint8_t>(op)});
        cpu.AF = 0x1234;
        cpu.BC = 0x5678;
        cpu.DE = 0x9ABC;
        cpu.HL = 0x4000;
        cpu.IX = 0x1111;
        cpu.IY = 0x2222;
        cpu.SP = 0x9000;
        cpu.altAF = 0x3333;
        cpu.altBC = 0x4444;
        cpu.altDE = 0x5555;
        cpu.altHL = 0x6666;
        cpu.I = 0x77;
        cpu.R = 0x85;
        cpu.IFF1 = 1;
        cpu.IFF2 = 0;
        cpu.interruptMode = 1;
        cpu.cycleBudget = -3;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << op);
        EXPECT_EQ(cpu.tstates, start);
        EXPECT_EQ(cpu.cycleBudget, -3);
        EXPECT_EQ(cpu.PC, kCode + 2);
        EXPECT_EQ(cpu.R, 0x87);
        EXPECT_EQ(cpu.AF, 0x1234);
        EXPECT_EQ(cpu.BC, 0x5678);
        EXPECT_EQ(cpu.DE, 0x9ABC);
        EXPECT_EQ(cpu.HL, 0x4000);
        EXPECT_EQ(cpu.IX, 0x1111);
        EXPECT_EQ(cpu.IY, 0x2222);
        EXPECT_EQ(cpu.SP, 0x9000);
        EXPECT_EQ(cpu.altAF, 0x3333);
        EXPECT_EQ(cpu.altBC, 0x4444);
        EXPECT_EQ(cpu.altDE, 0x5555);
        EXPECT_EQ(cpu.altHL, 0x6666);
        EXPECT_EQ(cpu.I, 0x77);
        EXPECT_EQ(cpu.IFF1, 1);
        EXPECT_EQ(cpu.IFF2, 0);
        EXPECT_EQ(cpu.interruptMode, 1);
        EXPECT_TRUE(bus.writes.empty());
        EXPECT_TRUE(bus.ins.empty());
        EXPECT_TRUE(bus.outs.empty());
        EXPECT_TRUE(bus.traps.empty());
    }
}

TEST_F(Z80Ed, TrapsReachServiceTrapWithoutTime) {
    for (int nn = 0; nn <= 9; ++nn) {
        program({0xED, static_cast<uint8_t>(nn)});
        cpu.cycleBudget = -5;
        cpu.R = 0;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
        ASSERT_EQ(bus.traps.size(), 1u) << "ED " << nn;
        EXPECT_EQ(bus.traps[0], nn);
        EXPECT_EQ(cpu.tstates, start) << "ED " << nn;
        EXPECT_EQ(cpu.cycleBudget, -5) << "ED " << nn;
        EXPECT_EQ(cpu.PC, kCode + 2);
        EXPECT_EQ(cpu.R, 2);
    }
}

// A trap handler may set A, B and PC; the engine must keep what it set.
struct RedirectingBus : TimedBus {
    explicit RedirectingBus(Z80* cpu) : TimedBus(cpu), target(cpu) {}
    Z80* target;
    void serviceTrap(uint8_t nn) {
        traps.push_back(nn);
        target->A = 0x55;
        target->B = 0x66;
        target->PC = 0x1234;
    }
};

TEST(Z80EdTrap, HandlerChangesAreKept) {
    Z80 cpu;
    RedirectingBus bus(&cpu);
    z80Init(cpu, 1774080);
    bus.load(0x8000, {0xED, 0x03});
    cpu.PC = 0x8000;
    cpu.BC = 0x0102;
    EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
    ASSERT_EQ(bus.traps.size(), 1u);
    EXPECT_EQ(bus.traps[0], 0x03);
    EXPECT_EQ(cpu.A, 0x55);
    EXPECT_EQ(cpu.B, 0x66);
    EXPECT_EQ(cpu.C, 0x02);
    EXPECT_EQ(cpu.PC, 0x1234);
}

}  // namespace
}  // namespace kestrel::test
