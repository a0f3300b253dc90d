#include "media/snapshot.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../capture/capture_test_support.h"
#include "machine/machine.h"

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

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct RegisterSet {
    uint16_t BC, DE, HL, AF, altBC, altDE, altHL, altAF, PC, SP, IX, IY;
};

void setRegisters(Z80& cpu, const RegisterSet& r) {
    cpu.BC = r.BC;
    cpu.DE = r.DE;
    cpu.HL = r.HL;
    cpu.AF = r.AF;
    cpu.altBC = r.altBC;
    cpu.altDE = r.altDE;
    cpu.altHL = r.altHL;
    cpu.altAF = r.altAF;
    cpu.PC = r.PC;
    cpu.SP = r.SP;
    cpu.IX = r.IX;
    cpu.IY = r.IY;
}

void expectRegisters(const Z80& cpu, const RegisterSet& r) {
    EXPECT_EQ(cpu.BC, r.BC);
    EXPECT_EQ(cpu.DE, r.DE);
    EXPECT_EQ(cpu.HL, r.HL);
    EXPECT_EQ(cpu.AF, r.AF);
    EXPECT_EQ(cpu.altBC, r.altBC);
    EXPECT_EQ(cpu.altDE, r.altDE);
    EXPECT_EQ(cpu.altHL, r.altHL);
    EXPECT_EQ(cpu.altAF, r.altAF);
    EXPECT_EQ(cpu.PC, r.PC);
    EXPECT_EQ(cpu.SP, r.SP);
    EXPECT_EQ(cpu.IX, r.IX);
    EXPECT_EQ(cpu.IY, r.IY);
}

constexpr RegisterSet kSaved{0x1234, 0x5678, 0x9ABC, 0xDEF0, 0x0FED, 0xCBA9, 0x8765, 0x4321,
                             0x6A5B, 0xF00D, 0xBEEF, 0xCAFE};
constexpr RegisterSet kOther{0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666, 0x7777, 0x8888,
                             0x9999, 0xAAAA, 0xBBBB, 0xCCCC};

// Everything a refused load must leave alone.
struct MachineImage {
    Z80State cpu;
    std::array<uint8_t, 0x10000> memory;
    std::array<uint8_t, 256> portLatch;
    explicit MachineImage(const Machine& m) : cpu(m.cpu), memory(m.bus.memory), portLatch(m.bus.portLatch) {}
};

void expectUnchanged(const Machine& m, const MachineImage& before) {
    expectRegisters(m.cpu, RegisterSet{before.cpu.BC, before.cpu.DE, before.cpu.HL, before.cpu.AF,
                                       before.cpu.altBC, before.cpu.altDE, before.cpu.altHL, before.cpu.altAF,
                                       before.cpu.PC, before.cpu.SP, before.cpu.IX, before.cpu.IY});
    EXPECT_TRUE(m.bus.memory == before.memory);
    EXPECT_TRUE(m.bus.portLatch == before.portLatch);
}

TEST(Snapshot, SaveAndLoadRestoreTwelvePairsAndMemoryFrom2FFFToEFFE) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("state.hts");
    auto m = std::make_unique<Machine>();
    for (uint32_t a = 0; a < 0x10000; ++a) m->bus.memory[a] = patternA(a);
    setRegisters(m->cpu, kSaved);
    std::string message;
    ASSERT_TRUE(saveSnapshot(*m, path, &message)) << message;
    EXPECT_EQ(readFile(path).size(), kHtsSize);

    // Change everything, then load.
    for (uint32_t a = 0; a < 0x10000; ++a) m->bus.memory[a] = patternB(a);
    setRegisters(m->cpu, kOther);
    m->cpu.I = 0x3F;
    m->cpu.R = 0x11;
    m->cpu.IFF1 = 1;
    m->cpu.interruptMode = 2;
    ASSERT_TRUE(loadSnapshot(*m, path, &message)) << message;

    expectRegisters(m->cpu, kSaved);
    // None of these is in the file.
    EXPECT_EQ(m->cpu.I, 0x3F);
    EXPECT_EQ(m->cpu.R, 0x11);
    EXPECT_EQ(m->cpu.IFF1, 1);
    EXPECT_EQ(m->cpu.interruptMode, 2);

    unsigned wrong = 0;
    for (uint32_t a = 0; a < 0x10000; ++a) {
        const bool inFile = a >= 0x2FFF && a <= 0xEFFE;
        const uint8_t expected = inFile ? patternA(a) : patternB(a);
        if (m->bus.memory[a] != expected && wrong++ < 8) ADD_FAILURE() << "address " << std::hex << a;
    }
    EXPECT_EQ(wrong, 0u);
    // The ROM byte at 0x2FFF is restored, the bytes just outside keep their values.
    EXPECT_EQ(m->bus.memory[0x2FFF], patternA(0x2FFF));
    EXPECT_EQ(m->bus.memory[0x2FFE], patternB(0x2FFE));
    EXPECT_EQ(m->bus.memory[0xEFFE], patternA(0xEFFE));
    EXPECT_EQ(m->bus.memory[0xEFFF], patternB(0xEFFF));
    EXPECT_EQ(m->bus.memory[0xFFFF], patternB(0xFFFF));
}

