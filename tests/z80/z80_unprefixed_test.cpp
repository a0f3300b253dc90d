// The unprefixed opcode page: T-states, the refresh register, and what the
// instruction exercisers do not check: exchanges, stack and memory wrapping,
// control flow and the port forms. Loads and ALU results are left to zexdoc/zexall.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

using Z80Unprefixed = Z80Test;

// With F = 0: NZ, NC, PO and P are taken, Z, C, PE and M are not; B = 2 makes
// DJNZ jump. The prefixes CB, DD, ED and FD have their own pages.
constexpr uint8_t X = 0xFF;
constexpr uint8_t kMainT[256] = {
    4,  10, 7,  6,  4,  4,  7,  4,  4,  11, 7,  6,  4,  4,  7,  4,   // 00
    13, 10, 7,  6,  4,  4,  7,  4,  12, 11, 7,  6,  4,  4,  7,  4,   // 10
    12, 10, 16, 6,  4,  4,  7,  4,  7,  11, 16, 6,  4,  4,  7,  4,   // 20
    12, 10, 13, 6,  11, 11, 10, 4,  7,  11, 13, 6,  4,  4,  7,  4,   // 30
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 40
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 50
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 60
    7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4,   // 70
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 80
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 90
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // A0
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // B0
    11, 10, 10, 10, 17, 11, 7,  11, 5,  10, 10, X,  10, 17, 7,  11,  // C0
    11, 10, 10, 11, 17, 11, 7,  11, 5,  4,  10, 11, 10, X,  7,  11,  // D0
    11, 10, 10, 19, 17, 11, 7,  11, 5,  4,  10, 4,  10, X,  7,  11,  // E0
    11, 10, 10, 4,  17, 11, 7,  11, 5,  6,  10, 4,  10, X,  7,  11,  // F0
};

TEST_F(Z80Unprefixed, TStatesOfEveryOpcode) {
    expectTimings({}, kMainT, [&] {
        cpu.F = 0x00;
        cpu.B = 2;
        cpu.SP = 0x9000;
        cpu.HL = 0x4000;
        cpu.IFF1 = 0;
    });
    // The conditional ones the other way round: F = 0xFF, and B = 1 for DJNZ.
    struct Case {
        uint8_t op, t;
    };
    const Case others[] = {
        {0x10, 8},  {0x20, 7},  {0x28, 12}, {0x30, 7},  {0x38, 12}, {0xC0, 5},  {0xC8, 11},
        {0xD0, 5},  {0xD8, 11}, {0xE0, 5},  {0xE8, 11}, {0xF0, 5},  {0xF8, 11}, {0xC4, 10},
        {0xCC, 17}, {0xD4, 10}, {0xDC, 17}, {0xE4, 10}, {0xEC, 17}, {0xF4, 10}, {0xFC, 17},
    };
    for (const Case& c : others) {
        program({c.op, 0x00, 0x40});
        cpu.F = 0xFF;
        cpu.B = 1;
        cpu.SP = 0x9000;
        EXPECT_EQ(step(), c.t) << std::hex << "opcode " << int(c.op);
    }
}

// One step per opcode fetch, prefixes included; operands, displacements and the
// DDCB operation byte do not count. The wrap of the low seven bits is in the
// HALT and NMI tests.
TEST_F(Z80Unprefixed, RefreshRegisterCountsOpcodeFetches) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint8_t steps;
    };
    const Case cases[] = {
        {{0x3E, 0x00}, 1},              // LD A,n
        {{0xCD, 0x00, 0x40}, 1},        // CALL nn
        {{0xCB, 0x00}, 2},              // RLC B
        {{0xED, 0x44}, 2},              // NEG
        {{0xDD, 0x21, 0x00, 0x00}, 2},  // LD IX,nn
        {{0xFD, 0x36, 0x01, 0x02}, 2},  // LD (IY+1),n
        {{0xDD, 0xCB, 0x01, 0x06}, 2},  // RLC (IX+1)
        {{0xFD, 0xCB, 0x01, 0x46}, 2},  // BIT 0,(IY+1)
        {{0xDD, 0x00}, 2},              // ignored prefix: its own fetch and the page's step
    };
    for (const Case& c : cases) {
        for (size_t i = 0; i < c.bytes.size(); ++i) poke(static_cast<uint16_t>(kCode + i), c.bytes[i]);
        cpu.PC = kCode;
        cpu.IX = cpu.IY = 0x4000;
        cpu.R = 0x10;
        step();
        EXPECT_EQ(cpu.R, 0x10 + c.steps) << std::hex << "opcode " << int(c.bytes[0]) << " " << int(c.bytes[1]);
    }
    step();  // the NOP after the ignored prefix is fetched once more
    EXPECT_EQ(cpu.R, 0x13);
}

