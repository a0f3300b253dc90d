// Flag results of the arithmetic, logic, rotate and adjust instructions, worked
// out by hand from the Z80's flag definitions, and the constant tables they use.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

int bitCount(unsigned v) {
    int n = 0;
    for (; v; v >>= 1) n += v & 1;
    return n;
}

int index3(unsigned a, unsigned b, unsigned r, int k) {
    return static_cast<int>(((a >> k) & 1) * 4 + ((b >> k) & 1) * 2 + ((r >> k) & 1));
}

TEST(Z80Tables, ParityTableCountsSetBits) {
    EXPECT_EQ(parityTable[0x00], 1);
    EXPECT_EQ(parityTable[0x01], 0);
    EXPECT_EQ(parityTable[0x03], 1);
    EXPECT_EQ(parityTable[0x80], 0);
    EXPECT_EQ(parityTable[0x7F], 0);
    EXPECT_EQ(parityTable[0xFF], 1);
    for (unsigned i = 0; i < 256; ++i)
        EXPECT_EQ(parityTable[i], (bitCount(i) % 2 == 0) ? 1 : 0) << "index " << i;
}

// Every 8-bit addition and subtraction, with and without carry in, checked
// against the arithmetic definition of half carry, overflow and carry.
TEST(Z80Tables, AddAndSubTablesMatchArithmetic) {
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 256; ++b) {
            for (unsigned c = 0; c < 2; ++c) {
                unsigned sum = a + b + c;
                unsigned r = sum & 0xFF;
                uint8_t h = ((a & 0xF) + (b & 0xF) + c) > 0xF ? 0x10 : 0;
                uint8_t svc = static_cast<uint8_t>((r & 0x80) | (((a ^ r) & (b ^ r) & 0x80) ? 0x04 : 0) |
                                                   (sum > 0xFF ? 0x01 : 0));
                ASSERT_EQ(addFlagTables[0][index3(a, b, r, 3)], h) << a << "+" << b << "+" << c;
                ASSERT_EQ(addFlagTables[1][index3(a, b, r, 7)], svc) << a << "+" << b << "+" << c;

                unsigned dr = (a - b - c) & 0xFF;
                uint8_t dh = (a & 0xF) < (b & 0xF) + c ? 0x10 : 0;
                uint8_t dsvc = static_cast<uint8_t>((dr & 0x80) | (((a ^ b) & (a ^ dr) & 0x80) ? 0x04 : 0) |
                                                    (a < b + c ? 0x01 : 0));
                ASSERT_EQ(subFlagTables[0][index3(a, b, dr, 3)], dh) << a << "-" << b << "-" << c;
                ASSERT_EQ(subFlagTables[1][index3(a, b, dr, 7)], dsvc) << a << "-" << b << "-" << c;
            }
        }
    }
}

class Z80Flags : public Z80Test {
protected:
    // A op B for an opcode of the 80-BF block working on B; returns F.
    uint8_t aluB(uint8_t opcode, uint8_t a, uint8_t b, uint8_t f) {
        program({opcode});
        cpu.A = a;
        cpu.B = b;
        cpu.F = f;
        EXPECT_EQ(step(), 4u);
        EXPECT_EQ(cpu.PC, kCode + 1);
        return cpu.F;
    }
};

