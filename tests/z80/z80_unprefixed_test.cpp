// The unprefixed opcode page: data movement, stack, control flow, port forms,
// instruction T-states and the refresh register.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

class Z80Unprefixed : public Z80Test {
protected:
    // Register by the 3-bit code of the opcode (6 = none here).
    uint8_t& reg(int code) {
        switch (code) {
            case 0: return cpu.B;
            case 1: return cpu.C;
            case 2: return cpu.D;
            case 3: return cpu.E;
            case 4: return cpu.H;
            case 5: return cpu.L;
            default: return cpu.A;
        }
    }
    void distinctRegisters() {
        cpu.B = 0x11;
        cpu.C = 0x22;
        cpu.D = 0x33;
        cpu.E = 0x44;
        cpu.H = 0x55;
        cpu.L = 0x66;
        cpu.A = 0x77;
    }
};

TEST_F(Z80Unprefixed, LoadRegisterFromRegister) {
    const uint8_t values[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0x77};
    for (int dst = 0; dst < 8; ++dst) {
        if (dst == 6) continue;
        for (int src = 0; src < 8; ++src) {
            if (src == 6) continue;
            uint8_t op = static_cast<uint8_t>(0x40 | dst << 3 | src);
            program({op});
            distinctRegisters();
            cpu.F = 0xA5;
            EXPECT_EQ(step(), 4u) << std::hex << int(op);
            for (int r = 0; r < 8; ++r) {
                if (r == 6) continue;
                uint8_t want = (r == dst) ? values[src] : values[r];
                EXPECT_EQ(reg(r), want) << std::hex << "op " << int(op) << " reg " << r;
            }
            EXPECT_EQ(cpu.F, 0xA5);
            EXPECT_EQ(cpu.PC, kCode + 1);
        }
    }
}

TEST_F(Z80Unprefixed, LoadsThroughHlAndImmediate) {
    // LD r,(HL)
    const uint8_t values[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0x77};
    for (int dst = 0; dst < 8; ++dst) {
        if (dst == 6) continue;
        uint8_t op = static_cast<uint8_t>(0x46 | dst << 3);
        program({op});
        distinctRegisters();
        cpu.HL = 0x4321;
        poke(0x4321, 0xC3);
        EXPECT_EQ(step(), 7u) << std::hex << int(op);
        EXPECT_EQ(reg(dst), 0xC3) << std::hex << int(op);
        bus.memory[0x4321] = 0;
    }
    // LD (HL),r, including H and L themselves.
    for (int src = 0; src < 8; ++src) {
        if (src == 6) continue;
        uint8_t op = static_cast<uint8_t>(0x70 | src);
        program({op});
        distinctRegisters();
        EXPECT_EQ(step(), 7u) << std::hex << int(op);
        EXPECT_EQ(mem(0x5566), values[src]) << std::hex << int(op);
    }
    // LD r,n
    for (int dst = 0; dst < 8; ++dst) {
        if (dst == 6) continue;
        uint8_t op = static_cast<uint8_t>(0x06 | dst << 3);
        program({op, 0x9C});
        distinctRegisters();
        EXPECT_EQ(step(), 7u) << std::hex << int(op);
        EXPECT_EQ(reg(dst), 0x9C);
        EXPECT_EQ(cpu.PC, kCode + 2);
    }
    // LD (HL),n
    program({0x36, 0x5E});
    cpu.HL = 0x4000;
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(mem(0x4000), 0x5E);
    EXPECT_EQ(cpu.PC, kCode + 2);
}

