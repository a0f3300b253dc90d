#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <tuple>

#include "machine/machine.h"
#include "scratch_files.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

constexpr int kVideoGenie = 0;
constexpr int kTrs80 = 3;

// A machine whose watch messages are captured instead of printed.
class BusTest : public ::testing::Test {
protected:
    void SetUp() override { inside(*m).bus.diagnostics = log.file(); }

    // Everything written to the diagnostic stream since the last call.
    std::string takeLog() {
        const std::string text = log.text();
        const std::string fresh = text.substr(seen);
        seen = text.size();
        return fresh;
    }

    std::unique_ptr<Machine> m = std::make_unique<Machine>();
    uint8_t* mem = inside(*m).bus.memoryBase();
    test::CapturedStream log;
    size_t seen = 0;
};

TEST_F(BusTest, MemoryMapOnBothKinds) {
    for (int config : {kVideoGenie, kTrs80}) {
        SCOPED_TRACE(config);
        inside(*m).bus.activeConfigIndex = config;
        // Reads return memory outside the device page, ROM and expansion included.
        for (uint16_t a : {0x0000, 0x2FFF, 0x3000, 0x36FF, 0x3C00, 0x3FFF, 0x4000, 0xFFFF}) {
            mem[a] = static_cast<uint8_t>(a ^ 0xA5);
            EXPECT_EQ(inside(*m).bus.memRead(a), static_cast<uint8_t>(a ^ 0xA5)) << a;
        }
        mem[0x37E1] = 0x5C;
        EXPECT_EQ(inside(*m).bus.memRead(0x37E1), 0x00);
        EXPECT_EQ(takeLog(), "");
        // Writes to ROM and the keyboard window are ignored; RAM stores them as given.
        for (uint16_t a : {0x0000, 0x2FFF, 0x3000, 0x36FF, 0x3800, 0x3BFF}) {
            mem[a] = 0x11;
            inside(*m).bus.memWrite(a, 0x77);
            EXPECT_EQ(mem[a], 0x11) << a;
        }
        for (uint16_t a : {0x4000, 0xFFFF}) {
            inside(*m).bus.memWrite(a, static_cast<uint8_t>(config + 0x01));
            EXPECT_EQ(mem[a], config + 0x01) << a;  // no video rule outside 0x3C00-0x3FFF
        }
        EXPECT_FALSE(inside(*m).bus.redrawPending);
    }
}

TEST_F(BusTest, SixteenKilobytesHideTheUpperHalfButKeepItsBytes) {
    inside(*m).bus.setRamTop(0x3FFF);
    inside(*m).bus.memWrite(0x8000, 0x42);
    inside(*m).bus.memWrite(0x7FFF, 0x33);
    EXPECT_EQ(inside(*m).bus.memRead(0x8000), 0xFF);
    EXPECT_EQ(inside(*m).bus.memRead(0x7FFF), 0x33);
    EXPECT_EQ(mem[0x8000], 0x42);

    inside(*m).bus.setRamTop(0xFFFF);
    EXPECT_EQ(inside(*m).bus.memRead(0x8000), 0x42);
    // Only 0x3FFF means 16 KB.
    inside(*m).bus.setRamTop(0x7FFF);
    EXPECT_EQ(inside(*m).bus.memRead(0x8000), 0x42);
    EXPECT_EQ(inside(*m).bus.ramTop(), 0x7FFF);
}

TEST_F(BusTest, VideoRamWriteRule) {
    // Without lower case, 00h-1Fh are stored as 40h-5Fh; everything else as written.
    const std::pair<uint8_t, uint8_t> upperOnly[] = {{0x00, 0x40}, {0x1F, 0x5F}, {0x20, 0x20}, {0x5F, 0x5F},
                                                     {0x61, 0x61}, {0x80, 0x80}, {0x9F, 0x9F}, {0xFF, 0xFF}};
    for (auto [written, stored] : upperOnly) {
        SCOPED_TRACE(written);
        inside(*m).bus.redrawPending = false;
        inside(*m).bus.memWrite(0x3C00, written);
        EXPECT_EQ(mem[0x3C00], stored);
        EXPECT_TRUE(inside(*m).bus.redrawPending);
    }
    inside(*m).bus.memWrite(0x3FFF, 0x05);
    EXPECT_EQ(mem[0x3FFF], 0x45);

    inside(*m).bus.lowercaseVideo = true;
    for (uint8_t v : {0x00, 0x1F, 0x81}) {
        inside(*m).bus.memWrite(0x3C10, v);
        EXPECT_EQ(mem[0x3C10], v);
    }
}

