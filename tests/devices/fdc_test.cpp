#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "devices/fdc.h"

namespace kestrel {
namespace {

constexpr int64_t kClock = 1774080;
constexpr uint16_t kStatus = 0x37EC, kTrack = 0x37ED, kSector = 0x37EE, kData = 0x37EF;

// A 40-track JV1 image whose every byte tells where it is: sector s of track t
// holds t * 16 + s, with byte i at i ^ that.
std::vector<uint8_t> jv1Bytes() {
    std::vector<uint8_t> bytes(102400);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const size_t sector = i / 256;
        bytes[i] = static_cast<uint8_t>((sector / 10 * 16 + sector % 10) ^ (i % 256));
    }
    bytes[2] = 17;  // directory track
    return bytes;
}

// A header DSK of 40 tracks, one side, 10 sectors of `size` bytes.
std::vector<uint8_t> headerDskBytes(uint32_t size) {
    std::vector<uint8_t> bytes(194560, 0);
    const uint32_t fields[4] = {40, 1, 10, size};
    for (int f = 0; f < 4; ++f)
        for (int b = 0; b < 4; ++b) bytes[static_cast<size_t>(f * 4 + b)] = static_cast<uint8_t>(fields[f] >> (8 * b));
    return bytes;
}

struct Rig {
    Fdc fdc;
    uint64_t now = 1000;

    explicit Rig(std::vector<uint8_t> image, bool writeProtected = false) {
        fdc.fdcPowerOn(kClock);
        std::string error;
        fdc.disk(0) = DiskImage::fromBytes(std::move(image), writeProtected, nullptr, error);
        EXPECT_TRUE(fdc.disk(0).has_value()) << error;
        fdc.fdcMediaChanged();
        fdc.fdcSelectDrive(0x01, now);
    }
    uint8_t read(uint16_t address) { return static_cast<uint8_t>(fdc.fdcRead(address, now)); }
    void write(uint16_t address, uint8_t value) { fdc.fdcWrite(address, value, now); }
    // A command, then the status once it is no longer busy.
    uint8_t command(uint8_t value) {
        write(kStatus, value);
        now += Fdc::kSeekTstates + 1;
        return read(kStatus);
    }
};

TEST(Fdc, PositioningStatusFollowsTimeAndTheHead) {
    Rig r(jv1Bytes());
    r.write(kStatus, 0x03);  // restore
    r.now += 1000;
    EXPECT_EQ(r.read(kStatus) & ~0x02, 0x25);  // busy, track 0, head loaded; 0x02 is the index hole
    r.now += Fdc::kSeekTstates;
    EXPECT_EQ(r.read(kStatus) & ~0x02, 0x24);

    // Seek: the target comes from the data register; 83 is beyond the last track.
    r.write(kData, 20);
    EXPECT_EQ(r.command(0x10) & 0x05, 0x00);
    EXPECT_EQ(r.fdc.headPosition[0], 20u);
    EXPECT_EQ(r.read(kTrack), 20);
    r.write(kData, 83);
    r.command(0x10);
    EXPECT_EQ(r.fdc.headPosition[0], 20u);
    // Step in and out with and without the update flag; step repeats the direction.
    r.command(0x40);
    EXPECT_EQ(r.fdc.headPosition[0], 21u);
    EXPECT_EQ(r.read(kTrack), 20);
    r.command(0x30);
    EXPECT_EQ(r.fdc.headPosition[0], 22u);
    EXPECT_EQ(r.read(kTrack), 22);
    r.command(0x70);
    EXPECT_EQ(r.fdc.headPosition[0], 21u);
    EXPECT_EQ(r.read(kTrack), 21);

    // A command written while busy is ignored; force interrupt is not.
    r.write(kStatus, 0x03);
    r.write(kStatus, 0x40);
    EXPECT_EQ(r.fdc.headPosition[0], 0u);
    r.write(kStatus, 0xD8);
    EXPECT_EQ(r.read(kStatus) & 0x01, 0);
    EXPECT_FALSE(r.fdc.interruptRequest());  // the status read took it back

    // The motor runs 2.75 s after the last select, then the drive is not ready.
    EXPECT_EQ(r.fdc.fdcActiveDrive(r.now), 0);
    r.now += kClock / 1000 * 2750;
    EXPECT_EQ(r.read(kStatus) & 0x80, 0x80);
    EXPECT_EQ(r.fdc.fdcActiveDrive(r.now), -1);
}

TEST(Fdc, ReadSectorAndReadAddressTransferThroughTheDataRegister) {
    Rig r(jv1Bytes());
    r.write(kData, 3);
    r.command(0x10);
    r.write(kSector, 7);
    r.write(kStatus, 0x88);
    EXPECT_EQ(r.read(kStatus) & 0x23, 0x03);  // not the directory track
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(r.read(kData), static_cast<uint8_t>((3 * 16 + 7) ^ i)) << i;
        EXPECT_EQ(r.fdc.status & 0x03, i < 255 ? 0x03 : 0x00) << i;
    }
    EXPECT_EQ(r.fdc.fdcReadLatch(), 0x40);
    EXPECT_EQ(r.fdc.fdcReadLatch(), 0x00);
    EXPECT_EQ(r.read(kData), static_cast<uint8_t>((3 * 16 + 7) ^ 255));  // past the end: the data register