TEST_F(Z80Flags, AddAndAdc) {
    // ADD A,B
    EXPECT_EQ(aluB(0x80, 0x0F, 0x01, 0x00), 0x10);  // half carry only
    EXPECT_EQ(cpu.A, 0x10);
    EXPECT_EQ(aluB(0x80, 0x7F, 0x01, 0x00), 0x94);  // S, H, V
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(aluB(0x80, 0xFF, 0x01, 0x00), 0x51);  // Z, H, C
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(aluB(0x80, 0x80, 0x80, 0x00), 0x45);  // Z, V, C
    EXPECT_EQ(aluB(0x80, 0x12, 0x16, 0xFF), 0x28);  // 0x28: bits 5 and 3 from the result, N cleared
    EXPECT_EQ(cpu.A, 0x28);
    // ADD ignores the carry coming in.
    EXPECT_EQ(aluB(0x80, 0x01, 0x01, 0x01), 0x00);
    EXPECT_EQ(cpu.A, 0x02);

    // ADC A,B
    EXPECT_EQ(aluB(0x88, 0x0F, 0x00, 0x01), 0x10);
    EXPECT_EQ(cpu.A, 0x10);
    EXPECT_EQ(aluB(0x88, 0x7F, 0x00, 0x01), 0x94);
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(aluB(0x88, 0xFF, 0xFF, 0x01), 0xB9);  // 0x1FF: S, 5, H, 3, C; no overflow
    EXPECT_EQ(cpu.A, 0xFF);
    EXPECT_EQ(aluB(0x88, 0xFF, 0x00, 0x01), 0x51);
    EXPECT_EQ(cpu.A, 0x00);

    // ADD A,n and ADC A,n
    program({0xC6, 0x01});
    cpu.A = 0x7F;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(cpu.F, 0x94);
    EXPECT_EQ(cpu.PC, kCode + 2);
    program({0xCE, 0x10});
    cpu.A = 0xEF;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0x51);

    // ADD A,(HL)
    program({0x86});
    cpu.HL = 0x4000;
    poke(0x4000, 0x08);
    cpu.A = 0x08;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x10);
    EXPECT_EQ(cpu.F, 0x10);
}

TEST_F(Z80Flags, SubSbcAndCp) {
    // SUB B
    EXPECT_EQ(aluB(0x90, 0x10, 0x01, 0x00), 0x1A);  // 0x0F: H, 3, N
    EXPECT_EQ(cpu.A, 0x0F);
    EXPECT_EQ(aluB(0x90, 0x80, 0x01, 0x00), 0x3E);  // 0x7F: 5, H, 3, V, N
    EXPECT_EQ(cpu.A, 0x7F);
    EXPECT_EQ(aluB(0x90, 0x00, 0x01, 0x00), 0xBB);  // 0xFF: S, 5, H, 3, N, C
    EXPECT_EQ(cpu.A, 0xFF);
    EXPECT_EQ(aluB(0x90, 0x05, 0x05, 0x01), 0x42);  // equal: Z, N; incoming carry ignored

    // SUB A leaves exactly 0x42 whatever came before.
    for (uint8_t a : {0x00, 0x5A, 0xFF, 0x80}) {
        for (uint8_t f : {0x00, 0xFF, 0x29}) {
            program({0x97});
            cpu.A = a;
            cpu.F = f;
            EXPECT_EQ(step(), 4u);
            EXPECT_EQ(cpu.A, 0x00);
            EXPECT_EQ(cpu.F, 0x42) << "A=" << int(a) << " F=" << int(f);
        }
    }

    // SBC A,B
    EXPECT_EQ(aluB(0x98, 0x00, 0x00, 0x01), 0xBB);
    EXPECT_EQ(cpu.A, 0xFF);
    EXPECT_EQ(aluB(0x98, 0x80, 0x00, 0x01), 0x3E);
    EXPECT_EQ(cpu.A, 0x7F);
    EXPECT_EQ(aluB(0x98, 0x10, 0x0F, 0x01), 0x52);  // Z, H, N
    EXPECT_EQ(cpu.A, 0x00);
    // SBC A,A with carry: 0xFF.
    program({0x9F});
    cpu.A = 0x37;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0xFF);
    EXPECT_EQ(cpu.F, 0xBB);

    // CP B: bits 5 and 3 from the operand, A unchanged.
    EXPECT_EQ(aluB(0xB8, 0x40, 0x08, 0x00), 0x1A);  // A-B = 0x38 would give 5 and 3 both
    EXPECT_EQ(cpu.A, 0x40);
    EXPECT_EQ(aluB(0xB8, 0x30, 0x00, 0x00), 0x02);  // A-B = 0x30 would give 5
    EXPECT_EQ(cpu.A, 0x30);
    EXPECT_EQ(aluB(0xB8, 0x28, 0x28, 0x00), 0x6A);  // equal: Z, 5, 3, N
    EXPECT_EQ(aluB(0xB8, 0x10, 0x28, 0x00), 0xBB);  // borrow
    EXPECT_EQ(cpu.A, 0x10);
    EXPECT_EQ(aluB(0xB8, 0x80, 0x01, 0x00), 0x16);  // overflow: H, V, N; 5/3 of 0x01
    // CP n
    program({0xFE, 0x08});
    cpu.A = 0x40;
    cpu.F = 0xFF;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x40);
    EXPECT_EQ(cpu.F, 0x1A);
    EXPECT_EQ(cpu.PC, kCode + 2);
    // CP (HL)
    program({0xBE});
    cpu.HL = 0x4000;
    poke(0x4000, 0x20);
    cpu.A = 0x08;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x08);
    EXPECT_EQ(cpu.F, 0xA3);  // 0xE8: S, 5 (from 0x20), N, C; bit 3 not copied from the result
    // SUB n, SBC A,n
    program({0xD6, 0x01});
    cpu.A = 0x00;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0xFF);
    EXPECT_EQ(cpu.F, 0xBB);
    program({0xDE, 0x7F});
    cpu.A = 0x80;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0x56);  // Z, H, V, N
}

