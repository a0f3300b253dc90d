#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "capture/screenshot.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

using test::CurrentDirGuard;
using test::ScratchDir;

void touch(const std::string& path) { std::ofstream(path, std::ios::binary) << 'x'; }

TEST(ScreenshotNameTest, CountsUpPastNamesThatExist) {
    ScratchDir dir;
    CurrentDirGuard inDir(dir.path());

    EXPECT_EQ(screenshotName("gif", ""), "kestrel0000.gif");
    EXPECT_EQ(screenshotName("bmp", ""), "kestrel0000.bmp");
    touch("kestrel0000.gif");
    EXPECT_EQ(screenshotName("gif", ""), "kestrel0001.gif");
    EXPECT_EQ(screenshotName("bmp", ""), "kestrel0000.bmp");  // each extension counts alone
    touch("kestrel0001.gif");
    touch("kestrel0003.gif");
    EXPECT_EQ(screenshotName("gif", ""), "kestrel0002.gif");  // the first free one, not the next after the last
    touch("kestrel0002.gif");
    // A link to nowhere is taken too: a write would create the file it names.
    std::filesystem::create_symlink("elsewhere.gif", "kestrel0004.gif");
    EXPECT_EQ(screenshotName("gif", ""), "kestrel0005.gif");
    // A name freed again is found again.
    std::filesystem::remove("kestrel0000.gif");
    EXPECT_EQ(screenshotName("gif", ""), "kestrel0000.gif");
}

TEST(ScreenshotNameTest, BaseNameKeepsItsDirectory) {
    ScratchDir here, games;
    CurrentDirGuard inDir(here.path());

    // An autostarted games/ghost.cas leaves the base name "<games>/ghost".
    const std::string base = games.file("ghost");
    EXPECT_EQ(screenshotName("bmp", base), base + "0000.bmp");
    touch(base + "0000.bmp");
    EXPECT_EQ(screenshotName("bmp", base), base + "0001.bmp");
    EXPECT_EQ(screenshotName("gif", base), base + "0000.gif");
    // Nothing of it leaks into the current directory's numbering.
    touch("ghost0000.bmp");
    EXPECT_EQ(screenshotName("bmp", base), base + "0001.bmp");
    EXPECT_EQ(screenshotName("bmp", ""), "kestrel0000.bmp");
    // A relative base name is relative to the current directory.
    EXPECT_EQ(screenshotName("bmp", "ghost"), "ghost0001.bmp");

    const ScreenshotResult shot = autoBmpScreenshot(FrameImage::create(512, 384, 1), base);
    EXPECT_TRUE(shot.saved);
    EXPECT_EQ(shot.path, base + "0001.bmp");
    EXPECT_EQ(test::readFile(shot.path).size(), 24638u);
}

// Both writers hand back the name they chose, write the encoder's bytes and
// name the file in full in the status.
TEST(ScreenshotWriters, AutomaticNamesAreHandedBack) {
    ScratchDir dir;
    CurrentDirGuard inDir(dir.path());
    struct Format {
        const char* extension;
        int bits;
        ScreenshotResult (*shoot)(const FrameImage&, const std::string&, const StatusSink&);
        std::vector<uint8_t> (*encode)(const FrameImage&);
    };
    for (const Format& f :
         {Format{"bmp", 1, autoBmpScreenshot, encodeBmp}, Format{"gif", 8, autoGifScreenshot, encodeGif}}) {
        SCOPED_TRACE(f.extension);
        FrameImage image = FrameImage::create(512, 384, f.bits);
        image.pixels()[100] = 7;
        std::vector<std::string> status;
        for (const std::string number : {"0000", "0001"}) {
            const std::string name = "kestrel" + number + "." + f.extension;
            const ScreenshotResult result = f.shoot(image, "", [&](const std::string& s) { status.push_back(s); });
            EXPECT_TRUE(result.saved);
            EXPECT_EQ(result.path, name);
            EXPECT_EQ(test::readFile(name), f.encode(image));
            EXPECT_EQ(status.back(), "Screenshot saved: " + dir.file(name));
        }
        EXPECT_EQ(status.size(), 2u);
    }
}

// A file that cannot be created or replaced: no status, the writer's reason
// back (a write cut short keeps the old file, as the file tests show).
TEST(ScreenshotWriters, FailedWritesReportNothingAndGiveTheReason) {
    ScratchDir dir;
    const FrameImage image = FrameImage::create(512, 384, 8);
    int messages = 0;
    const StatusSink sink = [&](const std::string&) { ++messages; };
    for (auto write : {writeBmp, writeGif}) {
        EXPECT_FALSE(write(image, dir.file("no-such-dir/shot"), sink));
        EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-dir")));
        if (std::filesystem::exists("/dev/full")) {
            const IoResult r = write(image, "/dev/full", sink);
            EXPECT_NE(r.message.find("not a regular file"), std::string::npos) << r.message;
        }
    }
    EXPECT_EQ(messages, 0);
}

}  // namespace
}  // namespace kestrel
