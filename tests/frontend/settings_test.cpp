#include <gtest/gtest.h>

#include <QSettings>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "frontend/command_line.h"
#include "frontend/main_window.h"
#include "frontend/status_bar.h"
#include "machine_peer.h"
#include "media_files.h"
#include "quiet_machine.h"
#include "scratch_files.h"

using namespace kestrel;
using A = StartAction;

namespace {

using mediatest::TempDir;

// The slash forms, their GNU forms and the edge cases give these actions.
TEST(CommandLine, SlashAndGnuFormsGiveTheSameActions) {
    struct Case {
        std::vector<std::string> args;
        std::vector<StartAction> actions;
        std::string file;
    };
    const StartAction noSound{A::kNoSound};
    const Case cases[] = {
        {{"/h"}, {noSound}, ""},
        {{"--no-sound"}, {noSound}, ""},
        {{"/r", "16"}, {{A::kRam, "", 16}}, ""},  // the value is not the file as well
        {{"/r", "160"}, {{A::kRam, "", 48}}, ""},
        {{"--ram=16"}, {{A::kRam, "", 16}}, ""},
        {{"/m9"}, {{A::kMachine, "", 0}}, ""},
        {{"/m3"}, {{A::kMachine, "", 2}}, ""},
        {{"--machine", "3"}, {{A::kMachine, "", 2}}, ""},
        {{"/b", "x.cas"}, {{A::kAutostart, "x.cas"}}, ""},  // started once
        {{"--autostart", "x.cas"}, {{A::kAutostart, "x.cas"}}, ""},
        {{"/home/user/x.cas"}, {}, "/home/user/x.cas"},
        {{"/a", "/b", "/h"}, {{A::kNoAutorun}, {A::kAutostart, "/h"}, noSound}, ""},
        {{"/r", "/h"}, {{A::kRam, "", 48}, noSound}, ""},  // a slash value counts as its option too
        {{"g.cmd", "/d", "/w", "/g", "/i", "d.dsk"},
         {{A::kNoDoubleScan}, {A::kNoSpeedLimit}, {A::kHiRes}, {A::kDisk, "d.dsk"}}, "g.cmd"},
        {{"--screenshot-after", "2.5", "/s", "3", "--record-video", "v.avi"},
         {{A::kScreenshotAfter, "", 0, 2.5}, {A::kScreenshotAfter, "", 0, 3}, {A::kRecordVideo, "v.avi"}}, ""},
        {{"--", "-odd.cas"}, {}, "-odd.cas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::string error;
        const auto line = parseCommandLine(c.args, error);
        ASSERT_TRUE(line) << error;
        EXPECT_EQ(line->actions, c.actions);
        EXPECT_EQ(line->file, c.file);
    }
}

TEST(CommandLine, BadArgumentsAreRefusedAndIgnoredOnesSaid) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--bogus"}, {"--ram", "20"}, {"--machine", "0"}, {"a.cas", "b.cas"},
                                               {"--quit-after", "soon"}, {"/b"}, {"--disk="}}) {
        std::string error;
        EXPECT_FALSE(parseCommandLine(args, error)) << args.front();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
    std::string error;
    const auto line = parseCommandLine({"/q", "/z", "-h", "--version", "--rom-dir", "/r"}, error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->warnings, (std::vector<std::string>{"option /q ignored", "option /z ignored"}));
    EXPECT_TRUE(line->help && line->version);
    EXPECT_EQ(line->romDir, "/r");
    EXPECT_NE(commandLineUsage().find("--no-autorun"), std::string::npos);
}

struct Store {
    TempDir dir;
    std::string path = dir.file("config/kestrel.ini");

    StartRequest request(std::vector<std::string> args = {}) const {
        StartRequest r;
        r.settingsPath = path;
        r.diagnostics = nullptr;
        std::string error;
        r.commandLine = *parseCommandLine(args, error);
        return r;
    }
    QVariant value(const char* name) const { return QSettings(QString::fromStdString(path), QSettings::IniFormat).value(name); }
    void set(const char* name, const QVariant& v) const {
        QSettings s(QString::fromStdString(path), QSettings::IniFormat);
        s.setValue(name, v);
    }
};

