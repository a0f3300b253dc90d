// The tape unit on its own: attaching and reading CAS images, recording, saving
// memory as a SYSTEM tape, BASIC conversion, the program finder, Play/Record and rewind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "media_files.h"
#include "machine_peer.h"
#include "quiet_machine.h"

namespace kestrel {
namespace {

using namespace mediatest;

// A scratch directory and a machine without diagnostics, its tape unit at hand.
class TapeFixture : public testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Machine> m = std::make_unique<Machine>(test::quietMachineOptions());
    Cassette& c = inside(*m).cassette;
};
class CasImage : public TapeFixture {};
class SaveMemoryAsCas : public TapeFixture {
protected:
    IoResult saved;
    bool save(const std::string& path, uint16_t from, uint16_t end, uint16_t entry) {
        saved = m->saveMemoryAsTape(path, from, end, entry);
        return saved.ok;
    }
};
class TapeRecording : public TapeFixture {};
class TapeUnit : public TapeFixture {};

std::vector<uint8_t> readTape(Cassette& c, size_t n) {
    std::vector<uint8_t> v;
    for (size_t i = 0; i < n; ++i) v.push_back(c.readTapeByte());
    return v;
}

TEST_F(CasImage, AlignedImageAttachesAndReadsBackByteForByte) {
    EXPECT_EQ(c.readTapeByte(), 0) << "no image: 0";
    const std::vector<uint8_t> image = run(255, 0x00, {0xA5, 0x55, 0x12, 0xFE});
    const std::string path = dir.write("aligned.cas", image);
    ASSERT_TRUE(m->attachTape(path));
    EXPECT_EQ(c.bitShift, 0);
    EXPECT_EQ(c.casPath, path);
    EXPECT_TRUE(c.casMode);
    EXPECT_TRUE(inside(*m).traps.trapsArmed);
    EXPECT_EQ(inside(*m).bus.memory[0x0237], 0xED);
    EXPECT_EQ(readTape(c, image.size()), image);
    EXPECT_EQ(readTape(c, 3), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
}

TEST_F(CasImage, BitShiftFromTheSyncByte) {
    struct Case {
        const char* name;
        std::vector<uint8_t> image;
        int shift;
        std::vector<uint8_t> read;  // the first bytes read back, when checked
        int previous = -1;          // the shifter's last image byte after those, when checked
    };
    const std::vector<uint8_t> saved = run(256, 0xAA, {0xA5, 0x55, 0x00, 0x3C, 0x01, 0x00});
    const Case cases[] = {
        // Leader 00 A5 55 arriving one bit early: 00 01 4A AA.
        {"early.cas", {0x00, 0x00, 0x00, 0x01, 0x4A, 0xAA}, 1, {0x00, 0x00, 0x00, 0x00, 0xA5, 0x55}, 0xAA},
        // Two and seven bits early: the shift that brings A5h together is found.
        {"early2.cas", {0x00, 0x00, 0x02, 0x95, 0x54}, 2, {0x00, 0x00, 0x00, 0xA5, 0x55}},
        {"early7.cas", {0x00, 0x00, 0x52, 0x80}, 7, {}},
        // Leading non-zero bytes are skipped before the leader.
        {"junk.cas", {0x37, 0x00, 0x00, 0xA5}, 0, {}, 0},
        // Starting with 0xAA bytes but not going on with A5: the general rule, its zeros, then 01 4A.
        {"aa.cas", {0xAA, 0xAA, 0x00, 0x01, 0x4A}, 1, {}},
        // A leader of 0xAA bytes straight into A5 (how saved memory begins) is aligned.
        {"saved.cas", saved, 0, saved},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_TRUE(c.attachCas(dir.write(k.name, k.image)));
        EXPECT_EQ(c.bitShift, k.shift);
        EXPECT_EQ(readTape(c, k.read.size()), k.read);
        if (k.previous >= 0) {
            EXPECT_EQ(c.previousByte, k.previous);
        }
    }
}

TEST_F(CasImage, AttachFailuresLeaveTheTapeDetachedAndDetachClearsOnlyAnOpenImage) {
    const std::string good = dir.write("good.cas", {0x00, 0xA5, 0x01});
    ASSERT_TRUE(c.attachCas(good));
    // Only a regular file up to the tape's size limit.
    const std::string huge = dir.write("huge.cas", {});
    fs::resize_file(huge, kMaxCasImage + 1);
    const std::pair<std::string, const char*> cases[] = {
        {dir.file("missing.cas"), "Cannot open"},
        {huge, "is too large"},
    };
    for (const auto& [bad, says] : cases) {
        SCOPED_TRACE(bad);
        const IoResult refused = c.attachCas(bad);
        EXPECT_NE(refused.message.find(says), std::string::npos) << refused.message;
        EXPECT_FALSE(c.imageAttached());
        EXPECT_EQ(c.casPath, "");
        EXPECT_EQ(c.readTapeByte(), 0);
        ASSERT_TRUE(c.attachCas(good));
    }

    // A detach clears the path and the latch only when an image was open: a name
    // remembered from the settings survives a detach with nothing attached.
    inside(*m).tape.cassetteLatch = 1;
    c.detachCas();
    EXPECT_EQ(c.casPath, "");
    EXPECT_FALSE(c.imageAttached());
    EXPECT_EQ(inside(*m).tape.cassetteLatch, 0);
    c.casPath = "remembered.cas";
    c.detachCas();
    EXPECT_EQ(c.casPath, "remembered.cas");
}

TEST_F(CasImage, FindProgramReportsTheKindAndRewinds) {
    uint8_t name = 0;
    EXPECT_EQ(c.findCasProgram(name), 0) << "no image";

    ASSERT_TRUE(c.attachCas(dir.write("basic.cas", {0x00, 0x00, 0xA5, 0xD3, 0xD3, 0xD3, 'A', 0x01})));
    EXPECT_EQ(c.findCasProgram(name), 1);
    EXPECT_EQ(readTape(c, 3), (std::vector<uint8_t>{0x00, 0x00, 0xA5}));

    ASSERT_TRUE(c.attachCas(dir.write("system.cas", {0x00, 0x00, 0xA5, 0x55, 'G', 'A', 'M', 'E', ' ', ' ', 0x3C})));
    EXPECT_EQ(c.findCasProgram(name), 2);
    EXPECT_EQ(name, 0x47);
    EXPECT_EQ(c.readTapeByte(), 0x00);

    name = 0x99;
    ASSERT_TRUE(c.attachCas(dir.write("none.cas", {0x00, 0x00, 0x11, 0x22})));
    // Without a sync byte the shift rule gives 1122h / 165 - 1 = 25; read it unshifted
    // so the rewind shows in the bytes.
    EXPECT_EQ(c.bitShift, 25);
    c.bitShift = 0;
    EXPECT_EQ(c.findCasProgram(name), 0);
    EXPECT_EQ(name, 0x99);
    EXPECT_EQ(readTape(c, 4), (std::vector<uint8_t>{0x00, 0x00, 0x11, 0x22}));
}

TEST_F(CasImage, TokenisedBasicIsRecognisedByItsFirstByteAndBuildsATemporaryTape) {
    EXPECT_EQ(Cassette::isTokenisedBasic(dir.write("text.bas", bytesOf("10 REM"))), 0);
    EXPECT_EQ(Cassette::isTokenisedBasic(dir.write("empty.bas", {})), 0);
    EXPECT_EQ(Cassette::isTokenisedBasic(dir.file("missing.bas")), 0);
    EXPECT_EQ(Cassette::isTokenisedBasic(dir.path().string()), 0);
    const std::string source = dir.write("game.bas", {0xFF, 0x23, 0x6A, 0x00, 0x80});
    EXPECT_EQ(Cassette::isTokenisedBasic(source), 1);
    ASSERT_TRUE(m->attachBasicAsTape(source));
    EXPECT_TRUE(c.casMode);
    EXPECT_TRUE(inside(*m).traps.trapsArmed);
    EXPECT_EQ(c.bitShift, 0);
    EXPECT_EQ(c.casPath, "");
    // The name byte is the file name's first letter, upper-cased: 'G', not the
    // path's leading '/'.
    std::vector<uint8_t> expected = run(256, 0x00, {0xA5, 0xD3, 0xD3, 0xD3, 0x47, 0x23, 0x6A, 0x00, 0x80, 0x1A});
    expected.push_back(0xFF);  // past the end
    EXPECT_EQ(readTape(c, expected.size()), expected);
    // The source is left as it was.
    EXPECT_EQ(readFile(source), (std::vector<uint8_t>{0xFF, 0x23, 0x6A, 0x00, 0x80}));

    // The extension is cut at the last dot only; a digit stays a digit.
    ASSERT_TRUE(c.convertBasicToCas(dir.write("x.y.bas", {0xFF})));
    EXPECT_EQ(readTape(c, 262), run(256, 0x00, {0xA5, 0xD3, 0xD3, 0xD3, 'X', 0x1A}));
    ASSERT_TRUE(c.convertBasicToCas(dir.write("9lives", {0xFF, 0x01})));
    EXPECT_EQ(readTape(c, 263), run(256, 0x00, {0xA5, 0xD3, 0xD3, 0xD3, '9', 0x01, 0x1A}));

    // A file that cannot be read changes nothing: the image stays attached. Only
    // a regular file of a size a program can have is read.
    const std::string tape = dir.write("kept.cas", {0x00, 0xA5, 0x77});
    ASSERT_TRUE(c.attachCas(tape));
    fs::create_symlink("/dev/urandom", dir.file("random.bas"));
    std::vector<uint8_t> tooLarge(kMaxTokenisedBasic + 1, 0x00);
    tooLarge[0] = 0xFF;
    const std::pair<std::string, const char*> refused[] = {
        {dir.file("missing.bas"), "Cannot open"},
        {dir.file("random.bas"), "is not a regular file"},
        {dir.write("big.bas", tooLarge), "is too large"},
    };
    for (const auto& [bad, says] : refused) {
        const IoResult refused = c.convertBasicToCas(bad);
        EXPECT_NE(refused.message.find(says), std::string::npos) << refused.message;
    }
    EXPECT_EQ(c.casPath, tape);
    EXPECT_EQ(readTape(c, 3), (std::vector<uint8_t>{0x00, 0xA5, 0x77}));
}

// A SYSTEM tape head: leader, A5 55 and the six name bytes.
std::vector<uint8_t> systemHead(const std::vector<uint8_t>& name) {
    std::vector<uint8_t> v = run(256, 0xAA, {0xA5, 0x55});
    v.insert(v.end(), name.begin(), name.end());
    return v;
}

TEST_F(SaveMemoryAsCas, TwoBlocksWithCountsChecksumsAndTheEndRecord) {
    for (int i = 0; i < 256; ++i) inside(*m).bus.memory[0x7000 + i] = static_cast<uint8_t>(i);
    inside(*m).bus.memory[0x7100] = 0x42;
    const std::string path = dir.file("space.cas");
    ASSERT_TRUE(save(path, 0x7000, 0x7100, 0x7000)) << saved.message;

    std::vector<uint8_t> expected = systemHead({0x53, 0x50, 0x41, 0x43, 0x45, 0x20});
    expected.insert(expected.end(), {0x3C, 0x00, 0x00, 0x70});
    for (int i = 0; i < 256; ++i) expected.push_back(static_cast<uint8_t>(i));
    // 00h + 70h + (0 + 1 + ... + 255 = 7F80h) = 7FF0h.
    expected.push_back(0xF0);
    // 00h + 71h + 42h = B3h.
    expected.insert(expected.end(), {0x3C, 0x01, 0x00, 0x71, 0x42, 0xB3, 0x78, 0x00, 0x70});
    EXPECT_EQ(readFile(path), expected);

    // Attached again, the saved tape reads back byte for byte.
    ASSERT_TRUE(c.attachCas(path));
    EXPECT_EQ(c.bitShift, 0);
    EXPECT_EQ(readTape(c, expected.size()), expected);
    EXPECT_EQ(c.readTapeByte(), 0xFF);
}

TEST_F(SaveMemoryAsCas, TapeNameFromTheLastPathComponent) {
    inside(*m).bus.memory[0x5000] = 0xC9;
    // One block of one byte at 5000h: checksum 00h + 50h + C9h = 119h -> 19h.
    const std::vector<uint8_t> body = {0x3C, 0x01, 0x00, 0x50, 0xC9, 0x19, 0x78, 0x00, 0x50};
    auto tapeNamed = [&](std::vector<uint8_t> name) {
        auto v = systemHead(name);
        v.insert(v.end(), body.begin(), body.end());
        return v;
    };
    struct Case {
        std::string path;
        std::vector<uint8_t> name;
    };
    const std::vector<Case> cases = {
        // A digit ANDed with DFh: '1' (31h) becomes 11h.
        {dir.file("1abc.cas"), {0x11, 0x41, 0x42, 0x43, 0x20, 0x20}},
        // Six characters at most, stopping at the first dot.
        {dir.file("abcdefgh.cas"), {0x41, 0x42, 0x43, 0x44, 0x45, 0x46}},
        {dir.file("ab.c.cas"), {0x41, 0x42, 0x20, 0x20, 0x20, 0x20}},
        // Backslash separators (a file of that name here) count as well.
        {dir.file("games\\disk\\Zork.cas"), {0x5A, 0x4F, 0x52, 0x4B, 0x20, 0x20}},
        {dir.file(".cas"), {0x20, 0x20, 0x20, 0x20, 0x20, 0x20}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        ASSERT_TRUE(save(k.path, 0x5000, 0x5000, 0x5000)) << saved.message;
        EXPECT_EQ(readFile(k.path), tapeNamed(k.name));
    }

    // A name with no directory at all is a whole tape too.
    {
        test::CurrentDirGuard here(dir.path());
        ASSERT_TRUE(save("prog.cas", 0x5000, 0x5000, 0x5000)) << saved.message;
    }
    EXPECT_EQ(readFile(dir.file("prog.cas")), tapeNamed({0x50, 0x52, 0x4F, 0x47, 0x20, 0x20}));
}

TEST_F(SaveMemoryAsCas, BytesComeThroughTheBus) {
    // 16 KB fitted: the CPU reads FFh above 7FFFh whatever the array holds.
    inside(*m).bus.setRamTop(0x3FFF);
    inside(*m).bus.memory[0x8001] = 0x12;
    const std::string path = dir.file("hidden.cas");
    ASSERT_TRUE(save(path, 0x8001, 0x8001, 0x1234)) << saved.message;
    auto expected = systemHead({0x48, 0x49, 0x44, 0x44, 0x45, 0x4E});
    // Checksum 01h + 80h + FFh = 180h -> 80h (both address bytes count); entry 1234h low byte first.
    expected.insert(expected.end(), {0x3C, 0x01, 0x01, 0x80, 0xFF, 0x80, 0x78, 0x34, 0x12});
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(SaveMemoryAsCas, BadRangesAndUnwritablePlacesWriteNothing) {
    const std::string existing = dir.write("keep.cas", {0x01, 0x02, 0x03});

    EXPECT_FALSE(save(existing, 0x7100, 0x7000, 0x7000));
    EXPECT_NE(saved.message.find("below"), std::string::npos) << saved.message;
    // Length 0: the end one below the start.
    EXPECT_FALSE(save(existing, 0x7000, 0x6FFF, 0x7000));
    EXPECT_FALSE(saved.message.empty());
    EXPECT_EQ(readFile(existing), (std::vector<uint8_t>{0x01, 0x02, 0x03}));

    const std::string nowhere = dir.file("no-such-dir/x.cas");
    EXPECT_FALSE(save(nowhere, 0x7000, 0x7000, 0x7000));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    // A directory in the way stays a directory, and nothing else is left behind.
    std::filesystem::create_directory(dir.file("adir"));
    EXPECT_FALSE(save(dir.file("adir"), 0x7000, 0x7000, 0x7000));
    EXPECT_NE(saved.message.find("is a directory"), std::string::npos) << saved.message;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("adir")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(SaveMemoryAsCas, TheWholeAddressSpaceIsOneRange) {
    // Reading the device page posts watch messages: give them somewhere to go.
    test::CapturedStream diag;
    MachineOptions o;
    o.diagnostics = diag.file();
    Machine machine(o);
    const std::string all = dir.file("all.cas");
    EXPECT_TRUE(machine.saveMemoryAsTape(all, 0x0000, 0xFFFF, 0x0000));
    // 256 blocks of 256 bytes.
    EXPECT_EQ(readFile(all).size(), 256u + 2 + 6 + 256 * (4 + 256 + 1) + 3);
}

TEST_F(TapeRecording, ChooserDecidesTheFileAndTheTapeIsWrittenWhole) {
    std::string answer = dir.file("rec.cas");
    // Not in CAS mode: nothing happens.
    EXPECT_FALSE(c.beginTapeRecording(answer));
    EXPECT_EQ(c.casPath, "");
    c.casMode = true;

    dir.write("rec.cas", {0x99, 0x99});  // an old file of that name, replaced once the new one is written
    EXPECT_TRUE(c.beginTapeRecording(answer));
    EXPECT_EQ(c.casPath, answer);
    c.writeTapeByte(0x00);
    c.writeTapeByte(0xA5);
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x99, 0x99}));

    // Written once a second of emulated time at the end of a frame, when it has grown.
    const int64_t hz = 1'000'000;
    c.endFrame(5'000'000, hz);
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x99, 0x99}));
    c.endFrame(5'999'999, hz);
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x99, 0x99}));
    c.endFrame(6'000'000, hz);
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x00, 0xA5}));
    c.writeTapeByte(0x55);
    c.endFrame(6'500'000, hz);
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x00, 0xA5}));

    // Cancelling the next recording ends this one: written out, and the next
    // bytes go nowhere.
    answer.clear();
    c.beginTapeRecording(answer);
    EXPECT_EQ(c.casPath, "");
    EXPECT_EQ(readFile(dir.file("rec.cas")), (std::vector<uint8_t>{0x00, 0xA5, 0x55}));
    c.writeTapeByte(0x66);
    c.endFrame(100'000'000, hz);
    EXPECT_TRUE(c.flushRecording());
    EXPECT_EQ(readFile(dir.file("rec.cas")), (std::vector<uint8_t>{0x00, 0xA5, 0x55}));

    // An attached image is not written to when the user cancels the recording.
    const std::string image = dir.write("image.cas", {0x00, 0xA5, 0x10});
    ASSERT_TRUE(c.attachCas(image));
    c.beginTapeRecording(answer);
    c.writeTapeByte(0x55);
    c.detachCas();
    EXPECT_EQ(readFile(image), (std::vector<uint8_t>{0x00, 0xA5, 0x10}));
    EXPECT_EQ(c.recordingError(), "");

    // A recording ends with a detach, a new image, or the machine: each time it is on disk.
    answer = dir.file("detached.cas");
    c.beginTapeRecording(answer);
    c.writeTapeByte(0x01);
    c.detachCas();
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x01}));
    answer = dir.file("attached.cas");
    c.beginTapeRecording(answer);
    c.writeTapeByte(0x02);
    ASSERT_TRUE(c.attachCas(image));
    EXPECT_EQ(readFile(answer), (std::vector<uint8_t>{0x02}));
    {
        auto other = std::make_unique<Machine>(test::quietMachineOptions());
        inside(*other).cassette.casMode = true;
        inside(*other).cassette.beginTapeRecording(dir.file("machine.cas"));
        inside(*other).cassette.writeTapeByte(0x03);
    }
    EXPECT_EQ(readFile(dir.file("machine.cas")), (std::vector<uint8_t>{0x03}));
    EXPECT_EQ(c.recordingError(), "");
}