TEST_F(BusTest, KeyboardMatrixRepeatsFourTimes) {
    for (uint16_t a : {0x3801, 0x3881, 0x3981, 0x3A01, 0x3B81}) {
        mem[a] = 0x5A;  // the matrix, not memory, answers
        inside(*m).keyboard.lastAddressLow = 0xEE;
        EXPECT_EQ(inside(*m).bus.memRead(a), 0x00) << a;
        EXPECT_EQ(inside(*m).keyboard.lastAddressLow, a & 0xFF) << a;
    }
    // The video RAM after it is not the keyboard.
    inside(*m).keyboard.lastAddressLow = 0xEE;
    mem[0x3C00] = 0x20;
    EXPECT_EQ(inside(*m).bus.memRead(0x3C00), 0x20);
    EXPECT_EQ(inside(*m).keyboard.lastAddressLow, 0xEE);
}

TEST_F(BusTest, UndecodedDevicePageAddressesPrintWatchMessagesAndActAsMemory) {
    inside(*m).cpu.tstates = 5000000000ULL;  // beyond 32 bits
    inside(*m).cpu.PC = 0x4321;
    inside(*m).bus.memWrite(0x37E2, 0x5A);
    EXPECT_EQ(takeLog(), "Address 37E2h, 5Ah in cycle 5000000000 at address 4321h.\n");
    EXPECT_EQ(mem[0x37E2], 0x5A);

    inside(*m).cpu.tstates = 77;
    inside(*m).cpu.PC = 0x0A0B;
    EXPECT_EQ(inside(*m).bus.memRead(0x37E2), 0x5A);
    inside(*m).bus.memWrite(0x3700, 0x01);
    EXPECT_EQ(inside(*m).bus.memRead(0x37FF), 0x00);
    EXPECT_EQ(takeLog(),
              "Address 37E2h read in cycle 77 at address 0A0Bh.\n"
              "Address 3700h, 01h in cycle 77 at address 0A0Bh.\n"
              "Address 37FFh read in cycle 77 at address 0A0Bh.\n");

    // Decoded addresses and the expansion ROM stay quiet.
    for (uint16_t a : {0x36FF, 0x37E0, 0x37E1, 0x37E4, 0x37EC}) inside(*m).bus.memRead(a);
    for (uint16_t a : {0x37E0, 0x37E4, 0x37E8, 0x37EF}) inside(*m).bus.memWrite(a, 0);
    EXPECT_EQ(takeLog(), "");
}

