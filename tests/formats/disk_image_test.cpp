#include "formats/disk_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "scratch_files.h"

namespace kestrel {
namespace {

using test::CapturedStream;

// Bytes that differ from sector to sector, so a read from the wrong offset shows.
std::vector<uint8_t> patterned(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8) * 13 + (i >> 16));
    return bytes;
}

void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> jv1(size_t size, uint8_t dirTrack) {
    std::vector<uint8_t> bytes = patterned(size);
    bytes[2] = dirTrack;
    return bytes;
}

std::vector<uint8_t> dskHeader(size_t size, uint32_t tracks, uint32_t sides, uint32_t sectors, uint32_t sectorBytes) {
    std::vector<uint8_t> bytes = patterned(size);
    putLe32(bytes, 0, tracks);
    putLe32(bytes, 4, sides);
    putLe32(bytes, 8, sectors);
    putLe32(bytes, 12, sectorBytes);
    return bytes;
}

// A JV3 image whose header table lists the given (track, sector) pairs from
// entry `first` on, all other entries free; the first (0,0) sector's byte 2 is 0x11.
std::vector<uint8_t> jv3(size_t size, std::initializer_list<std::pair<uint8_t, uint8_t>> headers, size_t first = 0) {
    std::vector<uint8_t> bytes = patterned(size);
    std::fill(bytes.begin(), bytes.begin() + DiskImage::kJv3DataOffset, 0xFF);
    size_t i = first;
    bool boot = false;
    for (auto [track, sector] : headers) {
        bytes[i * 3] = track;
        bytes[i * 3 + 1] = sector;
        bytes[i * 3 + 2] = 0;
        if (track == 0 && sector == 0 && !boot) bytes[DiskImage::kJv3DataOffset + i * 256 + 2] = 0x11;
        boot = boot || (track == 0 && sector == 0);
        ++i;
    }
    return bytes;
}

// (0,0) is the fifth entry, and listed again after it.
std::vector<uint8_t> shuffledJv3() { return jv3(111104, {{0, 1}, {2, 5}, {1, 0}, {3, 9}, {0, 0}, {0, 0}}); }

std::string formatted(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0) {
    char line[128];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    return line;
}

struct Load {
    std::optional<DiskImage> image;
    std::string error, trace;
};

Load load(std::vector<uint8_t> bytes, bool writeProtected = false) {
    CapturedStream trace;
    Load run;
    run.image = DiskImage::fromBytes(std::move(bytes), writeProtected, trace.file(), run.error);
    run.trace = trace.text();
    return run;
}

TEST(DiskImage, DetectsGeometryAndTracesIt) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        DiskFormat format;
        uint32_t sideValue, tracks, sectors, sectorBytes, dir, imageSize, dataOffset;
    };
    const Case cases[] = {
        {"jv1 35 tracks", jv1(89600, 0x11), DiskFormat::kJv1, 1, 35, 10, 256, 17, 89600, 0},
        {"jv1 18 tracks", jv1(46080, 3), DiskFormat::kJv1, 1, 18, 10, 256, 3, 46080, 0},
        {"jv1 short 80 tracks", jv1(200448, 17), DiskFormat::kJv1, 1, 80, 10, 256, 17, 204800, 0},
        {"raw two sides", patterned(737280), DiskFormat::kDsk, 2, 80, 18, 256, 21, 737280, 0},
        {"raw 18 sectors", patterned(92160), DiskFormat::kDsk, 1, 20, 18, 256, 21, 92160, 0},
        {"raw 10 sectors", patterned(17920), DiskFormat::kDsk, 1, 7, 10, 256, 21, 17920, 0},
        {"jv3 shuffled", shuffledJv3(), DiskFormat::kJv3, 1, 40, 10, 256, 0x11, 111104, 8704},
        {"jv3 80 tracks", jv3(375296, {{0, 0}}), DiskFormat::kJv3, 1, 80, 10, 256, 0x11, 375296, 8704},
        {"dsk 128", dskHeader(194560, 40, 1, 18, 128), DiskFormat::kDsk, 0, 40, 18, 128, 21, 194560, 80},
        {"dsk 256", dskHeader(194640, 80, 2, 9, 256), DiskFormat::kDsk, 1, 80, 9, 256, 21, 194640, 80},
        {"dsk 512", dskHeader(194560, 82, 2, 4, 512), DiskFormat::kDsk, 1, 82, 4, 512, 21, 194560, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t held = c.bytes.size();
        const Load run = load(c.bytes);
        ASSERT_TRUE(run.image);
        const DiskImage& d = *run.image;
        EXPECT_EQ(d.format(), c.format);
        EXPECT_EQ(d.sideValue(), c.sideValue);
        EXPECT_EQ(d.trackCount(), c.tracks);
        EXPECT_EQ(d.sectorsPerTrack(), c.sectors);
        EXPECT_EQ(d.bytesPerSector(), c.sectorBytes);
        EXPECT_EQ(d.directoryTrack(), c.dir);
        EXPECT_EQ(d.imageSize(), c.imageSize);
        EXPECT_EQ(d.dataOffset(), c.dataOffset);
        EXPECT_EQ(d.bytes().size(), held);
        EXPECT_FALSE(d.changed());
        EXPECT_EQ(run.trace, formatted("IMAGE: Size in bytes: %u.\n", c.imageSize) +
                                 formatted("IMAGE: Tracks per side: %u.\n", c.tracks) +
                                 formatted("IMAGE: Bytes per sector: %u.\n", c.sectorBytes) +
                                 formatted("IMAGE: Sectors per track: %u.\n", c.sectors) +
                                 formatted("IMAGE: Dir on track: %u.\n", c.dir));
    }
}

