// The ED page: T-states, the pass structure of the block instructions, the
// block port instructions, interrupt control, port forms with (C), the
// no-operations and the emulator traps. Results that zexdoc/zexall check
// (ADC/SBC HL, NEG, RRD/RLD, LDI/CPI flags) are left to them.
#include "z80_test_support.h"

namespace kestrel::test {
namespace {

using Z80Ed = Z80Test;

// With BC = 0x0101 and A equal to (HL): LDIR/LDDR repeat, CPIR/CPDR match at
// once, the port loops end with B = 0. 0 is a trap (00-09) or a no-operation.
constexpr uint8_t kEdT[256] = {
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // 00
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // 10
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // 20
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // 30
    12, 12, 15, 20, 8,  14, 8,  9,  12, 12, 15, 20, 8,  14, 0,  9,   // 40
    12, 12, 15, 20, 8,  14, 8,  9,  12, 12, 15, 20, 8,  14, 8,  9,   // 50
    12, 12, 15, 20, 8,  14, 8,  18, 12, 12, 15, 20, 8,  14, 0,  18,  // 60
    12, 12, 15, 20, 8,  14, 8,  0,  12, 12, 15, 20, 8,  14, 8,  0,   // 70
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // 80
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // 90
    16, 16, 16, 16, 0,  0,  0,  0,  16, 16, 16, 16, 0,  0,  0,  0,   // A0
    21, 16, 16, 16, 0,  0,  0,  0,  21, 16, 16, 16, 0,  0,  0,  0,   // B0
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // C0
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // D0
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // E0
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // F0
};

TEST_F(Z80Ed, TStatesOfEveryOpcode) {
    expectTimings({0xED}, kEdT, [&] {
        cpu.BC = 0x0101;
        cpu.HL = 0x4000;
        cpu.DE = 0x5000;
        cpu.SP = 0x9000;
        cpu.A = 0;
        poke(0x4000, 0);
    });
}

TEST_F(Z80Ed, NoOperationsAndTrapsTakeNoTime) {
    for (int op = 0; op < 256; ++op) {
        if (kEdT[op] != 0) continue;
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << op);
        program({0xED, static_cast<uint8_t>(op)});
        cpu.AF = 0x1234, cpu.BC = 0x5678, cpu.IX = 0x1111, cpu.altHL = 0x6666;
        cpu.I = 0x77, cpu.R = 0x85, cpu.IFF1 = 1, cpu.interruptMode = 1, cpu.cycleBudget = -3;
        bus.clearLogs();
        Z80State want = cpu;
        want.PC = kCode + 2;
        want.R = 0x87;
        EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
        EXPECT_EQ(cpu.tstates, want.tstates);
        EXPECT_EQ(cpu.cycleBudget, -3);
        EXPECT_EQ(registers(cpu), registers(want));
        EXPECT_TRUE(bus.writes.empty() && bus.ins.empty() && bus.outs.empty());
        EXPECT_EQ(bus.traps, op <= 9 ? std::vector<uint8_t>{static_cast<uint8_t>(op)} : std::vector<uint8_t>{});
    }
}

TEST_F(Z80Ed, LdirAndLddrRepeatThroughTheLoop) {
    struct Case {
        uint8_t op;
        int dir;
        uint8_t wantF;  // from the last byte moved: n = A + 3 has bit 1, n = A + 1 none
    };
    for (const Case& c : {Case{0xB0, 1, 0xE1}, Case{0xB8, -1, 0xC1}}) {
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << int(c.op));
        program({0xED, c.op});
        uint16_t src = c.dir > 0 ? 0x4000 : 0x4002;
        uint16_t dst = static_cast<uint16_t>(src + 0x1000);
        bus.load(0x4000, {0x01, 0x02, 0x03});
        bus.load(0x5000, {0x00, 0x00, 0x00});
        cpu.HL = src;
        cpu.DE = dst;
        cpu.BC = 3;
        cpu.A = 0x00;
        cpu.F = 0xD7;
        cpu.R = 0;
        for (int pass = 1; pass <= 2; ++pass) {
            EXPECT_EQ(step(), 21u);
            EXPECT_EQ(cpu.PC, kCode) << "PC back on the instruction";
            EXPECT_EQ(cpu.BC, 3 - pass);
            EXPECT_EQ(cpu.HL, src + pass * c.dir);
            EXPECT_EQ(cpu.DE, dst + pass * c.dir);
            EXPECT_EQ(mem(static_cast<uint16_t>(dst + pass * c.dir)), 0x00) << "one byte per pass";
            EXPECT_EQ(cpu.F, 0xD7) << "F unchanged between passes";
            EXPECT_EQ(cpu.R, 2 * pass);
        }
        EXPECT_EQ(step(), 16u);
        EXPECT_EQ(std::tuple(cpu.PC, cpu.BC, cpu.HL, cpu.DE),
                  std::tuple(kCode + 2, 0, src + 3 * c.dir, dst + 3 * c.dir));
        EXPECT_EQ(std::tuple(mem(0x5000), mem(0x5001), mem(0x5002)), std::tuple(0x01, 0x02, 0x03));
        EXPECT_EQ(cpu.F, c.wantF) << "S, Z, C kept; H, P/V, N cleared";
    }
}