TEST_F(Z80Unprefixed, LoadsThroughPairsAndAbsolute) {
    program({0x02});  // LD (BC),A
    cpu.A = 0x12;
    cpu.BC = 0x4001;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(mem(0x4001), 0x12);
    program({0x12});  // LD (DE),A
    cpu.A = 0x34;
    cpu.DE = 0x4002;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(mem(0x4002), 0x34);
    program({0x0A});  // LD A,(BC)
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x12);
    program({0x1A});  // LD A,(DE)
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x34);

    program({0x32, 0x34, 0x12});  // LD (0x1234),A
    cpu.A = 0xAB;
    EXPECT_EQ(step(), 13u);
    EXPECT_EQ(mem(0x1234), 0xAB);
    EXPECT_EQ(cpu.PC, kCode + 3);
    program({0x3A, 0x34, 0x12});  // LD A,(0x1234)
    cpu.A = 0;
    EXPECT_EQ(step(), 13u);
    EXPECT_EQ(cpu.A, 0xAB);

    // LD rr,nn
    const uint8_t ops[4] = {0x01, 0x11, 0x21, 0x31};
    for (int i = 0; i < 4; ++i) {
        program({ops[i], 0x34, 0x12});
        cpu.BC = cpu.DE = cpu.HL = cpu.SP = 0;
        EXPECT_EQ(step(), 10u);
        uint16_t got[4] = {cpu.BC, cpu.DE, cpu.HL, cpu.SP};
        for (int j = 0; j < 4; ++j) EXPECT_EQ(got[j], i == j ? 0x1234 : 0) << "op " << int(ops[i]);
        EXPECT_EQ(cpu.PC, kCode + 3);
    }

    // LD (nn),HL / LD HL,(nn): low byte first, wrapping at the top of memory.
    program({0x22, 0xFF, 0xFF});
    cpu.HL = 0xBEEF;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(mem(0xFFFF), 0xEF);
    EXPECT_EQ(mem(0x0000), 0xBE);
    program({0x2A, 0xFF, 0xFF});
    cpu.HL = 0;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(cpu.HL, 0xBEEF);
    program({0x22, 0x00, 0x50});
    cpu.HL = 0x1234;
    step();
    EXPECT_EQ(mem(0x5000), 0x34);
    EXPECT_EQ(mem(0x5001), 0x12);
}

TEST_F(Z80Unprefixed, SixteenBitIncDecAndSpLoad) {
    struct Case {
        uint8_t op;
        uint16_t before, after;
    };
    const Case cases[] = {
        {0x03, 0xFFFF, 0x0000}, {0x13, 0x00FF, 0x0100}, {0x23, 0x1234, 0x1235}, {0x33, 0xFFFF, 0x0000},
        {0x0B, 0x0000, 0xFFFF}, {0x1B, 0x0100, 0x00FF}, {0x2B, 0x1234, 0x1233}, {0x3B, 0x0000, 0xFFFF},
    };
    for (const Case& c : cases) {
        program({c.op});
        int idx = (c.op >> 4) & 3;
        uint16_t* pairs[4] = {&cpu.BC, &cpu.DE, &cpu.HL, &cpu.SP};
        *pairs[idx] = c.before;
        cpu.F = 0x00;
        EXPECT_EQ(step(), 6u) << std::hex << int(c.op);
        EXPECT_EQ(*pairs[idx], c.after) << std::hex << int(c.op);
        EXPECT_EQ(cpu.F, 0x00) << "16-bit INC/DEC touch no flag";
    }
    program({0xF9});  // LD SP,HL
    cpu.HL = 0x4321;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu.SP, 0x4321);
}

