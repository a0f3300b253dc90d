// The headless runner: its arguments, its exit statuses and what it writes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "runner/runner.h"
#include "machine_peer.h"
#include "disk_boot_fixture.h"
#include "formats/wav.h"
#include "quiet_machine.h"
#include "scratch_files.h"

// Runs name only the options they need, as designated initializers.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

std::optional<RunnerOptions> parse(std::vector<std::string> args, std::string* error = nullptr) {
    std::string e;
    auto o = parseRunnerArguments(args, e);
    if (error) *error = e;
    return o;
}

TEST(RunnerArguments, AcceptsEveryOption) {
    auto o = parse({"--machine", "3", "--ram", "16", "--rom-dir", "/r", "--frames", "10", "--screen-text", "-",
                    "--screenshot", "a.GIF", "--memdump", "m.bin", "--disassemble", "1a19:5", "game.cmd", "--type",
                    "RUN\\r\\\\", "--no-autorun", "--cas", "t.cas", "--record-cas", "r.cas", "--save-memory-cas",
                    "m.cas", "7000", "71ff", "7000", "--load-snapshot", "a.hts", "--save-snapshot", "b.hts",
                    "--printer", "p.txt", "--disk", "0", "a.jv1", "--disk", "3", "b.dsk", "--save-disks",
                    "--record-video", "v.avi", "--video-codec", "mjpeg"});
    ASSERT_TRUE(o);
    EXPECT_EQ(*o->machine, 3);
    EXPECT_EQ(*o->ramKbytes, 16);
    EXPECT_EQ(o->romDirectory, "/r");
    EXPECT_EQ(*o->frames, 10u);
    EXPECT_EQ(o->screenText, "-");
    EXPECT_EQ(o->screenshot, "a.GIF");
    EXPECT_EQ(o->memdump, "m.bin");
    EXPECT_EQ(*o->disassembleFrom, 0x1A19);
    EXPECT_EQ(o->disassembleLines, 5);
    EXPECT_EQ(o->autostart, "game.cmd");
    EXPECT_EQ(o->type, "RUN\r\\");
    EXPECT_TRUE(o->noAutorun);
    EXPECT_EQ(o->cas, "t.cas");
    EXPECT_EQ(o->recordCas, "r.cas");
    ASSERT_TRUE(o->saveMemoryCas);
    EXPECT_EQ(o->saveMemoryCas->end, 0x71FF);
    EXPECT_EQ(o->loadSnapshot, "a.hts");
    EXPECT_EQ(o->saveSnapshot, "b.hts");
    EXPECT_EQ(o->printer, "p.txt");
    ASSERT_EQ(o->disks.size(), 2u);
    EXPECT_EQ(o->disks[1].drive, 3);
    EXPECT_EQ(o->disks[1].path, "b.dsk");
    EXPECT_TRUE(o->saveDisks);
    EXPECT_EQ(o->recordVideo, "v.avi");
    EXPECT_EQ(o->videoCodec, "mjpeg");

    auto d = parse({"--disassemble", "FFFF", "--seconds", "0.5", "--giant", "--type", "A\\nB"});
    ASSERT_TRUE(d);
    EXPECT_EQ(*d->disassembleFrom, 0xFFFF);
    EXPECT_EQ(d->disassembleLines, 16);
    EXPECT_DOUBLE_EQ(*d->seconds, 0.5);
    EXPECT_TRUE(d->giant);
    EXPECT_EQ(d->type, "A\r\nB");  // \n is one RETURN
}

