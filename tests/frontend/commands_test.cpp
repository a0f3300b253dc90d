// The file and machine commands, run against a real machine with the chooser
// and the address panel answered by the test.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "disk_boot_fixture.h"
#include "machine_peer.h"
#include "media_files.h"
#include "quiet_machine.h"
#include "formats/wav.h"
#include "frontend/commands.h"
#include "frontend/front_end.h"
#include "frontend/settings.h"
#include "machine/machine.h"

namespace kestrel {
namespace {

using mediatest::TempDir;
namespace fs = std::filesystem;

class FakeFrontEnd : public FrontEnd {
public:
    FakeFrontEnd() {
        machine_ = std::make_unique<Machine>(test::quietMachineOptions());
        machine_->startUp();
        machine_->showStatusPart = [this](int part, const std::string& text) {
            if (part == 2) status.push_back(text);
        };
    }
    Machine& machine() override { return *machine_; }
    FrontEndState& state() override { return state_; }
    Settings& settings() override { return settings_; }
    QWidget* window() override { return nullptr; }
    void setWindowTitle(const std::string&) override {}
    void showStatus(const std::string& text) override { status.push_back(text); }
    void resetPacing() override { ++pacingResets; }
    void presentFrame() override {}
    void pauseAudio() override {}
    void resumeAudio() override {}
    void setMenuChecked(int id, bool checked) override { checks[id] = checked; }
    void setMenuText(int id, const std::string& text) override { texts[id] = text; }

