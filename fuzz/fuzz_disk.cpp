// Disk images (JV1, JV3, raw and header DSK): attach, then read and write
// every sector of a few tracks through the controller; the image keeps its bytes.
#include <algorithm>

#include "devices/fdc.h"
#include "formats/disk_image.h"
#include "fuzz_support.h"

using namespace kestrel;

namespace {

constexpr uint16_t kCommand = 0x37EC, kSector = 0x37EE, kData = 0x37EF;
constexpr int64_t kClock = 1774080;

struct Drive {
    Fdc fdc;
    uint64_t now = 0;

    void settle() {
        now += Fdc::kSeekTstates + 1;
        fdc.fdcSelectDrive(1, now);
        fdc.fdcRead(kCommand, now);
    }
    void seek(uint32_t track) {
        fdc.fdcWrite(kData, static_cast<uint8_t>(track), now);
        fdc.fdcWrite(kCommand, 0x10, now);
        settle();
    }
    // False when the controller found no such sector.
    bool read(uint32_t sector, std::vector<uint8_t>& out, uint32_t n) {
        fdc.fdcWrite(kSector, static_cast<uint8_t>(sector), now);
        fdc.fdcWrite(kCommand, 0x80, now);
        if (fdc.fdcRead(kCommand, now) & Fdc::kNotFound) return false;
        out.resize(n);
        for (uint32_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(fdc.fdcRead(kData, now));
        settle();
        return true;
    }
    void write(uint32_t sector, const std::vector<uint8_t>& bytes) {
        fdc.fdcWrite(kSector, static_cast<uint8_t>(sector), now);
        fdc.fdcWrite(kCommand, 0xA0, now);
        for (uint8_t b : bytes) fdc.fdcWrite(kData, b, now);
        settle();
    }
};

}  // namespace

// The sizes that make a JV1, a JV3 or a header DSK image.
constexpr size_t kSizes[] = {46080, 89600, 102400, 174080, 204800, 200448, 98304, 111104, 213504, 375296, 194560, 194640};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > Machine::kMaxDiskImage) return -1;
    // The first byte picks one of those sizes, the rest filled with zeros, so
    // that small inputs reach every format; any other value takes the rest as it is.
    std::vector<uint8_t> original(data + 1, data + size);
    if (data[0] < std::size(kSizes)) {
        if (size - 1 > kSizes[data[0]]) return -1;
        original.resize(kSizes[data[0]], 0);
    }
    std::string error;
    std::optional<DiskImage> image = DiskImage::fromBytes(original, false, nullptr, error);
    if (!image) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(image->bytesPerSector() >= 1 && image->bytesPerSector() <= 1024);
    FUZZ_CHECK(std::equal(image->bytes().begin(), image->bytes().end(), original.begin(), original.end()));

    // The tracks visited: the first, the directory track, the last and the
    // one past it. Every track takes the same path through the format code,
    // and visiting all of them made each input cost milliseconds.
    std::vector<uint32_t> tracks = {0, image->directoryTrack(), image->trackCount() - 1, image->trackCount()};
    std::erase_if(tracks, [](uint32_t t) { return t > 82; });
    std::sort(tracks.begin(), tracks.end());
    tracks.erase(std::unique(tracks.begin(), tracks.end()), tracks.end());
    const uint32_t sectors = std::min<uint32_t>(image->sectorsPerTrack() + 1, 40);

    // Straight from the image, both sides: whatever a sector read gives lies inside the held bytes.
    std::vector<uint8_t> direct(1024);
    for (uint32_t side = 0; side < 2; ++side)
        for (uint32_t t : tracks)
            for (uint32_t s = 0; s < sectors; ++s) image->readSector(side, t, s, direct, nullptr);

    Drive drive;
    drive.fdc.fdcPowerOn(kClock);
    drive.fdc.disk(0) = std::move(image);
    drive.fdc.fdcSelectDrive(1, 0);
    const uint32_t n = drive.fdc.disk(0)->bytesPerSector();
    std::vector<uint8_t> before, after, flipped;
    for (uint32_t t : tracks) {
        drive.seek(t);
        for (uint32_t s = 0; s < sectors; ++s) {
            const bool found = drive.read(s, before, n);
            FUZZ_CHECK(found == drive.fdc.disk(0)->readSector(0, t, s, direct, nullptr));
            if (!found) continue;
            FUZZ_CHECK(std::equal(before.begin(), before.end(), direct.begin()));
            // A sector written reads back as written; the old bytes written over
            // it restore it, which the comparison with the file below checks.
            flipped = before;
            for (auto& b : flipped) b = static_cast<uint8_t>(~b);
            drive.write(s, flipped);
            FUZZ_CHECK(drive.read(s, after, n) && after == flipped);
            drive.write(s, before);
        }
    }
    // Written through and back: the image holds the same bytes as the file.
    const auto bytes = drive.fdc.disk(0)->bytes();
    FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), original.begin(), original.end()));
    return 0;
}
