// The machine configurations: four standard members of the family and the
// user's own, with the ROM, RAM, clock and frame choices they are built from.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

struct MachineConfig {
    uint32_t basicRom = 0;      // index into kBasicRomNames
    uint32_t expansionRom = 0;  // index into kExpansionRomNames
    uint32_t charRom = 0;       // index into kCharRomNames
    uint32_t ramSize = 1;       // 0 = 16 KB, 1 = 48 KB
    uint32_t cpuClockHz = 1774080;
    uint32_t frameHz = 50;
    uint32_t palette = 0;       // stored and persisted; the picture does not depend on it
    uint32_t psgDivisor = 1;
    char shortName[32] = {};
};

inline constexpr int kConfigCount = 5;
inline constexpr int kCustomConfigIndex = 4;
inline constexpr int kTrs80ConfigIndex = 3;

inline constexpr std::array<const char*, kConfigCount> kConfigNames = {
    "VideoGenie-I/HT 2080Z", "KESTREL - model 2", "KESTREL/64 - model 3", "TRS-80 Model I Level 2", "Custom",
};

inline constexpr std::array<const char*, 4> kBasicRomNames = {
    "Original EACA MS BASIC", "BASIC 2.20", "TRS-80 BASIC", "<...Use custom BASIC ROM...>",
};
inline constexpr std::array<const char*, 5> kExpansionRomNames = {
    "Original ROM expansion", "Hungarian ROM expansion v1", "Hungarian ROM expansion v2", "No ROM expansion",
    "<...Use custom expansion ROM...>",
};
inline constexpr std::array<const char*, 5> kCharRomNames = {
    "Original TRS-80 charset", "Original VideoGenie charset", "Hungarian charset v1", "Hungarian charset v2",
    "<...Use custom charset...>",
};
inline constexpr std::array<const char*, 2> kRamSizeNames = {"16 kbyte", "48 kbyte"};
inline constexpr std::array<uint32_t, 2> kCpuClockChoices = {1747200, 1774080};
inline constexpr std::array<uint32_t, 2> kFrameHzChoices = {50, 60};

enum BasicRomChoice : uint32_t { kBasicOriginal = 0, kBasic220 = 1, kBasicTrs80 = 2, kBasicCustom = 3 };
enum ExpansionRomChoice : uint32_t {
    kExpansionOriginal = 0, kExpansionHungarianV1 = 1, kExpansionHungarianV2 = 2, kExpansionNone = 3,
    kExpansionCustom = 4,
};
enum CharRomChoice : uint32_t {
    kCharTrs80 = 0, kCharVideoGenie = 1, kCharHungarianV1 = 2, kCharHungarianV2 = 3, kCharCustom = 4,
};

// A fill byte 0..255, or any larger value for a pseudo-random fill.
inline constexpr uint32_t kRandomStartupPattern = 0xFFFFFFFF;

// Records 0-3 as built in; record 4 starts as a copy of record 0 named "Custom".
std::array<MachineConfig, kConfigCount> standardConfigs();

}  // namespace kestrel