TEST_F(Z80Flags, AndOrXor) {
    EXPECT_EQ(aluB(0xA0, 0xF0, 0x0F, 0xFF), 0x54);  // AND: 0 -> Z, H, P
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(aluB(0xA0, 0xFF, 0xA8, 0x03), 0xB8);  // 0xA8: S, 5, H, 3, odd parity; N and C cleared
    EXPECT_EQ(cpu.A, 0xA8);
    EXPECT_EQ(aluB(0xA8, 0xFF, 0xFF, 0xFF), 0x44);  // XOR: 0 -> Z, P
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(aluB(0xA8, 0x0F, 0xF0, 0x00), 0xAC);  // 0xFF: S, 5, 3, P
    EXPECT_EQ(aluB(0xB0, 0x00, 0x81, 0xFF), 0x84);  // OR: 0x81: S, P; H, N, C cleared
    EXPECT_EQ(cpu.A, 0x81);
    EXPECT_EQ(aluB(0xB0, 0x01, 0x02, 0x00), 0x04);  // 0x03: even parity
    EXPECT_EQ(aluB(0xB0, 0x01, 0x00, 0x00), 0x00);  // 0x01: odd parity
    // XOR A, AND n, OR n, XOR n
    program({0xAF});
    cpu.A = 0x5A;
    cpu.F = 0xFF;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0);
    EXPECT_EQ(cpu.F, 0x44);
    program({0xE6, 0x28});
    cpu.A = 0xFF;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x28);
    EXPECT_EQ(cpu.F, 0x3C);
    program({0xF6, 0x80});
    cpu.A = 0x00;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(cpu.F, 0x80);
    program({0xEE, 0x0F});
    cpu.A = 0x0F;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0x44);
    // AND (HL)
    program({0xA6});
    cpu.HL = 0x4000;
    poke(0x4000, 0x0F);
    cpu.A = 0x3C;
    cpu.F = 0;
    EXPECT_EQ(step(), 7u);
    EXPECT_EQ(cpu.A, 0x0C);
    EXPECT_EQ(cpu.F, 0x1C);  // 0x0C: H, 3, P
}

