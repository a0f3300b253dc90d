#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "machine/machine.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

constexpr int kVideoGenie = 0;
constexpr int kTrs80 = 3;

// A machine whose watch messages are captured instead of printed.
class BusTest : public ::testing::Test {
protected:
    void SetUp() override { m->bus.diagnostics = log.file(); }

    // Everything written to the diagnostic stream since the last call.
    std::string takeLog() {
        const std::string text = log.text();
        const std::string fresh = text.substr(seen);
        seen = text.size();
        return fresh;
    }

    std::unique_ptr<Machine> m = std::make_unique<Machine>();
    uint8_t* mem = m->bus.memoryBase();
    test::CapturedStream log;
    size_t seen = 0;
};

TEST_F(BusTest, MemoryMapOnBothKinds) {
    for (int config : {kVideoGenie, kTrs80}) {
        SCOPED_TRACE(config);
        m->bus.activeConfigIndex = config;
        // Reads return memory outside the device page, ROM and expansion included.
        for (uint16_t a : {0x0000, 0x2FFF, 0x3000, 0x36FF, 0x3C00, 0x3FFF, 0x4000, 0xFFFF}) {
            mem[a] = static_cast<uint8_t>(a ^ 0xA5);
            EXPECT_EQ(m->bus.memRead(a), static_cast<uint8_t>(a ^ 0xA5)) << a;
        }
        mem[0x37E1] = 0x5C;
        EXPECT_EQ(m->bus.memRead(0x37E1), 0x00);
        EXPECT_EQ(takeLog(), "");
        // Writes to ROM and the keyboard window are ignored; RAM stores them as given.
        for (uint16_t a : {0x0000, 0x2FFF, 0x3000, 0x36FF, 0x3800, 0x3BFF}) {
            mem[a] = 0x11;
            m->bus.memWrite(a, 0x77);
            EXPECT_EQ(mem[a], 0x11) << a;
        }
        for (uint16_t a : {0x4000, 0xFFFF}) {
            m->bus.memWrite(a, static_cast<uint8_t>(config + 0x01));
            EXPECT_EQ(mem[a], config + 0x01) << a;  // no video rule outside 0x3C00-0x3FFF
        }
        EXPECT_FALSE(m->bus.redrawPending);
    }
}

TEST_F(BusTest, SixteenKilobytesHideTheUpperHalfButKeepItsBytes) {
    m->bus.setRamTop(0x3FFF);
    m->bus.memWrite(0x8000, 0x42);
    m->bus.memWrite(0x7FFF, 0x33);
    EXPECT_EQ(m->bus.memRead(0x8000), 0xFF);
    EXPECT_EQ(m->bus.memRead(0x7FFF), 0x33);
    EXPECT_EQ(mem[0x8000], 0x42);

    m->bus.setRamTop(0xFFFF);
    EXPECT_EQ(m->bus.memRead(0x8000), 0x42);
    // Only 0x3FFF means 16 KB.
    m->bus.setRamTop(0x7FFF);
    EXPECT_EQ(m->bus.memRead(0x8000), 0x42);
    EXPECT_EQ(m->bus.ramTop(), 0x7FFF);
}

TEST_F(BusTest, VideoRamWriteRule) {
    // Without lower case, 00h-1Fh are stored as 40h-5Fh; everything else as written.
    const std::pair<uint8_t, uint8_t> upperOnly[] = {{0x00, 0x40}, {0x1F, 0x5F}, {0x20, 0x20}, {0x5F, 0x5F},
                                                     {0x61, 0x61}, {0x80, 0x80}, {0x9F, 0x9F}, {0xFF, 0xFF}};
    for (auto [written, stored] : upperOnly) {
        SCOPED_TRACE(written);
        m->bus.redrawPending = false;
        m->bus.memWrite(0x3C00, written);
        EXPECT_EQ(mem[0x3C00], stored);
        EXPECT_TRUE(m->bus.redrawPending);
    }
    m->bus.memWrite(0x3FFF, 0x05);
    EXPECT_EQ(mem[0x3FFF], 0x45);

    m->bus.lowercaseVideo = true;
    for (uint8_t v : {0x00, 0x1F, 0x81}) {
        m->bus.memWrite(0x3C10, v);
        EXPECT_EQ(mem[0x3C10], v);
    }
}

