// Disk images as bytes: JV1, JV3, raw DSK by size and DSK with an 80-byte
// header. The whole file is held; the controller reads and writes sectors in
// that copy, and whoever saves the disk writes bytes() back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

enum class DiskFormat : uint32_t { kJv1 = 0, kJv3 = 1, kDsk = 2, kUnsupported = 4 };

class DiskImage {
public:
    // Offset of the first sector's data in a JV3 image, and the headers searched.
    static constexpr uint32_t kJv3DataOffset = 8704;
    static constexpr uint32_t kJv3Headers = 350;
    // Offset of the sector data behind a DSK header.
    static constexpr uint32_t kDskHeaderSize = 80;

    // The geometry of a whole file's bytes. Nothing when the image is not one
    // of the known kinds: `error` says why (the "IMAGE: Error! ..." lines go
    // to `trace` as well). On success the "IMAGE: Size in bytes..." lines go
    // to `trace`. `trace` may be null.
    static std::optional<DiskImage> fromBytes(std::vector<uint8_t> bytes, bool writeProtected, std::FILE* trace,
                                              std::string& error);

    DiskFormat format() const { return format_; }
    uint32_t sideValue() const { return sideValue_; }  // shown plus one as the side count
    uint32_t trackCount() const { return trackCount_; }
    uint32_t sectorsPerTrack() const { return sectorsPerTrack_; }
    uint32_t bytesPerSector() const { return bytesPerSector_; }
    uint32_t directoryTrack() const { return directoryTrack_; }
    // The size recorded for the image (204800 for a 200448-byte file).
    uint32_t imageSize() const { return imageSize_; }
    uint32_t dataOffset() const { return dataOffset_; }
    bool writeProtected() const { return writeProtected_; }
    // A sector has been written since the image was loaded or last saved.
    bool changed() const { return changed_; }
    void markSaved() { changed_ = false; }

    // bytesPerSector() bytes of the sector into `buffer` (at least that large).
    // False when the image holds no such sector: sector >= sectorsPerTrack, no
    // JV3 header for it, or data that would lie outside the held bytes.
    // Traces "IMAGE. Read(%u,%u,%u) from offset %05X.\n" to `trace` (may be null).
    bool readSector(uint32_t side, uint32_t track, uint32_t sector, std::span<uint8_t> buffer, std::FILE* trace) const;
    // bytesPerSector() bytes from `buffer` into the image; false as for a read.
    // Marks the image changed unless it is write protected.
    bool writeSector(uint32_t side, uint32_t track, uint32_t sector, std::span<const uint8_t> buffer);

    // The held bytes, as a save writes them back.
    std::span<const uint8_t> bytes() const { return bytes_; }

private:
    DiskImage() = default;
    // The offset of a sector's data, or nothing (same rules as readSector).
    std::optional<size_t> sectorOffset(uint32_t track, uint32_t sector) const;

    std::vector<uint8_t> bytes_;
    DiskFormat format_ = DiskFormat::kUnsupported;
    uint32_t sideValue_ = 0;
    uint32_t trackCount_ = 0;
    uint32_t sectorsPerTrack_ = 0;
    uint32_t bytesPerSector_ = 256;
    uint32_t directoryTrack_ = 0;
    uint32_t imageSize_ = 0;
    uint32_t dataOffset_ = 0;
    bool writeProtected_ = false;
    bool changed_ = false;
};

}  // namespace kestrel