TEST_F(Z80Unprefixed, Exchanges) {
    program({0x08});  // EX AF,AF'
    cpu.AF = 0x1234;
    cpu.altAF = 0x5678;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.AF, 0x5678);
    EXPECT_EQ(cpu.altAF, 0x1234);

    program({0xD9});  // EXX
    cpu.BC = 0x1111;
    cpu.DE = 0x2222;
    cpu.HL = 0x3333;
    cpu.altBC = 0x4444;
    cpu.altDE = 0x5555;
    cpu.altHL = 0x6666;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.BC, 0x4444);
    EXPECT_EQ(cpu.DE, 0x5555);
    EXPECT_EQ(cpu.HL, 0x6666);
    EXPECT_EQ(cpu.altBC, 0x1111);
    EXPECT_EQ(cpu.altDE, 0x2222);
    EXPECT_EQ(cpu.altHL, 0x3333);
    EXPECT_EQ(cpu.AF, 0x5678);  // EXX leaves AF alone

    program({0xEB});  // EX DE,HL
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.DE, 0x6666);
    EXPECT_EQ(cpu.HL, 0x5555);

    program({0xE3});  // EX (SP),HL
    cpu.SP = 0x9000;
    poke(0x9000, 0x34);
    poke(0x9001, 0x12);
    cpu.HL = 0xABCD;
    EXPECT_EQ(step(), 19u);
    EXPECT_EQ(cpu.HL, 0x1234);
    EXPECT_EQ(mem(0x9000), 0xCD);
    EXPECT_EQ(mem(0x9001), 0xAB);
    EXPECT_EQ(cpu.SP, 0x9000);

    program({0xE3});  // EX (SP),HL across the top of memory
    cpu.SP = 0xFFFF;
    poke(0xFFFF, 0x78);
    poke(0x0000, 0x56);
    cpu.HL = 0x1234;
    step();
    EXPECT_EQ(cpu.HL, 0x5678);
    EXPECT_EQ(mem(0xFFFF), 0x34);
    EXPECT_EQ(mem(0x0000), 0x12);
}

TEST_F(Z80Unprefixed, PushAndPopWrapAroundMemory) {
    program({0xC5});  // PUSH BC with SP = 1
    cpu.SP = 0x0001;
    cpu.BC = 0x1234;
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(cpu.SP, 0xFFFF);
    EXPECT_EQ(mem(0x0000), 0x12);
    EXPECT_EQ(mem(0xFFFF), 0x34);

    program({0xD1});  // POP DE from 0xFFFF
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(cpu.DE, 0x1234);
    EXPECT_EQ(cpu.SP, 0x0001);

    // Each pair, AF included with all eight bits of F.
    const uint8_t pushes[4] = {0xC5, 0xD5, 0xE5, 0xF5};
    const uint8_t pops[4] = {0xC1, 0xD1, 0xE1, 0xF1};
    for (int i = 0; i < 4; ++i) {
        program({pushes[i]});
        cpu.SP = 0x9000;
        cpu.BC = 0x0102;
        cpu.DE = 0x0304;
        cpu.HL = 0x0506;
        cpu.AF = 0x07D7;
        const uint16_t want[4] = {0x0102, 0x0304, 0x0506, 0x07D7};
        EXPECT_EQ(step(), 11u);
        EXPECT_EQ(cpu.SP, 0x8FFE);
        EXPECT_EQ(bus.word(0x8FFE), want[i]) << "push " << i;

        program({pops[i]});
        poke(0x8FFE, 0xFF);
        poke(0x8FFF, 0xEE);
        EXPECT_EQ(step(), 10u);
        EXPECT_EQ(cpu.SP, 0x9000);
        uint16_t got[4] = {cpu.BC, cpu.DE, cpu.HL, cpu.AF};
        for (int j = 0; j < 4; ++j) EXPECT_EQ(got[j], j == i ? 0xEEFF : want[j]) << "pop " << i;
    }
}