TEST_F(Z80Unprefixed, ExchangesAndStackWrapAroundMemory) {
    program({0x08, 0xD9, 0xEB});  // EX AF,AF'; EXX; EX DE,HL
    cpu.AF = 0x1234, cpu.BC = 0x1111, cpu.DE = 0x2222, cpu.HL = 0x3333;
    cpu.altAF = 0x5678, cpu.altBC = 0x4444, cpu.altDE = 0x5555, cpu.altHL = 0x6666;
    for (int i = 0; i < 3; ++i) step();
    EXPECT_EQ(std::tuple(cpu.AF, cpu.BC, cpu.DE, cpu.HL), std::tuple(0x5678, 0x4444, 0x6666, 0x5555));
    EXPECT_EQ(std::tuple(cpu.altAF, cpu.altBC, cpu.altDE, cpu.altHL), std::tuple(0x1234, 0x1111, 0x2222, 0x3333));

    // PUSH with SP = 1: high byte at 0x0000, low byte at 0xFFFF; POP reads it back.
    program({0xC5, 0xD1});
    cpu.SP = 0x0001;
    cpu.BC = 0x1234;
    step();
    EXPECT_EQ(std::tuple(cpu.SP, mem(0x0000), mem(0xFFFF)), std::tuple(0xFFFF, 0x12, 0x34));
    step();
    EXPECT_EQ(std::tuple(cpu.DE, cpu.SP), std::tuple(0x1234, 0x0001));

    program({0xE3});  // EX (SP),HL across the top of memory
    cpu.SP = 0xFFFF;
    cpu.HL = 0xABCD;
    step();
    EXPECT_EQ(std::tuple(cpu.HL, cpu.SP, mem(0xFFFF), mem(0x0000)), std::tuple(0x1234, 0xFFFF, 0xCD, 0xAB));

    program({0x2A, 0xFF, 0xFF, 0xF9});  // LD HL,(0xFFFF); LD SP,HL
    step();
    EXPECT_EQ(cpu.HL, 0xABCD);
    step();
    EXPECT_EQ(cpu.SP, 0xABCD);
}

TEST_F(Z80Unprefixed, ConditionsPickTheirFlag) {
    // cc: NZ, Z, NC, C, PO, PE, P, M. Odd cc is taken when its flag is set, even
    // cc when it is clear; all other flags are set the opposite way.
    const uint8_t ccFlag[8] = {FLAG_Z, FLAG_Z, FLAG_C, FLAG_C, FLAG_PV, FLAG_PV, FLAG_S, FLAG_S};
    for (int cc = 0; cc < 8; ++cc) {
        for (int set = 0; set < 2; ++set) {
            uint8_t f = set ? ccFlag[cc] : static_cast<uint8_t>(~ccFlag[cc]);
            bool taken = (cc & 1) ? set : !set;
            SCOPED_TRACE(testing::Message() << "cc " << cc << " F " << int(f));

            program({static_cast<uint8_t>(0xC2 | cc << 3), 0x34, 0x12});  // JP cc,nn
            cpu.F = f;
            step();
            EXPECT_EQ(cpu.PC, taken ? 0x1234 : kCode + 3);

            program({static_cast<uint8_t>(0xC4 | cc << 3), 0x34, 0x12});  // CALL cc,nn
            cpu.SP = 0x9000;
            step();
            EXPECT_EQ(cpu.PC, taken ? 0x1234 : kCode + 3);
            EXPECT_EQ(cpu.SP, taken ? 0x8FFE : 0x9000);
            if (taken) {
                EXPECT_EQ(bus.word(0x8FFE), kCode + 3);
            }

            program({static_cast<uint8_t>(0xC0 | cc << 3)});  // RET cc
            cpu.SP = 0x9000;
            bus.load(0x9000, {0x78, 0x56});
            step();
            EXPECT_EQ(cpu.PC, taken ? 0x5678 : kCode + 1);
            EXPECT_EQ(cpu.SP, taken ? 0x9002 : 0x9000);

            if (cc < 4) {
                program({static_cast<uint8_t>(0x20 | cc << 3), 0x10});  // JR cc,e
                step();
                EXPECT_EQ(cpu.PC, taken ? kCode + 0x12 : kCode + 2);
            }
            EXPECT_EQ(cpu.F, f) << "control flow changes no flag";
        }
    }
}

