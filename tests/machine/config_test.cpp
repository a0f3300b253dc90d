// Machine configurations, ROM supply and the three kinds of restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "machine/machine.h"
#include "machine/open_firmware.h"
#include "scratch_files.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

using TempDir = test::ScratchDir;

std::vector<uint8_t> pattern(size_t size, int seed) {
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i) v[i] = static_cast<uint8_t>(i * 7 + seed);
    return v;
}

std::vector<uint8_t> patchList(std::initializer_list<std::pair<uint32_t, uint32_t>> entries) {
    std::vector<uint8_t> v;
    for (auto [offset, value] : entries)
        for (uint32_t word : {offset, value})
            for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(word >> (8 * i)));
    return v;
}

using Captured = test::CapturedStream;

std::unique_ptr<Machine> machineWith(const fs::path& romDir, std::FILE* diagnostics) {
    MachineOptions o;
    o.romDirectory = romDir;
    o.diagnostics = diagnostics;
    auto m = std::make_unique<Machine>(o);
    m->initMachine();
    return m;
}

void configure(Machine& m, int index) {
    inside(m).bus.activeConfigIndex = index;
    inside(m).configureMachine(inside(m).configs[static_cast<size_t>(index)], true);
}

// The ROMs and frame rates of the other records show in the ROM and budget tests.
TEST(MachineConfig, StandardTable) {
    auto t = standardConfigs();
    EXPECT_STREQ(t[0].shortName, "VG-I/KS1");
    EXPECT_STREQ(t[3].shortName, "Trs-80/MI");
    EXPECT_EQ(t[3].expansionRom, 3u);  // "No ROM expansion"
    // The custom record starts as record 0 under its own name.
    EXPECT_STREQ(t[4].shortName, "Custom");
    EXPECT_EQ(t[4].basicRom, t[0].basicRom);
    EXPECT_EQ(t[4].charRom, t[0].charRom);
    EXPECT_EQ(t[4].cpuClockHz, t[0].cpuClockHz);
}

TEST(MachineConfig, ClockRamFrameBudgetAndColumnsFollowTheRecord) {
    Captured diag;
    auto m = machineWith({}, diag.file());  // no ROM directory: no files looked for, nothing said
    EXPECT_EQ(inside(*m).bus.memory[0x100], openFirmwareBasic()[0x100]);
    EXPECT_EQ(diag.text(), "");
    std::string label;
    m->showStatusPart = [&](int part, const std::string& text) {
        if (part == 0) label = text;
    };
    EXPECT_EQ(inside(*m).cpu.clockHz, 1774080);
    EXPECT_EQ(m->frameBudget(), 35481);
    configure(*m, 1);
    EXPECT_EQ(std::tuple(label, inside(*m).cpu.clockHz, m->frameBudget(), inside(*m).bus.ramTop()),
              std::tuple("KS2", 1747200, 34944, 0x3FFF));
    configure(*m, 3);
    EXPECT_EQ(std::tuple(m->frameBudget(), inside(*m).bus.ramTop(), inside(*m).cpu.PC), std::tuple(29568, 0xFFFF, 0));

    // The 32-column flag survives a reconfiguration only on the TRS-80.
    inside(*m).bus.portOut(0xFF, 0x08);
    EXPECT_TRUE(inside(*m).video.columns32);
    inside(*m).configureMachine(inside(*m).configs[3], false);
    EXPECT_TRUE(inside(*m).video.columns32);
    configure(*m, 0);
    EXPECT_FALSE(inside(*m).video.columns32);
}

TEST(RomSupply, WithoutFilesTheOpenFirmwareBootsAndEachMissingFileIsNamedOnce) {
    TempDir dir;
    dir.write("basic-2.20.patch", patchList({{0x0105, 0xAA}}));
    Captured diag;
    auto m = machineWith(dir.path(), diag.file());
    for (size_t i = 0; i < kBasicRomSize; ++i) ASSERT_EQ(inside(*m).bus.memory[i], openFirmwareBasic()[i]) << i;
    for (size_t i = 0x3000; i < 0x3800; ++i) ASSERT_EQ(inside(*m).bus.memory[i], 0) << i;
    configure(*m, 0);
    std::string text = diag.text();
    EXPECT_NE(text.find("ROM: basic.rom not found in " + dir.path().string() + "; using the open firmware\n"),
              std::string::npos) << text;
    for (const char* missing : {"expansion.rom not found", "charset-vg.rom not found"})
        EXPECT_NE(text.find(missing), std::string::npos) << text;
    // Reported once even though configured twice.
    EXPECT_EQ(text.find("basic.rom not found"), text.rfind("basic.rom not found"));

    // Patches are not laid over the open firmware.
    configure(*m, 2);
    EXPECT_EQ(inside(*m).bus.memory[0x0105], openFirmwareBasic()[0x0105]);
    EXPECT_NE(diag.text().find("basic-2.20.patch not used"), std::string::npos);
}