TEST_F(Z80Unprefixed, JumpsTakenAndNotTaken) {
    program({0xC3, 0x34, 0x12});  // JP nn
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(cpu.PC, 0x1234);

    // cc: NZ, Z, NC, C, PO, PE, P, M with the flag that decides each one.
    const uint8_t ccFlag[8] = {FLAG_Z, FLAG_Z, FLAG_C, FLAG_C, FLAG_PV, FLAG_PV, FLAG_S, FLAG_S};
    for (int cc = 0; cc < 8; ++cc) {
        for (int set = 0; set < 2; ++set) {
            // Odd cc is taken when the flag is set, even cc when it is clear; the
            // other flags are all set the opposite way to catch a wrong flag.
            uint8_t f = set ? ccFlag[cc] : static_cast<uint8_t>(0xFF & ~ccFlag[cc]);
            bool taken = (cc & 1) ? set : !set;

            program({static_cast<uint8_t>(0xC2 | cc << 3), 0x34, 0x12});  // JP cc,nn
            cpu.F = f;
            EXPECT_EQ(step(), 10u);
            EXPECT_EQ(cpu.PC, taken ? 0x1234 : kCode + 3) << "JP cc " << cc << " F " << int(f);

            program({static_cast<uint8_t>(0xC4 | cc << 3), 0x34, 0x12});  // CALL cc,nn
            cpu.F = f;
            cpu.SP = 0x9000;
            EXPECT_EQ(step(), taken ? 17u : 10u) << "CALL cc " << cc;
            EXPECT_EQ(cpu.PC, taken ? 0x1234 : kCode + 3) << "CALL cc " << cc << " F " << int(f);
            EXPECT_EQ(cpu.SP, taken ? 0x8FFE : 0x9000);
            if (taken) {
                EXPECT_EQ(bus.word(0x8FFE), kCode + 3);
            }

            program({static_cast<uint8_t>(0xC0 | cc << 3)});  // RET cc
            cpu.F = f;
            cpu.SP = 0x9000;
            poke(0x9000, 0x78);
            poke(0x9001, 0x56);
            EXPECT_EQ(step(), taken ? 11u : 5u) << "RET cc " << cc;
            EXPECT_EQ(cpu.PC, taken ? 0x5678 : kCode + 1) << "RET cc " << cc << " F " << int(f);
            EXPECT_EQ(cpu.SP, taken ? 0x9002 : 0x9000);
        }
    }

    // JR cc: NZ, Z, NC, C.
    for (int cc = 0; cc < 4; ++cc) {
        for (int set = 0; set < 2; ++set) {
            uint8_t f = set ? ccFlag[cc] : static_cast<uint8_t>(0xFF & ~ccFlag[cc]);
            bool taken = (cc & 1) ? set : !set;
            program({static_cast<uint8_t>(0x20 | cc << 3), 0x10});
            cpu.F = f;
            EXPECT_EQ(step(), taken ? 12u : 7u) << "JR cc " << cc;
            EXPECT_EQ(cpu.PC, taken ? kCode + 0x12 : kCode + 2) << "JR cc " << cc << " F " << int(f);
        }
    }
}

TEST_F(Z80Unprefixed, RelativeJumpsAndDjnz) {
    program({0x18, 0xFE});  // JR -2: onto itself
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(cpu.PC, kCode);
    program({0x18, 0x80});  // most negative
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(cpu.PC, kCode + 2 - 128);
    program({0x18, 0x7F});
    step();
    EXPECT_EQ(cpu.PC, kCode + 2 + 127);
    program(0xFFFE, {0x18, 0x01});  // wraps past the top of memory
    step();
    EXPECT_EQ(cpu.PC, 0x0001);
    program(0x0000, {0x18, 0xFC});  // and below the bottom
    step();
    EXPECT_EQ(cpu.PC, 0xFFFE);

    program({0x10, 0xFE});  // DJNZ -2
    cpu.B = 2;
    cpu.F = 0x00;
    EXPECT_EQ(step(), 13u);
    EXPECT_EQ(cpu.B, 1);
    EXPECT_EQ(cpu.PC, kCode);
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.F, 0x00) << "DJNZ touches no flag";
    program({0x10, 0x05});
    cpu.B = 0;  // 0 - 1 = 0xFF: taken
    cpu.F = 0xFF;
    EXPECT_EQ(step(), 13u);
    EXPECT_EQ(cpu.B, 0xFF);
    EXPECT_EQ(cpu.PC, kCode + 7);
    EXPECT_EQ(cpu.F, 0xFF);
}

