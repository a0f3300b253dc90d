// Where the firmware comes from: the user's ROM directory, or else the project's
// open firmware and open font. Each missing piece is reported once, when first
// needed, on the diagnostics stream.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "video/character_images.h"

namespace kestrel {

// The file names in the ROM directory, one per piece of firmware data.
namespace romfile {
inline constexpr const char* kBasic = "basic.rom";                        // 12,288 bytes
inline constexpr const char* kExpansion = "expansion.rom";                // 2,048 bytes
inline constexpr const char* kBasic220Patch = "basic-2.20.patch";
inline constexpr const char* kBasicTrs80Patch = "basic-trs80.patch";
inline constexpr const char* kExpansionHu1Patch = "expansion-hu1.patch";
inline constexpr const char* kExpansionHu2Patch = "expansion-hu2.patch";
inline constexpr const char* kCharTrs80 = "charset-trs80.rom";            // 2,048 bytes each
inline constexpr const char* kCharVideoGenie = "charset-vg.rom";
inline constexpr const char* kCharVideoGenieReplacements = "charset-vg-replace.rom";
inline constexpr const char* kCharHungarianV2 = "charset-hu2.rom";
}  // namespace romfile

inline constexpr size_t kBasicRomSize = 12288;
inline constexpr size_t kExpansionRomSize = 2048;
inline constexpr size_t kCharRomSize = 2048;

using BasicImage = std::array<uint8_t, kBasicRomSize>;
using ExpansionImage = std::array<uint8_t, kExpansionRomSize>;

// The ROM directory: the one given (command line or KESTREL_ROM_DIR) when not
// empty, else $XDG_DATA_HOME/kestrel/roms (or ~/.local/share/kestrel/roms) when it
// exists, else share/kestrel/roms beside the executable, or in ../share when the
// program is installed in PREFIX/bin and only that one exists.
std::filesystem::path findRomDirectory(const std::string& given, const char* xdgDataHome, const char* home,
                                       const std::filesystem::path& executableDir);

// A byte patch list: 32-bit little-endian offset, then a 32-bit little-endian
// value whose low byte goes there. Empty optional when the data is malformed or an
// offset falls outside an image of imageSize bytes.
std::optional<std::vector<std::pair<uint32_t, uint8_t>>> parsePatchList(const std::vector<uint8_t>& data,
                                                                        size_t imageSize);

// Custom ROM file rule: bytes from the start of the file over the image until the
// file or the image ends. False (image untouched) for an empty path or a file that
// cannot be opened.
bool readRomFileOver(const std::string& path, uint8_t* image, size_t imageSize);

class RomSupply {
public:
    RomSupply(std::filesystem::path directory, std::FILE* diagnostics);

    const std::filesystem::path& directory() const { return directory_; }

    // The BASIC image for a choice: the base image, then the choice's patch list
    // or the custom file laid over it.
    void produceBasic(uint32_t choice, const std::string& customPath, BasicImage& image);
    // The expansion image for a choice; the custom choice reads over what is there.
    void produceExpansion(uint32_t choice, const std::string& customPath, ExpansionImage& image);
    // The character images with those of the chosen set read from their files
    // (or else the open font); the other images hold the open font.
    const CharacterImages& characterImages(uint32_t charRomChoice);

    // Whether the base BASIC image is the project's open firmware.
    bool basicIsOpenFirmware();

private:
    std::optional<std::vector<uint8_t>> readFixed(const char* name, size_t size, const char* fallback);
    const std::optional<std::vector<uint8_t>>& cached(const char* name, size_t size, const char* fallback);
    void applyPatch(const char* name, size_t imageSize, uint8_t* image, const char* fallback);
    void report(const std::string& line);

    std::filesystem::path directory_;
    std::FILE* diagnostics_;
    std::map<std::string, std::optional<std::vector<uint8_t>>> files_;
    std::set<std::string> reported_;
    std::optional<CharacterImages> characters_;
};

}  // namespace kestrel