    // The directory track reads with 0x20; a sector the track lacks is not found.
    r.write(kData, 17);
    r.command(0x10);
    r.write(kSector, 0);
    r.write(kStatus, 0x88);
    EXPECT_EQ(r.fdc.status & 0x20, 0x20);
    r.write(kStatus, 0xD0);
    r.write(kSector, 10);
    r.write(kStatus, 0x88);
    EXPECT_EQ(r.fdc.status & 0x13, 0x10);
    EXPECT_TRUE(r.fdc.interruptRequest());

    // Read address: head, 0, the ID counter, 1, FF, FF; the head goes to the sector register.
    const uint32_t counter = r.fdc.idCounter[0];
    r.write(kStatus, 0xC0);
    std::vector<uint8_t> id;
    for (int i = 0; i < 6; ++i) id.push_back(r.read(kData));
    EXPECT_EQ(id, (std::vector<uint8_t>{17, 0, static_cast<uint8_t>(counter), 1, 0xFF, 0xFF}));
    EXPECT_EQ(r.read(kSector), 17);

    // With no drive selected the registers read 0.
    r.fdc.fdcSelectDrive(0, r.now);
    EXPECT_EQ(r.read(kSector), 0);
}

TEST(Fdc, WriteSectorCollectsTheImageSectorSize) {
    for (uint32_t size : {128u, 256u, 512u}) {
        SCOPED_TRACE(size);
        Rig r(size == 256 ? jv1Bytes() : headerDskBytes(size));
        r.write(kData, 2);
        r.command(0x10);
        r.write(kSector, 4);
        r.write(kStatus, 0xA8);
        for (uint32_t i = 0; i < size; ++i) {
            EXPECT_EQ(r.fdc.status & 0x03, 0x03) << i;
            r.write(kData, static_cast<uint8_t>(i * 3));
        }
        EXPECT_EQ(r.fdc.status & 0x23, 0x00);  // done, no write fault
        EXPECT_FALSE(r.fdc.interruptRequest());
        const DiskImage& disk = *r.fdc.disk(0);
        EXPECT_TRUE(disk.changed());
        std::vector<uint8_t> back(size);
        ASSERT_TRUE(disk.readSector(0, 2, 4, back, nullptr));
        for (uint32_t i = 0; i < size; ++i) ASSERT_EQ(back[i], static_cast<uint8_t>(i * 3)) << i;
    }

    // A write-protected disk refuses at once, with the interrupt, and keeps its bytes.
    Rig r(jv1Bytes(), true);
    r.write(kStatus, 0xA8);
    EXPECT_EQ(r.fdc.status & 0x43, 0x40);
    EXPECT_TRUE(r.fdc.interruptRequest());
    r.write(kData, 0x55);
    EXPECT_FALSE(r.fdc.disk(0)->changed());
}

TEST(Fdc, WriteTrackFormatsEverySectorThenInterrupts) {
    Rig r(jv1Bytes());
    r.write(kStatus, 0xF0);
    for (uint8_t s = 0; s < 10; ++s) {
        EXPECT_FALSE(r.fdc.interruptRequest()) << int(s);
        for (uint8_t b : {uint8_t{0xFE}, uint8_t{0}, uint8_t{0}, s, uint8_t{1}, uint8_t{0xF7}}) r.write(kData, b);
        EXPECT_EQ(r.read(kSector), s);
        r.write(kData, 0xFB);
        for (int i = 0; i < 256; ++i) r.write(kData, 0xE5);
        r.write(kData, 0xF7);
    }
    EXPECT_TRUE(r.fdc.interruptRequest());
    EXPECT_EQ(r.fdc.status & 0x03, 0x00);
    std::vector<uint8_t> sector(256);
    ASSERT_TRUE(r.fdc.disk(0)->readSector(0, 0, 9, sector, nullptr));
    EXPECT_EQ(sector, std::vector<uint8_t>(256, 0xE5));
}

}  // namespace
}  // namespace kestrel
