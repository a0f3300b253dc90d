#include "session/snapshot.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../capture/capture_test_support.h"
#include "machine/machine.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

using capturetest::CurrentDirGuard;
using capturetest::readFile;
using capturetest::ScratchDir;

constexpr std::size_t kHtsSize = 49702;

// A byte for every address that differs from its neighbours and from the
// same address in the other pattern.
uint8_t patternA(uint32_t a) { return static_cast<uint8_t>((a * 7) ^ (a >> 8) ^ 0x5A); }
uint8_t patternB(uint32_t a) { return static_cast<uint8_t>((a * 13) ^ (a >> 7) ^ 0xC3); }

void fill(Machine& m, uint8_t (*pattern)(uint32_t)) {
    for (uint32_t a = 0; a < 0x10000; ++a) inside(m).bus.memory[a] = pattern(a);
}

// The twelve register pairs the file holds, in its order.
constexpr uint16_t Z80State::*kPairs[] = {&Z80State::BC,    &Z80State::DE,    &Z80State::HL,    &Z80State::AF,
                                          &Z80State::altBC, &Z80State::altDE, &Z80State::altHL, &Z80State::altAF,
                                          &Z80State::PC,    &Z80State::SP,    &Z80State::IX,    &Z80State::IY};
using RegisterSet = std::array<uint16_t, 12>;

void setRegisters(Z80State& cpu, const RegisterSet& r) {
    for (size_t i = 0; i < 12; ++i) cpu.*kPairs[i] = r[i];
}
RegisterSet registers(const Z80State& cpu) {
    RegisterSet r;
    for (size_t i = 0; i < 12; ++i) r[i] = cpu.*kPairs[i];
    return r;
}

constexpr RegisterSet kSaved{0x1234, 0x5678, 0x9ABC, 0xDEF0, 0x0FED, 0xCBA9,
                             0x8765, 0x4321, 0x6A5B, 0xF00D, 0xBEEF, 0xCAFE};
constexpr RegisterSet kOther{0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666,
                             0x7777, 0x8888, 0x9999, 0xAAAA, 0xBBBB, 0xCCCC};

// Counts (and reports the first few) addresses where memory differs from `expected`.
template <typename Expected>
unsigned mismatches(const uint8_t* bytes, uint32_t count, Expected expected) {
    unsigned wrong = 0;
    for (uint32_t a = 0; a < count; ++a)
        if (bytes[a] != expected(a) && wrong++ < 8)
            ADD_FAILURE() << "at " << std::hex << a << ": " << int(bytes[a]) << " instead of " << int(expected(a));
    return wrong;
}

// A scratch folder and a machine.
class Snapshot : public testing::Test {
protected:
    ScratchDir dir;
    std::unique_ptr<Machine> m = std::make_unique<Machine>();
};
class VideoRamFile : public Snapshot {};
class MemoryDump : public Snapshot {};