TEST_F(Z80Flags, IncAndDec) {
    // INC B
    program({0x04});
    cpu.B = 0x7F;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.B, 0x80);
    EXPECT_EQ(cpu.F, 0x95);  // S, H, V, C kept
    program({0x04});
    cpu.B = 0xFF;
    cpu.F = FLAG_N;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.B, 0x00);
    EXPECT_EQ(cpu.F, 0x50);  // Z, H; carry stays clear, N cleared
    program({0x04});
    cpu.B = 0x0E;
    cpu.F = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.F, 0x08);
    program({0x3C});  // INC A
    cpu.A = 0x27;
    cpu.F = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0x28);
    EXPECT_EQ(cpu.F, 0x28);

    // DEC B
    program({0x05});
    cpu.B = 0x80;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.B, 0x7F);
    EXPECT_EQ(cpu.F, 0x3F);  // 5, H, 3, V, N, C kept
    program({0x05});
    cpu.B = 0x01;
    cpu.F = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.B, 0x00);
    EXPECT_EQ(cpu.F, 0x42);
    program({0x05});
    cpu.B = 0x00;
    cpu.F = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.B, 0xFF);
    EXPECT_EQ(cpu.F, 0xBA);  // S, 5, H, 3, N; no carry
    program({0x2D});  // DEC L
    cpu.L = 0x11;
    cpu.F = 0;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.L, 0x10);
    EXPECT_EQ(cpu.F, 0x02);

    // INC (HL) / DEC (HL)
    program({0x34});
    cpu.HL = 0x4000;
    poke(0x4000, 0x7F);
    cpu.F = 0;
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(mem(0x4000), 0x80);
    EXPECT_EQ(cpu.F, 0x94);
    program({0x35});
    poke(0x4000, 0x80);
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(mem(0x4000), 0x7F);
    EXPECT_EQ(cpu.F, 0x3F);
}

TEST_F(Z80Flags, RotatesOfA) {
    struct Case {
        uint8_t op, a, f, wantA, wantF;
    };
    const Case cases[] = {
        {0x07, 0x81, 0xD6, 0x03, 0xC5},  // RLCA: S, Z, P/V kept; H, N cleared; C = old bit 7
        {0x07, 0x14, 0x00, 0x28, 0x28},  // bits 5 and 3 from the new A
        {0x07, 0x40, 0x01, 0x80, 0x00},
        {0x0F, 0x01, 0x00, 0x80, 0x01},  // RRCA
        {0x0F, 0x50, 0x01, 0x28, 0x28},
        {0x17, 0x80, 0x00, 0x00, 0x01},  // RLA
        {0x17, 0x00, 0x01, 0x01, 0x00},
        {0x17, 0x94, 0xC5, 0x29, 0xED},  // 0x94 << 1 | 1 = 0x129
        {0x1F, 0x01, 0x00, 0x00, 0x01},  // RRA
        {0x1F, 0x00, 0x01, 0x80, 0x00},
        {0x1F, 0x51, 0x01, 0xA8, 0x29},
    };
    for (const Case& c : cases) {
        program({c.op});
        cpu.A = c.a;
        cpu.F = c.f;
        EXPECT_EQ(step(), 4u);
        EXPECT_EQ(cpu.A, c.wantA) << "op " << int(c.op) << " A " << int(c.a);
        EXPECT_EQ(cpu.F, c.wantF) << "op " << int(c.op) << " A " << int(c.a);
    }
}

TEST_F(Z80Flags, CplScfCcf) {
    program({0x2F});  // CPL
    cpu.A = 0x5A;
    cpu.F = 0x00;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0xA5);
    EXPECT_EQ(cpu.F, 0x32);  // 5 (from 0xA5), H, N
    program({0x2F});
    cpu.A = 0xF7;
    cpu.F = 0xC5;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0x08);
    EXPECT_EQ(cpu.F, 0xDF);  // S, Z, P/V, C kept; 3, H, N

    program({0x37});  // SCF
    cpu.A = 0x28;
    cpu.F = 0x12;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.F, 0x29);
    program({0x37});
    cpu.A = 0x00;
    cpu.F = 0xFE;  // bits 5 and 3 set in F but not in A
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.F, 0xC5);

    program({0x3F});  // CCF
    cpu.A = 0x00;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.F, 0x10);  // H = old C, C cleared
    program({0x3F});
    cpu.A = 0x28;
    cpu.F = 0x10;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.F, 0x29);  // H = old C = 0, C set, 5 and 3 from A
    program({0x3F});
    cpu.A = 0x00;
    cpu.F = 0xEF;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.F, 0xD4);  // S, Z, P/V kept; H from C; N and C cleared
}