TEST(Snapshot, SavedFileHasEveryFieldAtItsOffset) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("layout.hts");
    auto m = std::make_unique<Machine>();
    for (uint32_t a = 0; a < 0x10000; ++a) m->bus.memory[a] = patternA(a);
    m->cpu.B = 0x12;
    m->cpu.C = 0x34;
    m->cpu.D = 0x56;
    m->cpu.E = 0x78;
    m->cpu.H = 0x9A;
    m->cpu.L = 0xBC;
    m->cpu.A = 0x3C;
    m->cpu.F = 0xC3;
    m->cpu.altBC = 0x0102;
    m->cpu.altDE = 0x0304;
    m->cpu.altHL = 0x0506;
    m->cpu.altAF = 0x0708;
    m->cpu.PC = 0x4321;
    m->cpu.SP = 0xFEDC;
    m->cpu.IX = 0xA1B2;
    m->cpu.IY = 0xC3D4;
    m->bus.portOut(0xC0, 0x5A);
    m->bus.portOut(0x00, 0x77);  // another port's latch must not show up
    const unsigned joystickReads = m->joystick.reads;
    ASSERT_TRUE(saveSnapshot(*m, path));

    std::vector<uint8_t> expected(kHtsSize, 0);
    const std::vector<uint8_t> head = {
        'H',  'S',  '0',  '1',                          // magic
        0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xC3, 0x3C,  // BC DE HL AF (F low)
        0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07,  // BC' DE' HL' AF'
        0x21, 0x43, 0xDC, 0xFE,                          // PC SP
        0x00, 0x00,                                      // zero word
        0xB2, 0xA1, 0xD4, 0xC3,                          // IX IY
        0x5A,                                            // port 0xC0 latch
        0x00, 0x00, 0x00,                                // reserved
        0xFF, 0xFF, 0xFF, 0xFF,                          // ports 00 40 80 C0, no joystick
    };
    ASSERT_EQ(head.size(), 38u);
    std::copy(head.begin(), head.end(), expected.begin());
    for (uint32_t i = 0; i < 49152; ++i) expected[38 + i] = patternA(0x2FFF + i);
    // 49190 .. 49701 stay zero.

    const std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), kHtsSize);
    unsigned wrong = 0;
    for (std::size_t i = 0; i < kHtsSize; ++i)
        if (file[i] != expected[i] && wrong++ < 8)
            ADD_FAILURE() << "offset " << i << ": " << int(file[i]) << " instead of " << int(expected[i]);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(file[38], patternA(0x2FFF));
    EXPECT_EQ(file[49189], patternA(0xEFFE));
    EXPECT_EQ(file[49190], 0);
    // Ports 0x00 and 0x40 are read through the joystick, 0x80 and 0xC0 are not.
    EXPECT_EQ(m->joystick.reads - joystickReads, 2u);
}

TEST(Snapshot, LoadReplaysBothSavedPortBytesToPort00) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("ports.hts");
    std::vector<uint8_t> record(kHtsSize, 0);
    record[30] = 0x12;
    record[34] = 0x34;
    writeFile(path, record);

    auto m = std::make_unique<Machine>();
    m->bus.portOut(0xC0, 0x99);
    ASSERT_TRUE(loadSnapshot(*m, path));
    EXPECT_EQ(m->bus.lastPortOut(0x00), 0x34);  // the later of the two writes
    EXPECT_EQ(m->bus.lastPortOut(0xC0), 0x99);
    EXPECT_EQ(m->bus.lastPortOut(0x40), 0x00);
}

TEST(Snapshot, FilesOfAnyOtherLengthAreRefusedAndChangeNothing) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    auto m = std::make_unique<Machine>();
    for (uint32_t a = 0; a < 0x10000; ++a) m->bus.memory[a] = patternB(a);
    setRegisters(m->cpu, kOther);
    m->bus.portOut(0x00, 0x42);
    const MachineImage before(*m);

    for (std::size_t size : {kHtsSize - 1, kHtsSize + 1, std::size_t{0}, std::size_t{4 * 1024 * 1024}}) {
        SCOPED_TRACE(size);
        const std::string path = dir.file("size" + std::to_string(size) + ".hts");
        std::vector<uint8_t> bytes(size, 0xAB);
        if (size >= 4) std::copy_n("HS01", 4, bytes.begin());
        writeFile(path, bytes);
        std::string message;
        EXPECT_FALSE(loadSnapshot(*m, path, &message));
        EXPECT_NE(message.find(std::to_string(size)), std::string::npos) << message;
        EXPECT_NE(message.find("49702"), std::string::npos) << message;
        expectUnchanged(*m, before);
    }

    std::string message;
    EXPECT_FALSE(loadSnapshot(*m, dir.file("missing.hts"), &message));
    EXPECT_NE(message.find("missing.hts"), std::string::npos) << message;
    expectUnchanged(*m, before);
    EXPECT_FALSE(loadSnapshot(*m, dir.file("missing.hts")));  // no message wanted
}

