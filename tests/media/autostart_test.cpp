// Autostart by extension, and the BAS/TXT loader.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "media/autostart.h"
#include "media/snapshot.h"
#include "media_test_support.h"

namespace kestrel {
namespace {

using mediatest::TempDir;
using mediatest::run;

struct Booted {
    std::unique_ptr<Machine> m;
    std::vector<std::string> status;
};

Booted booted() {
    Booted b;
    MachineOptions o;
    o.diagnostics = nullptr;
    o.traceOutput = nullptr;
    o.traceErrors = nullptr;
    b.m = std::make_unique<Machine>(o);
    b.m->initMachine();
    b.m->enterCasMode();
    auto* status = &b.status;
    b.m->showStatusPart = [status](int part, const std::string& text) {
        if (part == 2) status->push_back(text);
    };
    return b;
}

// What the keyboard trap will deliver, as the ROM would see it.
std::string pendingKeys(Machine& m) {
    std::string keys;
    for (bool ended = false;;) {
        uint8_t c = m.typedText.nextTypedChar(ended);
        if (ended) return keys;
        keys.push_back(static_cast<char>(c));
    }
}

bool keyboardTrapInstalled(const Machine& m) {
    const uint8_t trap[] = {0xED, 0x06, 0x00, 0x00, 0xC9};
    return std::equal(std::begin(trap), std::end(trap), m.bus.memory.begin() + 0x2B);
}

TEST(Autostart, NamesAndExtensions) {
    EXPECT_EQ(imageBaseNameOf("dir/game.CMD"), "dir/game");
    EXPECT_EQ(lowerExtension("dir/game.CMD"), "cmd");
    EXPECT_EQ(lowerExtension("a.cmd2"), "cmd2");
    EXPECT_EQ(imageBaseNameOf("noext"), "");
    EXPECT_EQ(lowerExtension("noext"), "");
    EXPECT_EQ(imageBaseNameOf(".hidden"), "");
    // A dot in a directory name is no extension.
    EXPECT_EQ(imageBaseNameOf("my.dir/game"), "");
    EXPECT_EQ(lowerExtension("my.dir/game"), "");
    EXPECT_EQ(systemTapeCommand('G'), "\r\r\r\rSYSTEM\r\rG\r\r/\r");
}

TEST(Autostart, CmdProgramsLoadAndStartUnlessAutorunIsOff) {
    TempDir dir;
    // Load 3E 4B 76 at 7000h, transfer to 7000h.
    const std::vector<uint8_t> cmd = {0x01, 0x05, 0x00, 0x70, 0x3E, 0x4B, 0x76, 0x02, 0x02, 0x00, 0x70};
    const std::string upper = dir.write("GAME.CMD", cmd);
    auto b = booted();
    autostartFile(*b.m, upper);
    EXPECT_EQ(b.m->cpu.PC, 0x7000);
    EXPECT_EQ(b.m->bus.memory[0x7001], 0x4B);
    EXPECT_EQ(b.m->imageBaseName, dir.file("GAME"));
    ASSERT_FALSE(b.status.empty());
    EXPECT_EQ(b.status.back(), "Autoloaded: " + upper);

    b.m->cpu.PC = 0x1234;
    b.m->autorun = false;
    autostartFile(*b.m, upper);
    EXPECT_EQ(b.m->cpu.PC, 0x1234);

    // Without a transfer record the program starts at 0; a missing file leaves PC.
    b.m->autorun = true;
    autostartFile(*b.m, dir.write("notransfer.cmd", {0x01, 0x03, 0x00, 0x70, 0x00}));
    EXPECT_EQ(b.m->cpu.PC, 0);
    b.m->cpu.PC = 0x1234;
    autostartFile(*b.m, dir.file("missing.cmd"));
    EXPECT_EQ(b.m->cpu.PC, 0x1234);

    // An unknown extension only reports.
    size_t before = b.status.size();
    autostartFile(*b.m, dir.write("x.cmd2", cmd));
    EXPECT_EQ(b.m->cpu.PC, 0x1234);
    EXPECT_EQ(b.status.size(), before + 1);
}

TEST(Autostart, TapesAreTypedInAfterAReset) {
    TempDir dir;
    auto b = booted();
    const std::string basic = dir.write("prog.cas", run(16, 0x00, {0xA5, 0xD3, 0xD3, 0xD3, 'P', 0x00, 0x00, 0x00}));
    autostartFile(*b.m, basic);
    EXPECT_TRUE(keyboardTrapInstalled(*b.m));
    EXPECT_EQ(b.m->cpu.nmiLine, 1u);  // the reset that brings back a clean prompt
    EXPECT_EQ(pendingKeys(*b.m), "\rCLOAD\rRUN\r");
    EXPECT_EQ(b.m->imageBaseName, "");  // emptied by the reset
    EXPECT_EQ(b.status.back(), "Autoloaded: " + basic);

    const std::string system = dir.write("g.cas", run(16, 0x00, {0xA5, 0x55, 'G', 'A', 'M', 'E', ' ', ' ', 0x78, 0, 0x70}));
    autostartFile(*b.m, system);
    EXPECT_EQ(pendingKeys(*b.m), "\r\rSYSTEM\rG\r/\r");

    // With autorun off the tape is only attached: nothing typed, nothing said.
    auto quiet = booted();
    quiet.m->autorun = false;
    autostartFile(*quiet.m, basic);
    EXPECT_FALSE(quiet.m->typedText.hasTypedText());
    EXPECT_TRUE(quiet.status.empty());
    EXPECT_EQ(quiet.m->cassette.casPath, basic);
}

TEST(Autostart, BasicListingsSnapshotsAndDisks) {
    TempDir dir;
    auto b = booted();
    autostartFile(*b.m, dir.write("list.bas", mediatest::bytesOf("10 PRINT 1\r\n")));
    EXPECT_TRUE(keyboardTrapInstalled(*b.m));
    EXPECT_EQ(pendingKeys(*b.m), "10 PRINT 1\r");

    autostartFile(*b.m, dir.write("tok.bas", {0xFF, 0x23, 0x6A, 0x0A, 0x00}));
    EXPECT_EQ(pendingKeys(*b.m), "\r\rCLOAD\rRUN\r");
    EXPECT_EQ(b.m->cassette.readTapeByte(), 0x00);

    loadOrTypeBasic(*b.m, dir.file("tok.bas"));
    EXPECT_EQ(pendingKeys(*b.m), "\r\rCLOAD\r");

    auto other = booted();
    other.m->cpu.PC = 0x4321;
    const std::string hts = dir.file("snap.hts");
    ASSERT_TRUE(saveSnapshot(*other.m, hts));
    autostartFile(*b.m, hts);
    EXPECT_EQ(b.m->cpu.PC, 0x4321);

    autostartFile(*b.m, dir.write("d.dsk", {0}));
    ASSERT_GE(b.status.size(), 2u);
    EXPECT_EQ(b.status[b.status.size() - 2], "Unsupported disk image.\n");
    EXPECT_EQ(b.status.back(), "Autoloaded: " + dir.file("d.dsk"));
}

}  // namespace
}  // namespace kestrel