TEST(RomSupply, PatchListsProduceTheDerivedChoices) {
    TempDir dir;
    auto basic = pattern(kBasicRomSize, 1);
    auto expansion = pattern(kExpansionRomSize, 2);
    dir.write("basic.rom", basic);
    dir.write("expansion.rom", expansion);
    dir.write("basic-2.20.patch", patchList({{0x0105, 0xAA}, {0x1E7F, 0x1BB}}));  // only the low byte counts
    dir.write("expansion-hu2.patch", patchList({{0x0040, 0x11}, {0x074F, 0x22}}));
    Captured diag;
    auto m = machineWith(dir.path(), diag.file());
    EXPECT_EQ(inside(*m).bus.memory[0x0105], basic[0x0105]);
    configure(*m, 2);  // BASIC 2.20, expansion v2
    const std::pair<uint16_t, uint8_t> patched[] = {{0x0105, 0xAA}, {0x1E7F, 0xBB}, {0x0106, basic[0x0106]},
                                                    {0x3040, 0x11}, {0x374F, 0x22}, {0x3041, expansion[0x41]}};
    for (auto [at, value] : patched) EXPECT_EQ(inside(*m).bus.memory[at], value) << at;
    // The TRS-80 BASIC's list is absent: that choice is the base image.
    configure(*m, 3);
    EXPECT_EQ(inside(*m).bus.memory[0x0105], basic[0x0105]);
    EXPECT_NE(diag.text().find("basic-trs80.patch not found"), std::string::npos);
}

TEST(RomSupply, BadFirmwareFilesAreRefusedWithAMessage) {
    TempDir dir;
    dir.write("basic.rom", pattern(100, 0));                      // wrong size
    dir.write("expansion.rom", pattern(kExpansionRomSize, 3));
    dir.write("expansion-hu1.patch", patchList({{0x800, 1}}));    // offset past the image
    dir.write("expansion-hu2.patch", {1, 2, 3});                   // not whole entries
    Captured diag;
    auto m = machineWith(dir.path(), diag.file());
    EXPECT_EQ(inside(*m).bus.memory[0], openFirmwareBasic()[0]);
    configure(*m, 1);  // expansion v1
    EXPECT_EQ(inside(*m).bus.memory[0x3000], 3);
    EXPECT_EQ(inside(*m).bus.memory[0x3001], 10);
    inside(*m).configs[4].expansionRom = 2;
    configure(*m, 4);
    EXPECT_EQ(inside(*m).bus.memory[0x3001], 10);
    std::string text = diag.text();
    for (const char* refused : {"basic.rom has 100 bytes, expected 12288; using the open firmware",
                                "expansion-hu1.patch is not a valid patch list",
                                "expansion-hu2.patch is not a valid patch list"})
        EXPECT_NE(text.find(refused), std::string::npos) << text;
}

