// The CB page: rotates and shifts, BIT, RES and SET on registers and (HL).
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

class Z80Cb : public Z80Test {
protected:
    uint8_t& reg(int code) {
        switch (code) {
            case 0: return cpu.B;
            case 1: return cpu.C;
            case 2: return cpu.D;
            case 3: return cpu.E;
            case 4: return cpu.H;
            case 5: return cpu.L;
            case 6: return bus.memory[cpu.HL];
            default: return cpu.A;
        }
    }
    // Runs CB op with `value` in the operand (register or the byte at (HL)).
    uint8_t run(uint8_t op, uint8_t value, uint8_t f) {
        program({0xCB, op});
        cpu.BC = cpu.DE = 0;
        cpu.A = 0;
        cpu.HL = 0x4000;
        bus.memory[0x4000] = 0;
        reg(op & 7) = value;
        cpu.F = f;
        unsigned t = static_cast<unsigned>(step());
        unsigned wantT = (op & 7) == 6 ? ((op & 0xC0) == 0x40 ? 12u : 15u) : 8u;
        EXPECT_EQ(t, wantT) << std::hex << "CB " << int(op);
        EXPECT_EQ(cpu.PC, kCode + 2);
        return reg(op & 7);
    }
};

TEST_F(Z80Cb, RotatesAndShifts) {
    struct Case {
        uint8_t op, value, f, want, wantF;
    };
    const Case cases[] = {
        {0x00, 0x81, 0x12, 0x03, 0x05},  // RLC B: P (0x03), C; H and N cleared
        {0x00, 0x00, 0x01, 0x00, 0x44},  // RLC of 0: Z, P, C cleared
        {0x01, 0x14, 0x00, 0x28, 0x2C},  // RLC C: 5, 3, P
        {0x09, 0x01, 0x00, 0x80, 0x81},  // RRC C: S, C
        {0x0E, 0x02, 0x01, 0x01, 0x00},  // RRC (HL)
        {0x12, 0x80, 0x00, 0x00, 0x45},  // RL D: Z, P, C
        {0x12, 0x00, 0x01, 0x01, 0x00},  // RL D: carry in
        {0x1B, 0x01, 0x01, 0x80, 0x81},  // RR E: carry in to bit 7, carry out
        {0x1B, 0x02, 0x00, 0x01, 0x00},
        {0x24, 0x80, 0x00, 0x00, 0x45},  // SLA H
        {0x24, 0x14, 0x01, 0x28, 0x2C},  // SLA H: carry in ignored
        {0x2D, 0x81, 0x00, 0xC0, 0x85},  // SRA L: bit 7 kept
        {0x2D, 0x7E, 0x00, 0x3F, 0x2C},
        {0x37, 0x80, 0x00, 0x01, 0x01},  // SLL A: bit 0 set, C from bit 7
        {0x37, 0x00, 0x40, 0x01, 0x00},  // SLL never gives Z
        {0x37, 0x94, 0x00, 0x29, 0x29},  // 5 and 3 from 0x29, odd parity, C
        {0x3E, 0x01, 0x00, 0x00, 0x45},  // SRL (HL)
        {0x3F, 0x81, 0x00, 0x40, 0x01},  // SRL A: bit 7 cleared
        {0x3F, 0x50, 0xFF, 0x28, 0x2C},  // S, Z, H, P/V, N, C all recomputed
        {0x06, 0x80, 0x00, 0x01, 0x01},  // RLC (HL)
        {0x16, 0x80, 0x01, 0x01, 0x01},  // RL (HL)
        {0x1E, 0x01, 0x00, 0x00, 0x45},  // RR (HL)
        {0x26, 0xFF, 0x00, 0xFE, 0xA9},  // SLA (HL)
        {0x2E, 0x80, 0x00, 0xC0, 0x84},  // SRA (HL)
        {0x36, 0x7F, 0x00, 0xFF, 0xAC},  // SLL (HL)
    };
    for (const Case& c : cases) {
        uint8_t got = run(c.op, c.value, c.f);
        EXPECT_EQ(got, c.want) << std::hex << "CB " << int(c.op) << " of " << int(c.value);
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "CB " << int(c.op) << " of " << int(c.value);
    }
}

