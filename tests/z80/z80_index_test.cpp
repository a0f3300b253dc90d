// The index page under both prefixes: T-states, (IX+d) addressing, the real H
// and L beside IXH/IXL, the ignored prefix and the DDCB group. Loads and
// arithmetic results are left to zexdoc/zexall.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

class Z80Index : public Z80Test, public ::testing::WithParamInterface<uint8_t> {
protected:
    uint8_t p() const { return GetParam(); }
    uint8_t otherPrefix() const { return GetParam() == 0xDD ? 0xFD : 0xDD; }
    uint16_t& idx() { return GetParam() == 0xDD ? cpu.IX : cpu.IY; }
    uint16_t& otherIdx() { return GetParam() == 0xDD ? cpu.IY : cpu.IX; }
};

std::string prefixName(const ::testing::TestParamInfo<uint8_t>& info) {
    return info.param == 0xDD ? "IX" : "IY";
}

INSTANTIATE_TEST_SUITE_P(Prefix, Z80Index, ::testing::Values(uint8_t{0xDD}, uint8_t{0xFD}), prefixName);

// 4 is the prefix alone (the opcode then runs unprefixed); CB is the DDCB group.
constexpr uint8_t X = 0xFF;
constexpr uint8_t kIndexT[256] = {
    4,  4,  4,  4,  4,  4,  4,  4,  4,  15, 4,  4,  4,  4,  4,  4,   // 00
    4,  4,  4,  4,  4,  4,  4,  4,  4,  15, 4,  4,  4,  4,  4,  4,   // 10
    4,  14, 20, 10, 8,  8,  11, 4,  4,  15, 20, 10, 8,  8,  11, 4,   // 20
    4,  4,  4,  4,  23, 23, 19, 4,  4,  15, 4,  4,  4,  4,  4,  4,   // 30
    4,  4,  4,  4,  8,  8,  19, 4,  4,  4,  4,  4,  8,  8,  19, 4,   // 40
    4,  4,  4,  4,  8,  8,  19, 4,  4,  4,  4,  4,  8,  8,  19, 4,   // 50
    8,  8,  8,  8,  8,  8,  19, 8,  8,  8,  8,  8,  8,  8,  19, 8,   // 60
    19, 19, 19, 19, 19, 19, 4,  19, 4,  4,  4,  4,  8,  8,  19, 4,   // 70
    4,  4,  4,  4,  8,  8,  19, 4,  4,  4,  4,  4,  8,  8,  19, 4,   // 80
    4,  4,  4,  4,  8,  8,  19, 4,  4,  4,  4,  4,  8,  8,  19, 4,   // 90
    4,  4,  4,  4,  8,  8,  19, 4,  4,  4,  4,  4,  8,  8,  19, 4,   // A0
    4,  4,  4,  4,  8,  8,  19, 4,  4,  4,  4,  4,  8,  8,  19, 4,   // B0
    4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  X,  4,  4,  4,  4,   // C0
    4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,   // D0
    4,  14, 4,  23, 4,  15, 4,  4,  4,  8,  4,  4,  4,  4,  4,  4,   // E0
    4,  4,  4,  4,  4,  4,  4,  4,  4,  10, 4,  4,  4,  4,  4,  4,   // F0
};

TEST_P(Z80Index, TStatesOfEveryOpcode) {
    expectTimings({p()}, kIndexT, [&] {
        cpu.IX = cpu.IY = cpu.HL = 0x4000;
        cpu.SP = 0x9000;
        cpu.F = 0;
        cpu.B = 2;
    });
    for (int op = 0; op < 256; ++op) {  // DD CB d op: BIT 20, the rest 23
        program({p(), 0xCB, 0x00, static_cast<uint8_t>(op)});
        idx() = 0x4000;
        EXPECT_EQ(step(), (op & 0xC0) == 0x40 ? 20u : 23u) << std::hex << "DDCB " << op;
    }
}