MachineOptions quiet() { return test::quietMachineOptions(); }

TEST(Settings, FirstStartWritesEveryDefaultAndARestartKeepsWhatChanged) {
    Store store;
    const std::string disk = store.dir.write("a.jv1", std::vector<uint8_t>(35 * 2560, 0xE5));
    const std::string tape = store.dir.write("t.cas", std::vector<uint8_t>(64, 0x55));
    {
        MainWindow w(quiet(), store.request());
        const std::pair<const char*, int> defaults[] = {
            {"Sound", 1}, {"DoubleScan", 1}, {"HiResLowe", 0}, {"SyncSpeed", 1}, {"RunInBackground", 0},
            {"CompositeBlur", 0}, {"ActiveConfig", 0}, {"CustomRomBASIC", 0}, {"CustomRamSize", 1},
            {"CustomCpuClockFreq", 1774080}, {"CustomScreenFreq", 50}, {"VideoCut", 0}, {"KeyMapping", 0},
            {"GiantScreen", 0}, {"EnablePrinter", 0}, {"SaveVideoRamWithScreenShots", 0}, {"KeypadJoystick", 0}};
        for (const auto& [name, value] : defaults) EXPECT_EQ(store.value(name).toInt(), value) << name;
        EXPECT_TRUE(store.value("BitDepth").toInt() == 1 || store.value("BitDepth").toInt() == 8);
        EXPECT_NE(mediatest::readFile(store.path).size(), 0u);  // on disk, not only in memory
        w.command(cmd::kSound);
        w.command(cmd::kDoubleScan);
        w.command(cmd::kSymbolicKeys);
        w.command(cmd::kKeypadJoystick);
        w.command(cmd::kWindowScale3);
        w.machine().selectConfiguration(2);
        ASSERT_TRUE(w.machine().attachDisk(1, disk));
        ASSERT_TRUE(w.machine().attachTape(tape));
        w.close();
    }
    EXPECT_EQ(store.value("Disk1").toString().toStdString(), disk);
    EXPECT_EQ(store.value("Tape").toString().toStdString(), tape);
    EXPECT_EQ(store.value("Disk0").toString(), QString());
    {
        MainWindow w(quiet(), store.request());
        EXPECT_FALSE(w.state().soundOn);
        EXPECT_FALSE(w.state().display.doubleScan);
        EXPECT_TRUE(w.state().symbolicKeys);
        EXPECT_TRUE(w.state().keypadJoystick);
        EXPECT_EQ(w.state().windowScale, 3);
        EXPECT_EQ(w.machine().activeConfigIndex(), 2);
        EXPECT_EQ(w.machine().diskPath(1), disk);
        EXPECT_EQ(w.machine().tapePath(), tape);
        w.close();
    }
    // A remembered disk that is gone is passed over with a word in the status bar.
    std::filesystem::remove(disk);
    MainWindow w(quiet(), store.request());
    EXPECT_EQ(w.machine().disk(1), nullptr);
    EXPECT_NE(w.statusBarWidget()->partText(2).toStdString().find("no longer there"), std::string::npos);
}

TEST(Settings, OutOfRangeValuesAndTheCommandLine) {
    Store store;
    { MainWindow w(quiet(), store.request()); }  // the file and its defaults
    store.set("CustomScreenFreq", 200);
    store.set("CompositeBlur", 150);
    store.set("ActiveConfig", 9);
    store.set("CustomRomBASIC", 77);
    store.set("Sound", "loud");
    {
        MainWindow w(quiet(), store.request({"/m4", "/h", "/r", "16"}));
        EXPECT_EQ(w.machine().configuration(kCustomConfigIndex).frameHz, 50u);
        EXPECT_EQ(store.value("CustomScreenFreq").toInt(), 200);  // not written back before the exit
        EXPECT_EQ(store.value("CompositeBlur").toInt(), 0);        // written back at once
        EXPECT_EQ(w.machine().configuration(kCustomConfigIndex).basicRom, 0u);
        EXPECT_EQ(store.value("Sound").toInt(), 1);  // unreadable: the default stored
        EXPECT_FALSE(w.state().soundOn);
        EXPECT_EQ(w.machine().activeConfigIndex(), 3);
        EXPECT_EQ(inside(w.machine()).bus.ramTop(), 0x3FFF);
        w.close();
    }
    EXPECT_EQ(store.value("Sound").toInt(), 0);
    EXPECT_EQ(store.value("CustomScreenFreq").toInt(), 50);
    EXPECT_EQ(store.value("ActiveConfig").toInt(), 3);
}