TEST_F(Z80Ed, CpirSearchesInOneExecution) {
    struct Case {
        uint8_t op;
        std::vector<uint8_t> bytes;
        uint16_t hl, bc;
        uint8_t f;
        unsigned wantT;
        uint16_t wantHL, wantBC;
        uint8_t wantF;
    };
    const Case cases[] = {
        // Match at the second byte: Z, P/V (BC not 0), N, C kept.
        {0xB1, {0x11, 0x22, 0x33, 0x44, 0x55}, 0x4000, 5, FLAG_C, 21 + 16, 0x4002, 3, 0x47},
        // No match: all five passes, flags from 0x22 - 0x05 (H; m = 0x1C gives 3).
        {0xB1, {0x01, 0x02, 0x03, 0x04, 0x05}, 0x4000, 5, 0x00, 4 * 21 + 16, 0x4005, 0, 0x1A},
        // Match at the last byte: BC = 0, so P/V = 0.
        {0xB1, {0x01, 0x22}, 0x4000, 2, 0x00, 21 + 16, 0x4002, 0, 0x42},
        // CPDR walks down.
        {0xB9, {0x22, 0x00, 0x00}, 0x4002, 10, 0x00, 2 * 21 + 16, 0x3FFF, 7, 0x46},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << int(c.op) << " BC " << c.bc);
        program({0xED, c.op});
        for (size_t i = 0; i < c.bytes.size(); ++i) poke(static_cast<uint16_t>(0x4000 + i), c.bytes[i]);
        cpu.HL = c.hl;
        cpu.BC = c.bc;
        cpu.A = 0x22;
        cpu.F = c.f;
        cpu.R = 0;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        EXPECT_EQ(step(), c.wantT);
        EXPECT_EQ(std::tuple(cpu.PC, cpu.HL, cpu.BC, cpu.A, cpu.F),
                  std::tuple(kCode + 2, c.wantHL, c.wantBC, 0x22, c.wantF));
        EXPECT_EQ(cpu.R, 2) << "R steps for the two instruction bytes only";
        // Each pass followed by another adds its 21 T-states before the next
        // read, so a device sees the count move on between the passes.
        unsigned pass = 0;
        for (const MemAccess& r : bus.reads) {
            if (r.address < 0x3FF0 || r.address >= 0x4010) continue;
            EXPECT_EQ(r.tstates, start + 21 * pass++);
        }
        EXPECT_EQ(21 * (pass - 1) + 16, c.wantT) << "one read per pass";
    }
}