TEST_P(Z80Index, DisplacementIsSignedAndWraps) {
    struct Case {
        uint16_t index;
        uint8_t op, d;
        uint16_t address;
    };
    const Case cases[] = {
        {0x4000, 0x77, 0x80, 0x4000 - 128},  // LD (IX-128),A
        {0x4000, 0x77, 0x7F, 0x4000 + 127},
        {0x0000, 0x77, 0xFF, 0xFFFF},        // LD (IX-1),A with IX = 0
        {0xFFFF, 0x7E, 0x02, 0x0001},        // LD A,(IX+2) past the top
        {0x0001, 0x36, 0xFE, 0xFFFF},        // LD (IX-2),n
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "op " << int(c.op) << " d " << int(c.d));
        program({p(), c.op, c.d, 0x3C});
        idx() = c.index;
        cpu.HL = 0x5000;
        cpu.A = 0x3C;
        poke(c.address, c.op == 0x7E ? 0x99 : 0x00);
        step();
        EXPECT_EQ(c.op == 0x7E ? cpu.A : mem(c.address), c.op == 0x7E ? 0x99 : 0x3C);
        EXPECT_EQ(mem(0x5000), 0x00) << "(HL) untouched";
    }
}

TEST_P(Z80Index, IndexedLoadsUseTheRealHAndL) {
    for (int code : {4, 5}) {
        program({p(), static_cast<uint8_t>(0x46 | code << 3), 0x05});  // LD H/L,(IX+5)
        distinctRegisters();
        idx() = 0x4000;
        poke(0x4005, 0xC3);
        step();
        expectOnlyRegisterChanged(code, 0xC3);
        EXPECT_EQ(idx(), 0x4000);

        program({p(), static_cast<uint8_t>(0x70 | code), 0xFB});  // LD (IX-5),H/L
        distinctRegisters();
        step();
        EXPECT_EQ(mem(0x3FFB), kDistinct[code]);
    }
}

TEST_P(Z80Index, StackAndJumps) {
    program({p(), 0xE5, p(), 0xE1});  // PUSH IX; POP IX
    cpu.SP = 0x9000;
    idx() = 0xA1B2;
    step();
    EXPECT_EQ(cpu.SP, 0x8FFE);
    EXPECT_EQ(bus.word(0x8FFE), 0xA1B2);
    idx() = 0;
    step();
    EXPECT_EQ(idx(), 0xA1B2);
    EXPECT_EQ(cpu.SP, 0x9000);

    program({p(), 0xE3, p(), 0xF9, p(), 0xE9});  // EX (SP),IX; LD SP,IX; JP (IX)
    bus.load(0x9000, {0x34, 0x12});
    cpu.HL = 0x5555;
    step();
    EXPECT_EQ(idx(), 0x1234);
    EXPECT_EQ(bus.word(0x9000), 0xA1B2);
    step();
    EXPECT_EQ(cpu.SP, 0x1234);
    step();
    EXPECT_EQ(cpu.PC, 0x1234);
    EXPECT_EQ(cpu.HL, 0x5555);
}

// The prefix before an opcode that is not on the index page is an instruction
// of its own (4 T-states, PC back onto the opcode), and the opcode then runs
// as if unprefixed.
TEST_P(Z80Index, IgnoredPrefix) {
    struct Case {
        std::vector<uint8_t> rest;
        unsigned t;  // of the instruction after the prefix
        uint16_t wantPC, wantDE, wantHL, wantIdx, wantOther;
        uint8_t wantA;
    };
    const Case cases[] = {
        {{0x00}, 4, kCode + 2, 0x1111, 0x2222, 0x3333, 0x4444, 0x01},
        {{0x76}, 4, kCode + 1, 0x1111, 0x2222, 0x3333, 0x4444, 0x01},  // HALT stays on itself
        {{0xEB}, 4, kCode + 2, 0x2222, 0x1111, 0x3333, 0x4444, 0x01},  // EX DE,HL: HL, not IX
        {{0xED, 0x44}, 8, kCode + 3, 0x1111, 0x2222, 0x3333, 0x4444, 0xFF},  // NEG
        {{p(), 0x21, 0x34, 0x12}, 14, kCode + 5, 0x1111, 0x2222, 0x1234, 0x4444, 0x01},
        {{otherPrefix(), 0x21, 0x34, 0x12}, 14, kCode + 5, 0x1111, 0x2222, 0x3333, 0x1234, 0x01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "after the prefix " << int(c.rest[0]));
        poke(kCode, p());
        for (size_t i = 0; i < c.rest.size(); ++i) poke(static_cast<uint16_t>(kCode + 1 + i), c.rest[i]);
        cpu.PC = kCode;
        cpu.DE = 0x1111;
        cpu.HL = 0x2222;
        idx() = 0x3333;
        otherIdx() = 0x4444;
        cpu.A = 0x01;
        cpu.IFF1 = 0;
        EXPECT_EQ(step(), 4u);
        EXPECT_EQ(cpu.PC, kCode + 1);
        EXPECT_EQ(step(), c.t);
        EXPECT_EQ(std::tuple(cpu.PC, cpu.DE, cpu.HL, idx(), otherIdx(), cpu.A),
                  std::tuple(c.wantPC, c.wantDE, c.wantHL, c.wantIdx, c.wantOther, c.wantA));
    }
}