TEST_F(Z80Unprefixed, RelativeJumpsAndDjnzWrap) {
    struct Case {
        uint16_t at;
        uint8_t op, e, b;
        uint16_t wantPC;
        uint8_t wantB;
    };
    const Case cases[] = {
        {kCode, 0x18, 0xFE, 0, kCode, 0},                // JR -2: onto itself
        {kCode, 0x18, 0x80, 0, kCode + 2 - 128, 0},      // most negative
        {kCode, 0x18, 0x7F, 0, kCode + 2 + 127, 0},
        {0xFFFE, 0x18, 0x01, 0, 0x0001, 0},              // past the top of memory
        {0x0000, 0x18, 0xFC, 0, 0xFFFE, 0},              // below the bottom
        {kCode, 0x10, 0xFE, 2, kCode, 1},                // DJNZ
        {kCode, 0x10, 0xFE, 1, kCode + 2, 0},
        {kCode, 0x10, 0x05, 0, kCode + 7, 0xFF},         // 0 - 1 = 0xFF: taken
    };
    for (const Case& c : cases) {
        program(c.at, {c.op, c.e});
        cpu.B = c.b;
        cpu.F = 0xA5;
        step();
        EXPECT_EQ(cpu.PC, c.wantPC) << std::hex << int(c.op) << " " << int(c.e) << " at " << c.at;
        EXPECT_EQ(cpu.B, c.wantB);
        EXPECT_EQ(cpu.F, 0xA5);
    }
}

// RST's push and target are checked in Disassembler.LengthsMatchTheProcessor.
TEST_F(Z80Unprefixed, CallReturnAndJumpHl) {
    program({0xCD, 0x34, 0x12});  // CALL nn
    cpu.SP = 0x9000;
    step();
    EXPECT_EQ(std::tuple(cpu.PC, cpu.SP, mem(0x8FFF), mem(0x8FFE)), std::tuple(0x1234, 0x8FFE, 0x80, 0x03));
    program(0x1234, {0xC9});  // RET
    step();
    EXPECT_EQ(std::tuple(cpu.PC, cpu.SP), std::tuple(kCode + 3, 0x9000));

    program({0xE9});  // JP (HL)
    cpu.HL = 0x4567;
    step();
    EXPECT_EQ(cpu.PC, 0x4567);
}

TEST_F(Z80Unprefixed, PortsAndDevicesSeeTheCountAtTheStart) {
    program({0xD3, 0xFF});  // OUT (0xFF),A: the port number never includes A
    cpu.A = 0x12;
    cpu.tstates = 5000;
    step();
    ASSERT_EQ(bus.outs.size(), 1u);
    EXPECT_EQ(std::tuple(bus.outs[0].port, bus.outs[0].value, bus.outs[0].tstates), std::tuple(0xFF, 0x12, 5000u));

    program({0xDB, 0xFE});  // IN A,(0xFE): no flags
    cpu.A = 0x12;
    cpu.F = 0xD7;
    bus.portValues[0x12] = 0x99;
    cpu.tstates = 7000;
    step();
    ASSERT_EQ(bus.ins.size(), 1u);
    EXPECT_EQ(std::tuple(bus.ins[0].port, bus.ins[0].tstates, cpu.A, cpu.F), std::tuple(0xFE, 7000u, 0x00, 0xD7));

    // Memory accesses too, whether reads, operand fetches or writes.
    for (auto bytes : {std::vector<uint8_t>{0xC5}, std::vector<uint8_t>{0x32, 0x00, 0x40}}) {
        for (size_t i = 0; i < bytes.size(); ++i) poke(static_cast<uint16_t>(kCode + i), bytes[i]);
        cpu.PC = kCode;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        step();
        EXPECT_FALSE(bus.writes.empty());
        for (const MemAccess& w : bus.writes) EXPECT_EQ(w.tstates, start);
        for (const MemAccess& r : bus.reads) EXPECT_EQ(r.tstates, start);
    }
}

}  // namespace
}  // namespace kestrel::test
