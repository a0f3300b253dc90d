// Autostart by extension, and the BAS/TXT loader.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "session/autostart.h"
#include "session/snapshot.h"
#include "machine/screen_text.h"
#include "media_files.h"
#include "machine_peer.h"
#include "quiet_machine.h"

namespace kestrel {
namespace {

using mediatest::TempDir;
using mediatest::run;

struct Booted {
    std::unique_ptr<Machine> m;
    std::vector<std::string> status;
    test::CapturedStream diagnostics;

    void run(int frames) {
        for (int i = 0; i < frames; ++i) m->runFrame();
    }
    std::string screen() const { return screenText(inside(*m).bus.memoryBase() + 0x3C00, "\n"); }
};

// The open firmware, switched on; `running` lets one frame pass, so that
// files are taken as by a machine in use.
std::unique_ptr<Booted> booted(bool running = true) {
    auto b = std::make_unique<Booted>();
    MachineOptions o = test::quietMachineOptions();
    o.diagnostics = b->diagnostics.file();
    b->m = std::make_unique<Machine>(o);
    b->m->startUp();
    auto* status = &b->status;
    b->m->showStatusPart = [status](int part, const std::string& text) {
        if (part == 2) status->push_back(text);
    };
    if (running) b->run(1);
    return b;
}

// Prints "OK" through 0033h, then echoes every key 002Bh gives: both go
// through the vectors the firmware sets up in RAM.
const std::vector<uint8_t> kEchoProgram = {
    0x01, 23, 0x00, 0x70,
    0x3E, 'O', 0xCD, 0x33, 0x00, 0x3E, 'K', 0xCD, 0x33, 0x00,  // LD A,'O' ; CALL 0033h ; LD A,'K' ; CALL 0033h
    0xCD, 0x2B, 0x00, 0xB7, 0x28, 0xFA,                        // 700Ah: CALL 002Bh ; OR A ; JR Z,700Ah
    0xCD, 0x33, 0x00, 0x18, 0xF5,                              // CALL 0033h ; JR 700Ah
    0x02, 0x02, 0x00, 0x70};

// What the keyboard trap will deliver, as the ROM would see it.
std::string pendingKeys(Machine& m) {
    std::string keys;
    for (bool ended = false;;) {
        uint8_t c = inside(m).typedText.nextTypedChar(ended);
        if (ended) return keys;
        keys.push_back(static_cast<char>(c));
    }
}

bool keyboardTrapInstalled(const Machine& m) {
    const uint8_t trap[] = {0xED, 0x06, 0x00, 0x00, 0xC9};
    return std::equal(std::begin(trap), std::end(trap), m.memory().begin() + 0x2B);
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
}

TEST(Autostart, CmdProgramsLoadAndStartUnlessAutorunIsOff) {
    TempDir dir;
    // Load 3E 4B 76 at 7000h, transfer to 7000h.
    const std::vector<uint8_t> cmd = {0x01, 0x05, 0x00, 0x70, 0x3E, 0x4B, 0x76, 0x02, 0x02, 0x00, 0x70};
    const std::string upper = dir.write("GAME.CMD", cmd);
    auto b = booted();
    EXPECT_TRUE(autostartFile(*b->m, upper));
    EXPECT_EQ(inside(*b->m).cpu.PC, 0x7000);
    EXPECT_EQ(inside(*b->m).bus.memory[0x7001], 0x4B);
    EXPECT_EQ(b->m->imageBaseName(), dir.file("GAME"));
    ASSERT_FALSE(b->status.empty());
    EXPECT_EQ(b->status.back(), "Autoloaded: " + upper);

    inside(*b->m).cpu.PC = 0x1234;
    autostartFile(*b->m, upper, {.autorun = false});
    EXPECT_EQ(inside(*b->m).cpu.PC, 0x1234);

    // Without a transfer record the program starts at 0.
    autostartFile(*b->m, dir.write("notransfer.cmd", {0x01, 0x03, 0x00, 0x70, 0x00}));
    EXPECT_EQ(inside(*b->m).cpu.PC, 0);
}

TEST(Autostart, WhatIsNotLoadedSaysWhyAndChangesNothing) {
    TempDir dir;
    auto other = booted();
    const std::string good = dir.file("good.hts");
    ASSERT_TRUE(saveSnapshot(*other->m, good));
    std::vector<uint8_t> shortSnapshot = test::readFile(good);
    shortSnapshot.pop_back();
    struct Case {
        std::string path;
        const char* reason;  // part of the message
    };
    std::filesystem::create_directory(dir.file("folder.cmd"));
    const Case cases[] = {
        {dir.write("empty.cmd", {}), "empty"},
        {dir.write("junk.cmd", {0x05, 0x01, 0x00}), "no block to load"},
        {dir.write("cut.cmd", {0x01, 0x05, 0x00, 0x70, 0x3E}), "cut off"},
        {dir.write("badtransfer.cmd", {0x01, 0x03, 0x00, 0x70, 0x00, 0x02, 0x03, 0x00, 0x70, 0x00}), "transfer record"},
        {dir.write("x.cmd2", {0x01, 0x03, 0x00, 0x70, 0x00}), "not a CMD"},
        {dir.write("noext", {0x01, 0x03, 0x00, 0x70, 0x00}), "not a CMD"},
        {dir.write("empty.bas", {}), "empty"},
        {dir.write("short.hts", shortSnapshot), "short.hts"},
        {dir.write("d.dsk", {0}), "Unsupported disk image"},
        {dir.file("missing.cas"), "No such file"},
        {dir.file("folder.cmd"), "directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto b = booted();
        inside(*b->m).cpu.PC = 0x1234;
        b->m->setImageBaseName("before");
        inside(*b->m).bus.memory[0x7000] = 0x99;
        const IoResult r = autostartFile(*b->m, c.path);
        EXPECT_FALSE(r);
        EXPECT_NE(r.message.find(c.reason), std::string::npos) << r.message;
        ASSERT_FALSE(b->status.empty());
        EXPECT_EQ(b->status.back(), r.message);
        EXPECT_EQ(b->diagnostics.text(), r.message + "\n");
        EXPECT_EQ(inside(*b->m).cpu.PC, 0x1234);
        EXPECT_EQ(inside(*b->m).bus.memory[0x7000], 0x99);
        EXPECT_EQ(b->m->imageBaseName(), "before");
        EXPECT_FALSE(inside(*b->m).typedText.hasTypedText());
    }
}

TEST(Autostart, CmdAtPowerOnStartsOnceTheFirmwareWaitsAtItsPrompt) {
    TempDir dir;
    const std::string path = dir.write("echo.cmd", kEchoProgram);
    for (bool autorun : {true, false}) {
        SCOPED_TRACE(autorun);
        auto b = booted(false);
        ASSERT_TRUE(autostartFile(*b->m, path, {.autorun = autorun}));
        EXPECT_EQ(b->status.back(), "Autoloaded: " + path);
        // Nothing is loaded over a machine that has not started yet.
        EXPECT_EQ(inside(*b->m).cpu.PC, 0);
        EXPECT_NE(inside(*b->m).bus.memory[0x7000], 0x3E);
        // Text typed now (as --type does) reaches the program, not the firmware.
        inside(*b->m).typedText.appendTypedText("HI");
        b->run(50);
        EXPECT_EQ(inside(*b->m).bus.memory[0x7000], 0x3E);
        const std::string screen = b->screen();
        EXPECT_NE(screen.find("48K RAM"), std::string::npos) << screen;  // MEMORY SIZE? answered
        EXPECT_EQ(screen.find("OKHI") != std::string::npos, autorun) << screen;
        EXPECT_FALSE(b->m->startPending());
    }
}

TEST(Autostart, CmdAtPowerOnStartsAfterAWhileWhenTheRomNeverAsksForAKey) {
    TempDir dir;
    // LD A,'K' ; LD (3C00h),A ; HALT
    const std::string path = dir.write("k.cmd", {0x01, 0x08, 0x00, 0x70, 0x3E, 'K', 0x32, 0x00, 0x3C, 0x76, 0x02, 0x02, 0x00, 0x70});
    auto b = booted(false);
    inside(*b->m).basicImage.fill(0);
    inside(*b->m).basicImage[0] = 0x18;  // JR $
    inside(*b->m).basicImage[1] = 0xFE;
    inside(*b->m).copyRoms();
    ASSERT_TRUE(autostartFile(*b->m, path));
    b->run(200);  // four seconds
    EXPECT_NE(inside(*b->m).bus.memory[0x3C00], 'K');
    b->run(60);
    EXPECT_EQ(inside(*b->m).bus.memory[0x3C00], 'K');
    EXPECT_EQ(inside(*b->m).bus.memory[0x2B], 0x00);  // the keyboard routine is the ROM's again
}

TEST(Autostart, TapesAreTypedInAfterAReset) {
    TempDir dir;
    auto b = booted();
    const std::string basic = dir.write("prog.cas", run(16, 0x00, {0xA5, 0xD3, 0xD3, 0xD3, 'P', 0x00, 0x00, 0x00}));
    autostartFile(*b->m, basic);
    EXPECT_TRUE(keyboardTrapInstalled(*b->m));
    EXPECT_EQ(inside(*b->m).cpu.nmiLine, 1u);  // the reset that brings back a clean prompt
    EXPECT_EQ(pendingKeys(*b->m), "\rCLOAD\rRUN\r");
    EXPECT_EQ(b->m->imageBaseName(), "");  // emptied by the reset
    EXPECT_EQ(b->status.back(), "Autoloaded: " + basic);

    const std::string system = dir.write("g.cas", run(16, 0x00, {0xA5, 0x55, 'G', 'A', 'M', 'E', ' ', ' ', 0x78, 0, 0x70}));
    autostartFile(*b->m, system);
    EXPECT_EQ(pendingKeys(*b->m), "\r\rSYSTEM\rG\r/\r");

    // With autorun off the tape is only attached: nothing typed, nothing said.
    auto quiet = booted();
    autostartFile(*quiet->m, basic, {.autorun = false});
    EXPECT_FALSE(inside(*quiet->m).typedText.hasTypedText());
    EXPECT_TRUE(quiet->status.empty());
    EXPECT_EQ(inside(*quiet->m).cassette.casPath, basic);
}

TEST(Autostart, BasicListingsAndSnapshots) {
    TempDir dir;
    auto b = booted();
    // Every kind of line end is one RETURN; the listing is RUN unless autorun is off.
    const std::string list = dir.write("list.bas", mediatest::bytesOf("10 PRINT 1\n20 END\r30 STOP\r\n40 REM"));
    EXPECT_TRUE(autostartFile(*b->m, list));
    EXPECT_TRUE(keyboardTrapInstalled(*b->m));
    EXPECT_EQ(pendingKeys(*b->m), "10 PRINT 1\r20 END\r30 STOP\r40 REM\rRUN\r");
    autostartFile(*b->m, list, {.autorun = false});
    EXPECT_EQ(pendingKeys(*b->m), "10 PRINT 1\r20 END\r30 STOP\r40 REM\r");
    loadOrTypeBasic(*b->m, list);
    EXPECT_EQ(pendingKeys(*b->m), "10 PRINT 1\r20 END\r30 STOP\r40 REM\r");
    // A listing of 1 MiB is typed; one byte more is refused and nothing is typed.
    EXPECT_TRUE(loadOrTypeBasic(*b->m, dir.write("limit.bas", std::vector<uint8_t>(size_t{1} << 20, 'A'))));
    b->m->typeText("RUN\r");
    const IoResult over = loadOrTypeBasic(*b->m, dir.write("over.bas", std::vector<uint8_t>((size_t{1} << 20) + 1, 'A')));
    EXPECT_NE(over.message.find("over.bas is too large"), std::string::npos) << over.message;
    EXPECT_EQ(pendingKeys(*b->m), "RUN\r");

    autostartFile(*b->m, dir.write("tok.bas", {0xFF, 0x23, 0x6A, 0x0A, 0x00}));
    EXPECT_EQ(pendingKeys(*b->m), "\r\rCLOAD\rRUN\r");
    EXPECT_EQ(inside(*b->m).cassette.readTapeByte(), 0x00);

    loadOrTypeBasic(*b->m, dir.file("tok.bas"));
    EXPECT_EQ(pendingKeys(*b->m), "\r\rCLOAD\r");

    auto other = booted();
    inside(*other->m).cpu.PC = 0x4321;
    const std::string hts = dir.file("snap.hts");
    ASSERT_TRUE(saveSnapshot(*other->m, hts));
    auto fresh = booted(false);
    EXPECT_TRUE(autostartFile(*fresh->m, hts));
    EXPECT_EQ(inside(*fresh->m).cpu.PC, 0x4321);
    EXPECT_FALSE(fresh->m->atPowerOn());  // a program now starts at once
    EXPECT_EQ(fresh->status.back(), "Autoloaded: " + hts);
}

TEST(Autostart, ListingAtPowerOnIsEnteredAfterMemorySizeAndRun) {
    TempDir dir;
    auto b = booted(false);
    ASSERT_TRUE(autostartFile(*b->m, dir.write("hello.bas", mediatest::bytesOf("10 PRINT \"HEL\";\n20 PRINT \"LO\"\n"))));
    inside(*b->m).typedText.appendTypedText("PRINT 6*7\r\n");  // as --type does
    b->run(100);
    const std::string screen = b->screen();
    for (const char* shown : {">10 PRINT \"HEL\";", ">20 PRINT \"LO\"", ">RUN", "\nHELLO ", ">PRINT 6*7", "\n 42 "})
        EXPECT_NE(screen.find(shown), std::string::npos) << shown << "\n" << screen;
}

}  // namespace
}  // namespace kestrel