// DD CB d op: the byte at IX+d changes; op & 7 other than 6 also stores the
// result in that register (the real H and L).
TEST_P(Z80Index, DdcbWritesBackAndCopiesIntoARegister) {
    struct Case {
        uint8_t d, op, value, want;
    };
    std::vector<Case> cases;
    for (uint8_t code = 0; code < 8; ++code) cases.push_back({0xFE, code, 0x81, 0x03});  // RLC (IX-2),r
    cases.push_back({0x01, 0xBD, 0xFF, 0x7F});  // RES 7,(IX+1),L
    cases.push_back({0x7F, 0xC7, 0x10, 0x11});  // SET 0,(IX+127),A
    cases.push_back({0x05, 0xFE, 0x00, 0x80});  // SET 7,(IX+5)
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "DDCB " << int(c.d) << " " << int(c.op));
        program({p(), 0xCB, c.d, c.op});
        distinctRegisters();
        idx() = 0x4002;
        uint16_t address = static_cast<uint16_t>(0x4002 + static_cast<int8_t>(c.d));
        poke(address, c.value);
        step();
        EXPECT_EQ(mem(address), c.want);
        expectOnlyRegisterChanged(c.op & 7, (c.op & 7) == 6 ? 0 : c.want);
        EXPECT_EQ(idx(), 0x4002);
    }
    program({p(), 0xCB, 0x01, 0xC6});  // SET 0,(IX+1) past the top of memory
    idx() = 0xFFFF;
    poke(0x0000, 0x00);
    step();
    EXPECT_EQ(mem(0x0000), 0x01);
}

// DDCB BIT: bits 5 and 3 are 0 in the documented encoding (op & 7 = 6) and
// copied from the byte in the other seven; no register is written.
TEST_P(Z80Index, DdcbBitTests) {
    struct Case {
        uint8_t op, value, f, wantF;
    };
    const Case cases[] = {
        {0x46, 0x28, 0x00, 0x54},  // BIT 0, documented: Z, H, P/V; no 5 and 3
        {0x40, 0x28, 0x00, 0x7C},  // the same through encoding 0: 5 and 3 copied
        {0x47, 0x28, 0x01, 0x7D},  // C kept
        {0x41, 0x29, 0x00, 0x38},  // bit set: no Z
        {0x7E, 0x80, 0x00, 0x90},  // BIT 7 set: S
        {0x7F, 0xA8, 0x02, 0xB8},  // BIT 7 through encoding 7: S, 5, 3; N cleared
        {0x5E, 0x08, 0x00, 0x10},  // BIT 3 set, documented: no bit 3 copy
        {0x5B, 0x08, 0x00, 0x18},  // BIT 3 set, encoding 3: bit 3 copied
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "DDCB op " << int(c.op) << " of " << int(c.value));
        program({p(), 0xCB, 0x03, c.op});
        distinctRegisters();
        idx() = 0x4000;
        poke(0x4003, c.value);
        cpu.F = c.f;
        step();
        EXPECT_EQ(cpu.F, c.wantF);
        EXPECT_EQ(mem(0x4003), c.value);
        expectOnlyRegisterChanged(-1, 0);
    }
}

}  // namespace
}  // namespace kestrel::test