// BC = 0 at the start counts through all 65536: LDIR as 65536 passes of the
// loop, CPIR as one execution.
TEST_F(Z80Ed, ZeroCountCoversAllMemory) {
    program({0xED, 0xB0});
    cpu.HL = cpu.DE = 0x4000;  // onto itself, so the program survives
    cpu.BC = 0;
    bus.logReads = false;
    uint64_t start = cpu.tstates;
    int passes = 0;
    for (; cpu.PC == kCode && passes < 70000; ++passes) step();
    EXPECT_EQ(std::tuple(passes, bus.writes.size(), cpu.BC, cpu.HL), std::tuple(65536, 65536u, 0, 0x4000));
    EXPECT_EQ(cpu.tstates - start, 65535u * 21 + 16);

    program({0xED, 0xB1});
    cpu.BC = 0;
    cpu.A = 0x55;  // nowhere in memory
    cpu.F = 0;
    EXPECT_EQ(step(), 65535u * 21 + 16);
    EXPECT_EQ(std::tuple(cpu.BC, cpu.HL, cpu.PC), std::tuple(0, 0x4000, kCode + 2));
    EXPECT_EQ(cpu.F & (FLAG_Z | FLAG_PV), 0);
}

// INI/IND/OUTI/OUTD: one byte through port C (never B), HL steps, B counts;
// Z from B, N = 1, all other flags kept.
TEST_F(Z80Ed, SingleBlockPortInstructions) {
    struct Case {
        uint8_t op, b, f;
        uint16_t wantHL;
        uint8_t wantF;
    };
    const Case cases[] = {
        {0xA2, 2, 0xC5, 0x4001, 0x87},  // INI: Z cleared, N set, S, P/V, C kept
        {0xAA, 1, 0x00, 0x3FFF, 0x42},  // IND: B reaches 0
        {0xA3, 2, 0x40, 0x4001, 0x02},  // OUTI
        {0xAB, 1, 0x00, 0x3FFF, 0x42},  // OUTD
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << int(c.op));
        bool in = (c.op & 1) == 0;
        program({0xED, c.op});
        cpu.B = c.b;
        cpu.C = 0xFE;
        cpu.HL = 0x4000;
        cpu.F = c.f;
        poke(0x4000, 0x77);
        bus.portValues[0xFE] = 0x5A;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        step();
        EXPECT_EQ(std::tuple(cpu.HL, cpu.B, cpu.C, cpu.F), std::tuple(c.wantHL, c.b - 1, 0xFE, c.wantF));
        const std::vector<PortAccess>& log = in ? bus.ins : bus.outs;
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(std::tuple(log[0].port, log[0].tstates), std::tuple(0xFE, start));
        EXPECT_EQ(in ? mem(0x4000) : log[0].value, in ? 0x5A : 0x77);
    }
}

TEST_F(Z80Ed, RepeatedBlockPortInstructions) {
    for (uint8_t op : {0xB2, 0xBA, 0xB3, 0xBB}) {  // INIR, INDR, OTIR, OTDR
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << int(op));
        bool in = (op & 1) == 0;
        int dir = (op & 0x08) ? -1 : 1;
        program({0xED, op});
        bus.load(0x4000, {0xA1, 0xA2, 0xA3});
        cpu.BC = 0x0320;
        cpu.HL = dir > 0 ? 0x4000 : 0x4002;
        cpu.F = 0x01;
        bus.portValues[0x20] = 0x5A;
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        EXPECT_EQ(step(), 21u);
        EXPECT_EQ(cpu.PC, kCode);
        EXPECT_EQ(cpu.F, 0x01);
        EXPECT_EQ(step(), 21u);
        EXPECT_EQ(cpu.B, 1);
        EXPECT_EQ(cpu.F, 0x01);
        EXPECT_EQ(step(), 16u);
        EXPECT_EQ(std::tuple(cpu.PC, cpu.B, cpu.HL), std::tuple(kCode + 2, 0, (dir > 0 ? 0x4000 : 0x4002) + 3 * dir));
        EXPECT_EQ(cpu.F, 0x43) << "Z and N set at the end";
        const std::vector<PortAccess>& log = in ? bus.ins : bus.outs;
        ASSERT_EQ(log.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            uint16_t at = static_cast<uint16_t>((dir > 0 ? 0x4000 : 0x4002) + i * dir);
            EXPECT_EQ(log[i].port, 0x20);
            EXPECT_EQ(log[i].tstates, start + 21u * i) << "each access at the start of its pass";
            EXPECT_EQ(in ? mem(at) : log[i].value, in ? 0x5A : 0xA1 + (at - 0x4000));
        }
    }

    // B = 0 at the start runs 256 passes.
    program({0xED, 0xB3});
    cpu.BC = 0x0030;
    cpu.HL = 0x4000;
    bus.clearLogs();
    int passes = 0;
    for (; cpu.PC == kCode && passes < 300; ++passes) step();
    EXPECT_EQ(std::tuple(passes, bus.outs.size(), cpu.HL), std::tuple(256, 256u, 0x4100));
}

