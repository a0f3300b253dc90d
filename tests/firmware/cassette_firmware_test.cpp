// The open firmware's cassette routines: SYSTEM, CSAVE and CLOAD through the
// emulator's tape traps, and the byte routines on the bare 500-baud signal.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine_peer.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int32_t kFrame = 35000;
constexpr uint16_t kDriver = 0x7000;

struct Rig {
    explicit Rig(int config = 0) {
        m->initMachine();
        if (config != 0) m->selectConfiguration(config);
        m->enterCasMode();
        type("\r");  // ENTER for MEMORY SIZE?: all the memory
        run(101);    // to READY
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) {
            m->runCycles(kFrame);
            if (m->tapeRecordingWanted()) m->answerTapeRecording(recordTo);
        }
    }
    // The file a tape the ROM writes goes to.
    std::string recordTo;
    uint8_t* mem() { return inside(*m).bus.memoryBase(); }
    uint16_t word(uint16_t a) { return static_cast<uint16_t>(mem()[a] | mem()[a + 1] << 8); }
    void poke(uint16_t a, const Bytes& b) {
        for (uint8_t v : b) mem()[a++] = v;
    }
    Bytes peek(uint16_t a, size_t n) { return Bytes(mem() + a, mem() + a + n); }
    // Places `code` at 7000h and starts it there.
    void start(const Bytes& code) {
        poke(kDriver, code);
        inside(*m).cpu.PC = kDriver;
        inside(*m).cpu.SP = 0x7F00;
    }
    void type(const std::string& text) { m->typeText(text); }
    std::string line(int row) {
        std::string s(reinterpret_cast<char*>(mem() + 0x3C00 + row * 64), 64);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
    bool screenHas(const std::string& text) {
        for (int r = 0; r < 16; ++r)
            if (line(r) == text) return true;
        return false;
    }
    std::unique_ptr<Machine> m = std::make_unique<Machine>();
};

// One scratch directory for the whole file, as the rigs come and go.
test::ScratchDir& scratch() {
    static test::ScratchDir dir;
    return dir;
}
using test::readFile;

// 10 PRINT "HI" / 20 END, as stored from 42E9h (links 42F4h, 42FAh, 0000h).
const Bytes kProgram = {0xF4, 0x42, 0x0A, 0x00, 0xB2, 0x20, 0x22, 0x48, 0x49, 0x22, 0x00,
                        0xFA, 0x42, 0x14, 0x00, 0x80, 0x00, 0x00, 0x00};

Bytes basicTape(uint8_t name, Bytes program) {
    Bytes t(255, 0x00);
    t.insert(t.end(), {0xA5, 0xD3, 0xD3, 0xD3, name});
    t.insert(t.end(), program.begin(), program.end());
    return t;
}

// Calls CLOAD (02B8h) with A = name, carry = verify; returns F after it.
uint8_t cload(Rig& r, uint8_t name, bool verify) {
    r.start({0x3E, name, static_cast<uint8_t>(verify ? 0x37 : 0xB7), 0xCD, 0xB8, 0x02, 0x76});
    r.run(10);
    EXPECT_EQ(inside(*r.m).cpu.PC, kDriver + 6) << "CLOAD did not return";
    return inside(*r.m).cpu.F;
}

