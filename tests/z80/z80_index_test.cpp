// The index page under both prefixes: IX/IY loads and arithmetic, (IX+d)
// addressing, the undocumented byte halves, the ignored prefix and the DDCB group.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

class Z80Index : public Z80Test, public ::testing::WithParamInterface<uint8_t> {
protected:
    uint8_t p() const { return GetParam(); }
    bool isIX() const { return GetParam() == 0xDD; }
    uint16_t& idx() { return isIX() ? cpu.IX : cpu.IY; }
    uint8_t& idxH() { return isIX() ? cpu.IXH : cpu.IYH; }
    uint8_t& idxL() { return isIX() ? cpu.IXL : cpu.IYL; }
    uint16_t& otherIdx() { return isIX() ? cpu.IY : cpu.IX; }

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

std::string prefixName(const ::testing::TestParamInfo<uint8_t>& info) {
    return info.param == 0xDD ? "IX" : "IY";
}

INSTANTIATE_TEST_SUITE_P(Prefix, Z80Index, ::testing::Values(uint8_t{0xDD}, uint8_t{0xFD}), prefixName);

TEST_P(Z80Index, SixteenBitLoadsAndArithmetic) {
    program({p(), 0x21, 0x34, 0x12});  // LD IX,nn
    cpu.HL = 0x5555;
    otherIdx() = 0x6666;
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(idx(), 0x1234);
    EXPECT_EQ(cpu.HL, 0x5555);
    EXPECT_EQ(otherIdx(), 0x6666);
    EXPECT_EQ(cpu.PC, kCode + 4);

    program({p(), 0x22, 0xFF, 0xFF});  // LD (nn),IX wrapping
    idx() = 0xBEEF;
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(mem(0xFFFF), 0xEF);
    EXPECT_EQ(mem(0x0000), 0xBE);
    EXPECT_EQ(cpu.PC, kCode + 4);

    program({p(), 0x2A, 0x00, 0x50});  // LD IX,(nn)
    bus.load(0x5000, {0x78, 0x56});
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(idx(), 0x5678);
    EXPECT_EQ(cpu.HL, 0x5555);

    program({p(), 0x23});  // INC IX
    idx() = 0xFFFF;
    cpu.F = 0;
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(idx(), 0x0000);
    EXPECT_EQ(cpu.F, 0);
    program({p(), 0x2B});  // DEC IX
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(idx(), 0xFFFF);
    EXPECT_EQ(cpu.F, 0);

    program({p(), 0x09});  // ADD IX,BC
    idx() = 0x0FFF;
    cpu.BC = 0x0001;
    cpu.F = 0xC6;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(idx(), 0x1000);
    EXPECT_EQ(cpu.F, 0xD4);
    EXPECT_EQ(cpu.HL, 0x5555);
    program({p(), 0x19});  // ADD IX,DE
    idx() = 0x0000;
    cpu.DE = 0x2800;
    cpu.F = 0;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(idx(), 0x2800);
    EXPECT_EQ(cpu.F, 0x28);
    program({p(), 0x29});  // ADD IX,IX
    idx() = 0x8800;
    cpu.F = 0;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(idx(), 0x1000);
    EXPECT_EQ(cpu.F, 0x11);
    EXPECT_EQ(cpu.HL, 0x5555);
    program({p(), 0x39});  // ADD IX,SP
    idx() = 0xFFFF;
    cpu.SP = 0x0001;
    cpu.F = 0;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(idx(), 0x0000);
    EXPECT_EQ(cpu.F, 0x11);
}

TEST_P(Z80Index, StackAndJumps) {
    program({p(), 0xE5});  // PUSH IX
    cpu.SP = 0x9000;
    idx() = 0xA1B2;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(cpu.SP, 0x8FFE);
    EXPECT_EQ(bus.word(0x8FFE), 0xA1B2);

    program({p(), 0xE1});  // POP IX
    idx() = 0;
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(cpu.SP, 0x9000);
    EXPECT_EQ(idx(), 0xA1B2);

    program({p(), 0xE3});  // EX (SP),IX
    bus.load(0x9000, {0x34, 0x12});
    cpu.HL = 0x5555;
    EXPECT_EQ(step(), 23u);
    EXPECT_EQ(idx(), 0x1234);
    EXPECT_EQ(mem(0x9000), 0xB2);
    EXPECT_EQ(mem(0x9001), 0xA1);
    EXPECT_EQ(cpu.HL, 0x5555);

    program({p(), 0xF9});  // LD SP,IX
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(cpu.SP, 0x1234);

    program({p(), 0xE9});  // JP (IX)
    cpu.HL = 0x5555;
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(cpu.PC, 0x1234);
}

TEST_P(Z80Index, ByteHalvesIncDecAndImmediate) {
    program({p(), 0x24});  // INC IXH
    idx() = 0x7F00;
    cpu.H = 0x00;
    cpu.F = 0;
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(idx(), 0x8000);
    EXPECT_EQ(cpu.F, 0x94);
    EXPECT_EQ(cpu.H, 0x00);

    program({p(), 0x2D});  // DEC IXL
    idx() = 0x1200;
    cpu.L = 0x01;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(idx(), 0x12FF);
    EXPECT_EQ(cpu.F, 0xBB);
    EXPECT_EQ(cpu.L, 0x01);

    program({p(), 0x2C});  // INC IXL: no carry into IXH
    idx() = 0x12FF;
    cpu.F = 0;
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(idx(), 0x1200);
    EXPECT_EQ(cpu.F, 0x50);

    program({p(), 0x25});  // DEC IXH
    idx() = 0x0134;
    cpu.F = 0;
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(idx(), 0x0034);
    EXPECT_EQ(cpu.F, 0x42);

    program({p(), 0x26, 0xAB});  // LD IXH,n
    idx() = 0x1234;
    cpu.HL = 0x5555;
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(idx(), 0xAB34);
    EXPECT_EQ(cpu.PC, kCode + 3);
    program({p(), 0x2E, 0xCD});  // LD IXL,n
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(idx(), 0xABCD);
    EXPECT_EQ(cpu.HL, 0x5555);
}

TEST_P(Z80Index, IndexedMemoryOperands) {
    program({p(), 0x34, 0xFF});  // INC (IX-1)
    idx() = 0x4000;
    cpu.HL = 0x5000;
    poke(0x3FFF, 0x7F);
    cpu.F = 0;
    EXPECT_EQ(step(), 23u);
    EXPECT_EQ(mem(0x3FFF), 0x80);
    EXPECT_EQ(cpu.F, 0x94);
    EXPECT_EQ(cpu.PC, kCode + 3);

    program({p(), 0x35, 0x10});  // DEC (IX+16)
    poke(0x4010, 0x01);
    cpu.F = 0;
    EXPECT_EQ(step(), 23u);
    EXPECT_EQ(mem(0x4010), 0x00);
    EXPECT_EQ(cpu.F, 0x42);

    program({p(), 0x36, 0x80, 0x5A});  // LD (IX-128),n
    EXPECT_EQ(step(), 19u);
    EXPECT_EQ(mem(0x4000 - 128), 0x5A);
    EXPECT_EQ(cpu.PC, kCode + 4);
    program({p(), 0x36, 0x7F, 0xA5});  // LD (IX+127),n
    step();
    EXPECT_EQ(mem(0x4000 + 127), 0xA5);
    EXPECT_EQ(mem(0x5000), 0x00) << "(HL) untouched";

    // LD (IX-1),A with IX = 0 reaches the top of memory.
    program({p(), 0x77, 0xFF});
    idx() = 0x0000;
    cpu.A = 0x3C;
    EXPECT_EQ(step(), 19u);
    EXPECT_EQ(mem(0xFFFF), 0x3C);
    // and IX + d past the top wraps to the bottom
    program({p(), 0x7E, 0x02});  // LD A,(IX+2)
    idx() = 0xFFFF;
    poke(0x0001, 0x99);
    EXPECT_EQ(step(), 19u);
    EXPECT_EQ(cpu.A, 0x99);
}

TEST_P(Z80Index, LoadsBetweenRegistersAndIndexedMemory) {
    // LD r,(IX+d): H and L are the real registers.
    for (int dst = 0; dst < 8; ++dst) {
        if (dst == 6) continue;
        program({p(), static_cast<uint8_t>(0x46 | dst << 3), 0x05});
        distinctRegisters();
        idx() = 0x4000;
        poke(0x4005, 0xC3);
        EXPECT_EQ(step(), 19u) << "dst " << dst;
        EXPECT_EQ(cpu.PC, kCode + 3);
        const uint8_t before[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0x77};
        for (int r = 0; r < 8; ++r) {
            if (r == 6) continue;
            EXPECT_EQ(reg(r), r == dst ? 0xC3 : before[r]) << "dst " << dst << " reg " << r;
        }
        EXPECT_EQ(idx(), 0x4000) << "dst " << dst;
    }
    // LD (IX+d),r
    for (int src = 0; src < 8; ++src) {
        if (src == 6) continue;
        program({p(), static_cast<uint8_t>(0x70 | src), 0xFB});
        distinctRegisters();
        idx() = 0x4000;
        EXPECT_EQ(step(), 19u) << "src " << src;
        EXPECT_EQ(mem(0x3FFB), reg(src)) << "src " << src;
    }
}

TEST_P(Z80Index, UndocumentedByteHalfLoads) {
    struct Case {
        uint8_t op;
        int dst;  // register code; 8 = IXH, 9 = IXL
        int src;
    };
    const Case cases[] = {
        {0x44, 0, 8}, {0x45, 0, 9}, {0x4C, 1, 8}, {0x4D, 1, 9}, {0x54, 2, 8}, {0x55, 2, 9},
        {0x5C, 3, 8}, {0x5D, 3, 9}, {0x7C, 7, 8}, {0x7D, 7, 9},
        {0x60, 8, 0}, {0x61, 8, 1}, {0x62, 8, 2}, {0x63, 8, 3}, {0x64, 8, 8}, {0x65, 8, 9}, {0x67, 8, 7},
        {0x68, 9, 0}, {0x69, 9, 1}, {0x6A, 9, 2}, {0x6B, 9, 3}, {0x6C, 9, 8}, {0x6D, 9, 9}, {0x6F, 9, 7},
    };
    for (const Case& c : cases) {
        program({p(), c.op});
        distinctRegisters();
        idx() = 0xA1B2;
        uint8_t values[10] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0x77, 0xA1, 0xB2};
        values[c.dst] = values[c.src];
        EXPECT_EQ(step(), 8u) << std::hex << int(c.op);
        for (int r = 0; r < 8; ++r) {
            if (r == 6) continue;
            EXPECT_EQ(reg(r), values[r]) << std::hex << "op " << int(c.op) << " reg " << r;
        }
        EXPECT_EQ(idxH(), values[8]) << std::hex << "op " << int(c.op);
        EXPECT_EQ(idxL(), values[9]) << std::hex << "op " << int(c.op);
    }
}