TEST_F(Z80Flags, AddHl) {
    struct Case {
        uint8_t op;
        uint16_t hl, rr;
        uint8_t f;
        uint16_t want;
        uint8_t wantF;
    };
    const Case cases[] = {
        {0x09, 0x0FFF, 0x0001, 0xC6, 0x1000, 0xD4},  // carry out of bit 11; S, Z, P/V kept; N cleared
        {0x09, 0xFFFF, 0x0001, 0x00, 0x0000, 0x11},  // H and C; Z not touched
        {0x19, 0x0000, 0x2800, 0x00, 0x2800, 0x28},  // 5 and 3 from the high byte
        {0x19, 0x00FF, 0x0001, 0x01, 0x0100, 0x00},  // low-byte carry is not H
        {0x39, 0x8000, 0x8000, 0x00, 0x0000, 0x01},
        {0x39, 0x7000, 0x1000, 0x00, 0x8000, 0x00},  // no V from ADD HL
    };
    for (const Case& c : cases) {
        program({c.op});
        cpu.HL = c.hl;
        cpu.BC = cpu.DE = cpu.SP = c.rr;
        cpu.F = c.f;
        EXPECT_EQ(step(), 11u);
        EXPECT_EQ(cpu.HL, c.want) << std::hex << c.hl << "+" << c.rr;
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << c.hl << "+" << c.rr;
    }
    program({0x29});  // ADD HL,HL
    cpu.HL = 0x8800;
    cpu.F = 0;
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(cpu.HL, 0x1000);
    EXPECT_EQ(cpu.F, 0x11);
}

TEST_F(Z80Flags, DaaEdgeCases) {
    // 0x99 + 0x01 then DAA: 0x00 with C, Z and H.
    program({0x80, 0x27});
    cpu.A = 0x99;
    cpu.B = 0x01;
    cpu.F = 0;
    step();
    EXPECT_EQ(cpu.A, 0x9A);
    EXPECT_EQ(cpu.F & (FLAG_N | FLAG_H | FLAG_C), 0);
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0x55);  // Z, H, P, C

    // N = 1, A = 0, H = 1, C = 0: 0xFA, H stays, C stays clear.
    program({0x27});
    cpu.A = 0x00;
    cpu.F = FLAG_N | FLAG_H;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.A, 0xFA);
    EXPECT_EQ(cpu.F, 0xBE);  // S, 5, H, 3, P, N
}

TEST_F(Z80Flags, DaaAfterAdditionAndSubtraction) {
    struct Case {
        uint8_t a, f, wantA, wantF;
    };
    const Case cases[] = {
        {0x3C, 0x00, 0x42, 0x14},  // 15 + 27: low digit adjusted, H set
        {0x20, 0x01, 0x80, 0x81},  // 90 + 90: carry in forces + 0x60
        {0x99, 0x00, 0x99, 0x8C},  // valid BCD: unchanged
        {0xA0, 0x00, 0x00, 0x45},  // high digit > 9
        {0x9F, 0x00, 0x05, 0x15},  // both digits adjusted
        {0xFA, 0x00, 0x60, 0x35},  // the 9-bit intermediate 0x100 still triggers + 0x60
        {0x0A, 0x10, 0x10, 0x10},  // H in: + 6, H = (low > 9)
        {0x02, 0x10, 0x08, 0x08},  // H in, low <= 9: + 6, H cleared
        {0x2D, 0x12, 0x27, 0x26},  // 42 - 15 = 0x2D with H: - 6, H cleared
        {0xEE, 0x13, 0x88, 0x8F},  // 15 - 27 = 0xEE with H and C: - 0x66, C set
        {0x9A, 0x02, 0x34, 0x23},  // N, A >= 0x9A: - 0x66, C set; H needs H in: 0
        {0x91, 0x03, 0x31, 0x23},  // N with C: - 0x60 only, C kept set
        {0x45, 0x12, 0x3F, 0x3E},  // N, H, low < 6: H stays
    };
    for (const Case& c : cases) {
        program({0x27});
        cpu.A = c.a;
        cpu.F = c.f;
        EXPECT_EQ(step(), 4u);
        EXPECT_EQ(cpu.A, c.wantA) << std::hex << "A=" << int(c.a) << " F=" << int(c.f);
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "A=" << int(c.a) << " F=" << int(c.f);
    }
}

