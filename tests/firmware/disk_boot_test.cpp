// The open firmware's start from disk: the first sector of drive 0 runs instead
// of BASIC when the controller answers and a disk is in; otherwise BASIC starts
// as it always did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/disk_image.h"
#include "machine/machine.h"
#include "machine/screen_text.h"
#include "disk_boot_fixture.h"
#include "quiet_machine.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

std::string screen(const Machine& m) { return screenText(m.memory().data() + 0x3C00, "\n"); }

// No disk in drive 0 (or BREAK held): BASIC asks at once, without waiting for
// a controller that has nothing to read.
TEST(DiskBoot, WithoutADiskBasicAsksForTheMemorySizeAtOnce) {
    for (bool breakHeld : {false, true}) {
        SCOPED_TRACE(breakHeld ? "BREAK held" : "no key");
        Machine m(test::quietMachineOptions());
        m.startUp();
        if (breakHeld) m.keyboard().press(6, 2);
        int frames = 0;
        while (frames < 10 && screen(m).rfind("MEMORY SIZE? ", 0) != 0) {
            m.runFrame();
            ++frames;
        }
        EXPECT_LT(frames, 10) << screen(m);
    }
}

// The boot sector reads a sector, shows its text and writes it back; with the
// disk saved, the file holds the change.
TEST(DiskBoot, RunsTheBootSectorOfDriveZero) {
    test::ScratchDir dir;
    const std::vector<uint8_t> image = test::diskBootImage();
    const std::string path = dir.write("boot.dsk", image);
    Machine m(test::quietMachineOptions());
    m.startUp();
    ASSERT_TRUE(m.attachDisk(0, path).ok);
    while (m.tstates() < 5 * static_cast<uint64_t>(Machine::kInitialClockHz)) m.runFrame();  // 5 s
    EXPECT_EQ(m.processor().PC, test::kDiskBootDoneAt);
    EXPECT_EQ(screen(m).substr(0, test::kDiskBootText.size()), test::kDiskBootText) << screen(m);
    // The boot sector wrote track 1 sector 1 back to sector 2 with '*' first.
    std::vector<uint8_t> written(test::kJv1SectorSize);
    ASSERT_NE(m.disk(0), nullptr);
    ASSERT_TRUE(m.disk(0)->readSector(0, 1, 2, written, nullptr));
    std::vector<uint8_t> expected(image.begin() + test::jv1Offset(1, 1), image.begin() + test::jv1Offset(1, 2));
    expected[0] = '*';
    EXPECT_EQ(written, expected);
    ASSERT_TRUE(m.saveDisk(0));
    const std::vector<uint8_t> file = test::readFile(path);
    ASSERT_EQ(file.size(), image.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin() + test::jv1Offset(1, 2)));
}

}  // namespace
}  // namespace kestrel