TEST_F(Z80Ed, InterruptModesReturnsAndLoadI) {
    program({0xED, 0x47});  // LD I,A: no flags
    cpu.A = 0x3C;
    cpu.F = 0xA5;
    step();
    EXPECT_EQ(cpu.I, 0x3C);
    EXPECT_EQ(cpu.F, 0xA5);

    struct Mode {
        uint8_t op, mode;
    };
    for (const Mode& m : {Mode{0x46, 0}, {0x56, 1}, {0x5E, 2}, {0x66, 0}, {0x76, 1}, {0x7E, 2}}) {
        program({0xED, m.op});
        cpu.interruptMode = 3 - m.mode;  // anything else
        step();
        EXPECT_EQ(cpu.interruptMode, m.mode) << std::hex << "ED " << int(m.op);
    }

    // RETN sets IFF1 from IFF2; RETI and its duplicates only pop.
    for (uint8_t op : {0x45, 0x4D, 0x55, 0x5D, 0x65, 0x6D, 0x75, 0x7D}) {
        for (uint8_t iff2 : {0, 1}) {
            SCOPED_TRACE(testing::Message() << std::hex << "ED " << int(op) << " IFF2 " << int(iff2));
            program({0xED, op});
            cpu.SP = 0x9000;
            bus.load(0x9000, {0x34, 0x12});
            cpu.IFF1 = !iff2;
            cpu.IFF2 = iff2;
            step();
            EXPECT_EQ(std::tuple(cpu.PC, cpu.SP, cpu.IFF1, cpu.IFF2),
                      std::tuple(0x1234, 0x9002, op == 0x45 ? iff2 : !iff2, iff2));
        }
    }
}

TEST_F(Z80Ed, SixteenBitLoadsThroughMemoryWrap) {
    struct Case {
        uint8_t store, load;
        uint16_t Z80State::*pair;
    };
    const Case cases[] = {
        {0x43, 0x4B, &Z80State::BC},
        {0x53, 0x5B, &Z80State::DE},
        {0x63, 0x6B, &Z80State::HL},  // the duplicates of 22 and 2A
        {0x73, 0x7B, &Z80State::SP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "ED " << int(c.store));
        program({0xED, c.store, 0xFF, 0xFF, 0xED, c.load, 0xFF, 0xFF});
        cpu.*c.pair = 0xC0DE;
        step();
        EXPECT_EQ(std::tuple(cpu.PC, mem(0xFFFF), mem(0x0000)), std::tuple(kCode + 4, 0xDE, 0xC0));
        cpu.*c.pair = 0;
        step();
        EXPECT_EQ(cpu.*c.pair, 0xC0DE);
    }
}

TEST_F(Z80Ed, OutWithCUsesTheLowByteOnly) {
    for (uint8_t op : {0x41, 0x49, 0x51, 0x59, 0x61, 0x69, 0x71, 0x79}) {
        program({0xED, op});
        cpu.BC = 0x12FF;  // the upper byte B never reaches the port number
        cpu.DE = 0x3456;
        cpu.HL = 0x789A;
        cpu.A = 0xBC;
        cpu.F = 0xD7;
        uint8_t want = op == 0x71 ? 0 : reg((op >> 3) & 7);
        bus.clearLogs();
        uint64_t start = cpu.tstates;
        step();
        ASSERT_EQ(bus.outs.size(), 1u);
        EXPECT_EQ(bus.outs[0].port, 0xFF) << std::hex << "ED " << int(op);
        EXPECT_EQ(bus.outs[0].value, want) << std::hex << "ED " << int(op);
        EXPECT_EQ(bus.outs[0].tstates, start);
        EXPECT_EQ(cpu.F, 0xD7) << "OUT changes no flag";
    }
}

}  // namespace
}  // namespace kestrel::test
