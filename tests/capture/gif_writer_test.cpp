#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "capture/screenshot.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

FrameImage uniformImage(int width, int height, uint8_t value) {
    FrameImage image = FrameImage::create(width, height, 8);
    for (int y = 0; y < height; ++y) std::memset(image.row(y), value, width);
    return image;
}

FrameImage noiseImage(int width, int height, unsigned seed) {
    FrameImage image = FrameImage::create(width, height, 8);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.row(y)[x] = static_cast<uint8_t>(random() >> 24);
    return image;
}

// Something like a rendered screen: a shaded background with many gray levels
// and blocky "characters" in 8x12 cells whose brightness fades down the screen.
FrameImage screenLikeImage(int width, int height) {
    FrameImage image = FrameImage::create(width, height, 8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cx = x / 8, cy = y / 12, gx = x % 8, gy = y % 12;
            const int character = (cx * 37 + cy * 101 + (cx * cy) / 3) % 96;
            const bool ink = character > 20 && gy > 1 && gy < 10 && gx < 7 &&
                             ((character >> (gx % 6)) ^ (gy * character >> 2)) & 1;
            const int shade = (x * 3 + y * 5) / 7 % 256;
            image.row(y)[x] = static_cast<uint8_t>(ink ? 255 - y * 200 / height : shade);
        }
    }
    return image;
}

// All zeros except pixels 1, 2, ..., 99 placed so that the table fills with
// 97-pixel strings: a run of zeros long enough to build 0^2..0^97 plus `padding`
// strings of 96 zeros that take codes but add nothing, then "p 0^96" for p = 1..99.
FrameImage crowdedTableImage(int width, int height, int padding) {
    FrameImage image = FrameImage::create(width, height, 8);
    for (int p = 1; p <= 99; ++p) {
        const int at = 4752 + 96 * padding + (p - 1) * 97;
        image.row(at / width)[at % width] = static_cast<uint8_t>(p);
    }
    return image;
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

std::vector<uint8_t> imagePixels(const FrameImage& image) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < image.height; ++y) pixels.insert(pixels.end(), image.row(y), image.row(y) + image.width);
    return pixels;
}

struct Decoded {
    std::string error;
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> rgb;
};

Decoded decodeWithGiflib(const std::string& path) {
    Decoded d;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) {
        d.error = std::string("open: ") + GifErrorString(error);
        return d;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        d.error = std::string("slurp: ") + GifErrorString(gif->Error);
    } else if (gif->ImageCount != 1 || gif->SColorMap == nullptr || gif->SColorMap->ColorCount != 256) {
        d.error = "unexpected structure";
    } else {
        const SavedImage& image = gif->SavedImages[0];
        d.width = image.ImageDesc.Width;
        d.height = image.ImageDesc.Height;
        d.pixels.assign(image.RasterBits, image.RasterBits + static_cast<size_t>(d.width) * d.height);
        for (int i = 0; i < 256; ++i) {
            const GifColorType& c = gif->SColorMap->Colors[i];
            d.rgb.insert(d.rgb.end(), {c.Red, c.Green, c.Blue});
        }
    }
    DGifCloseFile(gif, &error);
    return d;
}

TEST(GifWriterTest, HeaderColourTableAndDescriptor) {
    FrameImage image = uniformImage(768, 576, 0x55);
    uint8_t* quads = image.dib.data() + FrameImage::kHeaderBytes;
    for (int i = 0; i < 256; ++i) {
        quads[4 * i] = static_cast<uint8_t>(i);                // blue
        quads[4 * i + 1] = static_cast<uint8_t>(255 - i);      // green
        quads[4 * i + 2] = static_cast<uint8_t>(i ^ 0x5A);     // red
        quads[4 * i + 3] = 0x77;                               // ignored
    }
    const std::vector<uint8_t> f = encodeGif(image);
    ASSERT_GT(f.size(), 800u);
    // Header and screen descriptor: 768x576, global table of 256 colours.
    std::vector<uint8_t> expected = {'G', 'I', 'F', '8', '7', 'a', 0x00, 0x03, 0x40, 0x02, 0xF7, 0, 0};
    for (int i = 0; i < 256; ++i)  // red, green, blue
        expected.insert(expected.end(), {static_cast<uint8_t>(i ^ 0x5A), static_cast<uint8_t>(255 - i),
                                         static_cast<uint8_t>(i)});
    // Image descriptor, minimum code size 8.
    expected.insert(expected.end(), {0x2C, 0, 0, 0, 0, 0x00, 0x03, 0x40, 0x02, 0, 8});
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 792), expected);
    // Clear (256), 0x55, then 258 and 259 for "55 55" and "55 55 55", 9 bits each,
    // least significant bit first: 00 AB 08 1C.
    EXPECT_GE(f[792], 251);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 793, f.begin() + 797), (std::vector<uint8_t>{0x00, 0xAB, 0x08, 0x1C}));
    EXPECT_EQ(std::vector<uint8_t>(f.end() - 2, f.end()), (std::vector<uint8_t>{0x00, 0x3B}));

    // The default palette is the gray ramp.
    const std::vector<uint8_t> gray = encodeGif(uniformImage(512, 384, 0));
    for (int i = 0; i < 768; ++i) ASSERT_EQ(gray[13 + i], i / 3) << i;
}

