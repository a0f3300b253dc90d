// The character-set loader: fills the renderer's glyph table from one of the
// supplied images or from a custom character-ROM file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "video/character_images.h"

namespace kestrel {

// 128 glyphs of 16 lines; glyph c line k is byte c * 16 + k, lines 0-11 shown.
using GlyphTable = std::array<uint8_t, 2048>;

enum CharacterSetChoice : int {
    kCharsetTrs80 = 0,         // "Original TRS-80 charset"
    kCharsetVideoGenie = 1,    // "Original VideoGenie charset"
    kCharsetHungarianV1 = 2,   // "Hungarian charset v1"
    kCharsetHungarianV2 = 3,   // "Hungarian charset v2", all eight bits of video RAM
    kCharsetCustom = 4,        // the file named by "CharROMPath"
};

// Clears `table` and fills it for `choice` (0-4; anything else leaves it blank).
// Returns whether the set has lower case, i.e. the new `lowercaseVideo`.
// An empty or unreadable custom path leaves the table blank.
bool loadCharacterSet(GlyphTable& table, int choice, const CharacterImages& images,
                      const std::string& customPath);

}  // namespace kestrel
