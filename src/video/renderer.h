// Turns video RAM (and the hi-res board) into the frame image: a 1-bit path with
// crisp 8-pixel cells, and an 8-bit gray-level path that draws the machine's
// 6-dot cells into a 384 x 192 line buffer and scales it, with optional blur.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "video/character_images.h"
#include "video/character_set.h"
#include "video/display_options.h"
#include "video/frame_image.h"
#include "video/hires.h"
#include "video/video_state.h"

namespace kestrel {

class Renderer {
public:
    static constexpr int kLines = 192;       // 16 text rows of 12 lines
    static constexpr int kLineWidth = 384;   // 64 cells of 6 dots
    static constexpr uint16_t kVideoRam = 0x3C00;

    Renderer();

    GlyphTable glyphTable{};
    // The text of the last 8-bit render, zoomed, without the hi-res picture;
    // 0x00 dark, 0xFF lit.
    std::array<std::array<uint8_t, kLineWidth>, kLines> lineBuffer{};

    // Fills glyphTable; returns the new lowercaseVideo.
    bool loadCharacterSet(int choice, const CharacterImages& images, const std::string& customPath) {
        return kestrel::loadCharacterSet(glyphTable, choice, images, customPath);
    }

    // Redraws the whole frame from `memory` (the 64 KiB address space). The path
    // follows the image: 1 bit per pixel, or 8 at 512 x 384 or 768 x 576 (giant).
    // Returns false, drawing nothing, for any other image shape.
    bool renderFrame(const uint8_t* memory, const VideoState& video, const DisplayOptions& display,
                     const HiResBoard& hiRes, FrameImage& frame);

    // Text drawn in cells of kTextCellWidth x kTextCellHeight dots, lit on
    // dark, each glyph line once; a one-dot line across the image closes the
    // first `ruleRow` rows when that is above 0. Lines and rows that do not fit
    // are cut.
    static constexpr int kTextCellWidth = 8, kTextCellHeight = 12;
    void renderText(std::span<const std::string> lines, int ruleRow, FrameImage& frame) const;

private:
    using Group = std::array<uint8_t, 4>;

    void drawText(const uint8_t* memory, const VideoState& video, const DisplayOptions& display);
    void renderGray(const DisplayOptions& display, const HiResBoard& hiRes, FrameImage& frame);
    void renderGrayGiant(const DisplayOptions& display, const HiResBoard& hiRes, FrameImage& frame);
    void renderOneBit(const uint8_t* memory, const VideoState& video, const DisplayOptions& display,
                      FrameImage& frame) const;
    void prepareFilter(int strength);

    // A cell line of six dots (bits 5-0) as pixels, single and double width.
    std::array<std::array<uint8_t, 6>, 64> dots_{};
    std::array<std::array<uint8_t, 12>, 64> wideDots_{};
    // Four output pixels from input pixels 3m-1 .. 3m+3 (bit 0 first), scaled to
    // 512, plain or blurred, and their double-scan copies.
    std::array<Group, 32> scaled_{}, scaledDim_{}, blurred_{}, blurredDim_{};
    std::array<uint8_t, 256> dim_{};
    // Giant blur: the next two filter outputs from the previous one, for an
    // input pixel dark [0] or lit [1]; low byte first.
    std::array<std::array<uint16_t, 256>, 2> filterPair_{};
    int filterStrength_ = -1;
    // Every bit of a nibble doubled, for the 1-bit wide view.
    std::array<uint8_t, 16> wideNibble_{};
    // One input line with the pixel before and after it, see renderGray.
    std::array<uint8_t, kLineWidth + 2> scratch_{};
};

}  // namespace kestrel