TEST_F(Z80Flags, Neg) {
    struct Case {
        uint8_t a, f, wantA, wantF;
    };
    const Case cases[] = {
        {0x01, 0x00, 0xFF, 0xBB},
        {0x80, 0x00, 0x80, 0x87},  // overflow
        {0x00, 0x01, 0x00, 0x42},  // zero: no carry
        {0x10, 0x00, 0xF0, 0xA3},  // no half borrow
        {0xD8, 0x00, 0x28, 0x3B},
    };
    for (uint8_t second : {0x44, 0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C}) {
        for (const Case& c : cases) {
            program({0xED, second});
            cpu.A = c.a;
            cpu.F = c.f;
            EXPECT_EQ(step(), 8u);
            EXPECT_EQ(cpu.PC, kCode + 2);
            EXPECT_EQ(cpu.A, c.wantA) << std::hex << "ED " << int(second) << " A=" << int(c.a);
            EXPECT_EQ(cpu.F, c.wantF) << std::hex << "ED " << int(second) << " A=" << int(c.a);
        }
    }
}

TEST_F(Z80Flags, AdcAndSbcHl) {
    struct Case {
        uint8_t op;
        uint16_t hl, rr;
        uint8_t f;
        uint16_t want;
        uint8_t wantF;
    };
    const Case cases[] = {
        // ADC HL,rr
        {0x4A, 0x7FFF, 0x0000, 0x01, 0x8000, 0x94},  // S, H, V
        {0x4A, 0xFFFF, 0x0001, 0x00, 0x0000, 0x51},  // Z from all 16 bits, H, C
        {0x4A, 0x0FFF, 0x0001, 0x02, 0x1000, 0x10},  // low byte 0 is not Z; N cleared
        {0x5A, 0x2700, 0x0100, 0x00, 0x2800, 0x28},  // 5 and 3 from the high byte
        {0x7A, 0x8000, 0x8000, 0x01, 0x0001, 0x05},  // V and C, carry in
        // SBC HL,rr
        {0x42, 0x0000, 0x0001, 0x00, 0xFFFF, 0xBB},
        {0x42, 0x8000, 0x0000, 0x01, 0x7FFF, 0x3E},  // overflow and half borrow
        {0x52, 0x1234, 0x1234, 0x00, 0x0000, 0x42},
        {0x72, 0x1100, 0x0100, 0x00, 0x1000, 0x02},  // low byte 0 is not Z
        {0x52, 0x4000, 0x0FFF, 0x01, 0x3000, 0x32},  // H from bit 11; 5 from 0x30
    };
    for (const Case& c : cases) {
        program({0xED, c.op});
        cpu.HL = c.hl;
        cpu.BC = cpu.DE = cpu.SP = c.rr;
        cpu.F = c.f;
        EXPECT_EQ(step(), 15u);
        EXPECT_EQ(cpu.HL, c.want) << std::hex << "ED " << int(c.op) << " " << c.hl << "," << c.rr;
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "ED " << int(c.op) << " " << c.hl << "," << c.rr;
    }
    // With HL itself.
    program({0xED, 0x6A});  // ADC HL,HL
    cpu.HL = 0x8001;
    cpu.F = 0x01;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(cpu.HL, 0x0003);
    EXPECT_EQ(cpu.F, 0x05);
    program({0xED, 0x62});  // SBC HL,HL
    cpu.HL = 0x5555;
    cpu.F = 0x01;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(cpu.HL, 0xFFFF);
    EXPECT_EQ(cpu.F, 0xBB);
}