TEST_F(BusTest, KeyboardMatrixRepeatsFourTimes) {
    for (uint16_t a : {0x3801, 0x3881, 0x3981, 0x3A01, 0x3B81}) {
        mem[a] = 0x5A;  // the matrix, not memory, answers
        m->keyboard.lastAddressLow = 0xEE;
        EXPECT_EQ(m->bus.memRead(a), 0x00) << a;
        EXPECT_EQ(m->keyboard.lastAddressLow, a & 0xFF) << a;
    }
    // The video RAM after it is not the keyboard.
    m->keyboard.lastAddressLow = 0xEE;
    mem[0x3C00] = 0x20;
    EXPECT_EQ(m->bus.memRead(0x3C00), 0x20);
    EXPECT_EQ(m->keyboard.lastAddressLow, 0xEE);
}

TEST_F(BusTest, UndecodedDevicePageAddressesPrintWatchMessagesAndActAsMemory) {
    m->cpu.tstates = 5000000000ULL;  // beyond 32 bits
    m->cpu.PC = 0x4321;
    m->bus.memWrite(0x37E2, 0x5A);
    EXPECT_EQ(takeLog(), "Address 37E2h, 5Ah in cycle 5000000000 at address 4321h.\n");
    EXPECT_EQ(mem[0x37E2], 0x5A);

    m->cpu.tstates = 77;
    m->cpu.PC = 0x0A0B;
    EXPECT_EQ(m->bus.memRead(0x37E2), 0x5A);
    m->bus.memWrite(0x3700, 0x01);
    EXPECT_EQ(m->bus.memRead(0x37FF), 0x00);
    EXPECT_EQ(takeLog(),
              "Address 37E2h read in cycle 77 at address 0A0Bh.\n"
              "Address 3700h, 01h in cycle 77 at address 0A0Bh.\n"
              "Address 37FFh read in cycle 77 at address 0A0Bh.\n");

    // Decoded addresses and the expansion ROM stay quiet.
    for (uint16_t a : {0x36FF, 0x37E0, 0x37E1, 0x37E4, 0x37EC}) m->bus.memRead(a);
    for (uint16_t a : {0x37E0, 0x37E4, 0x37E8, 0x37EF}) m->bus.memWrite(a, 0);
    EXPECT_EQ(takeLog(), "");
}

TEST_F(BusTest, FdcLatchAtBothAddressesOnVideoGenie) {
    for (uint16_t latch : {0x37E0, 0x37E4}) {
        SCOPED_TRACE(latch);
        m->fdc.driveSelect = 0x02;
        m->fdc.interruptPending = true;
        m->cpu.intLine = 1;
        EXPECT_EQ(m->bus.memRead(latch), 0x40);
        EXPECT_FALSE(m->fdc.interruptPending);
        EXPECT_EQ(m->cpu.intLine, 0u);
        EXPECT_EQ(m->bus.memRead(latch), 0x00);

        // No drive selected: the flag stays for later.
        m->fdc.driveSelect = 0;
        m->fdc.interruptPending = true;
        m->cpu.intLine = 1;
        EXPECT_EQ(m->bus.memRead(latch), 0x00);
        EXPECT_TRUE(m->fdc.interruptPending);
        EXPECT_EQ(m->cpu.intLine, 1u);
    }
}