// The cassette input: 0x37E4 on the TRS-80, port 0xFF on the others. A change
// of level is echoed to the beeper; only the port form brings the sound up to
// date on every read.
TEST_F(BusTest, CassetteInputOnEachKind) {
    for (int config : {kTrs80, kVideoGenie}) {
        SCOPED_TRACE(config);
        const bool trs80 = config == kTrs80;
        inside(*m).bus.activeConfigIndex = config;
        inside(*m).bus.tapeInputEcho = 0;
        inside(*m).sound.beeperLevel = 0;
        inside(*m).fdc.driveSelect = 0x01;
        inside(*m).fdc.interruptPending = true;
        auto read = [&](uint64_t at) {
            inside(*m).cpu.tstates = at;
            return trs80 ? inside(*m).bus.memRead(0x37E4) : inside(*m).bus.portIn(0xFF);
        };

        inside(*m).tape.cassetteLatch = 1;
        EXPECT_EQ(read(1000), 0x80);
        EXPECT_EQ(std::tuple(inside(*m).bus.tapeInputEcho, inside(*m).sound.beeperLevel, inside(*m).sound.updatedTo),
                  std::tuple(2, 8192, 1000u));

        // Unchanged input: the beeper is left alone (a spurious echo would overwrite it).
        inside(*m).sound.beeperLevel = 1;
        EXPECT_EQ(read(2000), 0x80);
        EXPECT_EQ(std::tuple(inside(*m).sound.updatedTo, inside(*m).sound.beeperLevel),
                  std::tuple(trs80 ? 1000u : 2000u, 1));

        inside(*m).tape.cassetteLatch = 0;
        EXPECT_EQ(read(3000), 0x00);
        EXPECT_EQ(std::tuple(inside(*m).bus.tapeInputEcho, inside(*m).sound.beeperLevel, inside(*m).sound.updatedTo),
                  std::tuple(0, 0, 3000u));
    }
    // On the TRS-80 port 0xFF is not the cassette and 0x37E4 not the FDC latch,
    // which stays at 0x37E0.
    inside(*m).bus.activeConfigIndex = kTrs80;
    inside(*m).fdc.interruptPending = true;
    inside(*m).tape.cassetteLatch = 1;
    EXPECT_EQ(inside(*m).bus.portIn(0xFF), 0xFF);
    EXPECT_EQ(inside(*m).bus.tapeInputEcho, 0);
    EXPECT_EQ(inside(*m).bus.memRead(0x37E4), 0x80);
    EXPECT_TRUE(inside(*m).fdc.interruptPending);
    EXPECT_EQ(inside(*m).bus.memRead(0x37E0), 0x40);
}

TEST_F(BusTest, PortInputMapBoundaries) {
    struct Case {
        uint8_t port;
        uint8_t value;  // what the port reads with every other device absent (a joystick: none pressed)
    };
    // The hi-res board answers its four ports: its column register reads back.
    inside(*m).hiRes.hiResX = 0x2A;
    const Case cases[] = {
        {0x00, 0xFF},  {0x7F, 0xFF},  {0x80, 0xFF}, {0xEB, 0xFF}, {0xEC, 0x00},
        {0xED, 0x2A}, {0xEF, 0xFF}, {0xF0, 0xFF}, {0xF6, 0xFF}, {0xF7, 0xFF},
        {0xF8, 0xFF}, {0xFC, 0xFF}, {0xFD, 0x00}, {0xFE, 0xFF},
    };
    for (int config : {kVideoGenie, kTrs80}) {
        inside(*m).bus.activeConfigIndex = config;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "config " << config << " port " << int(c.port));
            EXPECT_EQ(inside(*m).bus.portIn(c.port), c.value);
        }
    }
    // Port 0xFF: see the cassette tests.
}

TEST_F(BusTest, PrinterStatusOnEveryModelAndOutputByKind) {
    test::ScratchDir dir;
    const std::string path = dir.file("printer.txt");
    mem[0x37E8] = 0x99;
    for (int config : {kVideoGenie, 1, 2, kTrs80, 4}) {
        SCOPED_TRACE(config);
        inside(*m).bus.activeConfigIndex = config;
        m->closePrinter();
        EXPECT_EQ(inside(*m).bus.portIn(0xFD), 0x00);
        ASSERT_TRUE(m->openPrinter(path));
        EXPECT_EQ(inside(*m).bus.portIn(0xFD), 0x30);
        // The TRS-80 polls 37E8h, quietly; elsewhere it is an undecoded address.
        EXPECT_EQ(inside(*m).bus.memRead(0x37E8), config == kTrs80 ? 0x30 : 0x99);
        EXPECT_EQ(takeLog().empty(), config == kTrs80);
    }

    // Port FDh prints on the VideoGenie, 37E8h on the TRS-80; the other is plain.
    inside(*m).bus.activeConfigIndex = kVideoGenie;
    inside(*m).bus.portOut(0xFD, 'A');
    inside(*m).bus.memWrite(0x37E8, 'B');
    EXPECT_EQ(mem[0x37E8], 'B');
    inside(*m).bus.activeConfigIndex = kTrs80;
    inside(*m).bus.portOut(0xFD, 'C');
    inside(*m).bus.memWrite(0x37E8, 'D');
    EXPECT_EQ(mem[0x37E8], 'D');
    EXPECT_EQ(takeLog(), "");
    ASSERT_TRUE(m->closePrinter());
    EXPECT_EQ(test::readFile(path), (std::vector<uint8_t>{'A', 'D'}));
    // Off line nothing is taken.
    inside(*m).bus.portOut(0xFD, 'E');
    EXPECT_EQ(inside(*m).bus.memRead(0x37E8), 0x00);
    EXPECT_EQ(test::readFile(path), (std::vector<uint8_t>{'A', 'D'}));
}

