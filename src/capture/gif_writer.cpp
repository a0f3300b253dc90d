// GIF87a with variable-length LZW codes of 9 to 12 bits. Strings are capped at 96
// pixels, and the table is cleared early when it gets crowded (see kMaxCode,
// kMaxStrings, kMaxStorage), so the output of a given screen is always the same bytes.
#include <array>

#include "capture/screenshot.h"

namespace kestrel {

namespace {

constexpr int kMinCodeSize = 8;
constexpr int kClearCode = 256;
constexpr int kEndCode = 257;
constexpr int kFirstWidth = 9;
constexpr int kMaxWidth = 12;
constexpr int kMaxStringPixels = 96;
// Limits that force a clear once exceeded.
constexpr int kMaxCode = 4093;
constexpr int kMaxStrings = 3335;
constexpr int kMaxStorage = 15379;  // 1 + (length + 3) per string

// Codes go in least-significant bit first. Once more than 250 complete bytes wait,
// they leave as one sub-block; the partly filled byte stays behind.
class BitPacker {
public:
    explicit BitPacker(std::vector<uint8_t>& out) : out_(out) {}

    void put(int code, int width) {
        bits_ |= static_cast<uint32_t>(code) << bitCount_;
        bitCount_ += width;
        while (bitCount_ >= 8) {
            pending_[pendingBytes_++] = static_cast<uint8_t>(bits_);
            bits_ >>= 8;
            bitCount_ -= 8;
        }
        if (pendingBytes_ > 250) writeBlock();
    }

    // After the end code: pad the last byte with zeros and write what remains.
    void finish() {
        if (bitCount_ > 0) pending_[pendingBytes_++] = static_cast<uint8_t>(bits_);
        bits_ = 0;
        bitCount_ = 0;
        writeBlock();
    }

private:
    void writeBlock() {
        out_.push_back(static_cast<uint8_t>(pendingBytes_));
        out_.insert(out_.end(), pending_.begin(), pending_.begin() + pendingBytes_);
        pendingBytes_ = 0;
    }

    std::vector<uint8_t>& out_;
    std::array<uint8_t, 256> pending_{};
    int pendingBytes_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
};

// The strings seen since the last clear, each known by its prefix's code and its
// last pixel. Open addressing over 5003 slots: at most 3336 strings live at once,
// so a free slot always exists.
class StringTable {
public:
    void reset() {
        for (Slot& slot : slots_) slot.key = -1;
        strings_ = 0;
        storage_ = 1;
    }

    // The code of prefix + pixel, or -1.
    int find(int prefix, int pixel) const {
        const Slot& slot = slots_[probe(key(prefix, pixel))];
        return slot.key < 0 ? -1 : slot.code;
    }

    void add(int prefix, int pixel, int code, int length) {
        Slot& slot = slots_[probe(key(prefix, pixel))];
        slot.key = key(prefix, pixel);
        slot.code = static_cast<uint16_t>(code);
        ++strings_;
        storage_ += length + 3;
    }

    int strings() const { return strings_; }
    int storage() const { return storage_; }

private:
    static constexpr int kSlots = 5003;
    struct Slot {
        int32_t key = -1;
        uint16_t code = 0;
    };

    static int32_t key(int prefix, int pixel) { return (prefix << 8) | pixel; }

    int probe(int32_t k) const {
        int i = static_cast<int>((static_cast<uint32_t>(k) * 2654435761u) % kSlots);
        while (slots_[i].key >= 0 && slots_[i].key != k) i = i + 1 == kSlots ? 0 : i + 1;
        return i;
    }

    std::array<Slot, kSlots> slots_{};
    int strings_ = 0;
    int storage_ = 1;
};

void put16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void encodePixels(const FrameImage& image, std::vector<uint8_t>& out) {
    BitPacker packer(out);
    StringTable table;
    table.reset();
    int width = kFirstWidth;
    int assigned = 0;  // codes handed out since the last clear
    bool haveString = false;
    int stringCode = 0;
    int stringLength = 0;

    // A code that adds no table entry here (the pixel just before a clear, the last
    // string) still makes the decoder enter the pending string, so it widens its
    // codes one entry later than we do; follow it or the next code is misread.
    auto followDecoderWidth = [&](int nextEntry) {
        if (nextEntry == (1 << width) && width < kMaxWidth) ++width;
    };

    packer.put(kClearCode, width);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            const int pixel = row[x];
            if (!haveString) {
                haveString = true;
                stringCode = pixel;
                stringLength = 1;
                continue;
            }
            const int found = table.find(stringCode, pixel);
            if (found >= 0 && stringLength < kMaxStringPixels) {
                stringCode = found;
                ++stringLength;
                continue;
            }
            packer.put(stringCode, width);
            ++assigned;
            const int code = 257 + assigned;
            // A 97-pixel string may already be known; it still uses up a code.
            if (found < 0) table.add(stringCode, pixel, code, stringLength + 1);
            stringCode = pixel;
            stringLength = 1;
            if (code == (1 << width)) ++width;
            if (code > kMaxCode || table.strings() > kMaxStrings || table.storage() > kMaxStorage) {
                packer.put(pixel, width);
                followDecoderWidth(code + 1);
                packer.put(kClearCode, width);
                table.reset();
                width = kFirstWidth;
                assigned = 0;
                haveString = false;
            }
        }
    }
    if (haveString) {
        packer.put(stringCode, width);
        followDecoderWidth(258 + assigned);
    }
    packer.put(kEndCode, width);
    packer.finish();
}

}  // namespace

std::vector<uint8_t> encodeGif(const FrameImage& image) {
    std::vector<uint8_t> out;
    if (image.bitsPerPixel != 8 || image.width <= 0 || image.height <= 0 || image.width > 0xFFFF ||
        image.height > 0xFFFF ||
        image.dib.size() < image.pixelOffset() + static_cast<size_t>(image.stride()) * image.height)
        return out;

    out.insert(out.end(), {'G', 'I', 'F', '8', '7', 'a'});
    put16(out, image.width);
    put16(out, image.height);
    out.push_back(0xF7);  // global colour table of 256 entries, 8 bits of resolution
    out.push_back(0);     // background colour
    out.push_back(0);     // aspect ratio
    const uint8_t* quad = image.palette();
    for (int i = 0; i < 256; ++i, quad += 4) out.insert(out.end(), {quad[2], quad[1], quad[0]});

    out.push_back(',');
    put16(out, 0);
    put16(out, 0);
    put16(out, image.width);
    put16(out, image.height);
    out.push_back(0);  // no local colour table, not interlaced
    out.push_back(kMinCodeSize);
    encodePixels(image, out);
    out.push_back(0x00);  // block terminator
    out.push_back(';');
    return out;
}

}  // namespace kestrel
