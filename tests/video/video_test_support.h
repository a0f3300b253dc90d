// Shared set-up for the video tests: a flat address space, the renderer and
// the switches, and small readers for the rendered pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "video/frame_image.h"
#include "video/hires.h"
#include "video/renderer.h"
#include "video/video_state.h"

namespace kestrel::video_test {

using Pixels = std::vector<int>;

class VideoFixture : public testing::Test {
protected:
    void SetUp() override {
        display.doubleScan = false;
        display.compositeBlur = 0;
    }

    void putChar(int row, int column, uint8_t code) { memory[Renderer::kVideoRam + row * 64 + column] = code; }
    // Glyph `code` shows `dots` (bits 5-0) on every one of its twelve lines.
    void solidGlyph(uint8_t code, uint8_t dots) {
        for (int k = 0; k < 12; ++k) renderer.glyphTable[code * 16 + k] = dots;
    }

    FrameImage render(int width, int height, int bits) {
        FrameImage frame = FrameImage::create(width, height, bits);
        EXPECT_TRUE(renderer.renderFrame(memory.data(), video, display, hiRes, frame));
        return frame;
    }
    FrameImage renderNormal() { return render(512, 384, 8); }
    FrameImage renderGiant() { return render(768, 576, 8); }
    FrameImage renderOneBit() { return render(512, 384, 1); }

    static std::vector<int> pixels(const FrameImage& frame, int row, int from, int count) {
        std::vector<int> values;
        for (int x = from; x < from + count; ++x) values.push_back(frame.row(row)[x]);
        return values;
    }
    static bool rowIsBlack(const FrameImage& frame, int row) {
        for (int i = 0; i < frame.stride(); ++i)
            if (frame.row(row)[i]) return false;
        return true;
    }
    static bool allBlack(const FrameImage& frame) {
        for (int y = 0; y < frame.height; ++y)
            if (!rowIsBlack(frame, y)) return false;
        return true;
    }

    std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000, 0);
    Renderer renderer;
    VideoState video;
    DisplayOptions display;
    HiResBoard hiRes;
};

}  // namespace kestrel::video_test
