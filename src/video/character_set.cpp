#include "video/character_set.h"

#include <algorithm>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

namespace {

constexpr size_t kGlyphBytes = 16;

// The Video Genie style images keep their five dots in bits 7-3.
void copyShifted(GlyphTable& table, const CharacterImage& image) {
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(image[i] >> 3);
}

void applyReplacements(GlyphTable& table, const CharacterImage& replacements) {
    for (size_t glyph = 0; glyph < table.size() / kGlyphBytes; ++glyph) {
        const uint8_t* source = &replacements[glyph * kGlyphBytes];
        bool empty = true;
        for (size_t k = 0; k < kGlyphBytes; ++k) empty = empty && source[k] == 0;
        if (empty) continue;
        for (size_t k = 0; k < kGlyphBytes; ++k)
            table[glyph * kGlyphBytes + k] = static_cast<uint8_t>(source[k] >> 3);
    }
}

// Far more than a character set; a larger file is not one.
constexpr std::size_t kMaxCharacterFile = 1 << 20;

// A shorter file leaves the rest blank, a longer one is cut.
void loadCustom(GlyphTable& table, const std::string& path) {
    std::vector<uint8_t> data;
    if (path.empty() || !readWholeFile(path, kMaxCharacterFile, data)) return;
    std::copy_n(data.begin(), std::min(data.size(), table.size()), table.begin());
    // Byte 0 is taken as it is; the rest keep their dots in bits 7-3.
    for (size_t i = 1; i < table.size(); ++i) table[i] = static_cast<uint8_t>(table[i] >> 3);
}

}  // namespace

bool loadCharacterSet(GlyphTable& table, int choice, const CharacterImages& images,
                      const std::string& customPath) {
    table.fill(0);
    switch (choice) {
    case kCharsetTrs80:
        // Stored one byte later: every glyph comes down one line.
        for (size_t i = 0; i + 1 < table.size(); ++i) table[i + 1] = images.trs80[i];
        return false;
    case kCharsetVideoGenie:
        copyShifted(table, images.videoGenie);
        applyReplacements(table, images.videoGenieReplacements);
        return false;
    case kCharsetHungarianV1:
        copyShifted(table, images.videoGenie);
        return false;
    case kCharsetHungarianV2:
        copyShifted(table, images.hungarianV2);
        return true;
    case kCharsetCustom:
        loadCustom(table, customPath);
        return false;
    default:
        return false;
    }
}

}  // namespace kestrel
