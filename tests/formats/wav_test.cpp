#include "formats/wav.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrel;

namespace {

void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, static_cast<uint16_t>(x));
    put16(v, static_cast<uint16_t>(x >> 16));
}

void chunk(std::vector<uint8_t>& v, const char* tag, const std::vector<uint8_t>& body, uint32_t length) {
    v.insert(v.end(), tag, tag + 4);
    put32(v, length);
    v.insert(v.end(), body.begin(), body.end());
}

std::vector<uint8_t> fmtBody(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> b;
    put16(b, format);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    put16(b, static_cast<uint16_t>(channels * bits / 8));
    put16(b, bits);
    return b;
}

std::vector<uint8_t> riff(const std::vector<uint8_t>& chunks) {
    std::vector<uint8_t> v{'R', 'I', 'F', 'F'};
    put32(v, static_cast<uint32_t>(chunks.size() + 4));
    v.insert(v.end(), {'W', 'A', 'V', 'E'});
    v.insert(v.end(), chunks.begin(), chunks.end());
    return v;
}

// A file with the format given and `data` as its data chunk body.
std::vector<uint8_t> wav(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data,
                         uint16_t format = 1) {
    std::vector<uint8_t> c;
    const auto f = fmtBody(format, channels, rate, bits);
    chunk(c, "fmt ", f, static_cast<uint32_t>(f.size()));
    chunk(c, "data", data, static_cast<uint32_t>(data.size()));
    return riff(c);
}

}  // namespace

TEST(Wav, HeaderIsTheCanonicalPcmHeader) {
    const std::vector<uint8_t> h = wavHeader(48000, 1, 16, 1920);
    std::vector<uint8_t> expected = wav(1, 48000, 16, {});
    expected[4] = (36 + 1920) & 0xFF;
    expected[5] = (36 + 1920) >> 8;
    expected[40] = 1920 & 0xFF;
    expected[41] = 1920 >> 8;
    EXPECT_EQ(h, expected);
    ASSERT_EQ(h.size(), kWavHeaderBytes);
}