TEST_P(Z80Index, ArithmeticWithByteHalvesAndIndexedMemory) {
    struct Case {
        uint8_t op;
        uint8_t a, operand, f, wantA, wantF;
        bool high;  // IXH rather than IXL
    };
    const Case cases[] = {
        {0x84, 0x0F, 0x01, 0x00, 0x10, 0x10, true},   // ADD A,IXH
        {0x85, 0x7F, 0x01, 0x00, 0x80, 0x94, false},  // ADD A,IXL
        {0x8C, 0xFF, 0x00, 0x01, 0x00, 0x51, true},   // ADC A,IXH
        {0x8D, 0x0F, 0x00, 0x01, 0x10, 0x10, false},  // ADC A,IXL
        {0x94, 0x80, 0x01, 0x00, 0x7F, 0x3E, true},   // SUB IXH
        {0x95, 0x10, 0x01, 0x00, 0x0F, 0x1A, false},  // SUB IXL
        {0x9C, 0x00, 0x00, 0x01, 0xFF, 0xBB, true},   // SBC A,IXH
        {0x9D, 0x00, 0x01, 0x00, 0xFF, 0xBB, false},  // SBC A,IXL
        {0xA4, 0xFF, 0xA8, 0x00, 0xA8, 0xB8, true},   // AND IXH
        {0xA5, 0xF0, 0x0F, 0x00, 0x00, 0x54, false},  // AND IXL
        {0xAC, 0x0F, 0xF0, 0x00, 0xFF, 0xAC, true},   // XOR IXH
        {0xAD, 0xFF, 0xFF, 0x00, 0x00, 0x44, false},  // XOR IXL
        {0xB4, 0x00, 0x81, 0x00, 0x81, 0x84, true},   // OR IXH
        {0xB5, 0x01, 0x02, 0x00, 0x03, 0x04, false},  // OR IXL
        {0xBC, 0x30, 0x00, 0x00, 0x30, 0x02, true},   // CP IXH: 5/3 from the operand
        {0xBD, 0x40, 0x08, 0x00, 0x40, 0x1A, false},  // CP IXL
    };
    for (const Case& c : cases) {
        program({p(), c.op});
        cpu.A = c.a;
        cpu.F = c.f;
        cpu.HL = 0x5A5A;  // H and L must not be used
        idx() = c.high ? static_cast<uint16_t>(c.operand << 8 | 0x5A) : static_cast<uint16_t>(0x5A00 | c.operand);
        EXPECT_EQ(step(), 8u) << std::hex << int(c.op);
        EXPECT_EQ(cpu.A, c.wantA) << std::hex << "op " << int(c.op);
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "op " << int(c.op);

        // The same operation on (IX+d): op with the low three bits 6.
        uint8_t memOp = static_cast<uint8_t>((c.op & 0xF8) | 6);
        program({p(), memOp, 0xFE});
        cpu.A = c.a;
        cpu.F = c.f;
        cpu.HL = 0x4100;
        poke(0x4100, 0x5A);
        idx() = 0x4002;
        poke(0x4000, c.operand);
        EXPECT_EQ(step(), 19u) << std::hex << int(memOp);
        EXPECT_EQ(cpu.PC, kCode + 3);
        EXPECT_EQ(cpu.A, c.wantA) << std::hex << "op " << int(memOp);
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "op " << int(memOp);
    }
}