TEST_F(Z80Unprefixed, CallReturnAndRestart) {
    program({0xCD, 0x34, 0x12});  // CALL nn
    cpu.SP = 0x9000;
    EXPECT_EQ(step(), 17u);
    EXPECT_EQ(cpu.PC, 0x1234);
    EXPECT_EQ(cpu.SP, 0x8FFE);
    EXPECT_EQ(mem(0x8FFF), 0x80);
    EXPECT_EQ(mem(0x8FFE), 0x03);

    program(0x1234, {0xC9});  // RET
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(cpu.PC, kCode + 3);
    EXPECT_EQ(cpu.SP, 0x9000);

    for (int n = 0; n < 8; ++n) {
        program({static_cast<uint8_t>(0xC7 | n << 3)});
        cpu.SP = 0x9000;
        EXPECT_EQ(step(), 11u);
        EXPECT_EQ(cpu.PC, n * 8);
        EXPECT_EQ(cpu.SP, 0x8FFE);
        EXPECT_EQ(bus.word(0x8FFE), kCode + 1);
    }

    program({0xE9});  // JP (HL)
    cpu.HL = 0x4567;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, 0x4567);
}

TEST_F(Z80Unprefixed, PortsUseTheEightBitNumberOnly) {
    program({0xD3, 0xFF});  // OUT (0xFF),A
    cpu.A = 0x12;
    cpu.tstates = 5000;
    EXPECT_EQ(step(), 11u);
    ASSERT_EQ(bus.outs.size(), 1u);
    EXPECT_EQ(bus.outs[0].port, 0xFF);
    EXPECT_EQ(bus.outs[0].value, 0x12);
    EXPECT_EQ(bus.outs[0].tstates, 5000u) << "a device sees the count at the start of the instruction";
    EXPECT_EQ(cpu.PC, kCode + 2);

    program({0xDB, 0xFE});  // IN A,(0xFE): no flags
    cpu.A = 0x12;
    cpu.F = 0xD7;
    bus.portValues[0xFE] = 0x00;
    bus.portValues[0x12] = 0x99;
    cpu.tstates = 7000;
    EXPECT_EQ(step(), 11u);
    ASSERT_EQ(bus.ins.size(), 1u);
    EXPECT_EQ(bus.ins[0].port, 0xFE);
    EXPECT_EQ(bus.ins[0].tstates, 7000u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0xD7);
}

TEST_F(Z80Unprefixed, DeviceSeesCountAtStartOfInstruction) {
    program({0xC5});  // PUSH BC
    cpu.tstates = 12345;
    bus.clearLogs();
    step();
    ASSERT_EQ(bus.writes.size(), 2u);
    for (const MemAccess& w : bus.writes) EXPECT_EQ(w.tstates, 12345u);
    program({0x32, 0x00, 0x40});  // LD (nn),A
    bus.clearLogs();
    uint64_t start = cpu.tstates;
    step();
    ASSERT_EQ(bus.writes.size(), 1u);
    EXPECT_EQ(bus.writes[0].tstates, start);
    for (const MemAccess& r : bus.reads) EXPECT_EQ(r.tstates, start);
}

TEST_F(Z80Unprefixed, InterruptEnableFlipFlops) {
    program({0xFB});  // EI
    cpu.IFF1 = cpu.IFF2 = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.IFF1, 1);
    EXPECT_EQ(cpu.IFF2, 1);
    program({0xF3});  // DI
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.IFF1, 0);
    EXPECT_EQ(cpu.IFF2, 0);
}

