// The CB page: T-states, and the BIT flag bits 5 and 3, which this engine takes
// from the register but leaves 0 for (HL). Rotate, shift, RES and SET results
// are left to zexdoc/zexall; SLL is in the flags tests.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

using Z80Cb = Z80Test;

TEST_F(Z80Cb, TStatesOfEveryOpcode) {
    for (int op = 0; op < 256; ++op) {
        program({0xCB, static_cast<uint8_t>(op)});
        cpu.HL = 0x4000;
        unsigned want = (op & 7) != 6 ? 8u : ((op & 0xC0) == 0x40 ? 12u : 15u);
        EXPECT_EQ(step(), want) << std::hex << "CB " << op;
        EXPECT_EQ(cpu.PC, kCode + 2);
    }
}

TEST_F(Z80Cb, BitFlags) {
    struct Case {
        uint8_t op, value, f, wantF;
    };
    const Case cases[] = {
        {0x40, 0xFE, 0x01, 0x7D},  // BIT 0,B of 0xFE: Z, P/V, H, C kept; 5 and 3 from B
        {0x48, 0x28, 0x41, 0x7D},  // BIT 1,B of 0x28: clear -> Z, P/V; 5, 3 copied
        {0x7F, 0x80, 0x02, 0x90},  // BIT 7,A set: S, H; N cleared
        {0x77, 0x40, 0x00, 0x10},  // BIT 6,A set: S only for bit 7
        {0x5A, 0x08, 0x00, 0x18},  // BIT 3,D
        {0x5E, 0xFF, 0x00, 0x10},  // BIT 3,(HL): 5 and 3 are 0
        {0x46, 0x28, 0x01, 0x55},  // BIT 0,(HL) of 0x28: Z, P/V, H, C; no 5/3
        {0x7E, 0x80, 0x00, 0x90},  // BIT 7,(HL) set
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "CB " << int(c.op) << " of " << int(c.value));
        program({0xCB, c.op});
        cpu.HL = 0x4000;
        if ((c.op & 7) == 6) {
            poke(0x4000, c.value);
        } else {
            reg(c.op & 7) = c.value;
        }
        cpu.F = c.f;
        step();
        EXPECT_EQ(cpu.F, c.wantF);
        EXPECT_EQ((c.op & 7) == 6 ? mem(0x4000) : reg(c.op & 7), c.value) << "BIT changes nothing";
    }
}

}  // namespace
}  // namespace kestrel::test