// The cassette input: 0x37E4 on the TRS-80, port 0xFF on the others. A change
// of level is echoed to the beeper; only the port form brings the sound up to
// date on every read.
TEST_F(BusTest, CassetteInputOnEachKind) {
    for (int config : {kTrs80, kVideoGenie}) {
        SCOPED_TRACE(config);
        const bool trs80 = config == kTrs80;
        m->bus.activeConfigIndex = config;
        m->bus.tapeInputEcho = 0;
        m->sound.beeperLevel = 0;
        m->fdc.driveSelect = 0x01;
        m->fdc.interruptPending = true;
        auto read = [&](uint64_t at) {
            m->cpu.tstates = at;
            return trs80 ? m->bus.memRead(0x37E4) : m->bus.portIn(0xFF);
        };

        m->tape.cassetteLatch = 1;
        EXPECT_EQ(read(1000), 0x80);
        EXPECT_EQ(m->bus.tapeInputEcho, 2);
        EXPECT_EQ(m->sound.beeperLevel, 8192);
        EXPECT_EQ(m->sound.updatedTo, 1000u);

        // Unchanged input: the beeper is left alone (a spurious echo would overwrite it).
        m->sound.beeperLevel = 1;
        EXPECT_EQ(read(2000), 0x80);
        EXPECT_EQ(m->sound.updatedTo, trs80 ? 1000u : 2000u);
        EXPECT_EQ(m->sound.beeperLevel, 1);

        m->tape.cassetteLatch = 0;
        EXPECT_EQ(read(3000), 0x00);
        EXPECT_EQ(m->bus.tapeInputEcho, 0);
        EXPECT_EQ(m->sound.beeperLevel, 0);
        EXPECT_EQ(m->sound.updatedTo, 3000u);
    }
    // On the TRS-80 port 0xFF is not the cassette and 0x37E4 not the FDC latch,
    // which stays at 0x37E0.
    m->bus.activeConfigIndex = kTrs80;
    m->fdc.interruptPending = true;
    m->tape.cassetteLatch = 1;
    EXPECT_EQ(m->bus.portIn(0xFF), 0xFF);
    EXPECT_EQ(m->bus.tapeInputEcho, 0);
    EXPECT_EQ(m->bus.memRead(0x37E4), 0x80);
    EXPECT_TRUE(m->fdc.interruptPending);
    EXPECT_EQ(m->bus.memRead(0x37E0), 0x40);
}

TEST_F(BusTest, PortInputMapBoundaries) {
    struct Case {
        uint8_t port;
        bool joystick;
        uint8_t value;  // what the port reads with every other device absent
    };
    // The hi-res board answers its four ports: its column register reads back.
    m->hiRes.hiResX = 0x2A;
    const Case cases[] = {
        {0x00, true, 0xFF},  {0x7F, true, 0xFF},  {0x80, false, 0xFF}, {0xEB, false, 0xFF}, {0xEC, false, 0x00},
        {0xED, false, 0x2A}, {0xEF, false, 0xFF}, {0xF0, false, 0xFF}, {0xF6, false, 0xFF}, {0xF7, true, 0xFF},
        {0xF8, false, 0xFF}, {0xFC, false, 0xFF}, {0xFD, false, 0x00}, {0xFE, false, 0xFF},
    };
    for (int config : {kVideoGenie, kTrs80}) {
        m->bus.activeConfigIndex = config;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "config " << config << " port " << int(c.port));
            const unsigned joystickBefore = m->joystick.reads;
            EXPECT_EQ(m->bus.portIn(c.port), c.value);
            EXPECT_EQ(m->joystick.reads - joystickBefore, c.joystick ? 1u : 0u);
        }
    }
    // Port 0xFF: see the cassette tests.
}

TEST_F(BusTest, PrinterStatusPortOnEveryModelAndOutputByKind) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    for (int config : {kVideoGenie, 1, 2, kTrs80, 4}) {
        SCOPED_TRACE(config);
        m->bus.activeConfigIndex = config;
        m->printer.printerFile = nullptr;
        EXPECT_EQ(m->bus.portIn(0xFD), 0x00);
        m->printer.printerFile = out;
        EXPECT_EQ(m->bus.portIn(0xFD), 0x30);
    }
    m->printer.printerFile = nullptr;
    std::fclose(out);

    // Port FDh prints on the VideoGenie, 37E8h on the TRS-80; the other is plain.
    m->bus.activeConfigIndex = kVideoGenie;
    m->bus.portOut(0xFD, 'A');
    EXPECT_TRUE(m->printer.printerPending);
    EXPECT_EQ(m->printer.printerLast, 'A');
    m->printer.printerPending = false;
    m->bus.memWrite(0x37E8, 'B');
    EXPECT_FALSE(m->printer.printerPending);
    EXPECT_EQ(mem[0x37E8], 'B');

    m->bus.activeConfigIndex = kTrs80;
    m->bus.portOut(0xFD, 'C');
    EXPECT_FALSE(m->printer.printerPending);
    m->bus.memWrite(0x37E8, 'D');
    EXPECT_TRUE(m->printer.printerPending);
    EXPECT_EQ(m->printer.printerLast, 'D');
    EXPECT_EQ(mem[0x37E8], 'D');
}

