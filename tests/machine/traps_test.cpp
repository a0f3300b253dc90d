// The trap opcodes at work: small ROM routines of the test's own, patched by the
// traps, called by a driver program in RAM.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "machine/machine.h"
#include "machine/open_firmware.h"
#include "media_files.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

using namespace mediatest;

constexpr uint16_t kDriver = 0x6000;
constexpr uint16_t kResults = 0x6100;

// A machine whose BASIC image holds, at the ROM's addresses, stand-ins for the
// cassette and keyboard routines; everything else in it is HALT, so a stray jump
// stops the processor where the test can see it.
class TrapRig {
public:
    TrapRig() {
        MachineOptions o;
        o.diagnostics = nullptr;
        m = std::make_unique<Machine>(o);
        m->initMachine();
        inside(*m).basicImage.fill(0x76);
        // Keyboard scan: LD A,7Fh; RET, then two marker bytes.
        place(0x002B, {0x3E, 0x7F, 0xC9, 0x11, 0x22});
        // Read one byte: LD A,99h (where the trap goes), NOPs, RET at 023Eh.
        place(0x0237, {0x3E, 0x99, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC9});
        // Write one byte from 0264h: NOPs, the trap site at 0268h (HALTs until
        // patched: the patch must turn 026Ah-0278h into NOPs), RET at 0279h.
        place(0x0264, {0x00, 0x00, 0x00, 0x00});
        place(0x0279, {0xC9});
        // Leader and sync: LD B,10h; loop: XOR A; CALL 0264h; DJNZ loop;
        // LD A,0A5h; CALL 0264h; RET.
        place(0x0287, {0x06, 0x10, 0xAF, 0xCD, 0x64, 0x02, 0x10, 0xFA, 0x3E, 0xA5, 0xCD, 0x64, 0x02, 0xC9});
        // Find sync from 0296h: NOP; NOP; loop: CALL 0237h; CP 0A5h; JR NZ,loop; RET.
        place(0x0296, {0x00, 0x00, 0xCD, 0x37, 0x02, 0xFE, 0xA5, 0x20, 0xF9, 0xC9});
        m->enterCasMode();
        inside(*m).copyRoms();
    }

    void place(uint16_t at, std::initializer_list<uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), inside(*m).basicImage.begin() + at);
    }

    // Loads the driver at 6000h and runs it until its HALT at haltAt.
    void runDriver(const std::vector<uint8_t>& driver, uint16_t haltAt) {
        std::copy(driver.begin(), driver.end(), inside(*m).bus.memory.begin() + kDriver);
        std::fill(inside(*m).bus.memory.begin() + kResults, inside(*m).bus.memory.begin() + kResults + 0x100, uint8_t{0xEE});
        inside(*m).cpu.PC = kDriver;
        inside(*m).cpu.SP = 0x7F00;
        inside(*m).cpu.IFF1 = inside(*m).cpu.IFF2 = 0;
        for (int i = 0; i < 200 && inside(*m).cpu.PC != haltAt; ++i) {
            m->runCycles(20000);
            if (!m->tapeRecordingWanted()) continue;
            // Waiting at the leader trap: asked for the file between frames.
            ++asked;
            m->answerTapeRecording(recordTo);
        }
        ASSERT_EQ(inside(*m).cpu.PC, haltAt) << "the driver did not reach its HALT";
    }

    std::vector<uint8_t> results(size_t n) const {
        return std::vector<uint8_t>(inside(*m).bus.memory.begin() + kResults, inside(*m).bus.memory.begin() + kResults + n);
    }

    std::unique_ptr<Machine> m;
    std::string recordTo;  // the answer when the ROM starts a tape
    int asked = 0;
};

// The bytes of guest memory at `at`.
std::vector<uint8_t> bytesAt(const Machine& m, uint16_t at, size_t n) {
    return std::vector<uint8_t>(m.memory().begin() + at, m.memory().begin() + at + n);
}

class TrapFixture : public testing::Test {
protected:
    TempDir dir;
    TrapRig rig;
    Machine& m = *rig.m;
};
class TapeTraps : public TrapFixture {};
class KeyboardTrap : public TrapFixture {};

// LD HL,6100h; LD B,n; loop: CALL entry; LD (HL),A; INC HL; DJNZ loop; HALT (600Dh).
std::vector<uint8_t> callRepeatedly(uint16_t entry, uint8_t n) {
    return {0xF3, 0x21, 0x00, 0x61, 0x06, n, 0xCD, static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8),
            0x77, 0x23, 0x10, 0xF9, 0x76};
}

