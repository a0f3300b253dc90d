// The printer: how bytes become lines in its file, when the file is written,
// and files it must refuse; then the machine polling it from BASIC.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "devices/printer.h"
#include "machine/machine.h"
#include "machine_peer.h"
#include "quiet_machine.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Printer, LinesEndAtReturnFormFeedAndLineFeedAndWrapAt64) {
    const std::string a64(64, 'a');
    const struct {
        std::string sent, file;
    } cases[] = {
        {std::string(70, 'a'), a64 + "\n" + std::string(6, 'a')},
        {std::string(130, 'a'), a64 + "\n" + a64 + "\naa"},
        {"AB\r\nC\fD\r" + std::string(64, 'a') + "\r", "AB\n\nC\nD\n" + a64 + "\n"},
    };
    test::ScratchDir dir;
    for (const auto& c : cases) {
        Printer p;
        ASSERT_TRUE(p.open(dir.file(std::to_string(&c - cases))));
        for (char ch : c.sent) p.printByte(static_cast<uint8_t>(ch));
        EXPECT_EQ(text(p.contents()), c.file) << c.sent;
    }
}

TEST(Printer, OutputReachesTheFileOnceASecondAndAtCloseAfterWhatWasThere) {
    test::ScratchDir dir;
    const std::string path = (dir.path() / "new" / "dir" / "printer.txt").string();
    constexpr int64_t kHz = 1000;
    Printer p;
    ASSERT_TRUE(p.open(path));  // the directories are made
    EXPECT_EQ(text(test::readFile(path)), "");
    p.printByte('A');
    p.endFrame(5000, kHz);  // the first frame only starts the clock
    p.endFrame(5999, kHz);
    EXPECT_EQ(text(test::readFile(path)), "");
    p.endFrame(6000, kHz);
    EXPECT_EQ(text(test::readFile(path)), "A");  // on disk while still open
    p.printByte('B');
    ASSERT_TRUE(p.close());
    EXPECT_EQ(p.printerStatus(), 0);
    p.printByte('C');  // off line: dropped
    // Opened again it goes on after the earlier output.
    ASSERT_TRUE(p.open(path));
    EXPECT_EQ(p.printerStatus(), Printer::kReady);
    p.printByte('D');
    {
        Printer q;
        ASSERT_TRUE(q.open(dir.file("q.txt")));
        q.printByte('Q');
    }  // written when it goes away
    ASSERT_TRUE(p.flush());
    EXPECT_EQ(text(test::readFile(path)), "ABD");
    EXPECT_EQ(text(test::readFile(dir.file("q.txt"))), "Q");

    // A full file is out of paper: the guest waits, nothing is added.
    std::filesystem::resize_file(path, kMaxPrinterFile);
    ASSERT_TRUE(p.open(path));
    EXPECT_EQ(p.printerStatus(), Printer::kReady | Printer::kPaperOut);
    p.printByte('E');
    EXPECT_EQ(p.contents().size(), kMaxPrinterFile);
}

TEST(Printer, RefusedFilesLeaveTheMachineRunningWithThePrinterOffLine) {
    test::ScratchDir dir;
    auto m = std::make_unique<Machine>(test::quietMachineOptions());
    std::string shown;
    m->showStatusPart = [&](int, const std::string& t) { shown = t; };
    m->startUp();
    const std::string file = dir.write("file", {'x'});
    const std::string big = dir.write("big", {});
    std::filesystem::resize_file(big, kMaxPrinterFile + 1);
    for (const std::string& path : {dir.path().string(), file + "/printer.txt", big, std::string()}) {
        const IoResult opened = m->openPrinter(path);
        EXPECT_FALSE(opened) << path;
        EXPECT_FALSE(opened.message.empty()) << path;
        EXPECT_FALSE(m->printerOpen());
        EXPECT_EQ(m->readPort(0xFD), 0x00);
    }
    m->runFrame();
    ASSERT_TRUE(m->openPrinter(dir.file("printer.txt")));
    EXPECT_EQ(shown, "Printing to " + dir.file("printer.txt"));
    EXPECT_EQ(text(test::readFile(file)), "x");
}

// A BASIC program on the TRS-80 waits for the printer by polling 37E8h
// (14312), without a word on the diagnostic stream, then prints.
TEST(Printer, Trs80BasicPollsTheStatusQuietlyAndPrintsOnceReady) {
    test::ScratchDir dir;
    test::CapturedStream log;
    auto m = std::make_unique<Machine>(test::quietMachineOptions());
    m->startUp(MachineBus::kTrs80ConfigIndex);
    inside(*m).bus.diagnostics = log.file();
    auto typeAndRun = [&](const std::string& keys, int frames) {
        m->typeText(keys);
        for (int i = 0; i < frames; ++i) m->runFrame();
    };
    typeAndRun("\r\n", 100);
    typeAndRun("10 IF PEEK(14312)<>48 THEN 10\r\n20 LPRINT \"OK\";7\r\nRUN\r\n", 150);
    EXPECT_EQ(inside(*m).printer.contents().size(), 0u);
    EXPECT_EQ(log.text(), "");
    ASSERT_TRUE(m->openPrinter(dir.file("printer.txt")));
    for (int i = 0; i < 20; ++i) m->runFrame();
    EXPECT_EQ(text(inside(*m).printer.contents()), "OK 7 \n");
    EXPECT_EQ(log.text(), "");
}

}  // namespace
}  // namespace kestrel
