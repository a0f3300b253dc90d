#include "machine/rom_supply.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "io/file_io.h"
#include "machine/config.h"
#include "machine/open_firmware.h"
#include "video/open_font.h"

namespace kestrel {

std::filesystem::path findRomDirectory(const std::string& given, const char* xdgDataHome, const char* home,
                                       const std::filesystem::path& executableDir) {
    if (!given.empty()) return given;
    std::filesystem::path user;
    if (xdgDataHome && *xdgDataHome)
        user = std::filesystem::path(xdgDataHome) / "kestrel" / "roms";
    else if (home && *home)
        user = std::filesystem::path(home) / ".local" / "share" / "kestrel" / "roms";
    std::error_code ec;
    if (!user.empty() && std::filesystem::is_directory(user, ec)) return user;
    const std::filesystem::path beside = executableDir / "share" / "kestrel" / "roms";
    // An installed program sits in PREFIX/bin with its data in PREFIX/share.
    const std::filesystem::path installed = executableDir.parent_path() / "share" / "kestrel" / "roms";
    if (!std::filesystem::is_directory(beside, ec) && std::filesystem::is_directory(installed, ec)) return installed;
    return beside;
}

std::optional<std::vector<std::pair<uint32_t, uint8_t>>> parsePatchList(const std::vector<uint8_t>& data,
                                                                        size_t imageSize) {
    if (data.size() % 8 != 0) return std::nullopt;
    std::vector<std::pair<uint32_t, uint8_t>> patches;
    patches.reserve(data.size() / 8);
    for (size_t i = 0; i < data.size(); i += 8) {
        uint32_t offset = static_cast<uint32_t>(data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                                                static_cast<uint32_t>(data[i + 3]) << 24);
        if (offset >= imageSize) return std::nullopt;
        patches.emplace_back(offset, data[i + 4]);
    }
    return patches;
}

namespace {

// Firmware files are small; anything far larger is not what its name says.
constexpr std::uintmax_t kMaxFirmwareFile = 1 << 20;

// A short file leaves the rest of the image as it was; a longer one is cut.
IoResult readOver(const std::string& path, uint8_t* image, size_t imageSize) {
    std::vector<uint8_t> data;
    if (IoResult read = readWholeFile(path, kMaxFirmwareFile, data); !read) return read;
    std::copy_n(data.begin(), std::min(data.size(), imageSize), image);
    return {};
}

}  // namespace

bool readRomFileOver(const std::string& path, uint8_t* image, size_t imageSize) {
    return !path.empty() && readOver(path, image, imageSize).ok;
}

RomSupply::RomSupply(std::filesystem::path directory, std::FILE* diagnostics)
    : directory_(std::move(directory)), diagnostics_(diagnostics) {}

void RomSupply::report(const std::string& line) {
    if (!reported_.insert(line).second || !diagnostics_) return;
    std::fprintf(diagnostics_, "ROM: %s\n", line.c_str());
}

// Reads a whole firmware file that must have `size` bytes (0: any size up to the
// cap); reports a missing or malformed file with what stands in for it.
std::optional<std::vector<uint8_t>> RomSupply::readFixed(const char* name, size_t size, const char* fallback) {
    if (directory_.empty()) return std::nullopt;  // no ROM directory: nothing to report
    const std::filesystem::path path = directory_ / name;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        report(std::string(name) + " not found in " + directory_.string() + "; using " + fallback);
        return std::nullopt;
    }
    auto wrongSize = [&](std::uintmax_t length) {
        report(path.string() + " has " + std::to_string(length) + " bytes, expected " + std::to_string(size) +
               "; using " + fallback);
        return std::nullopt;
    };
    std::uintmax_t length = 0;
    IoResult read = checkRegularFile(path.string(), kMaxFirmwareFile, &length);
    if (read && size && length != size) return wrongSize(length);
    std::vector<uint8_t> data;
    if (read) read = readWholeFile(path.string(), size ? size : kMaxFirmwareFile, data);
    if (!read) {
        report(read.message + "; using " + fallback);
        return std::nullopt;
    }
    // It may have changed since it was measured.
    if (size && data.size() != size) return wrongSize(data.size());
    return data;
}