TEST_P(Z80Index, IgnoredPrefix) {
    // Prefix then NOP: two instructions of 4 T-states.
    program({p(), 0x00, 0x00});
    cpu.R = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 1) << "PC back on the 0x00";
    EXPECT_EQ(cpu.R, 2);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 2);
    EXPECT_EQ(cpu.R, 3);

    // Prefix then HALT: a no-operation, then the HALT.
    program({p(), 0x76});
    cpu.IFF1 = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 1);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 1) << "HALT stays on itself";
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 1);

    // Prefix then a prefix: the second one wins.
    program({p(), p(), 0x21, 0x34, 0x12});
    idx() = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 1);
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(idx(), 0x1234);
    EXPECT_EQ(cpu.PC, kCode + 5);

    uint8_t other = isIX() ? 0xFD : 0xDD;
    program({p(), other, 0x21, 0x34, 0x12});
    idx() = 0;
    otherIdx() = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(idx(), 0x0000);
    EXPECT_EQ(otherIdx(), 0x1234);

    // Prefix then ED: the ED instruction runs on its own.
    program({p(), 0xED, 0x44});
    cpu.A = 0x01;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.PC, kCode + 1);
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(cpu.A, 0xFF);

    // Unprefixed instructions not in the index page work on HL, B, ...
    program({p(), 0xEB});  // EX DE,HL
    cpu.DE = 0x1111;
    cpu.HL = 0x2222;
    idx() = 0x3333;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.DE, 0x2222);
    EXPECT_EQ(cpu.HL, 0x1111);
    EXPECT_EQ(idx(), 0x3333);

    program({p(), 0x04});  // INC B
    cpu.B = 0x10;
    idx() = 0x3333;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.B, 0x11);
    EXPECT_EQ(idx(), 0x3333);

    program({p(), 0x3E, 0x42});  // LD A,n
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x42);
    EXPECT_EQ(cpu.PC, kCode + 3);
}

