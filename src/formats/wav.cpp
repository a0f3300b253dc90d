#include "formats/wav.h"

#include <algorithm>
#include <string>

namespace kestrel {

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}

void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t get32(const uint8_t* p) { return get16(p) | static_cast<uint32_t>(get16(p + 2)) << 16; }

bool isTag(const uint8_t* p, const char* tag) { return std::equal(p, p + 4, tag); }

IoResult refuse(const std::string& why) { return IoResult::failure("Not a usable WAV file: " + why); }

constexpr uint16_t kPcm = 1;
constexpr uint16_t kExtensible = 0xFFFE;

}  // namespace

std::vector<uint8_t> wavHeader(uint32_t rate, uint16_t channels, uint16_t bits, uint32_t dataBytes) {
    const uint16_t blockAlign = static_cast<uint16_t>(channels * ((bits + 7) / 8));
    std::vector<uint8_t> h;
    h.reserve(kWavHeaderBytes);
    putTag(h, "RIFF");
    put32(h, dataBytes + static_cast<uint32_t>(kWavHeaderBytes - 8));
    putTag(h, "WAVE");
    putTag(h, "fmt ");
    put32(h, 16);
    put16(h, kPcm);
    put16(h, channels);
    put32(h, rate);
    put32(h, rate * blockAlign);
    put16(h, blockAlign);
    put16(h, bits);
    putTag(h, "data");
    put32(h, dataBytes);
    return h;
}

IoResult parseWav(std::span<const uint8_t> bytes, WavAudio& audio) {
    if (bytes.size() < 12 || !isTag(bytes.data(), "RIFF") || !isTag(bytes.data() + 8, "WAVE"))
        return refuse("no RIFF/WAVE header");
    // The RIFF size is often wrong in the wild; the chunks themselves are
    // followed up to the end of what was read instead.
    const std::size_t end = bytes.size();
    std::size_t at = 12;
    bool haveFormat = false;
    WavAudio found;
    while (end - at >= 8) {
        const uint8_t* chunk = bytes.data() + at;
        const uint32_t length = get32(chunk + 4);
        const std::size_t body = at + 8;
        if (isTag(chunk, "data")) {
            if (!haveFormat) return refuse("the sample data comes before the format");
            const std::size_t frame = std::size_t{found.channels} * (found.bits / 8);
            const std::size_t available = std::min<std::size_t>(length, end - body);
            const std::size_t frames = available / frame;
            found.samples.resize(frames);
            const uint8_t* p = bytes.data() + body;
            for (std::size_t i = 0; i < frames; ++i, p += frame)
                found.samples[i] = found.bits == 8 ? static_cast<int16_t>((p[0] - 128) * 256)
                                                   : static_cast<int16_t>(get16(p));
            audio = std::move(found);
            return {};
        }
        if (length > end - body) return refuse("a chunk runs past the end of the file before the sample data");
        if (isTag(chunk, "fmt ")) {
            if (length < 16) return refuse("the format chunk is too short");
            const uint8_t* f = bytes.data() + body;
            uint16_t format = get16(f);
            // The extended header names the real format in its first two
            // sub-format bytes.
            if (format == kExtensible && length >= 40 && get16(f + 16) >= 22) format = get16(f + 24);
            found.channels = get16(f + 2);
            found.rate = get32(f + 4);
            found.bits = get16(f + 14);
            if (format != kPcm)
                return refuse("compressed (format " + std::to_string(format) + "), only PCM can be read");
            if (found.channels != 1 && found.channels != 2)
                return refuse(std::to_string(found.channels) + " channels, only mono or stereo can be read");
            if (found.bits != 8 && found.bits != 16)
                return refuse(std::to_string(found.bits) + " bits per sample, only 8 or 16 can be read");
            if (found.rate < 4000 || found.rate > 192000)
                return refuse(std::to_string(found.rate) + " samples per second, 4000 to 192000 can be read");
            haveFormat = true;
        }
        // Chunks are padded to an even length.
        at = body + length + (length & 1);
        if (at > end) break;
    }
    return refuse("no sample data");
}

std::vector<int16_t> resample(std::span<const int16_t> samples, uint32_t fromRate, uint32_t toRate) {
    if (fromRate == 0 || toRate == 0 || samples.empty()) return {};
    if (fromRate == toRate) return {samples.begin(), samples.end()};
    const uint64_t count = samples.size() * uint64_t{toRate} / fromRate;
    std::vector<int16_t> out(count);
    const std::size_t last = samples.size() - 1;
    for (uint64_t i = 0; i < count; ++i) {
        // Output sample i lies at i * fromRate / toRate in the input.
        const uint64_t position = i * fromRate;
        const std::size_t index = static_cast<std::size_t>(position / toRate);
        const int64_t fraction = static_cast<int64_t>(position % toRate);
        const int64_t a = samples[index];
        const int64_t b = samples[std::min(index + 1, last)];
        out[i] = static_cast<int16_t>(a + (b - a) * fraction / toRate);
    }
    return out;
}

}  // namespace kestrel