TEST_F(Snapshot, SavedFileHasEveryFieldAtItsOffsetAndLoadRestoresPairsAndMemoryFrom2FFFToEFFE) {
    const std::string path = dir.file("state.hts");
    fill(*m, patternA);
    setRegisters(inside(*m).cpu, kSaved);
    inside(*m).bus.portOut(0xC0, 0x5A);
    inside(*m).bus.portOut(0x00, 0x77);  // another port's latch must not show up
    ASSERT_TRUE(saveSnapshot(*m, path));
    const std::vector<uint8_t> head = {
        'H',  'S',  '0',  '1',                           // magic
        0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xF0, 0xDE,  // BC DE HL AF (F low)
        0xED, 0x0F, 0xA9, 0xCB, 0x65, 0x87, 0x21, 0x43,  // BC' DE' HL' AF'
        0x5B, 0x6A, 0x0D, 0xF0,                          // PC SP
        0x00, 0x00,                                      // zero word
        0xEF, 0xBE, 0xFE, 0xCA,                          // IX IY
        0x5A,                                            // port 0xC0 latch
        0x00, 0x00, 0x00,                                // reserved
        0xFF, 0xFF, 0xFF, 0xFF,                          // ports 00 40 80 C0, no joystick
    };
    ASSERT_EQ(head.size(), 38u);
    const std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), kHtsSize);
    // Then the 49152 bytes from 2FFFh; 49190 .. 49701 stay zero.
    EXPECT_EQ(mismatches(file.data(), kHtsSize,
                         [&](uint32_t i) { return i < 38 ? head[i] : i < 49190 ? patternA(0x2FFF + i - 38) : 0; }),
              0u);

    // Change everything, then load.
    fill(*m, patternB);
    setRegisters(inside(*m).cpu, kOther);
    inside(*m).cpu.I = 0x3F;
    inside(*m).cpu.R = 0x11;
    inside(*m).cpu.IFF1 = 1;
    inside(*m).cpu.interruptMode = 2;
    ASSERT_TRUE(loadSnapshot(*m, path));
    EXPECT_EQ(registers(inside(*m).cpu), kSaved);
    // None of these is in the file.
    EXPECT_EQ(inside(*m).cpu.I, 0x3F);
    EXPECT_EQ(inside(*m).cpu.R, 0x11);
    EXPECT_EQ(inside(*m).cpu.IFF1, 1);
    EXPECT_EQ(inside(*m).cpu.interruptMode, 2);
    // 2FFFh (a ROM byte) to EFFEh come back, the bytes just outside keep their values.
    EXPECT_EQ(mismatches(inside(*m).bus.memory.data(), 0x10000,
                         [](uint32_t a) { return a >= 0x2FFF && a <= 0xEFFE ? patternA(a) : patternB(a); }),
              0u);
}

TEST_F(Snapshot, LoadReplaysBothSavedPortBytesToPort00AndNeedsNoMagic) {
    std::vector<uint8_t> record(kHtsSize, 0);
    std::copy_n("XY99", 4, record.begin());
    record[21] = 0x80;  // PC = 0x8000
    record[26] = 0x34;  // IX = 0x1234
    record[27] = 0x12;
    record[30] = 0x12;
    record[34] = 0x34;
    record[38] = 0xE1;  // 0x2FFF
    record[38 + (0x4000 - 0x2FFF)] = 0xE2;

    inside(*m).bus.portOut(0xC0, 0x99);
    ASSERT_TRUE(loadSnapshot(*m, dir.write("nomagic.hts", record)));
    EXPECT_EQ(inside(*m).bus.lastPortOut(0x00), 0x34);  // the later of the two writes
    EXPECT_EQ(inside(*m).bus.lastPortOut(0xC0), 0x99);
    EXPECT_EQ(inside(*m).bus.lastPortOut(0x40), 0x00);
    EXPECT_EQ(inside(*m).cpu.PC, 0x8000);
    EXPECT_EQ(inside(*m).cpu.IX, 0x1234);
    EXPECT_EQ(inside(*m).bus.memory[0x2FFF], 0xE1);
    EXPECT_EQ(inside(*m).bus.memory[0x4000], 0xE2);
}