TEST_P(Z80Index, DdcbShiftsAndRegisterCopy) {
    // RLC (IX+5)
    program({p(), 0xCB, 0x05, 0x06});
    distinctRegisters();
    idx() = 0x4000;
    poke(0x4005, 0x81);
    cpu.F = 0x12;
    cpu.R = 0;
    EXPECT_EQ(step(), 23u);
    EXPECT_EQ(mem(0x4005), 0x03);
    EXPECT_EQ(cpu.F, 0x05);
    EXPECT_EQ(cpu.PC, kCode + 4);
    EXPECT_EQ(cpu.R, 2) << "d and op are not opcode fetches";
    EXPECT_EQ(cpu.B, 0x11);

    // Every register copy (op & 7 != 6) with the real H and L.
    for (int code = 0; code < 8; ++code) {
        if (code == 6) continue;
        program({p(), 0xCB, 0x05, static_cast<uint8_t>(code)});  // RLC (IX+5),r
        distinctRegisters();
        idx() = 0x4000;
        poke(0x4005, 0x81);
        EXPECT_EQ(step(), 23u);
        EXPECT_EQ(mem(0x4005), 0x03);
        const uint8_t before[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0x77};
        for (int r = 0; r < 8; ++r) {
            if (r == 6) continue;
            EXPECT_EQ(reg(r), r == code ? 0x03 : before[r]) << "code " << code << " reg " << r;
        }
        EXPECT_EQ(idx(), 0x4000);
    }

    struct Case {
        uint8_t d, op, value, f, want, wantF;
    };
    const Case cases[] = {
        {0x05, 0x0E, 0x01, 0x00, 0x80, 0x81},  // RRC
        {0x05, 0x16, 0x80, 0x00, 0x00, 0x45},  // RL
        {0x05, 0x1E, 0x00, 0x01, 0x80, 0x80},  // RR
        {0xFE, 0x26, 0x14, 0x01, 0x28, 0x2C},  // SLA (IX-2)
        {0xFE, 0x2E, 0x81, 0x00, 0xC0, 0x85},  // SRA
        {0x00, 0x36, 0x00, 0x40, 0x01, 0x00},  // SLL
        {0x00, 0x3E, 0x01, 0x00, 0x00, 0x45},  // SRL
        {0x00, 0x86, 0xFF, 0xD7, 0xFE, 0xD7},  // RES 0: no flags
        {0x7F, 0xFE, 0x00, 0x00, 0x80, 0x00},  // SET 7,(IX+127)
    };
    for (const Case& c : cases) {
        program({p(), 0xCB, c.d, c.op});
        idx() = 0x4002;
        uint16_t addr = static_cast<uint16_t>(0x4002 + static_cast<int8_t>(c.d));
        poke(addr, c.value);
        cpu.F = c.f;
        EXPECT_EQ(step(), 23u) << std::hex << int(c.op);
        EXPECT_EQ(mem(addr), c.want) << std::hex << "op " << int(c.op);
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "op " << int(c.op);
    }

    // SET 0,(IX-2) copied into A.
    program({p(), 0xCB, 0xFE, 0xC7});
    idx() = 0x4002;
    poke(0x4000, 0x10);
    cpu.A = 0;
    cpu.F = 0xA5;
    step();
    EXPECT_EQ(mem(0x4000), 0x11);
    EXPECT_EQ(cpu.A, 0x11);
    EXPECT_EQ(cpu.F, 0xA5);

    // RES 7,(IX+1) copied into L; H untouched.
    program({p(), 0xCB, 0x01, 0xBD});
    idx() = 0x4000;
    poke(0x4001, 0xFF);
    cpu.HL = 0x1234;
    step();
    EXPECT_EQ(mem(0x4001), 0x7F);
    EXPECT_EQ(cpu.HL, 0x127F);

    // The displacement wraps.
    program({p(), 0xCB, 0x01, 0xC6});  // SET 0,(IX+1)
    idx() = 0xFFFF;
    poke(0x0000, 0x00);
    step();
    EXPECT_EQ(mem(0x0000), 0x01);
}