TEST_F(BusTest, FdcWindowsOnBothKinds) {
    for (int config : {kVideoGenie, kTrs80}) {
        SCOPED_TRACE(config);
        inside(*m).bus.activeConfigIndex = config;
        inside(*m).bus.memWrite(0x37E0, 0xF5);
        EXPECT_EQ(inside(*m).fdc.driveSelect, 0x05u);
        EXPECT_EQ(mem[0x37E0], 0xF5);
        inside(*m).bus.memWrite(0x37E1, 0x08);
        EXPECT_EQ(inside(*m).fdc.driveSelect, 0x08u);

        // The controller answers, not memory: an empty drive whose motor runs
        // reports 25h, and the data register gives the buffer of the read-track
        // command (ECh) just written there.
        for (auto [a, answer] : {std::pair<uint16_t, uint8_t>{0x37EC, 0x25}, {0x37EF, 0x00}}) {
            SCOPED_TRACE(a);
            const uint8_t v = static_cast<uint8_t>(a + config);
            inside(*m).bus.memWrite(a, v);
            EXPECT_EQ(mem[a], v);
            EXPECT_EQ(inside(*m).bus.memRead(a), answer);
        }
        inside(*m).fdc.driveSelect = 0;
        inside(*m).bus.memWrite(0x37E4, 0x0F);
        EXPECT_EQ(inside(*m).fdc.driveSelect, 0u);
        EXPECT_EQ(mem[0x37E4], 0x0F);
    }

    // The interrupt latch, at both addresses on the VideoGenie.
    inside(*m).bus.activeConfigIndex = kVideoGenie;
    for (uint16_t latch : {0x37E0, 0x37E4}) {
        SCOPED_TRACE(latch);
        inside(*m).fdc.driveSelect = 0x02;
        inside(*m).fdc.interruptPending = true;
        inside(*m).cpu.intLine = 1;
        EXPECT_EQ(inside(*m).bus.memRead(latch), 0x40);
        EXPECT_FALSE(inside(*m).fdc.interruptPending);
        EXPECT_EQ(inside(*m).cpu.intLine, 0u);
        EXPECT_EQ(inside(*m).bus.memRead(latch), 0x00);

        // No drive selected: the flag stays for later.
        inside(*m).fdc.driveSelect = 0;
        inside(*m).fdc.interruptPending = true;
        inside(*m).cpu.intLine = 1;
        EXPECT_EQ(inside(*m).bus.memRead(latch), 0x00);
        EXPECT_TRUE(inside(*m).fdc.interruptPending);
        EXPECT_EQ(inside(*m).cpu.intLine, 1u);
    }
}