TEST_F(BusTest, FdcWindowsOnBothKinds) {
    for (int config : {kVideoGenie, kTrs80}) {
        SCOPED_TRACE(config);
        m->bus.activeConfigIndex = config;
        m->bus.memWrite(0x37E0, 0xF5);
        EXPECT_EQ(m->fdc.driveSelect, 0x05u);
        EXPECT_EQ(mem[0x37E0], 0xF5);
        m->bus.memWrite(0x37E1, 0x08);
        EXPECT_EQ(m->fdc.driveSelect, 0x08u);

        for (uint16_t a : {0x37EC, 0x37EF}) {
            SCOPED_TRACE(a);
            const uint8_t v = static_cast<uint8_t>(a + config);
            m->bus.memWrite(a, v);
            EXPECT_EQ(m->fdc.lastWriteAddress, a);
            EXPECT_EQ(m->fdc.lastWriteValue, v);
            EXPECT_EQ(mem[a], v);
            EXPECT_EQ(m->bus.memRead(a), 0x00);  // the controller answers, not memory
        }
        // Just outside the register window.
        m->fdc.lastWriteAddress = 0;
        m->bus.memWrite(0x37EB, 1);
        EXPECT_EQ(m->fdc.lastWriteAddress, 0);

        m->fdc.driveSelect = 0;
        m->bus.memWrite(0x37E4, 0x0F);
        EXPECT_EQ(m->fdc.driveSelect, 0u);
        EXPECT_EQ(mem[0x37E4], 0x0F);
    }
}

TEST_F(BusTest, PortFFOutputSteps) {
    auto out = [&](uint64_t at, uint8_t value) {
        m->cpu.tstates = at;
        m->bus.portOut(0xFF, value);
    };
    out(10, 0x01);
    EXPECT_EQ(m->sound.beeperLevel, 4096);
    EXPECT_EQ(m->sound.updatedTo, 10u);
    EXPECT_EQ(m->tape.outputWrites, 0u);  // motor off
    EXPECT_FALSE(m->bus.redrawPending);

    // Bits 0-1 unchanged: the beeper is left alone.
    m->sound.beeperLevel = 1;
    out(20, 0xF1);
    EXPECT_EQ(m->sound.beeperLevel, 1);
    EXPECT_EQ(m->sound.updatedTo, 10u);

    // Motor on: every write reaches the tape, changed or not, and resets the latch.
    m->tape.cassetteLatch = 1;
    out(30, 0x06);
    EXPECT_EQ(m->sound.beeperLevel, 8192);
    EXPECT_EQ(m->tape.outputWrites, 1u);
    EXPECT_EQ(m->tape.lastOutputValue, 0x06);
    EXPECT_EQ(m->tape.cassetteLatch, 0);
    out(40, 0x06);
    EXPECT_EQ(m->tape.outputWrites, 2u);
    EXPECT_EQ(m->tape.lastOutputTime, 40u);
    EXPECT_EQ(m->sound.updatedTo, 40u);
    out(50, 0x02);
    EXPECT_EQ(m->tape.outputWrites, 2u);
    EXPECT_FALSE(m->bus.redrawPending);
    EXPECT_EQ(m->bus.lastPortOut(0xFF), 0x02);
}

TEST_F(BusTest, PortFFBit3SwitchesColumnsOnlyOnTrs80) {
    for (int config : {kVideoGenie, 1, 2, 4}) {
        SCOPED_TRACE(config);
        m->bus.activeConfigIndex = config;
        m->bus.redrawPending = false;
        m->bus.portOut(0xFF, 0x08);
        EXPECT_FALSE(m->video.columns32);
        EXPECT_TRUE(m->bus.redrawPending);
        m->bus.portOut(0xFF, 0x00);
    }

    m->bus.activeConfigIndex = kTrs80;
    // Each change of bit 3 switches and redraws; an unchanged bit 3 does neither.
    const std::pair<uint8_t, bool> steps[] = {{0x08, true}, {0x09, true}, {0x01, false}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        m->bus.redrawPending = false;
        m->bus.portOut(0xFF, steps[i].first);
        EXPECT_EQ(m->video.columns32, steps[i].second);
        EXPECT_EQ(m->bus.redrawPending, i != 1);
    }
}