TEST(Snapshot, FileWithoutTheMagicLoadsAllTheSame) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("nomagic.hts");
    std::vector<uint8_t> record(kHtsSize, 0);
    std::copy_n("XY99", 4, record.begin());
    record[20] = 0x00;  // PC = 0x8000
    record[21] = 0x80;
    record[26] = 0x34;  // IX = 0x1234
    record[27] = 0x12;
    record[38] = 0xE1;                  // 0x2FFF
    record[38 + (0x4000 - 0x2FFF)] = 0xE2;
    writeFile(path, record);

    auto m = std::make_unique<Machine>();
    ASSERT_TRUE(loadSnapshot(*m, path));
    EXPECT_EQ(m->cpu.PC, 0x8000);
    EXPECT_EQ(m->cpu.IX, 0x1234);
    EXPECT_EQ(m->bus.memory[0x2FFF], 0xE1);
    EXPECT_EQ(m->bus.memory[0x4000], 0xE2);
}

TEST(Snapshot, SaveIntoAMissingDirectoryFails) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    auto m = std::make_unique<Machine>();
    const std::string path = dir.file("no/such/dir/x.hts");
    std::string message;
    EXPECT_FALSE(saveSnapshot(*m, path, &message));
    EXPECT_NE(message.find(path), std::string::npos) << message;
}

TEST(VideoRamFile, NameFollowsTheScreenshotName) {
    // Fourth-last character a dot: the last four characters are replaced.
    EXPECT_EQ(videoRamFileName("kestrel0001.gif"), "kestrel0001.v80");
    EXPECT_EQ(videoRamFileName("x.bmp"), "x.v80");
    EXPECT_EQ(videoRamFileName(".gif"), ".v80");
    EXPECT_EQ(videoRamFileName("dir/shot.GIF"), "dir/shot.v80");
    // Shorter than four with a dot: from the last dot on.
    EXPECT_EQ(videoRamFileName("a.b"), "a.v80");
    EXPECT_EQ(videoRamFileName("ab."), "ab.v80");
    EXPECT_EQ(videoRamFileName(".ab"), ".v80");
    EXPECT_EQ(videoRamFileName("."), ".v80");
    // Everything else: appended.
    EXPECT_EQ(videoRamFileName("shot"), "shot.v80");
    EXPECT_EQ(videoRamFileName("abc"), "abc.v80");
    EXPECT_EQ(videoRamFileName(""), ".v80");
    EXPECT_EQ(videoRamFileName("shot.jpeg"), "shot.jpeg.v80");
    EXPECT_EQ(videoRamFileName("a.gi"), "a.gi.v80");
    EXPECT_EQ(videoRamFileName("my.dir/shot"), "my.dir/shot.v80");
}

TEST(VideoRamFile, HoldsThe1024BytesFrom3C00) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    auto m = std::make_unique<Machine>();
    for (uint32_t a = 0; a < 0x10000; ++a) m->bus.memory[a] = patternA(a);
    ASSERT_TRUE(saveVideoRam(*m, dir.file("kestrel0001.gif")));
    const std::vector<uint8_t> file = readFile(dir.file("kestrel0001.v80"));
    ASSERT_EQ(file.size(), 1024u);
    for (uint32_t i = 0; i < 1024; ++i) ASSERT_EQ(file[i], patternA(0x3C00 + i)) << i;
    EXPECT_FALSE(std::filesystem::exists(dir.file("kestrel0001.gif")));

    // A directory that does not exist: nothing written, no fuss.
    EXPECT_FALSE(saveVideoRam(*m, dir.file("no/such/shot.gif")));
}

TEST(MemoryDump, Writes65535BytesAsStored) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    auto m = std::make_unique<Machine>();
    for (uint32_t a = 0; a < 0x10000; ++a) m->bus.memory[a] = patternA(a);
    // A device-page byte reads otherwise through the bus; the dump shows the stored one.
    m->bus.memory[0x37E1] = 0x5C;
    ASSERT_EQ(m->bus.memRead(0x37E1), 0x00);
    {
        CurrentDirGuard cwd(dir.path());
        ASSERT_TRUE(dumpMemory(*m));
    }
    const std::vector<uint8_t> file = readFile(dir.file("memdump.bin"));
    ASSERT_EQ(file.size(), 65535u);
    unsigned wrong = 0;
    for (uint32_t a = 0; a < 0xFFFF; ++a) {
        const uint8_t expected = a == 0x37E1 ? 0x5C : patternA(a);
        if (file[a] != expected && wrong++ < 8) ADD_FAILURE() << "address " << std::hex << a;
    }
    EXPECT_EQ(wrong, 0u);

    EXPECT_TRUE(dumpMemory(*m, dir.file("other.bin")));
    EXPECT_EQ(readFile(dir.file("other.bin")).size(), 65535u);
    EXPECT_FALSE(dumpMemory(*m, dir.file("no/such/memdump.bin")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
}

}  // namespace
}  // namespace kestrel