TEST_F(Z80Cb, EachRegisterCodeSelectsItsOperand) {
    // SLA on every operand: only the selected one doubles.
    for (int code = 0; code < 8; ++code) {
        program({0xCB, static_cast<uint8_t>(0x20 | code)});
        cpu.B = 0x01;
        cpu.C = 0x02;
        cpu.D = 0x03;
        cpu.E = 0x04;
        cpu.H = 0x40;
        cpu.L = 0x06;
        cpu.A = 0x07;
        bus.memory[0x4006] = 0x08;
        const uint8_t before[8] = {0x01, 0x02, 0x03, 0x04, 0x40, 0x06, 0x08, 0x07};
        step();
        for (int r = 0; r < 8; ++r) {
            uint8_t want = r == code ? static_cast<uint8_t>(before[r] << 1) : before[r];
            uint8_t got = r == 6 ? bus.memory[0x4006] : reg(r);
            if (r == 6 && (code == 4 || code == 5)) continue;  // HL itself moved
            EXPECT_EQ(got, want) << "SLA code " << code << " operand " << r;
        }
    }
}

TEST_F(Z80Cb, BitFlags) {
    struct Case {
        uint8_t op, value, f, wantF;
    };
    const Case cases[] = {
        {0x40, 0xFE, 0x01, 0x7D},  // BIT 0,B of 0xFE: Z, P/V, H, C kept; 5 and 3 from B
        {0x40, 0x01, 0x02, 0x10},  // bit set: only H; N cleared
        {0x7F, 0x80, 0x00, 0x90},  // BIT 7,A set: S
        {0x7F, 0x00, 0x00, 0x54},  // BIT 7,A clear: Z, P/V
        {0x6F, 0x20, 0x00, 0x30},  // BIT 5,A: 5 copied, no S
        {0x77, 0x40, 0x00, 0x10},  // BIT 6,A set: S only for bit 7
        {0x5A, 0x08, 0x00, 0x18},  // BIT 3,D
        {0x48, 0x28, 0x41, 0x7D},  // BIT 1,B of 0x28: clear -> Z, P/V; 5, 3 copied
        {0x5E, 0xFF, 0x00, 0x10},  // BIT 3,(HL): 5 and 3 are 0
        {0x7E, 0x80, 0x00, 0x90},  // BIT 7,(HL) set
        {0x46, 0x28, 0x01, 0x55},  // BIT 0,(HL) of 0x28: Z, P/V, H, C; no 5/3
    };
    for (const Case& c : cases) {
        uint8_t got = run(c.op, c.value, c.f);
        EXPECT_EQ(got, c.value) << "BIT changes nothing";
        EXPECT_EQ(cpu.F, c.wantF) << std::hex << "CB " << int(c.op) << " of " << int(c.value);
    }
}

TEST_F(Z80Cb, ResAndSet) {
    struct Case {
        uint8_t op, value, want;
    };
    const Case cases[] = {
        {0x80, 0xFF, 0xFE},  // RES 0,B
        {0xBF, 0xFF, 0x7F},  // RES 7,A
        {0xA6, 0xFF, 0xEF},  // RES 4,(HL)
        {0x9D, 0x08, 0x00},  // RES 3,L
        {0xC0, 0x00, 0x01},  // SET 0,B
        {0xF8, 0x00, 0x80},  // SET 7,B
        {0xFE, 0x00, 0x80},  // SET 7,(HL)
        {0xD2, 0x04, 0x04},  // SET 2,D already set
        {0xE9, 0x00, 0x20},  // SET 5,C
    };
    for (const Case& c : cases) {
        for (uint8_t f : {0x00, 0xD7}) {
            uint8_t got = run(c.op, c.value, f);
            EXPECT_EQ(got, c.want) << std::hex << "CB " << int(c.op);
            EXPECT_EQ(cpu.F, f) << std::hex << "CB " << int(c.op) << ": RES/SET change no flag";
        }
    }
}

TEST_F(Z80Cb, TStatesOfEveryOpcode) {
    for (int op = 0; op < 256; ++op) {
        program({0xCB, static_cast<uint8_t>(op)});
        cpu.HL = 0x4000;
        unsigned want = (op & 7) != 6 ? 8u : ((op & 0xC0) == 0x40 ? 12u : 15u);
        EXPECT_EQ(step(), want) << std::hex << "CB " << op;
        EXPECT_EQ(cpu.PC, kCode + 2);
    }
}

}  // namespace
}  // namespace kestrel::test