TEST_F(BusTest, PortFFOutput) {
    auto out = [&](uint64_t at, uint8_t value) {
        inside(*m).cpu.tstates = at;
        inside(*m).bus.portOut(0xFF, value);
    };
    out(10, 0x01);
    EXPECT_EQ(std::tuple(inside(*m).sound.beeperLevel, inside(*m).sound.updatedTo, inside(*m).bus.redrawPending),
              std::tuple(4096, 10u, false));

    // Bits 0-1 unchanged: the beeper is left alone.
    inside(*m).sound.beeperLevel = 1;
    out(20, 0xF1);
    EXPECT_EQ(std::tuple(inside(*m).sound.beeperLevel, inside(*m).sound.updatedTo), std::tuple(1, 10u));

    // Motor off: the latch stays. Motor on: every write reaches the tape,
    // changed or not, and resets the latch.
    inside(*m).tape.cassetteLatch = 1;
    out(25, 0xF1);
    EXPECT_EQ(inside(*m).tape.cassetteLatch, 1);
    out(30, 0x06);
    EXPECT_EQ(std::tuple(inside(*m).sound.beeperLevel, inside(*m).tape.cassetteLatch), std::tuple(8192, 0));
    inside(*m).tape.cassetteLatch = 1;
    out(40, 0x06);
    EXPECT_EQ(std::tuple(inside(*m).tape.cassetteLatch, inside(*m).sound.updatedTo), std::tuple(0, 40u));
    inside(*m).tape.cassetteLatch = 1;
    out(50, 0x02);
    EXPECT_EQ(std::tuple(inside(*m).tape.cassetteLatch, inside(*m).bus.redrawPending, inside(*m).bus.lastPortOut(0xFF)),
              std::tuple(1, false, 0x02));

    // Bit 3 switches to 32 columns on the TRS-80 only, but redraws on every kind.
    for (int config : {kVideoGenie, 1, 2, 4}) {
        SCOPED_TRACE(config);
        inside(*m).bus.activeConfigIndex = config;
        inside(*m).bus.redrawPending = false;
        inside(*m).bus.portOut(0xFF, 0x08);
        EXPECT_FALSE(inside(*m).video.columns32);
        EXPECT_TRUE(inside(*m).bus.redrawPending);
        inside(*m).bus.portOut(0xFF, 0x00);
    }

    inside(*m).bus.activeConfigIndex = kTrs80;
    // Each change of bit 3 switches and redraws; an unchanged bit 3 does neither.
    const std::pair<uint8_t, bool> steps[] = {{0x08, true}, {0x09, true}, {0x01, false}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        inside(*m).bus.redrawPending = false;
        inside(*m).bus.portOut(0xFF, steps[i].first);
        EXPECT_EQ(inside(*m).video.columns32, steps[i].second);
        EXPECT_EQ(inside(*m).bus.redrawPending, i != 1);
    }
}

TEST_F(BusTest, PsgPortsOnVideoGenieOnlyAndHiResPorts) {
    inside(*m).bus.portOut(0x1F, 7);
    EXPECT_EQ(inside(*m).sound.psgRegister(7), 0x00);  // selecting writes nothing
    inside(*m).bus.portOut(0x1E, 0x38);
    EXPECT_EQ(inside(*m).sound.psgRegister(7), 0x38);

    inside(*m).bus.activeConfigIndex = kTrs80;
    inside(*m).bus.portOut(0x1F, 8);
    inside(*m).bus.portOut(0x1E, 0x0F);
    EXPECT_EQ(inside(*m).sound.psgRegister(8), 0x00);

    // The hi-res board's four ports redraw; their neighbours do not reach it.
    inside(*m).bus.activeConfigIndex = kVideoGenie;
    const std::pair<uint8_t, uint8_t> writes[] = {{0xED, 0x65}, {0xEE, 200}, {0xEF, 3}, {0xEC, 0x3F}};
    for (auto [port, value] : writes) {
        inside(*m).bus.redrawPending = false;
        inside(*m).bus.portOut(port, value);
        EXPECT_TRUE(inside(*m).bus.redrawPending) << port;
    }
    EXPECT_EQ(inside(*m).hiRes.hiResX, 0x25);  // EE, EF and EC are followed in HiResBoardTest
    inside(*m).bus.redrawPending = false;
    inside(*m).bus.portOut(0xEB, 1);
    inside(*m).bus.portOut(0xF0, 1);
    EXPECT_EQ(inside(*m).hiRes.hiResX, 0x25);
    EXPECT_FALSE(inside(*m).bus.redrawPending);
}

TEST_F(BusTest, EveryPortKeepsItsLastValue) {
    for (int config : {kVideoGenie, kTrs80}) {
        inside(*m).bus.activeConfigIndex = config;
        for (int port = 0; port < 256; ++port)
            inside(*m).bus.portOut(static_cast<uint8_t>(port), static_cast<uint8_t>(port * 7 + config));
        for (int port = 0; port < 256; ++port)
            EXPECT_EQ(inside(*m).bus.lastPortOut(static_cast<uint8_t>(port)), static_cast<uint8_t>(port * 7 + config))
                << "config " << config << " port " << port;
    }
}

}  // namespace
}  // namespace kestrel