TEST(RunnerArguments, RefusesOddOptionsWithAMessage) {
    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--machine", "5"}, ""}, {{"--machine", "x"}, ""}, {{"--ram", "32"}, ""}, {{"--seconds", "-1"}, ""},
        {{"--seconds", "nan"}, ""}, {{"--frames", "1e3"}, ""}, {{"--screenshot", "a.png"}, ""},
        {{"--disassemble", "10000"}, ""}, {{"--disassemble", "100:0"}, ""}, {{"--bogus"}, ""}, {{"--memdump"}, ""},
        {{"--seconds", "1", "--frames", "2"}, ""}, {{"--one-bit", "--giant"}, ""},
        {{"--one-bit", "--screenshot", "a.gif"}, ""}, {{"a.cmd", "b.cmd"}, ""},
        {{"--save-memory-cas", "m.cas", "7000", "6fff", "7000"}, "below the start"},
        {{"--save-memory-cas", "m.cas", "7000", "10000", "7000"}, ""}, {{"--save-memory-cas", "m.cas", "7000"}, ""},
        {{"--disk", "4", "a.jv1"}, ""}, {{"--disk", "0"}, ""},
    };
    for (const auto& [args, says] : bad) {
        SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : ""));
        std::string error;
        EXPECT_FALSE(parse(args, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RunnerProgram, ExitStatusesAndMessages) {
    const std::string run = KESTREL_RUN_PATH;
    auto status = [&](const std::string& args) {
        int s = std::system((run + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    };
    EXPECT_EQ(status("--help"), 0);
    EXPECT_EQ(status("--machine 9"), 2);
    EXPECT_EQ(status("--frames 1 --memdump /nonexistent-dir/m.bin"), 1);
    EXPECT_EQ(status("--frames 1 --rom-dir /nonexistent-dir"), 1);
    // A tape the machine recorded but that could not be written is a failure.
    EXPECT_EQ(status("--seconds 4 --type '\\r\\r10 REM\\r\\rCSAVE \"A\"\\r\\r' --record-cas /nonexistent-dir/p.cas"),
              1);
}

// The output written under a file-size limit, as on a full disk: every write
// fails, each says why, and the files that were there stay whole.
TEST(RunnerProgram, FailedWritesKeepTheOldFiles) {
    test::ScratchDir dir;
    const std::string old = "old contents";
    const char* names[] = {"m.bin", "s.bmp", "s.hts", "s.cas"};
    for (const char* name : names) std::ofstream(dir.path() / name) << old;
    const std::string d = dir.path().string() + "/";
    // ulimit -f counts 512-byte blocks; the ignored signal stays ignored across exec.
    const std::string command = "trap '' XFSZ; ulimit -f 2; exec " + std::string(KESTREL_RUN_PATH) +
                                " --frames 1 --memdump " + d + "m.bin --screenshot " + d + "s.bmp --one-bit" +
                                " --save-snapshot " + d + "s.hts --save-memory-cas " + d + "s.cas 4000 5000 4000 2>" +
                                d + "err.txt";
    const int s = std::system(("sh -c \"" + command + "\"").c_str());
    EXPECT_TRUE(WIFEXITED(s) && WEXITSTATUS(s) == 1) << s;
    const std::string err = readFile(dir.path() / "err.txt");
    for (const char* name : names) {
        EXPECT_EQ(readFile(dir.path() / name), old) << name;
        EXPECT_NE(err.find("Cannot write " + d + name), std::string::npos) << err;
    }
}

// Runs in a scratch directory that is also the (empty) ROM directory: the open
// firmware. The screen goes to screen.txt unless the options say otherwise.
class RunnerRun : public ::testing::Test {
protected:
    int runWith(RunnerOptions o) {
        o.romDirectory = dir.path().string();
        if (o.screenText.empty()) o.screenText = path("screen.txt");
        test::CapturedStream err;
        const int status = runRunner(o, dir.path(), stdout, err.file());
        errText = err.text();
        return status;
    }
    std::string screen() { return readFile(dir.path() / "screen.txt"); }
    std::string screenLine(int row) { return screen().substr(static_cast<size_t>(row) * 65, 64); }
    std::string path(const char* name) { return dir.file(name); }
    test::ScratchDir dir;
    std::string errText;  // what the last run wrote to its error stream
};

TEST_F(RunnerRun, WritesTheAddressSpaceAndTheScreen) {
    ASSERT_EQ(runWith({.frames = 1, .screenshot = path("s.bmp"), .oneBit = true, .memdump = path("m.bin")}), 0);
    EXPECT_EQ(readFile(dir.path() / "m.bin").size(), 65536u);
    // 62-byte header and palette, then 384 rows of 64 bytes.
    EXPECT_EQ(readFile(dir.path() / "s.bmp").size(), 62u + 384 * 64);
    const std::string shown = screen();
    ASSERT_EQ(shown.size(), 16u * 65);
    for (int row = 0; row < 16; ++row) EXPECT_EQ(shown[row * 65 + 64], '\n');
}

TEST_F(RunnerRun, EveryConfigurationBootsToThePrompt) {
    for (int machine = 0; machine < 5; ++machine) {
        SCOPED_TRACE(machine);
        ASSERT_EQ(runWith({.machine = machine, .seconds = 2, .type = "\r\n"}), 0);  // ENTER for MEMORY SIZE?
        const std::string shown = screen();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 16) << shown;
        EXPECT_EQ(screenLine(0).substr(0, 21), "KESTREL OPEN FIRMWARE");
        EXPECT_NE(screenLine(1).find(machine == 1 ? "16K RAM" : "48K RAM"), std::string::npos) << shown;
        EXPECT_EQ(screenLine(2).substr(0, 5), "READY");
        // UTF-8: the cursor, the bottom third of a cell, takes more than one byte.
        EXPECT_EQ(screenLine(3).substr(0, 5), ">\U0001FB2D");
    }
}

TEST_F(RunnerRun, CsaveWritesATapeThatAutostartLoadsAndRuns) {
    const char* program = "\r\r10 PRINT \"HELLO\"\r\r20 GOTO 10\r\r";
    ASSERT_EQ(runWith({.seconds = 4, .type = program + std::string("CSAVE \"A\"\r\r"), .recordCas = path("p.cas")}), 0);
    const std::string tape = readFile(path("p.cas"));
    // Leader, sync, the BASIC header with the name; the bytes after it are the firmware tests' concern.
    ASSERT_GT(tape.size(), 260u);
    EXPECT_EQ(tape.find(std::string("\xA5\xD3\xD3\xD3" "A")), tape.find('\xA5'));

    ASSERT_EQ(runWith({.seconds = 4, .autostart = path("p.cas")}), 0);
    for (int row = 0; row < 15; ++row) EXPECT_EQ(screenLine(row).substr(0, 5), "HELLO") << row;

    // CLOAD? finds the tape equal to the program in memory: no BAD.
    ASSERT_EQ(runWith({.seconds = 4, .type = program + std::string("CLOAD?\r\r"), .cas = path("p.cas")}), 0);
    EXPECT_EQ(screen().find("BAD"), std::string::npos);
    EXPECT_NE(screen().find(">CLOAD?"), std::string::npos);
}

TEST_F(RunnerRun, SystemTapesAndTokenisedBasicFilesAutostart) {
    // A SYSTEM tape of a program that puts '#' in the bottom right corner and waits.
    {
        Machine m(test::quietMachineOptions());
        const uint8_t code[] = {0x3E, '#', 0x32, 0xFF, 0x3F, 0x18, 0xFE};
        std::copy(std::begin(code), std::end(code), inside(m).bus.memory.begin() + 0x7000);
        ASSERT_TRUE(m.saveMemoryAsTape(path("k.cas"), 0x7000, 0x7006, 0x7000));
    }
    ASSERT_EQ(runWith({.seconds = 5, .autostart = path("k.cas")}), 0);
    EXPECT_EQ(screenLine(15).back(), '#') << screen();

    // A disk BASIC file (FFh, then lines whose links belong elsewhere) goes
    // through a temporary tape, CLOAD and RUN; --type comes after its commands.
    dir.write("tk.bas", {0xFF, 0x12, 0x34, 0x0A, 0x00, 0xB2, ' ', '"', 'T', 'K', '"', 0x00, 0x00, 0x00});
    ASSERT_EQ(runWith({.seconds = 5, .autostart = path("tk.bas"), .type = "PRINT 6*7\r\n"}), 0);
    EXPECT_NE(screen().find(">RUN" + std::string(60, ' ') + "\nTK "), std::string::npos) << screen();
    EXPECT_NE(screen().find(">PRINT 6*7" + std::string(54, ' ') + "\n 42 "), std::string::npos) << screen();
}

TEST_F(RunnerRun, ProgramsSnapshotsAndTapesRoundTrip) {
    // LD A,'K' ; LD (3C00h),A ; HALT, loaded at 7000h and started there.
    dir.write("k.cmd", {0x01, 0x08, 0x00, 0x70, 0x3E, 0x4B, 0x32, 0x00, 0x3C, 0x76, 0x02, 0x02, 0x00, 0x70});
    ASSERT_EQ(runWith({.frames = 5,
                       .autostart = path("k.cmd"),
                       .saveMemoryCas = RunnerOptions::SaveMemory{path("k.cas"), 0x7000, 0x7005, 0x7000},
                       .saveSnapshot = path("k.hts")}),
              0);
    EXPECT_EQ(screenLine(0)[0], 'K');
    EXPECT_EQ(fs::file_size(path("k.hts")), 49702u);
    const std::string tape = readFile(path("k.cas"));
    ASSERT_EQ(tape.size(), 256u + 2 + 6 + 4 + 6 + 1 + 3);
    EXPECT_EQ(tape.substr(258, 6), "K     ");

    // A fresh machine from the snapshot: the halted program and its screen are back.
    ASSERT_EQ(runWith({.frames = 1, .loadSnapshot = path("k.hts")}), 0);
    EXPECT_EQ(screenLine(0)[0], 'K');
    EXPECT_EQ(runWith({.cas = path("absent.cas")}), 1);
}

// A disk in drive 0 boots; its file changes only with --save-disks, and a
// disk image FILE is booted from drive 0 as well.
TEST_F(RunnerRun, DisksBootAndAreWrittenBackOnlyWhenAsked) {
    const std::vector<uint8_t> image = test::diskBootImage();
    const std::string disk = dir.write("boot.jv1", image);
    RunnerOptions o{.seconds = 3, .disks = {{0, disk}}};
    ASSERT_EQ(runWith(o), 0);
    EXPECT_EQ(screenLine(0).substr(0, test::kDiskBootText.size()), test::kDiskBootText);
    EXPECT_NE(errText.find("drive :0 has unsaved changes"), std::string::npos) << errText;
    EXPECT_TRUE(readFile(disk) == std::string(image.begin(), image.end()));

    // The boot sector, run to its end, wrote track 1 sector 1 back to sector 2 with '*' first.
    o.saveDisks = true;
    ASSERT_EQ(runWith(o), 0);
    std::string expected(image.begin(), image.end());
    const size_t sector = test::kJv1SectorSize;
    expected.replace(test::jv1Offset(1, 2), sector, expected, test::jv1Offset(1, 1), sector);
    expected[test::jv1Offset(1, 2)] = '*';
    EXPECT_TRUE(readFile(disk) == expected);

    ASSERT_EQ(runWith({.seconds = 3, .autostart = disk}), 0);
    EXPECT_EQ(screenLine(0).substr(0, test::kDiskBootText.size()), test::kDiskBootText);

    EXPECT_EQ(runWith({.disks = {{1, path("screen.txt")}}}), 1);
    EXPECT_NE(errText.find("Unsupported disk image."), std::string::npos) << errText;
}

// Every frame of the run is in the recording: 2 s are 100 frames.
TEST_F(RunnerRun, RecordSoundKeepsEveryFrameOfTheRun) {
    ASSERT_EQ(runWith({.seconds = 2, .recordSound = path("s.wav")}), 0) << errText;
    const std::string file = readFile(path("s.wav"));
    WavAudio audio;
    ASSERT_TRUE(parseWav(std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()), audio));
    EXPECT_EQ(audio.rate, 48000u);
    EXPECT_NEAR(static_cast<double>(audio.samples.size()), 100.0 * 960, 960.0);

    EXPECT_EQ(runWith({.seconds = 2, .recordSound = path("no/such/dir/s.wav")}), 1);
    EXPECT_NE(errText.find("s.wav"), std::string::npos) << errText;
}

// CSAVE through the ROM's own signal routines into a WAV tape, then CLOAD
// from it: as recorded, and made over into 16-bit stereo at 48 kHz.
TEST_F(RunnerRun, WavTapesRoundTripAtSignalLevel) {
    const std::string save = "\r\n10 PRINT \"WAV TAPE\"\r\nCSAVE \"A\"\r\n";
    ASSERT_EQ(runWith({.seconds = 15, .type = save, .recordWavTape = path("t.wav")}), 0) << errText;
    const std::string file = readFile(path("t.wav"));
    WavAudio recorded;
    ASSERT_TRUE(parseWav(std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()), recorded));
    EXPECT_EQ(recorded.rate, 44100u);
    EXPECT_EQ(recorded.bits, 8);

    // The same signal as 16-bit stereo at 48 kHz, the first channel carrying it.
    const std::vector<int16_t> at48 = resample(recorded.samples, 44100, 48000);
    std::vector<uint8_t> stereo = wavHeader(48000, 2, 16, static_cast<uint32_t>(at48.size() * 4));
    for (int16_t sample : at48)
        for (int16_t v : {sample, int16_t{0}})
            stereo.insert(stereo.end(), {uint8_t(v & 0xFF), uint8_t(uint16_t(v) >> 8)});
    dir.write("t16.wav", stereo);

    for (const char* name : {"t.wav", "t16.wav"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(runWith({.seconds = 15, .type = "\r\nCLOAD\r\nRUN\r\n", .wavTape = path(name)}), 0) << errText;
        EXPECT_EQ(screenLine(6).substr(0, 8), "WAV TAPE");
    }
    EXPECT_EQ(runWith({.wavTape = path("screen.txt")}), 1);
    EXPECT_NE(errText.find("screen.txt"), std::string::npos) << errText;
}

TEST_F(RunnerRun, AFileThatIsNotLoadedEndsTheRunWithItsReason) {
    dir.write("empty.cmd", {});
    dir.write("prog.xyz", {'1', '0', ' ', 'E', 'N', 'D', '\n'});
    fs::create_directory(path("dir.cmd"));
    for (const char* name : {"empty.cmd", "prog.xyz", "dir.cmd", "absent.bas"}) {
        EXPECT_EQ(runWith({.frames = 1, .autostart = path(name)}), 1) << name;
        EXPECT_NE(errText.find(name), std::string::npos) << errText;
        EXPECT_EQ(errText.find("Autoloaded"), std::string::npos) << errText;
    }
}

TEST_F(RunnerRun, LprintAndLlistGoToThePrinterFileAfterWhatWasThere) {
    std::ofstream(dir.path() / "printer.txt") << "EARLIER\n";
    RunnerOptions o{.seconds = 6,
                    .type = "\r\r10 PRINT \"A\";\r\r20 LPRINT \"HELLO\";5,\"X\"\r\rLPRINT \"HELLO\"\r\rLLIST\r\r",
                    .printer = path("printer.txt")};
    ASSERT_EQ(runWith(o), 0) << errText;
    EXPECT_EQ(readFile(o.printer), "EARLIER\nHELLO\n10 PRINT \"A\";\n20 LPRINT \"HELLO\";5,\"X\"\n");
    EXPECT_NE(errText.find("Printing to " + o.printer), std::string::npos) << errText;
    o.printer = dir.path().string();  // a directory is no printer
    EXPECT_EQ(runWith(o), 1);
    EXPECT_NE(errText.find("is a directory"), std::string::npos) << errText;
}

}  // namespace
}  // namespace kestrel
