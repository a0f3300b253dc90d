#include "formats/disk_image.h"

#include <algorithm>
#include <limits>

namespace kestrel {
namespace {

constexpr uint32_t kSectorBytes = 256;
constexpr const char* kUnsupported = "Unsupported disk image.";

uint32_t le32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// The first of the searched JV3 headers naming (track, sector); the side is
// not compared.
std::optional<size_t> jv3Header(const std::vector<uint8_t>& bytes, uint32_t track, uint32_t sector) {
    const size_t headers = std::min<size_t>(DiskImage::kJv3Headers, bytes.size() / 3);
    for (size_t i = 0; i < headers; ++i)
        if (bytes[i * 3] == track && bytes[i * 3 + 1] == sector) return i;
    return std::nullopt;
}

}  // namespace

std::optional<DiskImage> DiskImage::fromBytes(std::vector<uint8_t> bytes, bool writeProtected, std::FILE* trace,
                                              std::string& error) {
    const auto refuse = [&](bool traced) -> std::optional<DiskImage> {
        if (traced && trace)
            std::fprintf(trace, "IMAGE: Error! Unsupported image (%u) bytes.\n", static_cast<unsigned>(bytes.size()));
        error = kUnsupported;
        return std::nullopt;
    };
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return refuse(false);

    DiskImage image;
    const auto size = static_cast<uint32_t>(bytes.size());
    image.imageSize_ = size;
    image.writeProtected_ = writeProtected;
    image.bytesPerSector_ = kSectorBytes;
    const uint8_t byte2 = size > 2 ? bytes[2] : 0;

    const auto jv1 = [&](uint32_t tracks) {
        image.format_ = DiskFormat::kJv1;
        image.sideValue_ = 1;
        image.trackCount_ = tracks;
        image.sectorsPerTrack_ = 10;
        image.directoryTrack_ = byte2;
    };
    const auto jv3 = [&](uint32_t tracks) {
        image.format_ = DiskFormat::kJv3;
        image.sideValue_ = 1;
        image.trackCount_ = tracks;
        image.sectorsPerTrack_ = 10;
        image.dataOffset_ = kJv3DataOffset;
    };

    switch (size) {
    case 46080: jv1(18); break;
    case 89600: jv1(35); break;
    case 102400: jv1(40); break;
    case 174080: jv1(68); break;
    case 204800: jv1(80); break;
    case 200448:
        // A short 80-track file: recorded as full size, the missing sectors
        // simply fail.
        jv1(80);
        image.imageSize_ = 204800;
        break;
    case 98304: jv3(35); break;
    case 111104: jv3(40); break;
    case 213504:
    case 375296: jv3(80); break;
    case 194560:
    case 194640: {
        const uint32_t tracks = le32(bytes, 0);
        const uint32_t sides = le32(bytes, 4);
        const uint32_t sectors = le32(bytes, 8);
        const uint32_t sectorBytes = le32(bytes, 12);
        if ((sides != 1 && sides != 2) || tracks > 82 || sectors == 0 ||
            (sectorBytes != 128 && sectorBytes != 256 && sectorBytes != 512))
            return refuse(true);
        image.format_ = DiskFormat::kDsk;
        image.sideValue_ = sides - 1;
        image.trackCount_ = tracks;
        image.sectorsPerTrack_ = sectors;
        image.bytesPerSector_ = sectorBytes;
        image.dataOffset_ = kDskHeaderSize;
        image.directoryTrack_ = 21;
        break;
    }
    default: {
        const uint32_t sides = size <= 368640 ? 1 : 2;
        const uint32_t perSide = size / sides;
        if (perSide % kSectorBytes != 0) return refuse(false);
        const uint32_t sectors = perSide / kSectorBytes;
        image.format_ = DiskFormat::kDsk;
        image.sideValue_ = sides;
        if (sectors % 18 == 0) {
            image.sectorsPerTrack_ = 18;
        } else if (sectors % 10 == 0) {
            image.sectorsPerTrack_ = 10;
        } else {
            return refuse(false);
        }
        image.trackCount_ = sectors / image.sectorsPerTrack_;
        image.directoryTrack_ = 21;
        break;
    }
    }

    image.bytes_ = std::move(bytes);
    if (image.format_ == DiskFormat::kJv3) {
        const std::optional<size_t> boot = image.sectorOffset(0, 0);
        if (!boot) {
            if (trace) std::fprintf(trace, "IMAGE: Error! Could not find boot sector.\n");
            error = kUnsupported;
            return std::nullopt;
        }
        image.directoryTrack_ = image.bytes_[*boot + 2];
    }

    if (trace) {
        std::fprintf(trace, "IMAGE: Size in bytes: %u.\n", image.imageSize_);
        std::fprintf(trace, "IMAGE: Tracks per side: %u.\n", image.trackCount_);
        std::fprintf(trace, "IMAGE: Bytes per sector: %u.\n", image.bytesPerSector_);
        std::fprintf(trace, "IMAGE: Sectors per track: %u.\n", image.sectorsPerTrack_);
        std::fprintf(trace, "IMAGE: Dir on track: %u.\n", image.directoryTrack_);
    }
    return image;
}

std::optional<size_t> DiskImage::sectorOffset(uint32_t track, uint32_t sector) const {
    if (sector >= sectorsPerTrack_ || bytesPerSector_ == 0 || dataOffset_ > bytes_.size()) return std::nullopt;
    uint64_t index = 0;
    if (format_ == DiskFormat::kJv3) {
        const std::optional<size_t> header = jv3Header(bytes_, track, sector);
        if (!header) return std::nullopt;
        index = *header;
    } else {
        // Cannot overflow: both factors are below 2^32 and sector < sectorsPerTrack.
        index = static_cast<uint64_t>(track) * sectorsPerTrack_ + sector;
    }
    // Whole sectors the held bytes have room for; the recorded size may be larger.
    if (index >= (bytes_.size() - dataOffset_) / bytesPerSector_) return std::nullopt;
    return dataOffset_ + static_cast<size_t>(index) * bytesPerSector_;
}

bool DiskImage::readSector(uint32_t side, uint32_t track, uint32_t sector, std::span<uint8_t> buffer,
                           std::FILE* trace) const {
    if (buffer.size() < bytesPerSector_) return false;
    const std::optional<size_t> offset = sectorOffset(track, sector);
    if (!offset) return false;
    if (trace)
        std::fprintf(trace, "IMAGE. Read(%u,%u,%u) from offset %05X.\n", side, track, sector,
                     static_cast<unsigned>(*offset));
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(*offset), bytesPerSector_, buffer.begin());
    return true;
}

// The side is not part of the address: a two-sided image is one run of tracks.
bool DiskImage::writeSector(uint32_t /*side*/, uint32_t track, uint32_t sector, std::span<const uint8_t> buffer) {
    if (writeProtected_ || buffer.size() < bytesPerSector_) return false;
    const std::optional<size_t> offset = sectorOffset(track, sector);
    if (!offset) return false;
    std::copy_n(buffer.begin(), bytesPerSector_, bytes_.begin() + static_cast<std::ptrdiff_t>(*offset));
    changed_ = true;
    return true;
}

}  // namespace kestrel
