// The character-generator images the character sets are built from. Each is 2,048
// bytes (128 glyphs of 16 lines) in the form its set expects: the TRS-80 image with
// its dots as the renderer uses them, the others with five dots in bits 7-3.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

using CharacterImage = std::array<uint8_t, 2048>;

struct CharacterImages {
    CharacterImage trs80{};                   // "Original TRS-80 charset", moved down one line
    CharacterImage videoGenie{};              // "Original VideoGenie" and "Hungarian charset v1"
    CharacterImage videoGenieReplacements{};  // glyphs of the VideoGenie set that differ; all-zero glyphs are not taken
    CharacterImage hungarianV2{};             // "Hungarian charset v2", the full 8-bit set
};

}  // namespace kestrel