// The first channel of 8- and 16-bit PCM; chunks other than the format and the
// data skipped, and a data chunk cut to what the file holds.
TEST(Wav, ReadsTheFirstChannelOfPcm) {
    std::vector<uint8_t> other;
    chunk(other, "LIST", {1, 2, 3, 0}, 3);  // odd length, padded
    chunk(other, "fmt ", fmtBody(1, 1, 22050, 8), 16);
    chunk(other, "fact", {9, 9, 9, 9}, 4);
    chunk(other, "data", {0x80, 0x81, 0x82}, 1000);  // claims more than there is
    struct Case {
        std::vector<uint8_t> file;
        uint32_t rate, channels, bits;
        std::vector<int16_t> samples;
    } cases[] = {
        {wav(1, 44100, 8, {0x80, 0xFF, 0x00, 0x81}), 44100, 1, 8, {0, 127 * 256, -32768, 256}},
        {wav(2, 22050, 8, {0x90, 0x00, 0x70, 0xFF}), 22050, 2, 8, {16 * 256, -16 * 256}},
        {wav(1, 48000, 16, {0x34, 0x12, 0x00, 0x80, 0xFF, 0xFF}), 48000, 1, 16, {0x1234, -32768, -1}},
        // A stray byte at the end.
        {wav(2, 44100, 16, {0x01, 0x00, 0xFF, 0x7F, 0xFE, 0xFF, 0x00, 0x00, 0x05}), 44100, 2, 16, {1, -2}},
        {wav(1, 4000, 16, {0x07}), 4000, 1, 16, {}},
        {wav(2, 192000, 8, {0x81, 0x00, 0x82}), 192000, 2, 8, {256}},
        {riff(other), 22050, 1, 8, {0, 256, 512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        WavAudio a;
        ASSERT_TRUE(parseWav(c.file, a));
        EXPECT_EQ(a.rate, c.rate);
        EXPECT_EQ(a.channels, c.channels);
        EXPECT_EQ(a.bits, c.bits);
        EXPECT_EQ(a.samples, c.samples);
    }
}

TEST(Wav, RefusesWhatItCannotRead) {
    std::vector<uint8_t> notWave = wav(1, 44100, 8, {0x80});
    notWave[8] = 'X';
    std::vector<uint8_t> liar;  // a chunk before the data that reaches past the end
    chunk(liar, "fmt ", fmtBody(1, 1, 44100, 8), 16);
    chunk(liar, "LIST", {}, 0x7FFFFFFF);
    chunk(liar, "data", {0x80}, 1);
    std::vector<uint8_t> dataFirst;
    chunk(dataFirst, "data", {0x80}, 1);
    chunk(dataFirst, "fmt ", fmtBody(1, 1, 44100, 8), 16);
    std::vector<uint8_t> shortFmt;
    chunk(shortFmt, "fmt ", {1, 0, 1, 0}, 4);
    std::vector<uint8_t> noData;
    chunk(noData, "fmt ", fmtBody(1, 1, 44100, 8), 16);

    struct Case {
        std::vector<uint8_t> bytes;
        const char* says;
    } cases[] = {
        {{}, "no RIFF/WAVE header"},
        {notWave, "no RIFF/WAVE header"},
        {wav(1, 44100, 8, {0x80}, 2), "compressed (format 2)"},
        {wav(1, 44100, 8, {0x80}, 0x55), "compressed (format 85)"},
        {wav(0, 44100, 8, {0x80}), "0 channels"},
        {wav(6, 44100, 16, {0x80}), "6 channels"},
        {wav(1, 0, 8, {0x80}), "0 samples per second"},
        {wav(1, 3999, 8, {0x80}), "3999 samples per second"},
        {wav(1, 192001, 8, {0x80}), "192001 samples per second"},
        {wav(1, 44100, 24, {0x80}), "24 bits per sample"},
        {wav(1, 44100, 0, {0x80}), "0 bits per sample"},
        {riff(liar), "runs past the end"},
        {riff(dataFirst), "before the format"},
        {riff(shortFmt), "format chunk is too short"},
        {riff(noData), "no sample data"},
    };
    for (const Case& c : cases) {
        WavAudio a;
        a.rate = 7;
        const IoResult r = parseWav(c.bytes, a);
        EXPECT_FALSE(r) << c.says;
        EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
        EXPECT_EQ(a.rate, 7u);
    }
}

TEST(Wav, DamagedFilesNeverReadOutOfBounds) {
    // Every truncation of a good file, then random damage to its header bytes.
    const std::vector<uint8_t> good = wav(2, 44100, 16, std::vector<uint8_t>(64, 0x11));
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> bytes = good;
        if (round < static_cast<int>(good.size())) {
            bytes.resize(static_cast<std::size_t>(round));
        } else {
            for (int k = 0; k < 4; ++k) bytes[random() % 48] = static_cast<uint8_t>(random());
            bytes.resize(random() % bytes.size() + 1);
        }
        WavAudio a;
        if (parseWav(bytes, a)) {
            EXPECT_LE(a.samples.size() * a.channels * a.bits / 8, bytes.size());
        }
    }
}

TEST(Wav, ResamplesByLinearInterpolation) {
    const std::vector<int16_t> ramp{0, 100, 200, 300};
    struct Case {
        uint32_t from, to;
        std::vector<int16_t> out;
    } cases[] = {
        {44100, 44100, ramp},
        {22050, 44100, {0, 50, 100, 150, 200, 250, 300, 300}},
        {48000, 24000, {0, 200}},
        {48000, 44100, {0, 108, 217}},
        {0, 44100, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(resample(ramp, c.from, c.to), c.out) << c.from << "->" << c.to;
    EXPECT_EQ(resample(std::vector<int16_t>(22050, 5), 22050, kTapeSampleRate).size(), 44100u);
}