    std::vector<std::string> status;
    std::map<int, bool> checks;
    std::map<int, std::string> texts;
    int pacingResets = 0;

private:
    std::unique_ptr<Machine> machine_;
    FrontEndState state_;
    Settings settings_{"", nullptr};
};

// Commands whose chooser answers with `answer` (empty: cancelled) and records the kinds asked for.
struct Rig {
    FakeFrontEnd fe;
    Commands commands{fe};
    std::string answer;
    std::vector<int> kinds;
    Rig() {
        commands.hooks().chooseFile = [this](int kind, std::string& path) {
            kinds.push_back(kind);
            path = answer;
            return answer.empty() ? 0 : 1;
        };
    }
    Machine& m() { return fe.machine(); }
};

TEST(Commands, AutostartAndLoadCmdStartTheChosenProgram) {
    TempDir dir;
    Rig r;
    // Load 3E 4B 76 at 7000h, transfer to 7000h.
    r.answer = dir.write("game.cmd", {0x01, 0x05, 0x00, 0x70, 0x3E, 0x4B, 0x76, 0x02, 0x02, 0x00, 0x70});
    r.m().runFrame();  // a machine in use starts a program at once
    ASSERT_TRUE(r.commands.execute(cmd::kAutostart));
    EXPECT_EQ(r.m().processor().PC, 0x7000);
    r.m().setProgramCounter(0x1234);
    r.commands.execute(cmd::kLoadCmd);
    EXPECT_EQ(r.m().processor().PC, 0x7000);
    EXPECT_EQ(r.kinds, (std::vector<int>{4, 0}));
    EXPECT_EQ(r.fe.pacingResets, 2);

    // Cancelled: nothing happens.
    r.m().setProgramCounter(0x1234);
    r.answer.clear();
    r.commands.execute(cmd::kLoadCmd);
    EXPECT_EQ(r.m().processor().PC, 0x1234);
    EXPECT_FALSE(r.commands.execute(cmd::kPause));
}

TEST(Commands, AttachCasReportsAndPlayRecordFollowsTheTape) {
    TempDir dir;
    Rig r;
    std::vector<uint8_t> leader(257, 0x55);
    leader.back() = 0xA5;
    r.answer = dir.write("t.cas", leader);
    r.commands.execute(cmd::kAttachCas);
    r.answer = dir.file("missing.cas");
    r.commands.execute(cmd::kAttachCas);
    EXPECT_EQ(r.fe.status, (std::vector<std::string>{"CAS image attached: " + dir.file("t.cas"),
                                                    "Error opening image: " + dir.file("missing.cas")}));
    EXPECT_EQ(r.kinds, (std::vector<int>{3, 3}));

    inside(r.m()).cpu.tstates = 5000;
    r.commands.execute(cmd::kPlayRecord);
    EXPECT_TRUE(r.fe.checks.at(cmd::kPlayRecord));
    EXPECT_TRUE(r.m().tapeRunning());
    EXPECT_EQ(inside(r.m()).cassette.tapeOrigin, 5000u);
    r.commands.execute(cmd::kPlayRecord);
    EXPECT_FALSE(r.fe.checks.at(cmd::kPlayRecord));
    EXPECT_FALSE(r.m().tapeRunning());

    r.commands.execute(cmd::kPlayRecord);
    r.commands.execute(cmd::kRewindTape);
    EXPECT_FALSE(r.fe.checks.at(cmd::kPlayRecord));
    EXPECT_FALSE(r.m().tapeRunning());

    // The ROM's request for a recording file goes to chooser kind 12.
    r.answer = dir.file("rec.cas");
    r.commands.answerTapeRecording();
    EXPECT_EQ(r.kinds.back(), 12);
}

TEST(Commands, ScreenshotIsGifForEightBitsAndBmpForOne) {
    TempDir dir;
    Rig r;
    r.m().setImageBaseName(dir.file("shot"));
    r.fe.state().saveVideoRamWithShots = true;
    r.m().setFrameFormat(DisplayOptions{});
    r.commands.execute(cmd::kScreenshot);
    r.m().setFrameFormat(DisplayOptions{.oneBitDisplay = true});
    r.commands.execute(cmd::kScreenshot);
    EXPECT_TRUE(fs::exists(dir.file("shot0000.gif")));
    EXPECT_TRUE(fs::exists(dir.file("shot0000.bmp")));
    EXPECT_TRUE(fs::exists(dir.file("shot0000.v80")));
    ASSERT_EQ(r.fe.status.size(), 2u);
    EXPECT_EQ(r.fe.status[1], "Screenshot saved: " + dir.file("shot0000.bmp"));

    // Where nothing can be written, F6 says so, for the picture and for the video RAM.
    r.m().setImageBaseName(dir.file("no-such-dir/shot"));
    r.commands.execute(cmd::kScreenshot);
    ASSERT_EQ(r.fe.status.size(), 4u);
    EXPECT_NE(r.fe.status[2].find("Cannot write " + dir.file("no-such-dir/shot0000.bmp")), std::string::npos);
    EXPECT_NE(r.fe.status[3].find("Cannot write " + dir.file("no-such-dir/shot0000.v80")), std::string::npos);
}

TEST(Commands, SnapshotsReportWhatWasSavedAndWhyALoadFailed) {
    TempDir dir;
    Rig r;
    r.answer = dir.file("state.hts");
    r.commands.execute(cmd::kSaveSnapshot);
    r.answer = dir.file("no-such-dir/state.hts");
    r.commands.execute(cmd::kSaveSnapshot);
    r.answer = dir.path().string();
    r.commands.execute(cmd::kLoadSnapshot);
    ASSERT_EQ(r.fe.status.size(), 3u);
    EXPECT_EQ(r.fe.status[0], "Snapshot saved: " + dir.file("state.hts"));
    EXPECT_NE(r.fe.status[1].find("Cannot write " + dir.file("no-such-dir/state.hts")), std::string::npos);
    EXPECT_NE(r.fe.status[2].find(dir.path().string() + " is a directory"), std::string::npos) << r.fe.status[2];
}

TEST(Commands, SaveMemoryAsCasTakesThePanelAddresses) {
    TempDir dir;
    Rig r;
    r.commands.hooks().askAddresses = [](CasAddresses& a) {
        a = AddressPanel().addresses();  // the presets, as if OK was pressed at once
        return true;
    };
    r.answer = dir.file("mem.cas");
    r.commands.execute(cmd::kSaveMemoryAsCas);
    EXPECT_EQ(r.kinds, std::vector<int>{10});
    const auto tape = mediatest::readFile(r.answer);
    // 256 leader bytes, A5, 55, six name bytes, then 64 blocks of 256 bytes from 4000h
    // (3C, count, address, data, checksum) and the entry record 78 66 00.
    ASSERT_EQ(tape.size(), 264u + 64 * 261 + 3);
    EXPECT_EQ(std::vector<uint8_t>(tape.begin() + 264, tape.begin() + 268), (std::vector<uint8_t>{0x3C, 0x00, 0x00, 0x40}));
    EXPECT_EQ(std::vector<uint8_t>(tape.end() - 3, tape.end()), (std::vector<uint8_t>{0x78, 0x66, 0x00}));

    // Success and failure are reported in the status bar; a cancelled panel writes nothing.
    r.answer = dir.file("no/such/dir.cas");
    r.commands.execute(cmd::kSaveMemoryAsCas);
    ASSERT_EQ(r.fe.status.size(), 2u);
    EXPECT_EQ(r.fe.status[0], "CAS image saved: " + dir.file("mem.cas"));
    EXPECT_NE(r.fe.status[1].find("Cannot write"), std::string::npos) << r.fe.status[1];
    r.commands.hooks().askAddresses = [](CasAddresses&) { return false; };
    r.answer = dir.file("cancelled.cas");
    r.commands.execute(cmd::kSaveMemoryAsCas);
    EXPECT_FALSE(fs::exists(r.answer));
}

// The drive items attach with chooser kind 5 and show the disk; taking a
// changed disk out asks first, and a failed save asks again before the
// changes are dropped.
TEST(Commands, DisksGoInAndComeOutAskingAboutChanges) {
    TempDir dir;
    Rig r;
    std::vector<std::string> asked;
    std::vector<bool> answers;
    r.commands.hooks().askWarning = [&](const std::string& text) {
        asked.push_back(text);
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return yes;
    };
    const std::vector<uint8_t> image = test::diskBootImage();
    r.answer = dir.write("d.jv1", image);
    const int item = cmd::kAttachDrive0 + 1;
    auto change = [&] {
        const std::vector<uint8_t> sector(256, 0x42);
        ASSERT_TRUE(inside(r.m()).fdc.disk(1)->writeSector(0, 3, 4, sector));
    };
    auto attach = [&] {
        r.commands.execute(item);
        change();
    };

    attach();
    EXPECT_EQ(r.kinds.back(), 5);
    EXPECT_EQ(r.fe.status.back(), "Disk: 2 side(s), 40 tracks, 10 sectors, 100 kb.");
    EXPECT_EQ(r.fe.texts.at(item), "Drive :&1 - " + r.answer);

    // No: the file stays as it was.
    answers = {false};
    r.commands.execute(cmd::kDetachDrive0 + 1);
    EXPECT_EQ(asked.back(), "Disk content in drive :1 has changed. Do you want to save your changes?");
    EXPECT_EQ(r.fe.status.back(), "Disk detached from drive #1");
    EXPECT_EQ(r.fe.texts.at(item), "Drive :&1 - <no disk>");
    EXPECT_EQ(mediatest::readFile(r.answer), image);

    // Yes: written back whole.
    attach();
    answers = {true};
    r.commands.execute(cmd::kDetachAll);
    EXPECT_EQ(r.fe.status.back(), "All disks detached.");
    EXPECT_EQ(mediatest::readFile(r.answer)[test::jv1Offset(3, 4)], 0x42);

    // The file became a directory: the save fails, the disk stays unless the
    // user agrees to drop the changes.
    attach();
    fs::remove(r.answer);
    fs::create_directory(r.answer);
    answers = {true, false};
    r.commands.execute(cmd::kDetachDrive0 + 1);
    ASSERT_NE(r.m().disk(1), nullptr);
    EXPECT_TRUE(r.m().diskChanged(1));
    EXPECT_NE(asked.back().find("without saving"), std::string::npos) << asked.back();
    answers = {true, true};
    r.commands.execute(cmd::kDetachDrive0 + 1);
    EXPECT_EQ(r.m().disk(1), nullptr);
    EXPECT_EQ(r.fe.texts.at(item), "Drive :&1 - <no disk>");
}

// Save to WAV starts with chooser kind 15 and stops on the second use; the
// file holds every frame rendered in between.
TEST(Commands, SaveToWavRecordsEveryFrameUntilStopped) {
    TempDir dir;
    Rig r;
    r.answer = dir.file("sound.wav");
    r.commands.execute(cmd::kSaveWav);
    EXPECT_EQ(r.kinds.back(), 15);
    EXPECT_TRUE(r.fe.checks.at(cmd::kSaveWav));
    for (int i = 0; i < 10; ++i) r.m().runFrame();
    r.commands.execute(cmd::kSaveWav);
    EXPECT_FALSE(r.fe.checks.at(cmd::kSaveWav));
    EXPECT_EQ(r.fe.status.back(), "Sound saved: " + r.answer);
    WavAudio audio;
    ASSERT_TRUE(parseWav(mediatest::readFile(r.answer), audio));
    EXPECT_EQ(audio.rate, 48000u);
    EXPECT_EQ(audio.samples.size() % 960, 0u);
    EXPECT_GE(audio.samples.size(), 9u * 960);
}

#if KESTREL_HAVE_AVI
// Save to video: chooser kind 14, then the codec (cancelled: no recording, no
// message); the second use stops it with the count of frames written.
TEST(Commands, SaveToVideoRecordsUntilStopped) {
    TempDir dir;
    Rig r;
    r.m().setFrameFormat(DisplayOptions{});
    r.answer = dir.file("v.avi");
    std::vector<std::string> offered;
    bool accept = false;
    r.commands.hooks().askVideoCodec = [&](std::string& codec, uint32_t&) {
        offered.push_back(codec);
        return accept;
    };
    const size_t said = r.fe.status.size();
    r.commands.execute(cmd::kSaveVideo);
    EXPECT_EQ(r.kinds.back(), 14);
    EXPECT_FALSE(r.commands.videoRecording());
    EXPECT_EQ(r.fe.status.size(), said);
    accept = true;
    r.commands.execute(cmd::kSaveVideo);
    ASSERT_TRUE(r.commands.videoRecording());
    EXPECT_TRUE(r.fe.checks.at(cmd::kSaveVideo));
    for (int i = 0; i < 250; ++i) {
        r.m().runFrame();
        r.commands.writeVideoFrame();
    }
    r.commands.execute(cmd::kSaveVideo);
    EXPECT_FALSE(r.fe.checks.at(cmd::kSaveVideo));
    EXPECT_EQ(offered, (std::vector<std::string>{"ffv1", "ffv1"}));
    EXPECT_EQ(std::count(r.fe.status.begin(), r.fe.status.end(),
                         "Streaming video... 200 frames written so far. Alt+I to stop."), 1);
    EXPECT_EQ(r.fe.status.back(), "Video stream closed. 250 frames written.");
    EXPECT_GT(fs::file_size(r.answer), 100000u);
}
#endif

// The WAV tape items: chooser kinds 2 and 9, the head adjust kept within
// 0-240, and a file that is no WAV refused by name.
TEST(Commands, WavTapeItemsAndTheHeadAdjust) {
    TempDir dir;
    Rig r;
    r.answer = dir.file("out.wav");
    r.commands.execute(cmd::kCreateWav);
    EXPECT_EQ(r.kinds.back(), 9);
    EXPECT_TRUE(r.m().wavTapeOpen());
    r.commands.execute(cmd::kCloseWav);
    WavAudio audio;
    ASSERT_TRUE(parseWav(mediatest::readFile(r.answer), audio));
    EXPECT_EQ(audio.samples.size(), 32u);  // the closing pause

    r.answer = dir.write("bad.wav", {'R', 'I', 'F', 'F'});
    r.commands.execute(cmd::kAttachWav);
    EXPECT_EQ(r.kinds.back(), 2);
    EXPECT_NE(r.fe.status.back().find("bad.wav"), std::string::npos) << r.fe.status.back();
    EXPECT_FALSE(r.m().wavTapeOpen());

    r.commands.hooks().askTapeHead = [](int& level, bool& inverted) {
        EXPECT_EQ(level, 100);
        level = 300;
        inverted = true;
        return true;
    };
    r.commands.execute(cmd::kAdjustHead);
    EXPECT_EQ(r.m().tapeTriggerLevel(), 240);
    EXPECT_TRUE(r.m().tapeInverted());
}

TEST(Commands, ConfigurationShowsTheDialogAndStartsPacingAfresh) {
    Rig r;
    int shown = 0;
    r.commands.hooks().configure = [&] { ++shown; };
    r.m().screenShown();
    EXPECT_TRUE(r.commands.execute(cmd::kConfiguration));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(r.fe.pacingResets, 1);
    EXPECT_TRUE(r.m().screenChanged());
}

TEST(Commands, ClipboardCopiesTheScreenAndPastesKeys) {
    Rig r;
    QClipboard* clipboard = QGuiApplication::clipboard();
    r.m().writeMemory(0x3C00, 'H');
    r.m().writeMemory(0x3C01, 0xBF);  // a full graphics cell
    r.commands.execute(cmd::kCopy);
    const QStringList lines = clipboard->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 17);  // 16 rows, each ended
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("H\u2588")));
    EXPECT_EQ(lines[0].size(), 64);

    clipboard->setText(QStringLiteral("10 PRINT \u201CA\u201D\r\nRUN\r\n\u00E9"));
    r.commands.execute(cmd::kPaste);
    const TypedText& typed = inside(r.m()).typedText;
    ASSERT_TRUE(typed.hasTypedText());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(typed.typedText.get()), typed.typedLength),
              "10 PRINT \"A\"\r\nRUN\r\n");
    EXPECT_EQ(r.fe.status.back(), "1 character the machine has no key for left out of the paste");

    // Too long to type: refused with a word, the queued text kept.
    clipboard->setText(QString(100 * 1024, QLatin1Char('A')));
    r.commands.execute(cmd::kPaste);
    EXPECT_EQ(typed.typedLength, 19u);
    EXPECT_NE(r.fe.status.back().find("too long"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
