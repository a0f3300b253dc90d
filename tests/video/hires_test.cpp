#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "machine/machine.h"
#include "video/hires.h"
#include "video/renderer.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

int litCount(const HiResBoard& board) {
    int count = 0;
    for (const auto& row : board.hiResPixels)
        for (uint8_t pixel : row) count += pixel != 0;
    return count;
}

TEST(HiResBoardTest, PortRules) {
    HiResBoard board;  // not fitted: the ports work all the same
    board.hiResWrite(1, 0x47);
    board.hiResWrite(2, 200);
    EXPECT_EQ(std::tuple(board.hiResX, board.hiResRead(1), board.hiResY, board.hiResRead(2)),
              std::tuple(7, 7, 200, 200));

    // Bit 0 is the leftmost of six pixels; bits 6-7 are ignored.
    board.hiResPixels[200][48] = 0xFF;
    board.hiResWrite(0, 0xC5);
    const uint8_t expected[8] = {0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(board.hiResPixels[200][41 + i], expected[i]) << 41 + i;
    EXPECT_EQ(board.hiResRead(0), 0x05);
    EXPECT_EQ(litCount(board), 3);

    // A write replaces all six pixels.
    board.hiResWrite(0, 0x3A);
    EXPECT_EQ(board.hiResRead(0), 0x3A);
    EXPECT_EQ(board.hiResPixels[200][42], 0x00);
    EXPECT_EQ(board.hiResPixels[200][43], 0xFF);

    // The visible bit reads back in bit 6 of port 0xEC.
    const uint8_t control = board.hiResRead(3);
    board.hiResWrite(3, 0x03);
    EXPECT_TRUE(board.hiResVisible);
    EXPECT_EQ(board.hiResRead(0), 0x7A);
    EXPECT_EQ(board.hiResRead(3), control);  // a constant, whatever the state
    board.hiResWrite(3, 0xFE);
    EXPECT_FALSE(board.hiResVisible);
    EXPECT_EQ(board.hiResRead(0), 0x3A);

    // The last column reaches the last pixel; only the low two port bits count.
    board.hiResWrite(1 | 4, 0xFF);
    EXPECT_EQ(board.hiResX, 63);
    board.hiResWrite(2, 255);
    board.hiResWrite(0, 0x20);
    EXPECT_EQ(board.hiResPixels[255][383], 0xFF);
    EXPECT_EQ(board.hiResPixels[255][382], 0x00);
    EXPECT_EQ(board.hiResRead(0 | 8), 0x20);
}

TEST(HiResBoardTest, FittingClearsRemovingKeeps) {
    HiResBoard board;
    board.hiResWrite(1, 5);
    board.hiResWrite(2, 9);
    board.hiResWrite(0, 0x3F);
    board.hiResWrite(3, 1);
    EXPECT_FALSE(board.fitted);

    board.fitHiResBoard();
    EXPECT_EQ(std::tuple(board.fitted, board.hiResX, board.hiResY, board.hiResVisible, litCount(board)),
              std::tuple(true, 0, 0, false, 0));

    board.hiResWrite(1, 5);
    board.hiResWrite(0, 0x01);
    board.hiResWrite(3, 1);
    board.removeHiResBoard();
    EXPECT_EQ(std::tuple(board.fitted, board.hiResX, board.hiResVisible, board.hiResPixels[0][30], board.hiResRead(0)),
              std::tuple(false, 5, true, 0xFF, 0x41));
}

TEST(HiResBoardTest, RowsPastTheScreenAreStoredButNeverShown) {
    auto machine = std::make_unique<Machine>();
    inside(*machine).hiRes.fitHiResBoard();
    inside(*machine).bus.portOut(0xEF, 1);
    inside(*machine).bus.portOut(0xEE, 200);
    inside(*machine).bus.portOut(0xEC, 0x3F);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(inside(*machine).hiRes.hiResPixels[200][x], 0xFF) << x;
    EXPECT_EQ(inside(*machine).hiRes.hiResPixels[200][6], 0x00);
    EXPECT_EQ(inside(*machine).bus.portIn(0xEC), 0x7F);

    auto renderer = std::make_unique<Renderer>();
    auto render = [&](int width, int height, int bits) {
        FrameImage frame = FrameImage::create(width, height, bits);
        EXPECT_TRUE(renderer->renderFrame(inside(*machine).bus.memoryBase(), inside(*machine).video, DisplayOptions{},
                                          inside(*machine).hiRes, frame));
        return frame;
    };
    for (auto [width, height, bits] : {std::tuple{512, 384, 8}, {512, 384, 1}, {768, 576, 8}}) {
        const FrameImage frame = render(width, height, bits);
        const uint8_t* pixels = frame.pixels();
        EXPECT_TRUE(std::all_of(pixels, pixels + static_cast<size_t>(frame.stride()) * frame.height,
                                [](uint8_t p) { return p == 0; }))
            << width << "x" << bits;
    }

    // Row 191, the last one on the screen, does show.
    inside(*machine).bus.portOut(0xEE, 191);
    inside(*machine).bus.portOut(0xEC, 0x3F);
    EXPECT_EQ(render(512, 384, 8).row(382)[0], 255);
}

}  // namespace
}  // namespace kestrel