TEST_F(TapeRecording, AFailedWriteIsReportedAndRemembered) {
    std::vector<std::string> posted;
    c.postStatus = [&](const std::string& text) { posted.push_back(text); };
    std::string answer = dir.file("no-such-dir/rec.cas");
    c.casMode = true;
    c.beginTapeRecording(answer);
    c.writeTapeByte(0x55);
    EXPECT_FALSE(c.flushRecording());
    EXPECT_FALSE(c.flushRecording());
    EXPECT_FALSE(fs::exists(answer));
    // Told once, in the status bar too, and kept after the recording ends.
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_NE(posted[0].find("Cannot write " + answer), std::string::npos) << posted[0];
    EXPECT_EQ(c.recordingError(), posted[0]);
    answer = dir.file("good.cas");
    c.beginTapeRecording(answer);
    c.writeTapeByte(0x55);
    EXPECT_TRUE(c.flushRecording());
    EXPECT_EQ(c.recordingError(), posted[0]);
}

TEST_F(TapeUnit, PlayRecordSwitchAndRewind) {
    int posted = 0;
    c.postStatus = [&](const std::string&) { ++posted; };
    ASSERT_TRUE(c.attachCas(dir.write("r.cas", {0x00, 0xA5, 0x31, 0x32})));
    EXPECT_EQ(readTape(c, 3), (std::vector<uint8_t>{0x00, 0xA5, 0x31}));

    c.setTapeRunning(true, 1000);
    EXPECT_TRUE(c.tapeRunning);
    EXPECT_EQ(c.tapeOrigin, 1000u);
    c.setTapeRunning(true, 2000);  // already running: the origin stays
    EXPECT_EQ(c.tapeOrigin, 1000u);

    c.rewindTape(5000);
    EXPECT_FALSE(c.tapeRunning);
    EXPECT_EQ(c.tapeOrigin, 5000u);
    EXPECT_EQ(readTape(c, 4), (std::vector<uint8_t>{0x00, 0xA5, 0x31, 0x32}));

    c.rewindTape(7000);  // stopped: the origin stays
    EXPECT_EQ(c.tapeOrigin, 5000u);
    EXPECT_EQ(c.readTapeByte(), 0x00);

    c.setTapeRunning(true, 8000);
    c.setTapeRunning(false, 9000);
    EXPECT_FALSE(c.tapeRunning);
    EXPECT_EQ(c.tapeOrigin, 8000u);
    // The tape counter belongs to a WAV file, and none is attached.
    EXPECT_EQ(posted, 0);

    // A one-bit-early image reads the same after a rewind as the first time.
    ASSERT_TRUE(c.attachCas(dir.write("e.cas", {0x00, 0x00, 0x01, 0x4A, 0xAA})));
    const auto first = readTape(c, 5);
    c.rewindTape(0);
    EXPECT_EQ(readTape(c, 5), first);
    EXPECT_EQ(first, (std::vector<uint8_t>{0x00, 0x00, 0x00, 0xA5, 0x55}));
}

}  // namespace
}  // namespace kestrel
