#include <gtest/gtest.h>

#include <string>

#include "capture/screenshot.h"
#include "capture_test_support.h"

namespace kestrel {
namespace {

using capturetest::touch;

TEST(ScreenshotNameTest, CountsUpPastNamesThatExist) {
    capturetest::ScratchDir dir;
    capturetest::CurrentDirGuard inDir(dir.path());

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
    capturetest::ScratchDir here, games;
    capturetest::CurrentDirGuard inDir(here.path());

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
    EXPECT_EQ(capturetest::readFile(shot.path).size(), 24638u);
}

}  // namespace
}  // namespace kestrel