TEST_F(TapeTraps, ArmingPatchesGuestMemoryOnlyAndDisarmingPutsTheRomBack) {
    // Distinct bytes everywhere, so a byte copied from the wrong place shows.
    for (size_t a = 0; a < inside(m).basicImage.size(); ++a) inside(m).basicImage[a] = static_cast<uint8_t>(a * 7 + 3);
    const BasicImage image = inside(m).basicImage;
    inside(m).copyRoms();
    ASSERT_TRUE(inside(m).traps.trapsArmed);

    std::vector<uint8_t> expected(image.begin(), image.end());
    expected[0x0237] = 0xED, expected[0x0238] = 0x01;
    expected[0x0298] = 0xED, expected[0x0299] = 0x02;
    expected[0x0287] = 0xED, expected[0x0288] = 0x03;
    expected[0x0268] = 0xED, expected[0x0269] = 0x04;
    for (int a = 0x026A; a <= 0x0278; ++a) expected[a] = 0x00;
    EXPECT_EQ(bytesAt(m, 0, 0x3000), expected);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), inside(m).basicImage.begin())) << "the held image must stay the ROM's";

    inside(m).disarmTapeTraps();
    EXPECT_FALSE(inside(m).traps.trapsArmed);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), inside(m).bus.memory.begin()));
    // Not armed: a refill keeps the ROM's bytes, and disarming again changes nothing.
    inside(m).copyRoms();
    EXPECT_EQ(inside(m).bus.memory[0x0237], image[0x0237]);
    inside(m).bus.memory[0x0237] = 0xED;
    inside(m).disarmTapeTraps();
    EXPECT_EQ(inside(m).bus.memory[0x0237], 0xED);

    // Arming writes the patch at once, without a refill.
    inside(m).armTapeTraps();
    EXPECT_EQ(bytesAt(m, 0, 0x3000), expected);
}

TEST_F(TapeTraps, FullConfigurationReappliesArmedTraps) {
    MachineOptions o;
    o.diagnostics = nullptr;
    Machine fresh(o);
    Machine& m = fresh;
    m.initMachine();
    // initMachine alone leaves the ROM as it is; the start-up step arms.
    EXPECT_EQ(inside(m).bus.memory[0x0237], openFirmwareBasic()[0x0237]);
    EXPECT_FALSE(inside(m).cassette.casMode);
    m.enterCasMode();
    EXPECT_TRUE(inside(m).cassette.casMode);
    for (int config : {3, 1, 0}) {
        SCOPED_TRACE(config);
        inside(m).bus.activeConfigIndex = config;
        inside(m).configureMachine(inside(m).configs[static_cast<size_t>(config)], true);
        for (auto [at, trap] : {std::pair{0x0237, 0x01}, {0x0268, 0x04}, {0x0287, 0x03}, {0x0298, 0x02}})
            EXPECT_EQ(bytesAt(m, static_cast<uint16_t>(at), 2), (std::vector<uint8_t>{0xED, static_cast<uint8_t>(trap)}));
        EXPECT_EQ(inside(m).basicImage[0x0287], 0x06) << "the held image keeps the ROM's LD B,0FFh";
    }
    // Warm reset and cold restart refill nothing, so the traps stay.
    m.warmReset();
    m.coldRestart();
    EXPECT_EQ(bytesAt(m, 0x0237, 2), (std::vector<uint8_t>{0xED, 0x01}));
}

TEST_F(TapeTraps, ReadByteTrapServesTheImageAndOnesPastItsEnd) {
    ASSERT_TRUE(inside(m).cassette.attachCas(dir.write("t.cas", {0x00, 0x00, 0xA5, 0x3C, 0x81})));
    rig.runDriver(callRepeatedly(0x0237, 7), 0x600D);
    EXPECT_EQ(rig.results(7), (std::vector<uint8_t>{0x00, 0x00, 0xA5, 0x3C, 0x81, 0xFF, 0xFF}));

    // Disarmed, the routine is the ROM's own again (LD A,99h).
    inside(m).disarmTapeTraps();
    inside(m).cassette.rewindTape(0);
    rig.runDriver(callRepeatedly(0x0237, 2), 0x600D);
    EXPECT_EQ(rig.results(2), (std::vector<uint8_t>{0x99, 0x99}));
    // The tape was not read meanwhile.
    EXPECT_EQ(inside(m).cassette.readTapeByte(), 0x00);
}

TEST_F(TapeTraps, SyncSearchSkipsTheLeaderAndStopsAfterA5) {
    ASSERT_TRUE(inside(m).cassette.attachCas(dir.write("s.cas", {0x5A, 0x00, 0x00, 0x00, 0xA5, 0x55, 0x47, 0x41})));
    // CALL 0296h; CALL 0237h; LD (6100h),A; CALL 0237h; LD (6101h),A; HALT (6010h).
    rig.runDriver({0xF3, 0xCD, 0x96, 0x02, 0xCD, 0x37, 0x02, 0x32, 0x00, 0x61, 0xCD, 0x37, 0x02, 0x32, 0x01, 0x61,
                   0x76},
                  0x6010);
    EXPECT_EQ(rig.results(2), (std::vector<uint8_t>{0x55, 0x47}));
}