TEST(Settings, EnablePrinterOpensThePrinterAtStartUpAndTheMenuTogglesIt) {
    Store store;
    { MainWindow w(quiet(), store.request()); }
    store.set("EnablePrinter", 1);
    StartRequest r = store.request();
    r.printerPath = store.dir.file("data/kestrel/printer.txt");
    const auto printed = [&] {
        const std::vector<uint8_t> bytes = mediatest::readFile(r.printerPath);
        return std::string(bytes.begin(), bytes.end());
    };
    {
        MainWindow w(quiet(), r);
        EXPECT_TRUE(w.machine().printerOpen());
        w.machine().writePort(0xFD, 'A');
        w.command(cmd::kEnablePrinter);  // off: what was printed is written
        EXPECT_FALSE(w.state().printerOn);
        EXPECT_EQ(printed(), "A");
        w.command(cmd::kEnablePrinter);
        EXPECT_TRUE(w.state().printerOn);
        EXPECT_EQ(w.statusBarWidget()->partText(2).toStdString(), "Printing to " + r.printerPath);
        w.machine().writePort(0xFD, 'B');
        w.close();
    }
    EXPECT_EQ(printed(), "AB");
    EXPECT_EQ(store.value("EnablePrinter").toInt(), 1);
    // A place that cannot take the file: the printer stays off, with a word why.
    r.printerPath = store.dir.path().string();
    MainWindow w(quiet(), r);
    EXPECT_FALSE(w.state().printerOn);
    EXPECT_FALSE(w.machine().printerOpen());
    EXPECT_NE(w.statusBarWidget()->partText(2).toStdString().find("Printer off"), std::string::npos);
}

// Stray lines that are not settings (found by fuzz/fuzz_settings.cpp): the
// first save drops them and succeeds, and so does the next, without Qt
// warnings (an "=x" line reads as an empty key).
TEST(Settings, AStrayLineInTheFileDoesNotStopItBeingSaved) {
    TempDir dir;
    const std::string path = dir.write("kestrel.ini", {0x01, 0x00, '\n', '=', 'x', '\n', '\n'});
    static int warnings = 0;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++warnings; });
    {
        Settings s(path, nullptr);
        ASSERT_TRUE(s.usable());
        EXPECT_TRUE(s.writeNumber("Sound", 1));
        EXPECT_TRUE(s.sync());
        EXPECT_TRUE(s.writeString("Tape", "t.cas"));
        EXPECT_TRUE(s.sync());
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 0);
    Settings again(path, nullptr);
    uint32_t sound = 0;
    std::string tape;
    EXPECT_TRUE(again.readNumber("Sound", sound) && sound == 1);
    EXPECT_TRUE(again.readString("Tape", tape) && tape == "t.cas");
}

TEST(Settings, AStoreThatCannotBeUsedLeavesTheDefaultsAndSaysSoOnce) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("kestrel.ini"));  // a directory, not a file
    test::CapturedStream said;
    Settings s(dir.file("kestrel.ini"), said.file());
    uint32_t value = 7;
    EXPECT_FALSE(s.usable());
    EXPECT_FALSE(s.readNumber("Sound", value));
    EXPECT_FALSE(s.writeNumber("Sound", 1));
    EXPECT_FALSE(s.sync());
    EXPECT_EQ(value, 7u);
    const std::string text = said.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

}  // namespace