TEST(RomSupply, CustomRomFilesFollowTheFileRules) {
    TempDir dir;
    dir.write("basic.rom", pattern(kBasicRomSize, 1));
    dir.write("expansion.rom", pattern(kExpansionRomSize, 5));
    auto shortFile = dir.write("short.bin", std::vector<uint8_t>(100, 0xEE));
    auto longFile = dir.write("long.bin", std::vector<uint8_t>(20000, 0x77));
    auto m = machineWith(dir.path(), nullptr);
    MachineConfig& custom = inside(*m).configs[kCustomConfigIndex];
    const auto& memory = inside(*m).bus.memory;
    auto basicFrom = [&](const std::string& path) {
        custom.basicRom = kBasicCustom;
        inside(*m).basicRomPath = path;
        configure(*m, 4);
    };
    auto expansion = [&](ExpansionRomChoice choice) {
        custom.expansionRom = choice;
        configure(*m, 4);
    };

    basicFrom(shortFile);
    EXPECT_EQ(std::tuple(memory[0], memory[99], memory[100], memory[0x2FFF]),
              std::tuple(0xEE, 0xEE, uint8_t(100 * 7 + 1), uint8_t(0x2FFF * 7 + 1)));

    // A longer file is cut at the image's end: nothing spills past 0x2FFF.
    m->setRamStartupPattern(0x42);
    basicFrom(longFile);
    EXPECT_EQ(std::tuple(memory[0x2FFF], memory[0x3000]), std::tuple(0x77, 0x05));

    // An empty or unreadable path leaves the base image, and so does a device:
    // only regular files are read.
    basicFrom((dir.path() / "missing.bin").string());
    EXPECT_EQ(memory[0], 1);
    fs::create_symlink("/dev/urandom", dir.path() / "random.rom");
    basicFrom((dir.path() / "random.rom").string());
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + kBasicRomSize, pattern(kBasicRomSize, 1).begin()));

    // Custom expansion with an empty path keeps what the previous choice left.
    expansion(kExpansionNone);
    inside(*m).expansionRomPath.clear();
    expansion(kExpansionCustom);
    EXPECT_EQ(memory[0x3001], 0);
    expansion(kExpansionOriginal);
    expansion(kExpansionCustom);
    EXPECT_EQ(memory[0x3001], 12);
    inside(*m).expansionRomPath = shortFile;
    configure(*m, 4);
    EXPECT_EQ(std::tuple(memory[0x3000], memory[0x3064]), std::tuple(0xEE, uint8_t(100 * 7 + 5)));
}

TEST(RomSupply, CharacterImagesComeFromTheirFilesWhenPresent) {
    TempDir dir;
    std::vector<uint8_t> vg(kCharRomSize, 0), hu(kCharRomSize, 0);
    for (int k = 0; k < 16; ++k) {
        vg['A' * 16 + k] = static_cast<uint8_t>(0xF8 - 8 * k);  // dots in bits 7-3
        hu['A' * 16 + k] = 0x88;
    }
    dir.write("charset-vg.rom", vg);
    dir.write("charset-hu2.rom", hu);
    Captured diag;
    auto m = machineWith(dir.path(), diag.file());  // configuration 0: the VideoGenie set
    for (int k = 0; k < 12; ++k) EXPECT_EQ(inside(*m).renderer.glyphTable['A' * 16 + k], (0xF8 - 8 * k) >> 3) << k;
    EXPECT_FALSE(inside(*m).bus.lowercaseVideo);
    configure(*m, 2);  // the Hungarian v2 set, with lower case
    EXPECT_EQ(inside(*m).renderer.glyphTable['A' * 16 + 5], 0x11);
    EXPECT_TRUE(inside(*m).bus.lowercaseVideo);
    configure(*m, 3);  // the TRS-80 set: its file is absent, the open font stands in
    int dots = 0;
    for (int k = 0; k < 12; ++k) dots += inside(*m).renderer.glyphTable['A' * 16 + k] != 0;
    EXPECT_GT(dots, 4);
    std::string text = diag.text();
    EXPECT_NE(text.find("charset-trs80.rom not found"), std::string::npos) << text;
    EXPECT_EQ(text.find("charset-vg.rom"), std::string::npos) << text;
}

TEST(RomSupply, RomDirectoryChoice) {
    TempDir dir;
    fs::path exe = "/opt/kestrel/bin";
    EXPECT_EQ(findRomDirectory("/given", dir.path().c_str(), "/home/u", exe), fs::path("/given"));
    // The per-user directory only counts when it exists.
    EXPECT_EQ(findRomDirectory("", dir.path().c_str(), "/home/u", exe), exe / "share/kestrel/roms");
    fs::create_directories(dir.path() / "kestrel/roms");
    EXPECT_EQ(findRomDirectory("", dir.path().c_str(), "/home/u", exe), dir.path() / "kestrel/roms");
    fs::create_directories(dir.path() / "home/.local/share/kestrel/roms");
    EXPECT_EQ(findRomDirectory("", "", (dir.path() / "home").c_str(), exe),
              dir.path() / "home/.local/share/kestrel/roms");
    // Installed: PREFIX/bin/kestrel finds PREFIX/share/kestrel/roms.
    const fs::path prefix = dir.path() / "prefix";
    fs::create_directories(prefix / "bin");
    EXPECT_EQ(findRomDirectory("", "", "", prefix / "bin"), prefix / "bin/share/kestrel/roms");
    fs::create_directories(prefix / "share/kestrel/roms");
    EXPECT_EQ(findRomDirectory("", "", "", prefix / "bin"), prefix / "share/kestrel/roms");
}