TEST_P(Z80Index, DdcbBitTests) {
    struct Case {
        uint8_t op, value, f, wantF;
    };
    const Case cases[] = {
        {0x46, 0x28, 0x00, 0x54},  // BIT 0, documented encoding: 5 and 3 are 0
        {0x40, 0x28, 0x00, 0x7C},  // BIT 0 via another encoding: 5 and 3 from the byte
        {0x47, 0x28, 0x01, 0x7D},
        {0x41, 0x29, 0x00, 0x38},  // bit set: no Z; 5, 3 from the byte
        {0x7E, 0x80, 0x00, 0x90},  // BIT 7 set: S
        {0x7F, 0xA8, 0x02, 0xB8},  // BIT 7 via encoding 7: S, 5, 3; N cleared
        {0x7E, 0x7F, 0x01, 0x55},  // BIT 7 clear: Z, P/V, C kept
        {0x5E, 0x08, 0x00, 0x10},  // BIT 3 set, documented: no bit 3 copy
        {0x5B, 0x08, 0x00, 0x18},  // BIT 3 set, undocumented: bit 3 copied
    };
    for (const Case& c : cases) {
        program({p(), 0xCB, 0x03, c.op});
        distinctRegisters();
        idx() = 0x4000;
        poke(0x4003, c.value);
        cpu.F = c.f;
        EXPECT_EQ(step(), 20u) << std::hex << int(c.op);
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "op " << int(c.op) << " of " << int(c.value);
        EXPECT_EQ(mem(0x4003), c.value);
        EXPECT_EQ(cpu.B, 0x11) << "BIT writes no register";
        EXPECT_EQ(cpu.D, 0x33);
        EXPECT_EQ(cpu.E, 0x44);
        EXPECT_EQ(cpu.A, 0x77);
        EXPECT_EQ(cpu.PC, kCode + 4);
    }
}

TEST_P(Z80Index, TStatesOfEveryDdcbOpcode) {
    for (int op = 0; op < 256; ++op) {
        program({p(), 0xCB, 0x00, static_cast<uint8_t>(op)});
        idx() = 0x4000;
        unsigned want = (op & 0xC0) == 0x40 ? 20u : 23u;
        EXPECT_EQ(step(), want) << std::hex << "op " << op;
        EXPECT_EQ(cpu.PC, kCode + 4);
    }
}

}  // namespace
}  // namespace kestrel::test