TEST_F(TapeTraps, TrapZeroReadsAByteAndLeavesThroughTheWriteRoutinesExit) {
    ASSERT_TRUE(inside(m).cassette.attachCas(dir.write("z.cas", {0x42, 0x00, 0xA5})));
    // CALL 6200h; LD (6100h),A; HALT (6006h); at 6200h: ED 00, whose exit is the RET at 0279h.
    std::copy_n("\xED\x00\x76", 3, inside(m).bus.memory.begin() + 0x6200);
    rig.runDriver({0xCD, 0x00, 0x62, 0x32, 0x00, 0x61, 0x76}, 0x6006);
    EXPECT_EQ(rig.results(1), (std::vector<uint8_t>{0x42}));
}

TEST_F(TapeTraps, RecordingThroughTheLeaderAndWriteTrapsWritesTheTapeFile) {
    const std::string path = dir.file("rec.cas");
    rig.recordTo = path;
    // CALL 0287h; then LD A,n; CALL 0264h for each byte; HALT.
    const std::vector<uint8_t> data = {0x55, 'T', 'E', 'S', 'T', 0x00, 0xFF};
    std::vector<uint8_t> driver = {0xF3, 0xCD, 0x87, 0x02};
    for (uint8_t b : data) driver.insert(driver.end(), {0x3E, b, 0xCD, 0x64, 0x02});
    driver.push_back(0x76);
    rig.runDriver(driver, static_cast<uint16_t>(kDriver + driver.size() - 1));

    EXPECT_EQ(rig.asked, 1);
    EXPECT_EQ(inside(m).cassette.casPath, path);
    // The leader trap sets B = 0FFh for the ROM's loop (its own LD B,10h is never
    // run) and goes on at 0289h: 255 leader bytes, the sync byte, then the data.
    std::vector<uint8_t> expected = run(255, 0x00, {0xA5});
    expected.insert(expected.end(), data.begin(), data.end());
    ASSERT_TRUE(inside(m).cassette.flushRecording());  // a recording reaches the disk in one write
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(TapeTraps, TrapsFiveAndSevenToNineOnlyGoOn) {
    // LD A,12h; LD B,34h; ED 05; ED 07; ED 08; ED 09; HALT (600Ch).
    rig.runDriver({0x3E, 0x12, 0x06, 0x34, 0xED, 0x05, 0xED, 0x07, 0xED, 0x08, 0xED, 0x09, 0x76}, 0x600C);
    EXPECT_EQ(std::tuple(inside(m).cpu.A, inside(m).cpu.B), std::tuple(0x12, 0x34));
}

// LD HL,6100h; loop: CALL 002Bh; LD (HL),A; INC HL; OR A; JR NZ,loop;
// CALL 002Bh; LD (HL),A; HALT (6010h).
const std::vector<uint8_t> kTypingDriver = {0xF3, 0x21, 0x00, 0x61, 0xCD, 0x2B, 0x00, 0x77, 0x23,
                                            0xB7, 0x20, 0xF8, 0xCD, 0x2B, 0x00, 0x77, 0x76};

TEST_F(KeyboardTrap, TypesTheTextThenHandsTheKeyboardBackToTheRom) {
    const std::vector<uint8_t> rom(inside(m).basicImage.begin() + 0x2B, inside(m).basicImage.begin() + 0x30);
    inside(m).installKeyboardTrap();
    EXPECT_EQ(bytesAt(m, 0x2B, 5), (std::vector<uint8_t>{0xED, 0x06, 0x00, 0x00, 0xC9}));
    ASSERT_EQ(inside(m).typedText.setTypedText("\r\rCLOAD\r\rRUN\r"), 1);

    rig.runDriver(kTypingDriver, 0x6010);
    // RETURN, CLOAD, RETURN, RUN, RETURN, then 0 at the end, and the next scan is
    // the ROM's own routine (LD A,7Fh).
    EXPECT_EQ(rig.results(13),
              (std::vector<uint8_t>{0x0D, 'C', 'L', 'O', 'A', 'D', 0x0D, 'R', 'U', 'N', 0x0D, 0x00, 0x7F}));
    EXPECT_EQ(bytesAt(m, 0x2B, 5), rom);
    EXPECT_FALSE(inside(m).typedText.hasTypedText());
}

TEST_F(KeyboardTrap, ResetAndRestartPutTheRomRoutineBackAndDropTheText) {
    for (bool cold : {false, true}) {
        SCOPED_TRACE(cold);
        inside(m).installKeyboardTrap();
        ASSERT_EQ(inside(m).typedText.setTypedText("LIST\r"), 1);
        if (cold)
            m.coldRestart();
        else
            m.warmReset();
        EXPECT_EQ(bytesAt(m, 0x2B, 5), std::vector<uint8_t>(inside(m).basicImage.begin() + 0x2B, inside(m).basicImage.begin() + 0x30));
        EXPECT_FALSE(inside(m).typedText.hasTypedText());
    }
}

}  // namespace
}  // namespace kestrel