TEST_F(Z80Flags, LoadAFromIAndR) {
    program({0xED, 0x57});  // LD A,I
    cpu.I = 0x80;
    cpu.IFF2 = 1;
    cpu.F = 0x13;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(cpu.F, 0x85);  // S, P/V = IFF2, C kept; H, N cleared
    program({0xED, 0x57});
    cpu.I = 0x00;
    cpu.IFF2 = 0;
    cpu.F = 0x00;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0x40);
    program({0xED, 0x57});
    cpu.I = 0x28;
    cpu.IFF1 = 0;  // P/V follows IFF2, not IFF1
    cpu.IFF2 = 1;
    cpu.F = 0x00;
    step();
    EXPECT_EQ(cpu.F, 0x2C);

    // LD A,R reads R after both opcode fetches have stepped it.
    program({0xED, 0x5F});
    cpu.R = 0x10;
    cpu.IFF2 = 0;
    cpu.F = FLAG_C;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu.A, 0x12);
    EXPECT_EQ(cpu.F, 0x01);
    program({0xED, 0x5F});
    cpu.R = 0x8F;
    cpu.IFF2 = 1;
    cpu.F = 0;
    step();
    EXPECT_EQ(cpu.A, 0x91);
    EXPECT_EQ(cpu.F, 0x84);
    program({0xED, 0x5F});
    cpu.R = 0x7F;  // wraps within the low seven bits
    cpu.F = 0;
    step();
    EXPECT_EQ(cpu.A, 0x01);
}

TEST_F(Z80Flags, InRegisterFromC) {
    // IN A,(C): S, Z, P/V from the byte; H and N cleared; C, 5 and 3 kept.
    program({0xED, 0x78});
    cpu.BC = 0x12FE;
    bus.portValues[0xFE] = 0x00;
    cpu.F = 0x3B;  // 5, H, 3, N, C
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.F, 0x6D);  // Z, 5, 3, P, C
    ASSERT_EQ(bus.ins.size(), 1u);
    EXPECT_EQ(bus.ins[0].port, 0xFE);

    program({0xED, 0x78});
    bus.portValues[0xFE] = 0x28;
    cpu.F = 0x00;
    step();
    EXPECT_EQ(cpu.A, 0x28);
    EXPECT_EQ(cpu.F, 0x04);  // 5 and 3 of the byte are not copied

    program({0xED, 0x50});  // IN D,(C)
    bus.portValues[0xFE] = 0xA8;
    cpu.F = 0x00;
    step();
    EXPECT_EQ(cpu.D, 0xA8);
    EXPECT_EQ(cpu.F, 0x80);

    program({0xED, 0x48});  // IN C,(C) replaces the port register
    bus.portValues[0xFE] = 0x33;
    cpu.F = 0x00;
    step();
    EXPECT_EQ(cpu.C, 0x33);
    EXPECT_EQ(cpu.B, 0x12);
    EXPECT_EQ(cpu.F, 0x04);

    // IN (C): flags only.
    program({0xED, 0x70});
    cpu.BC = 0x00FE;
    cpu.AF = 0x7700;
    cpu.DE = 0x1111;
    cpu.HL = 0x2222;
    bus.portValues[0xFE] = 0x80;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(cpu.F, 0x80);
    EXPECT_EQ(cpu.A, 0x77);
    EXPECT_EQ(cpu.BC, 0x00FE);
    EXPECT_EQ(cpu.DE, 0x1111);
    EXPECT_EQ(cpu.HL, 0x2222);
}

}  // namespace
}  // namespace kestrel::test