TEST_F(Snapshot, FilesOfAnyOtherLengthAreRefusedAndChangeNothing) {
    fill(*m, patternB);
    setRegisters(inside(*m).cpu, kOther);
    inside(*m).bus.portOut(0x00, 0x42);
    const auto memory = inside(*m).bus.memory;
    const auto ports = inside(*m).bus.portLatch;
    auto expectUnchanged = [&] {
        EXPECT_EQ(registers(inside(*m).cpu), kOther);
        EXPECT_TRUE(inside(*m).bus.memory == memory);
        EXPECT_TRUE(inside(*m).bus.portLatch == ports);
    };

    for (std::size_t size : {kHtsSize - 1, kHtsSize + 1, std::size_t{0}, std::size_t{4 * 1024 * 1024}}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> bytes(size, 0xAB);
        if (size >= 4) std::copy_n("HS01", 4, bytes.begin());
        const std::string message = loadSnapshot(*m, dir.write("size" + std::to_string(size) + ".hts", bytes)).message;
        EXPECT_NE(message.find(std::to_string(size)), std::string::npos) << message;
        EXPECT_NE(message.find("49702"), std::string::npos) << message;
        expectUnchanged();
    }

    // A directory is named as one, not measured.
    std::filesystem::create_directory(dir.file("dir.hts"));
    const std::string refused = loadSnapshot(*m, dir.file("dir.hts")).message;
    EXPECT_NE(refused.find("dir.hts is a directory"), std::string::npos) << refused;
    expectUnchanged();
    EXPECT_FALSE(loadSnapshot(*m, dir.file("missing.hts")));

    const std::string nowhere = dir.file("no/such/dir/x.hts");
    const std::string message = saveSnapshot(*m, nowhere).message;
    EXPECT_NE(message.find(nowhere), std::string::npos) << message;
}

TEST_F(VideoRamFile, NameFollowsTheScreenshotName) {
    const std::pair<const char*, const char*> cases[] = {
        // Fourth-last character a dot: the last four characters are replaced.
        {"kestrel0001.gif", "kestrel0001.v80"}, {".gif", ".v80"}, {"dir/shot.GIF", "dir/shot.v80"},
        // Shorter than four with a dot: from the last dot on.
        {"a.b", "a.v80"}, {"ab.", "ab.v80"}, {".ab", ".v80"}, {".", ".v80"},
        // Everything else: appended.
        {"abc", "abc.v80"}, {"", ".v80"}, {"shot.jpeg", "shot.jpeg.v80"}, {"a.gi", "a.gi.v80"},
        {"my.dir/shot", "my.dir/shot.v80"},
    };
    for (auto [shot, expected] : cases) EXPECT_EQ(videoRamFileName(shot), expected) << shot;
}

TEST_F(VideoRamFile, HoldsThe1024BytesFrom3C00) {
    fill(*m, patternA);
    ASSERT_TRUE(saveVideoRam(*m, dir.file("kestrel0001.gif")));
    const std::vector<uint8_t> file = readFile(dir.file("kestrel0001.v80"));
    ASSERT_EQ(file.size(), 1024u);
    EXPECT_EQ(mismatches(file.data(), 1024, [](uint32_t i) { return patternA(0x3C00 + i); }), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("kestrel0001.gif")));

    // A directory that does not exist: nothing written, and the reason told.
    EXPECT_NE(saveVideoRam(*m, dir.file("no/such/shot.gif")).message.find("no/such/shot.v80"), std::string::npos);
}

TEST_F(MemoryDump, Writes65535BytesAsStored) {
    fill(*m, patternA);
    // A device-page byte reads otherwise through the bus; the dump shows the stored one.
    inside(*m).bus.memory[0x37E1] = 0x5C;
    ASSERT_EQ(inside(*m).bus.memRead(0x37E1), 0x00);
    {
        CurrentDirGuard cwd(dir.path());
        ASSERT_TRUE(dumpMemory(*m));
    }
    const std::vector<uint8_t> file = readFile(dir.file("memdump.bin"));
    ASSERT_EQ(file.size(), 65535u);
    EXPECT_EQ(mismatches(file.data(), 0xFFFF, [](uint32_t a) { return a == 0x37E1 ? uint8_t{0x5C} : patternA(a); }),
              0u);

    EXPECT_TRUE(dumpMemory(*m, dir.file("other.bin")));
    EXPECT_EQ(readFile(dir.file("other.bin")).size(), 65535u);
    EXPECT_FALSE(dumpMemory(*m, dir.file("no/such/memdump.bin")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
}

}  // namespace
}  // namespace kestrel