// Every image encoded byte for byte as before (the digest), written as encoded,
// and read back by giflib. The sizes follow from the encoder's rules: greedy
// strings of at most 96 pixels, a lone pixel then a clear when the table gets
// crowded (code 4094, 3335 strings or 15379 bytes of string storage), and a
// sub-block cut as soon as more than 250 complete bytes are pending.
TEST(GifWriterTest, EncodesByteForByteAndGiflibReadsItBack) {
    test::ScratchDir dir;
    struct Case {
        const char* name;
        FrameImage image;
        size_t size;  // 792 bytes of header and colours, the data in sub-blocks, terminator and trailer
        uint64_t digest;
    };
    Case cases[] = {
        // 1..96 pixels (4656), then 1999 codes of 96, then 48 left over. Code
        // widths: clear + codes 1-255 at 9 bits, 256-767 at 10, 768-1791 at 11,
        // 1792-2096 and the end code at 12: 22360 bits, 2795 bytes in 12 sub-blocks.
        {"uniform-512", uniformImage(512, 384, 0x55), 792 + 2795 + 12 + 2, 0xf2f70b0d529bded9},
        // The 3837th code makes code 4094 and so forces a clear at pixel 363792,
        // sent alone; the remaining 78575 pixels start afresh. Bits: 43264 up to
        // and including the clear, then 8515: 6473 bytes, 26 sub-blocks.
        {"uniform-768", uniformImage(768, 576, 0), 792 + 6473 + 26 + 2, 0x6aea5c95085a764f},
        {"noise-512", noiseImage(512, 384, 1), 267992, 0x2e1e8e55f5821d24},
        {"noise-768", noiseImage(768, 576, 2), 602216, 0xd51bd0b1d360b059},
        {"screen-512", screenLikeImage(512, 384), 143537, 0x478591eac6982277},
        {"screen-768", screenLikeImage(768, 576), 318349, 0x208edecbe1894c69},
        // 96 strings 0^2..0^97 (storage 1 + 5040), then per "p 0^96": "0^96 p"
        // (100) and "p 0" (5). At p = 99 storage reaches 5041 + 98 * 105 + 100 =
        // 15431 with 293 strings and 293 + 473 codes handed out: a clear after 1023.
        {"crowded-1023", crowdedTableImage(512, 384, 473), 3636, 0x84a539f98a9ea240},
        // Without padding the clear comes after code 550, on the image's last pixel.
        {"crowded-last-pixel", crowdedTableImage(147, 97, 0), 1136, 0x5244478cacf77958},
        // The same followed by 19841 zeros: up to the clear 9 + 255 * 9 + 40 * 10
        // bits = 2704, then 255 codes of 9 bits (2295). After a 255th code the
        // decoder reads 10 bits, so the end code has 10: 5009 bits. A 9-bit end
        // code would stop exactly at byte 626 and leave the decoder a bit short.
        // On noise and screens string storage fills first.
        {"crowded-aligned-end", crowdedTableImage(341, 100, 0), 792 + 627 + 3 + 2, 0x08d594e158fe91cd},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> encoded = encodeGif(c.image);
        EXPECT_EQ(encoded.size(), c.size);
        EXPECT_EQ(fnv1a(encoded), c.digest) << std::hex << fnv1a(encoded);
        const std::string path = dir.file(std::string(c.name) + ".gif");
        std::vector<std::string> status;
        ASSERT_TRUE(writeGif(c.image, path, [&](const std::string& s) { status.push_back(s); }));
        EXPECT_EQ(status, std::vector<std::string>{"Screenshot saved: " + path});
        EXPECT_EQ(test::readFile(path), encoded);

        const Decoded d = decodeWithGiflib(path);
        ASSERT_EQ(d.error, "");
        EXPECT_EQ(d.width, c.image.width);
        EXPECT_EQ(d.height, c.image.height);
        EXPECT_TRUE(d.pixels == imagePixels(c.image));
        for (int i = 0; i < 256; ++i) ASSERT_EQ(d.rgb[3 * i], i) << i;  // gray ramp
    }
}

TEST(GifWriterTest, RefusesImagesThatAreNotEightBit) {
    test::ScratchDir dir;
    FrameImage image = FrameImage::create(512, 384, 1);
    int messages = 0;
    auto sink = [&](const std::string&) { ++messages; };

    EXPECT_TRUE(encodeGif(image).empty());
    const std::string path = dir.file("mono.gif");
    EXPECT_FALSE(writeGif(image, path, sink));
    EXPECT_FALSE(std::filesystem::exists(path));

    {
        test::CurrentDirGuard inDir(dir.path());
        const ScreenshotResult result = autoGifScreenshot(image, "", sink);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.path, "kestrel0000.gif");
        EXPECT_FALSE(std::filesystem::exists("kestrel0000.gif"));
    }
    EXPECT_EQ(messages, 0);

    // What the callers show then.
    EXPECT_STREQ(kGifErrorTitle, "Error!");
    EXPECT_EQ(gifErrorText(1), "Error saving in GIF format.\rNon 8-bit display can not be saved as GIF.");
    EXPECT_EQ(gifErrorText(8), "Error saving in GIF format.");
}

}  // namespace
}  // namespace kestrel