// T-states of a broad sample of the table, each from a state where conditional
// instructions go the documented way.
TEST_F(Z80Unprefixed, TStatesOfTheTable) {
    struct Case {
        std::vector<uint8_t> bytes;
        unsigned t;
    };
    const Case cases[] = {
        {{0x00}, 4},          {{0x01, 0, 0}, 10},  {{0x02}, 7},           {{0x03}, 6},
        {{0x04}, 4},          {{0x05}, 4},         {{0x06, 0}, 7},        {{0x07}, 4},
        {{0x08}, 4},          {{0x09}, 11},        {{0x0A}, 7},           {{0x0B}, 6},
        {{0x0C}, 4},          {{0x0F}, 4},         {{0x17}, 4},           {{0x1F}, 4},
        {{0x22, 0, 0x40}, 16}, {{0x2A, 0, 0x40}, 16}, {{0x27}, 4},        {{0x2F}, 4},
        {{0x32, 0, 0x40}, 13}, {{0x3A, 0, 0x40}, 13}, {{0x34}, 11},       {{0x35}, 11},
        {{0x36, 0}, 10},      {{0x37}, 4},         {{0x3F}, 4},           {{0x41}, 4},
        {{0x46}, 7},          {{0x70}, 7},         {{0x7F}, 4},           {{0x80}, 4},
        {{0x86}, 7},          {{0x8E}, 7},         {{0x96}, 7},           {{0x9E}, 7},
        {{0xA6}, 7},          {{0xAE}, 7},         {{0xB6}, 7},           {{0xBE}, 7},
        {{0xC6, 0}, 7},       {{0xCE, 0}, 7},      {{0xD6, 0}, 7},        {{0xDE, 0}, 7},
        {{0xE6, 0}, 7},       {{0xEE, 0}, 7},      {{0xF6, 0}, 7},        {{0xFE, 0}, 7},
        {{0xC1}, 10},         {{0xF1}, 10},        {{0xC5}, 11},          {{0xF5}, 11},
        {{0xC9}, 10},         {{0xCD, 0, 0x40}, 17}, {{0xC3, 0, 0x40}, 10}, {{0xD3, 0}, 11},
        {{0xDB, 0}, 11},      {{0xD9}, 4},         {{0xE3}, 19},          {{0xE9}, 4},
        {{0xEB}, 4},          {{0xF3}, 4},         {{0xFB}, 4},           {{0xF9}, 6},
        {{0xFF}, 11},         {{0x18, 0}, 12},     {{0x76}, 4},
    };
    for (const Case& c : cases) {
        loadBytes(c.bytes);
        cpu.SP = 0x9000;
        cpu.HL = 0x4000;
        cpu.IFF1 = 0;
        EXPECT_EQ(step(), c.t) << std::hex << "opcode " << int(c.bytes[0]);
    }
}

TEST_F(Z80Unprefixed, RefreshRegisterCountsLowSevenBits) {
    bus.memory.fill(0x00);  // all NOPs
    cpu.PC = kCode;
    cpu.R = 0x00;
    for (int i = 0; i < 5; ++i) step();
    EXPECT_EQ(cpu.R, 0x05);
    cpu.R = 0x7F;
    step();
    EXPECT_EQ(cpu.R, 0x00) << "bit 7 stays 0";
    cpu.R = 0xFF;
    step();
    EXPECT_EQ(cpu.R, 0x80) << "bit 7 stays 1";
    cpu.R = 0x80;
    for (int i = 0; i < 130; ++i) step();
    EXPECT_EQ(cpu.R, 0x82);

    // One step per opcode fetch, prefixes included; operand bytes do not count.
    struct Case {
        std::vector<uint8_t> bytes;
        uint8_t steps;
    };
    const Case cases[] = {
        {{0x3E, 0x00}, 1},           // LD A,n
        {{0x01, 0x00, 0x00}, 1},     // LD BC,nn
        {{0xCD, 0x00, 0x40}, 1},     // CALL nn
        {{0xCB, 0x00}, 2},           // RLC B
        {{0xED, 0x44}, 2},           // NEG
        {{0xDD, 0x21, 0x00, 0x00}, 2},  // LD IX,nn
        {{0xFD, 0x36, 0x01, 0x02}, 2},  // LD (IY+1),n
        {{0xDD, 0xCB, 0x01, 0x06}, 2},  // RLC (IX+1)
    };
    for (const Case& c : cases) {
        loadBytes(c.bytes);
        cpu.SP = 0x9000;
        cpu.IX = cpu.IY = 0x4000;
        cpu.R = 0x10;
        step();
        EXPECT_EQ(cpu.R, 0x10 + c.steps) << std::hex << "opcode " << int(c.bytes[0]);
    }
}

}  // namespace
}  // namespace kestrel::test