TEST(CassetteFirmwareTest, SystemLoadsATapeByNamePrefixJumpsToItAndReportsABadChecksum) {
    Rig r;
    // LD HL,3E00h; LD (HL),'O'; INC HL; LD (HL),'K'; HALT, then filler: 300
    // bytes, two blocks.
    Bytes prog = {0x21, 0x00, 0x3E, 0x36, 'O', 0x23, 0x36, 'K', 0x76};
    for (int i = 0; prog.size() < 300; ++i) prog.push_back(static_cast<uint8_t>(i * 7));
    r.poke(0x5000, prog);
    r.poke(0x6000, {1, 2, 3, 4});
    const std::string progPath = scratch().file("PROG.cas"), otherPath = scratch().file("OTHER.cas");
    ASSERT_TRUE(r.m->saveMemoryAsTape(progPath, 0x5000, 0x512B, 0x5000));
    ASSERT_TRUE(r.m->saveMemoryAsTape(otherPath, 0x6000, 0x6003, 0x6000));
    Bytes both = readFile(otherPath);
    const Bytes good = readFile(progPath);
    both.insert(both.end(), good.begin(), good.end());
    const std::string bothPath = scratch().write("both.cas", both);

    Rig f;
    f.poke(0x5000, Bytes(300, 0));
    f.poke(0x6000, Bytes(4, 0));
    ASSERT_TRUE(inside(*f.m).cassette.attachCas(bothPath));
    f.type("PR\r\n/\r\n");
    f.start({0xCD, 0xB2, 0x02});
    f.run(20);
    EXPECT_EQ(f.peek(0x5000, 300), prog);
    EXPECT_EQ(f.peek(0x6000, 4), Bytes(4, 0)) << "the tape named OTHER was skipped";
    EXPECT_EQ(inside(*f.m).cpu.PC, 0x5008) << "the program runs from its entry address";
    EXPECT_EQ(f.peek(0x3E00, 2), (Bytes{'O', 'K'}));
    EXPECT_TRUE(f.screenHas("*? PR"));
    EXPECT_TRUE(f.screenHas("*? /"));
    EXPECT_EQ(f.mem()[0x3C3E], '*');

    // A decimal address after the slash: 20480 = 5000h.
    f.type("/20480\r\n");
    f.start({0xCD, 0xB2, 0x02});
    f.run(5);
    EXPECT_EQ(inside(*f.m).cpu.PC, 0x5008);

    // One data byte changed: "C" at the top right, the prompt again, nothing run.
    Bytes bad = good;
    bad[256 + 2 + 6 + 4 + 20] ^= 0x10;
    const std::string badPath = scratch().write("bad.cas", bad);
    Rig g;
    ASSERT_TRUE(inside(*g.m).cassette.attachCas(badPath));
    g.type("PROG\r\n");
    g.start({0xCD, 0xB2, 0x02});
    g.run(20);
    EXPECT_EQ(g.mem()[0x3C3E], 'C');
    EXPECT_LT(inside(*g.m).cpu.PC, 0x3000) << "waiting at the prompt";
    EXPECT_NE(g.mem()[0x3E00], 'O');
    // The user tries again with a good tape.
    ASSERT_TRUE(inside(*g.m).cassette.attachCas(progPath));
    g.type("PROG\r\n/\r\n");
    g.run(20);
    EXPECT_EQ(inside(*g.m).cpu.PC, 0x5008);
}