TEST(DiskImage, RefusesUnknownImages) {
    const std::string badHeader = "IMAGE: Error! Unsupported image (194560) bytes.\n";
    const std::string noBoot = "IMAGE: Error! Could not find boot sector.\n";
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {{}, ""},
        {patterned(1000), ""},                 // not whole sectors
        {patterned(256 * 7), ""},              // neither 10 nor 18 sectors a track
        {patterned(368640 + 2560), ""},        // two sides of 725 sectors
        {jv3(98304, {{1, 0}, {0, 1}}), noBoot},
        {jv3(213504, {{0, 0}}, 350), noBoot},  // listed past the searched headers
        {dskHeader(194560, 40, 0, 18, 256), badHeader},
        {dskHeader(194560, 40, 3, 18, 256), badHeader},
        {dskHeader(194560, 83, 1, 18, 256), badHeader},
        {dskHeader(194560, 40, 1, 18, 1024), badHeader},
        {dskHeader(194560, 40, 1, 18, 0), badHeader},
        {dskHeader(194560, 40, 1, 0, 256), badHeader},
    };
    for (const auto& [bytes, trace] : cases) {
        SCOPED_TRACE(bytes.size());
        const Load run = load(bytes);
        EXPECT_FALSE(run.image);
        EXPECT_EQ(run.error, "Unsupported disk image.");
        EXPECT_EQ(run.trace, trace);
    }
}

TEST(DiskImage, AddressesSectorsWithinTheHeldBytes) {
    constexpr int kFails = -1;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        uint32_t side, track, sector;
        long offset;  // or kFails
    };
    const Case cases[] = {
        {"jv3 boot is the fifth header", shuffledJv3(), 0, 0, 0, 8704 + 4 * 256},
        {"jv3 side not compared", shuffledJv3(), 1, 2, 5, 8704 + 1 * 256},
        {"jv3 unlisted", shuffledJv3(), 0, 2, 4, kFails},
        {"jv3 track above a byte", shuffledJv3(), 0, 256 + 3, 9, kFails},
        {"jv1", jv1(89600, 17), 0, 17, 3, (17 * 10 + 3) * 256},
        {"jv1 sector past the track", jv1(89600, 17), 0, 0, 10, kFails},
        {"jv1 track far beyond", jv1(89600, 17), 0, 35, 0, kFails},
        {"jv1 largest track", jv1(89600, 17), 0, 0xFFFFFFFF, 9, kFails},
        {"short jv1 last held", jv1(200448, 17), 0, 78, 2, 782 * 256},
        {"short jv1 first missing", jv1(200448, 17), 0, 78, 3, kFails},
        {"short jv1 last recorded", jv1(200448, 17), 0, 79, 9, kFails},
        {"raw second side", patterned(737280), 1, 50, 17, (50 * 18 + 17) * 256},
        {"dsk 128", dskHeader(194560, 40, 1, 18, 128), 0, 39, 17, 80 + (39 * 18 + 17) * 128},
        {"dsk 256", dskHeader(194640, 80, 2, 9, 256), 1, 60, 8, 80 + (60 * 9 + 8) * 256},
        {"dsk 512", dskHeader(194560, 82, 2, 4, 512), 0, 3, 2, 80 + (3 * 4 + 2) * 512},
        {"dsk 512 last whole sector", dskHeader(194560, 82, 2, 4, 512), 0, 94, 2, 80 + (94 * 4 + 2) * 512},
        {"dsk 512 sector cut off", dskHeader(194560, 82, 2, 4, 512), 0, 94, 3, kFails},
        {"dsk huge sector count", dskHeader(194560, 1, 1, 0xFFFFFFFF, 512), 0, 0xFFFFFFFF, 0xFFFFFFFE, kFails},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        std::optional<DiskImage> d = DiskImage::fromBytes(c.bytes, false, nullptr, error);
        ASSERT_TRUE(d);
        const uint32_t size = d->bytesPerSector();
        std::vector<uint8_t> buffer(size, 0xEE);
        CapturedStream trace;
        const bool read = d->readSector(c.side, c.track, c.sector, buffer, trace.file());
        std::vector<uint8_t> written(size);
        for (uint32_t i = 0; i < size; ++i) written[i] = static_cast<uint8_t>(0xA5 ^ i);
        const bool wrote = d->writeSector(c.side, c.track, c.sector, written);
        if (c.offset == kFails) {
            EXPECT_FALSE(read);
            EXPECT_FALSE(wrote);
            EXPECT_EQ(trace.text(), "");
            EXPECT_FALSE(d->changed());
            EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), d->bytes().begin(), d->bytes().end()));
            continue;
        }
        ASSERT_TRUE(read);
        ASSERT_TRUE(wrote);
        EXPECT_TRUE(d->changed());
        d->markSaved();
        EXPECT_FALSE(d->changed());
        EXPECT_EQ(trace.text(), formatted("IMAGE. Read(%u,%u,%u) from offset %05X.\n", c.side, c.track, c.sector,
                                          static_cast<unsigned>(c.offset)));
        EXPECT_EQ(buffer, std::vector<uint8_t>(c.bytes.begin() + c.offset, c.bytes.begin() + c.offset + size));
        std::vector<uint8_t> back(size);
        ASSERT_TRUE(d->readSector(c.side, c.track, c.sector, back, nullptr));
        EXPECT_EQ(back, written);
        std::vector<uint8_t> expected = c.bytes;
        std::copy(written.begin(), written.end(), expected.begin() + c.offset);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), d->bytes().begin(), d->bytes().end()));
        // A buffer short of a sector is refused both ways.
        EXPECT_FALSE(d->readSector(c.side, c.track, c.sector, std::span(back).first(size - 1), nullptr));
        EXPECT_FALSE(d->writeSector(c.side, c.track, c.sector, std::span(written).first(size - 1)));
        EXPECT_FALSE(d->changed());

        // A protected image reads but never takes a write.
        std::optional<DiskImage> p = DiskImage::fromBytes(c.bytes, true, nullptr, error);
        ASSERT_TRUE(p);
        EXPECT_TRUE(p->writeProtected());
        EXPECT_TRUE(p->readSector(c.side, c.track, c.sector, back, nullptr));
        EXPECT_FALSE(p->writeSector(c.side, c.track, c.sector, written));
        EXPECT_FALSE(p->changed());
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), p->bytes().begin(), p->bytes().end()));
    }
}