TEST(MachineReset, StartupPatternAndRandomFill) {
    auto m = machineWith({}, nullptr);
    m->setRamStartupPattern(32);
    configure(*m, 0);
    for (uint32_t a = 0x3C00; a < 0x4000; ++a) ASSERT_EQ(inside(*m).bus.memory[a], 32) << a;
    EXPECT_EQ(inside(*m).bus.memory[0xFFFF], 32);

    // setRamSize fills 0x4000-0xFFFE only.
    m->setRamStartupPattern(0x5A);
    inside(*m).bus.memory[0xFFFF] = 0x01;
    inside(*m).setRamSize(0);
    EXPECT_EQ(std::vector<uint8_t>(inside(*m).bus.memory.begin() + 0xFFFE, inside(*m).bus.memory.end()),
              (std::vector<uint8_t>{0x5A, 0x01}));
    EXPECT_EQ(inside(*m).bus.memory[0x4000], 0x5A);
    EXPECT_EQ(inside(*m).bus.ramTop(), 0x3FFF);
    inside(*m).setRamSize(7);  // not a choice: the size stays
    EXPECT_EQ(inside(*m).bus.ramTop(), 0x3FFF);

    // Random: the same garbage in every fresh machine, a new stretch on each fill.
    auto a = machineWith({}, nullptr);
    auto b = machineWith({}, nullptr);
    a->setRamStartupPattern(kRandomStartupPattern);
    b->setRamStartupPattern(kRandomStartupPattern);
    inside(*a).fillRam();
    inside(*b).fillRam();
    int distinct = 0;
    for (uint32_t addr = 0x3800; addr <= 0xFFFF; ++addr) {
        ASSERT_EQ(inside(*a).bus.memory[addr], inside(*b).bus.memory[addr]) << addr;
        distinct += inside(*a).bus.memory[addr] != inside(*a).bus.memory[0x3800];
    }
    EXPECT_GT(distinct, 0xC000 / 2);
    std::vector<uint8_t> first(inside(*a).bus.memory.begin() + 0x4000, inside(*a).bus.memory.end());
    inside(*a).fillRam();
    EXPECT_NE(std::vector<uint8_t>(inside(*a).bus.memory.begin() + 0x4000, inside(*a).bus.memory.end()), first);
}

TEST(MachineReset, WarmResetKeepsMemoryAndRaisesTheNmiColdRestartRefills) {
    auto m = machineWith({}, nullptr);
    inside(*m).bus.memory[0x5000] = 0x99;
    inside(*m).bus.memory[0x002B] = 0xED;  // as the keyboard trap would
    inside(*m).cpu.intLine = 1;
    inside(*m).cpu.nmiTaken = 1;
    m->setImageBaseName("game");
    m->warmReset();
    EXPECT_EQ(inside(*m).cpu.nmiLine, 1u);
    EXPECT_EQ(inside(*m).cpu.nmiTaken, 0u);
    EXPECT_EQ(inside(*m).cpu.intLine, 0u);
    EXPECT_EQ(inside(*m).bus.memory[0x002B], inside(*m).basicImage[0x002B]);
    EXPECT_EQ(inside(*m).bus.memory[0x5000], 0x99);
    EXPECT_TRUE(m->imageBaseName().empty());
    // The next instruction boundary enters the handler at 0x0066.
    m->runCycles(0);
    EXPECT_EQ(inside(*m).cpu.PC, 0x0066);

    // A cold restart refills RAM and the ROM image and starts at zero.
    m->setRamStartupPattern(0xE5);
    m->runCycles(100000);
    inside(*m).bus.memory[0x002D] = 0x00;
    m->coldRestart();
    EXPECT_EQ(inside(*m).cpu.PC, 0);
    EXPECT_EQ(inside(*m).bus.memory[0x5000], 0xE5);
    EXPECT_EQ(inside(*m).bus.memory[0x3C00], 0xE5);
    EXPECT_EQ(inside(*m).bus.memory[0x002D], inside(*m).basicImage[0x002D]);
}

}  // namespace
}  // namespace kestrel