TEST(CassetteFirmwareTest, CsaveWritesTheBasicTapeFormAndCloadReadsItBackWithFreshLinks) {
    const std::string path = scratch().file("csave.cas");
    Rig r;
    r.poke(0x42E9, kProgram);
    r.recordTo = path;
    r.start({0x3E, 'A', 0xCD, 0xB5, 0x02, 0x76});
    r.run(10);
    ASSERT_EQ(inside(*r.m).cpu.PC, kDriver + 5);
    ASSERT_TRUE(inside(*r.m).cassette.flushRecording());  // a recording reaches the disk in one write
    EXPECT_EQ(readFile(path), basicTape('A', kProgram));

    // Links as a disk file would carry them; a tape named B first.
    Bytes wrongLinks = kProgram;
    wrongLinks[0] = 0x01, wrongLinks[1] = 0x70, wrongLinks[11] = 0x34, wrongLinks[12] = 0x12;
    Bytes other = {0x55, 0x55, 0x0A, 0x00, 0x80, 0x00, 0x00, 0x00};  // 10 END
    Bytes tape = basicTape('B', other);
    const Bytes second = basicTape('A', wrongLinks);
    tape.insert(tape.end(), second.begin(), second.end());
    const std::string twoPath = scratch().write("two.cas", tape);

    Rig f;
    ASSERT_TRUE(inside(*f.m).cassette.attachCas(twoPath));
    cload(f, 'A', false);
    EXPECT_EQ(f.peek(0x42E9, kProgram.size()), kProgram);
    EXPECT_EQ(f.word(0x40F9), 0x42FC);
    EXPECT_EQ(f.mem()[0x3C3C], 'A') << "the name found is shown";

    // CLOAD? of the same program matches; after a change in memory it is BAD.
    inside(*f.m).cassette.rewindTape(inside(*f.m).cpu.tstates);
    EXPECT_TRUE(cload(f, 'A', true) & FLAG_Z);
    f.mem()[0x42F0] = 'X';
    inside(*f.m).cassette.rewindTape(inside(*f.m).cpu.tstates);
    EXPECT_FALSE(cload(f, 'A', true) & FLAG_Z);
    EXPECT_TRUE(f.screenHas("BAD"));
    EXPECT_EQ(f.mem()[0x42F0], 'X') << "verifying stores nothing";

    // Name 0 takes the first program.
    inside(*f.m).cassette.rewindTape(inside(*f.m).cpu.tstates);
    cload(f, 0, false);
    EXPECT_EQ(f.peek(0x42E9, 8), (Bytes{0xEF, 0x42, 0x0A, 0x00, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(f.word(0x40F9), 0x42F1);

    // A tokenised disk file turned into a tape by the emulator loads too.
    Bytes diskFile = {0xFF};
    diskFile.insert(diskFile.end(), wrongLinks.begin(), wrongLinks.end());
    const std::string basPath = scratch().write("hi.bas", diskFile);
    ASSERT_TRUE(inside(*f.m).cassette.convertBasicToCas(basPath));
    cload(f, 0, false);
    EXPECT_EQ(f.peek(0x42E9, kProgram.size()), kProgram);

    // Past its end the tape gives FFh and never a BASIC header: BREAK gives up.
    f.poke(0x3C00, Bytes(1024, ' '));
    f.start({0xAF, 0xCD, 0xB8, 0x02, 0x76});
    f.run(2);
    EXPECT_LT(inside(*f.m).cpu.PC, 0x0300) << "still searching";
    inside(*f.m).keyboard.press(6, 2);
    f.run(2);
    inside(*f.m).keyboard.releaseAll();
    f.run(2);
    EXPECT_TRUE(f.screenHas("READY"));
    EXPECT_EQ(f.mem()[0x403D] & 0x04, 0) << "motor off";
}

// Pulse times (T-states after `from`) of a tape: clock pulse per cell, a data
// pulse 1 ms later for a 1; cells of about 2 ms, wobbling by up to 4%.
std::vector<uint64_t> pulseTrain(const Bytes& bytes, uint64_t from) {
    std::vector<uint64_t> t;
    uint64_t at = from;
    int cell = 0;
    for (uint8_t b : bytes) {
        for (int bit = 7; bit >= 0; --bit, ++cell) {
            t.push_back(at);
            if (b >> bit & 1) t.push_back(at + 1774);
            at += 3548 + static_cast<uint64_t>((cell % 5) * 35);
        }
    }
    return t;
}

TEST(CassetteFirmwareTest, SignalReaderFindsTheSyncAndReadsBytesOnBothMachineKinds) {
    const Bytes data = {0x3C, 0xC3, 0x5A, 0xFF, 0x00, 0x81};
    for (int config : {0, 3}) {
        SCOPED_TRACE(config);
        Rig r(config);
        inside(*r.m).disarmTapeTraps();
        // CALL 0296h; then per byte CALL 0235h; LD (7100h + i),A; HALT
        Bytes code = {0xCD, 0x96, 0x02};
        for (size_t i = 0; i < data.size(); ++i)
            code.insert(code.end(), {0xCD, 0x35, 0x02, 0x32, static_cast<uint8_t>(i), 0x71});
        code.push_back(0x76);
        const uint16_t haltAt = static_cast<uint16_t>(kDriver + code.size() - 1);
        r.start(code);
        Bytes tape(20, 0x00);
        tape.push_back(0xA5);
        tape.insert(tape.end(), data.begin(), data.end());
        // Into the cassette latch as the machine runs, until the HALT or a while after the last pulse.
        const std::vector<uint64_t> pulses = pulseTrain(tape, inside(*r.m).cpu.tstates + 5000);
        for (size_t next = 0; inside(*r.m).cpu.PC != haltAt && inside(*r.m).cpu.tstates < pulses.back() + 20000;) {
            if (next < pulses.size() && inside(*r.m).cpu.tstates >= pulses[next]) {
                inside(*r.m).tape.cassetteLatch = 1;
                ++next;
            }
            r.m->runCycles(20);
        }
        ASSERT_EQ(inside(*r.m).cpu.PC, haltAt);
        EXPECT_EQ(r.peek(0x7100, data.size()), data);
        EXPECT_EQ(r.peek(0x3C3E, 2), (Bytes{'*', '*'})) << "sync found: the stars";
    }
}

TEST(CassetteFirmwareTest, WriterSendsAClockPulseAndADataPulseOnlyForOnes) {
    Rig r;
    inside(*r.m).disarmTapeTraps();
    r.start({0x3E, 0x96, 0xCD, 0x64, 0x02, 0x76});  // 1001 0110
    struct Pulse {
        uint64_t up, down, rest;
    };
    std::vector<Pulse> pulses;
    uint8_t level = inside(*r.m).bus.lastPortOut(0xFF) & 3;
    const uint64_t limit = inside(*r.m).cpu.tstates + 100000;
    while (inside(*r.m).cpu.PC != kDriver + 5 && inside(*r.m).cpu.tstates < limit) {
        r.m->runCycles(4);
        const uint8_t out = inside(*r.m).bus.lastPortOut(0xFF);
        const uint8_t now = out & 3;
        if (now == level) continue;
        EXPECT_TRUE(out & 0x04) << "motor bit kept";
        const uint64_t t = inside(*r.m).cpu.tstates;
        if (now == 1) {
            EXPECT_EQ(level, 0);
            pulses.push_back({t, 0, 0});
        } else if (now == 2) {
            EXPECT_EQ(level, 1);
            pulses.back().down = t;
        } else {
            EXPECT_EQ(level, 2);
            pulses.back().rest = t;
        }
        level = now;
    }
    ASSERT_EQ(inside(*r.m).cpu.PC, kDriver + 5);
    ASSERT_EQ(pulses.size(), 8u + 4u);  // eight clocks, four ones
    std::string bits;
    for (size_t i = 0; i < pulses.size(); ++i) {
        // Each half about 125 us (222 T-states).
        EXPECT_NEAR(static_cast<double>(pulses[i].down - pulses[i].up), 222, 40) << i;
        EXPECT_NEAR(static_cast<double>(pulses[i].rest - pulses[i].down), 222, 40) << i;
        if (i + 1 == pulses.size()) break;
        const uint64_t gap = pulses[i + 1].up - pulses[i].up;
        if (gap < 2600) {  // a data pulse about 1 ms after the clock
            EXPECT_NEAR(static_cast<double>(gap), 1774, 120) << i;
            bits += '1';
            ++i;
            if (i + 1 < pulses.size()) {
                EXPECT_NEAR(static_cast<double>(pulses[i + 1].up - pulses[i - 1].up), 3548, 150);
            }
        } else {
            EXPECT_NEAR(static_cast<double>(gap), 3548, 150) << i;
            bits += '0';
        }
    }
    if (bits.size() < 8) bits += '0';  // the last cell's clock pulse alone
    EXPECT_EQ(bits, "10010110");
}

}  // namespace
}  // namespace kestrel