// Random sizes and random header bytes: detection never fails hard, and every
// sector a read reaches lies inside the held bytes (an ASan build checks the
// copies themselves).
TEST(DiskImage, RandomImagesStayInBounds) {
    std::mt19937 rng(20240611);
    std::vector<size_t> sizes;
    for (size_t special : {46080, 89600, 98304, 102400, 111104, 174080, 194560, 194640, 200448, 204800, 213504,
                           375296, 368640, 737280})
        for (long delta : {-256, -1, 0, 0, 0, 0, 1, 80, 256}) sizes.push_back(special + delta);
    for (size_t n : {0, 1, 2, 3, 80, 255, 256, 2560, 4608, 8704}) sizes.push_back(n);
    while (sizes.size() < 3000) {
        const size_t n = rng() % 800000;
        sizes.push_back(rng() % 4 ? n : n & ~size_t{255});  // many whole-sector sizes
    }

    std::map<DiskFormat, int> accepted;
    for (size_t size : sizes) {
        // Only the bytes detection looks at are random; the sector data do not matter.
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < std::min<size_t>(size, DiskImage::kJv3DataOffset); ++i)
            bytes[i] = static_cast<uint8_t>(i < DiskImage::kJv3Headers * 3 ? rng() % 6 : rng());
        if (size >= 16 && rng() % 2) {
            // A header that is often valid, and sometimes huge.
            putLe32(bytes, 0, rng() % 2 ? rng() % 90 : rng());
            putLe32(bytes, 4, rng() % 4);
            putLe32(bytes, 8, rng() % 2 ? rng() % 40 : rng());
            putLe32(bytes, 12, 64u << (rng() % 5));
        }

        std::string error;
        std::optional<DiskImage> d = DiskImage::fromBytes(std::move(bytes), false, nullptr, error);
        if (!d) {
            EXPECT_EQ(error, "Unsupported disk image.");
            continue;
        }
        ++accepted[d->format()];
        ASSERT_EQ(d->bytes().size(), size);
        const uint32_t sectorBytes = d->bytesPerSector();
        std::vector<uint8_t> buffer(sectorBytes);
        CapturedStream trace;
        for (uint32_t track = 0; track <= 90; ++track)
            for (uint32_t sector = 0; sector <= 20; ++sector) d->readSector(0, track, sector, buffer, trace.file());
        std::istringstream lines(trace.text());
        for (std::string line; std::getline(lines, line);) {
            unsigned side = 0, track = 0, sector = 0, offset = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "IMAGE. Read(%u,%u,%u) from offset %X.", &side, &track, &sector,
                                  &offset),
                      4);
            ASSERT_LT(sector, d->sectorsPerTrack());
            ASSERT_LE(size_t{offset} + sectorBytes, size) << line;
        }
    }
    EXPECT_GT(accepted[DiskFormat::kJv1], 0);
    EXPECT_GT(accepted[DiskFormat::kJv3], 0);
    EXPECT_GT(accepted[DiskFormat::kDsk], 0);
}

}  // namespace
}  // namespace kestrel
