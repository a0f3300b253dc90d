#include "video/renderer.h"

#include <algorithm>
#include <cstring>

namespace kestrel {

namespace {

// Semigraphic codes 0x80-0xFF: three blocks high, two wide; the pair for a cell
// line is (code >> 2 * (line / 4)) & 3, bit 0 the left half.
constexpr uint8_t kBlockDots[4] = {0x00, 0x38, 0x07, 0x3F};    // 6-dot cells
constexpr uint8_t kBlockByte[4] = {0x00, 0xF0, 0x0F, 0xFF};    // 8-pixel cells

constexpr int kNormalWidth = FrameImage::kNormalWidth;
constexpr int kGiantWidth = FrameImage::kGiantWidth;
constexpr int kGroups = kNormalWidth / 4;  // three input pixels give four output pixels
constexpr int kMaxBlur = 99;

uint8_t dimmed(int value) { return static_cast<uint8_t>(value * 80 / 100); }

// Which characters a text row shows: every one, every other (32-column mode), or
// one half of the row (video cut and page).
struct CellLayout {
    bool wide;
    int start, step, cells;

    CellLayout(const VideoState& video, const DisplayOptions& display)
        : wide(video.columns32 || display.videoCut),
          start(display.videoCut && display.videoPage && !video.columns32 ? 32 : 0),
          step(video.columns32 ? 2 : 1),
          cells(wide ? 32 : 64) {}
};

}  // namespace

Renderer::Renderer() {
    for (int pattern = 0; pattern < 64; ++pattern) {
        for (int j = 0; j < 6; ++j) {
            const uint8_t pixel = (pattern >> (5 - j)) & 1 ? 0xFF : 0x00;
            dots_[pattern][j] = pixel;
            wideDots_[pattern][2 * j] = wideDots_[pattern][2 * j + 1] = pixel;
        }
    }
    for (int value = 0; value < 256; ++value) dim_[value] = dimmed(value);

    // 384 -> 512: output x takes input pos = x * 384 / 512 with the remainder as
    // weight; in a group of four that is s0, s1, (s1 + 2 s2) / 3, (2 s2 + s3) / 3.
    // The blur also needs the previous group's last pixel, (2 s[-1] + s0) / 3, and
    // the next group's first, s3.
    for (int index = 0; index < 32; ++index) {
        int s[5];  // input pixels 3m-1 .. 3m+3
        for (int i = 0; i < 5; ++i) s[i] = (index >> i) & 1 ? 255 : 0;
        const int o[6] = {(2 * s[0] + s[1]) / 3, s[1], s[2], (s[2] + 2 * s[3]) / 3, (2 * s[3] + s[4]) / 3, s[4]};
        for (int t = 0; t < 4; ++t) {
            const int plain = o[t + 1];
            const int blurred = (o[t] + 2 * o[t + 1] + o[t + 2]) / 4;
            scaled_[index][t] = static_cast<uint8_t>(plain);
            scaledDim_[index][t] = dimmed(plain);
            blurred_[index][t] = static_cast<uint8_t>(blurred);
            blurredDim_[index][t] = dimmed(blurred);
        }
    }

    for (int nibble = 0; nibble < 16; ++nibble) {
        uint8_t doubled = 0;
        for (int bit = 0; bit < 4; ++bit)
            if (nibble & (1 << bit)) doubled |= static_cast<uint8_t>(3 << (2 * bit));
        wideNibble_[nibble] = doubled;
    }
}

void Renderer::prepareFilter(int strength) {
    if (strength == filterStrength_) return;
    filterStrength_ = strength;
    for (int lit = 0; lit < 2; ++lit) {
        const int o = lit ? 255 : 0;
        for (int previous = 0; previous < 256; ++previous) {
            // Integer division truncates toward zero, as the filter wants.
            const int first = o - (o - previous) * strength / 100;
            const int second = o - (o - first) * strength / 100;
            filterPair_[lit][previous] = static_cast<uint16_t>(first | (second << 8));
        }
    }
}

bool Renderer::renderFrame(const uint8_t* memory, const VideoState& video, const DisplayOptions& display,
                           const HiResBoard& hiRes, FrameImage& frame) {
    const bool normal = frame.width == kNormalWidth && frame.height == FrameImage::kNormalHeight;
    const bool giant = frame.width == kGiantWidth && frame.height == FrameImage::kGiantHeight;
    if (frame.bitsPerPixel == 1 ? !normal : frame.bitsPerPixel != 8 || !(normal || giant)) return false;
    if (frame.dib.size() < frame.pixelOffset() + static_cast<size_t>(frame.stride()) * frame.height) return false;

    if (frame.bitsPerPixel == 1) {
        renderOneBit(memory, video, display, frame);
        return true;
    }
    drawText(memory, video, display);
    if (giant)
        renderGrayGiant(display, hiRes, frame);
    else
        renderGray(display, hiRes, frame);
    return true;
}

void Renderer::drawText(const uint8_t* memory, const VideoState& video, const DisplayOptions& display) {
    const CellLayout layout(video, display);
    for (int y = 0; y < kLines; ++y) {
        const int k = y % 12;
        const uint8_t* codes = memory + kVideoRam + (y / 12) * 64 + layout.start;
        const uint8_t* glyphLine = glyphTable.data() + k;
        const int shift = 2 * (k / 4);
        uint8_t* out = lineBuffer[y].data();
        for (int n = 0; n < layout.cells; ++n) {
            const uint8_t c = codes[n * layout.step];
            const uint8_t pattern = c < 0x80 ? glyphLine[c * 16] & 0x3F : kBlockDots[(c >> shift) & 3];
            if (layout.wide)
                std::memcpy(out + 12 * n, wideDots_[pattern].data(), 12);
            else
                std::memcpy(out + 6 * n, dots_[pattern].data(), 6);
        }
    }
}

void Renderer::renderGray(const DisplayOptions& display, const HiResBoard& hiRes, FrameImage& frame) {
    const bool overlay = hiRes.fitted && hiRes.hiResVisible;
    const bool blur = std::clamp(display.compositeBlur, 0, kMaxBlur) != 0;
    const auto& groups = blur ? blurred_ : scaled_;
    const auto& dimGroups = blur ? blurredDim_ : scaledDim_;
    // scratch_[1 + i] is input pixel i; pixel -1 repeats pixel 0 (the blur's left
    // edge) and pixel 384, past the end, is dark.
    uint8_t* s = scratch_.data();
    s[kLineWidth + 1] = 0;
    for (int y = 0; y < kLines; ++y) {
        const uint8_t* line = lineBuffer[y].data();
        if (overlay) {
            const uint8_t* picture = hiRes.hiResPixels[y].data();
            for (int i = 0; i < kLineWidth; ++i) s[1 + i] = line[i] ^ picture[i];
        } else {
            std::memcpy(s + 1, line, kLineWidth);
        }
        s[0] = s[1];

        uint8_t* row = frame.row(2 * y);
        uint8_t* scanRow = display.doubleScan ? frame.row(2 * y + 1) : nullptr;
        unsigned index = 0;
        for (int m = 0; m < kGroups; ++m) {
            const uint8_t* p = s + 3 * m;
            index = (p[0] & 1u) | (p[1] & 1u) << 1 | (p[2] & 1u) << 2 | (p[3] & 1u) << 3 | (p[4] & 1u) << 4;
            std::memcpy(row + 4 * m, groups[index].data(), 4);
            if (scanRow) std::memcpy(scanRow + 4 * m, dimGroups[index].data(), 4);
        }
        // The blur stops one pixel short of the right edge.
        if (blur) {
            row[kNormalWidth - 1] = scaled_[index][3];
            if (scanRow) scanRow[kNormalWidth - 1] = dim_[row[kNormalWidth - 1]];
        }
    }
}

void Renderer::renderGrayGiant(const DisplayOptions& display, const HiResBoard& hiRes, FrameImage& frame) {
    const bool overlay = hiRes.fitted && hiRes.hiResVisible;
    const int strength = std::clamp(display.compositeBlur, 0, kMaxBlur);
    if (strength) prepareFilter(strength);
    uint8_t* s = scratch_.data() + 1;
    for (int y = 0; y < kLines; ++y) {
        const uint8_t* line = lineBuffer[y].data();
        if (overlay) {
            const uint8_t* picture = hiRes.hiResPixels[y].data();
            for (int i = 0; i < kLineWidth; ++i) s[i] = line[i] ^ picture[i];
        } else {
            std::memcpy(s, line, kLineWidth);
        }

        uint8_t* row = frame.row(3 * y);
        if (strength) {
            // Both halves of a doubled pixel go through the running filter; the
            // first output is the first pixel itself.
            unsigned previous = s[0];
            for (int i = 0; i < kLineWidth; ++i) {
                const uint16_t pair = filterPair_[s[i] & 1][previous];
                row[2 * i] = static_cast<uint8_t>(pair);
                row[2 * i + 1] = static_cast<uint8_t>(pair >> 8);
                previous = pair >> 8;
            }
        } else {
            for (int i = 0; i < kLineWidth; ++i) row[2 * i] = row[2 * i + 1] = s[i];
        }
        std::memcpy(frame.row(3 * y + 1), row, kGiantWidth);
        std::memcpy(frame.row(3 * y + 2), row, kGiantWidth);
    }
}

void Renderer::renderOneBit(const uint8_t* memory, const VideoState& video, const DisplayOptions& display,
                            FrameImage& frame) const {
    const CellLayout layout(video, display);
    const int stride = frame.stride();
    for (int y = 0; y < kLines; ++y) {
        const int k = y % 12;
        const uint8_t* codes = memory + kVideoRam + (y / 12) * 64 + layout.start;
        const uint8_t* glyphLine = glyphTable.data() + k;
        const int shift = 2 * (k / 4);
        uint8_t* row = frame.row(2 * y);
        for (int n = 0; n < layout.cells; ++n) {
            const uint8_t c = codes[n * layout.step];
            const uint8_t bits = c < 0x80 ? glyphLine[c * 16] : kBlockByte[(c >> shift) & 3];
            if (layout.wide) {
                row[2 * n] = wideNibble_[bits >> 4];
                row[2 * n + 1] = wideNibble_[bits & 15];
            } else {
                row[n] = bits;
            }
        }
        if (display.doubleScan) std::memcpy(row + stride, row, stride);
    }
}

void Renderer::renderText(std::span<const std::string> lines, int ruleRow, FrameImage& frame) const {
    if (frame.bitsPerPixel != 1 && frame.bitsPerPixel != 8) return;
    std::fill(frame.dib.begin() + static_cast<std::ptrdiff_t>(frame.pixelOffset()), frame.dib.end(), uint8_t{0});
    const int cols = frame.width / kTextCellWidth;
    const int rows = std::min(static_cast<int>(lines.size()), frame.height / kTextCellHeight);
    for (int r = 0; r < rows; ++r) {
        const std::string& line = lines[static_cast<size_t>(r)];
        const int cells = std::min(static_cast<int>(line.size()), cols);
        for (int n = 0; n < cells; ++n) {
            int c = static_cast<uint8_t>(line[static_cast<size_t>(n)]) & 0x7F;
            const uint8_t* glyph = glyphTable.data() + c * 16;
            // A set without lower case has blank glyphs there.
            if (c >= 0x60 && std::all_of(glyph, glyph + 12, [](uint8_t b) { return b == 0; })) glyph -= 0x20 * 16;
            for (int k = 0; k < kTextCellHeight; ++k) {
                uint8_t* row = frame.row(r * kTextCellHeight + k);
                if (frame.bitsPerPixel == 1) {
                    row[n] = glyph[k];
                } else {
                    for (int x = 0; x < kTextCellWidth; ++x)
                        row[n * kTextCellWidth + x] = (glyph[k] << x) & 0x80 ? 0xFF : 0x00;
                }
            }
        }
    }
    const int y = ruleRow * kTextCellHeight - 1;
    if (ruleRow > 0 && y < frame.height) std::memset(frame.row(y), 0xFF, static_cast<size_t>(frame.stride()));
}

}  // namespace kestrel