const std::optional<std::vector<uint8_t>>& RomSupply::cached(const char* name, size_t size, const char* fallback) {
    auto it = files_.find(name);
    if (it == files_.end()) it = files_.emplace(name, readFixed(name, size, fallback)).first;
    return it->second;
}

bool RomSupply::basicIsOpenFirmware() { return !cached(romfile::kBasic, kBasicRomSize, "the open firmware"); }

void RomSupply::applyPatch(const char* name, size_t imageSize, uint8_t* image, const char* fallback) {
    const auto& data = cached(name, 0, fallback);
    if (!data) return;
    auto patches = parsePatchList(*data, imageSize);
    if (!patches) {
        report((directory_ / name).string() + " is not a valid patch list; using " + fallback);
        return;
    }
    for (const auto& [offset, value] : *patches) image[offset] = value;
}

void RomSupply::produceBasic(uint32_t choice, const std::string& customPath, BasicImage& image) {
    const auto& base = cached(romfile::kBasic, kBasicRomSize, "the open firmware");
    if (base)
        std::copy(base->begin(), base->end(), image.begin());
    else
        std::copy(openFirmwareBasic().begin(), openFirmwareBasic().end(), image.begin());

    const char* patch = choice == kBasic220 ? romfile::kBasic220Patch
                        : choice == kBasicTrs80 ? romfile::kBasicTrs80Patch
                                                : nullptr;
    if (patch) {
        // Patch lists are made for the original image; on the open firmware they
        // would only corrupt it.
        if (base)
            applyPatch(patch, kBasicRomSize, image.data(), "the base BASIC image");
        else
            report(std::string(patch) + " not used: it patches " + romfile::kBasic + ", which is absent");
    } else if (choice == kBasicCustom && !customPath.empty()) {
        if (IoResult read = readOver(customPath, image.data(), image.size()); !read)
            report(read.message + "; using the base BASIC image");
    }
}

void RomSupply::produceExpansion(uint32_t choice, const std::string& customPath, ExpansionImage& image) {
    if (choice == kExpansionCustom) {
        if (customPath.empty()) return;
        if (IoResult read = readOver(customPath, image.data(), image.size()); !read)
            report(read.message + "; the expansion image stays as it was");
        return;
    }
    image.fill(0);
    if (choice == kExpansionNone) return;
    const auto& base = cached(romfile::kExpansion, kExpansionRomSize, "\"No ROM expansion\"");
    if (!base) return;
    std::copy(base->begin(), base->end(), image.begin());
    if (choice == kExpansionHungarianV1)
        applyPatch(romfile::kExpansionHu1Patch, kExpansionRomSize, image.data(), "the base expansion image");
    else if (choice == kExpansionHungarianV2)
        applyPatch(romfile::kExpansionHu2Patch, kExpansionRomSize, image.data(), "the base expansion image");
}

const CharacterImages& RomSupply::characterImages(uint32_t choice) {
    if (!characters_) characters_ = openFontImages();
    // Only the images the chosen set is built from are looked for, so only their
    // absence is reported.
    auto take = [&](const char* name, CharacterImage& image, const char* fallback) {
        const auto& data = cached(name, kCharRomSize, fallback);
        if (data) std::copy(data->begin(), data->end(), image.begin());
    };
    switch (choice) {
        case kCharTrs80:
            take(romfile::kCharTrs80, characters_->trs80, "the open font");
            break;
        case kCharVideoGenie:
            take(romfile::kCharVideoGenie, characters_->videoGenie, "the open font");
            take(romfile::kCharVideoGenieReplacements, characters_->videoGenieReplacements, "no replacement glyphs");
            break;
        case kCharHungarianV1:
            take(romfile::kCharVideoGenie, characters_->videoGenie, "the open font");
            break;
        case kCharHungarianV2:
            take(romfile::kCharHungarianV2, characters_->hungarianV2, "the open font");
            break;
        default:
            break;
    }
    return *characters_;
}

}  // namespace kestrel