TEST_F(BusTest, PsgThroughPorts1Fand1EOnVideoGenieOnly) {
    m->bus.portOut(0x1F, 7);
    EXPECT_EQ(m->sound.lastPsgRegister, -1);  // selecting writes nothing
    m->bus.portOut(0x1E, 0x38);
    EXPECT_EQ(m->sound.lastPsgRegister, 7);
    EXPECT_EQ(m->sound.lastPsgValue, 0x38);

    m->bus.activeConfigIndex = kTrs80;
    m->bus.portOut(0x1F, 8);
    m->bus.portOut(0x1E, 0x0F);
    EXPECT_EQ(m->sound.lastPsgRegister, 7);
    EXPECT_EQ(m->sound.lastPsgValue, 0x38);
}

TEST_F(BusTest, HiResPortWritesRedraw) {
    const std::pair<uint8_t, uint8_t> writes[] = {{0xED, 0x65}, {0xEE, 200}, {0xEF, 3}, {0xEC, 0x3F}};
    for (auto [port, value] : writes) {
        m->bus.redrawPending = false;
        m->bus.portOut(port, value);
        EXPECT_TRUE(m->bus.redrawPending) << port;
    }
    EXPECT_EQ(m->hiRes.hiResX, 0x25);
    EXPECT_EQ(m->hiRes.hiResY, 200);
    EXPECT_TRUE(m->hiRes.hiResVisible);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(m->hiRes.hiResPixels[200][0x25 * 6 + j], 0xFF) << j;
    m->bus.redrawPending = false;
    m->bus.portOut(0xEB, 1);
    m->bus.portOut(0xF0, 1);
    EXPECT_EQ(m->hiRes.hiResX, 0x25);
    EXPECT_FALSE(m->bus.redrawPending);
}

TEST_F(BusTest, EveryPortKeepsItsLastValue) {
    for (int config : {kVideoGenie, kTrs80}) {
        m->bus.activeConfigIndex = config;
        for (int port = 0; port < 256; ++port)
            m->bus.portOut(static_cast<uint8_t>(port), static_cast<uint8_t>(port * 7 + config));
        for (int port = 0; port < 256; ++port)
            EXPECT_EQ(m->bus.lastPortOut(static_cast<uint8_t>(port)), static_cast<uint8_t>(port * 7 + config))
                << "config " << config << " port " << port;
    }
}

TEST_F(BusTest, RestorePortOutDrivesTheDevicesLikePortOut) {
    m->bus.restorePortOut(0x1F, 9);
    m->bus.restorePortOut(0x1E, 0x21);
    EXPECT_EQ(m->sound.lastPsgRegister, 9);
    EXPECT_EQ(m->sound.lastPsgValue, 0x21);

    m->cpu.tstates = 55;
    m->bus.restorePortOut(0xFF, 0x07);
    EXPECT_EQ(m->sound.beeperLevel, 12288);
    EXPECT_EQ(m->tape.outputWrites, 1u);
    EXPECT_EQ(m->tape.lastOutputTime, 55u);
    EXPECT_EQ(m->bus.lastPortOut(0xFF), 0x07);

    m->bus.restorePortOut(0xFD, 'x');
    EXPECT_EQ(m->printer.printerLast, 'x');
    m->bus.restorePortOut(0xEE, 3);
    EXPECT_TRUE(m->bus.redrawPending);
    EXPECT_EQ(m->hiRes.hiResY, 3);

    m->bus.activeConfigIndex = kTrs80;
    m->bus.restorePortOut(0xFF, 0x0B);
    EXPECT_TRUE(m->video.columns32);
}

}  // namespace
}  // namespace kestrel
