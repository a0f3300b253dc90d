#include "formats/cmd_format.h"

#include <algorithm>

namespace kestrel {
namespace {

// Reads bytes and keeps the offset of the next one, for the trace of
// skipped blocks.
class SpanBytes {
public:
    explicit SpanBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    int next() { return offset_ < bytes_.size() ? bytes_[offset_++] : EOF; }
    size_t position() const { return offset_; }
    void skip(size_t count) { offset_ += count; }

private:
    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
};

// Bytes a record holds after its length byte.
size_t bodySize(int type, int length) {
    if (type != 1) return static_cast<size_t>(length);
    // The address takes two of the length bytes; lengths 1 and 2 stand for
    // 255 and 256 data bytes.
    return static_cast<size_t>(2 + (length > 2 ? length - 2 : length + 254));
}

}  // namespace

int CmdLoader::loadCmd(std::span<const uint8_t> bytes, uint16_t& entry, std::vector<CmdBlock>& blocks,
                       std::FILE* outputTrace, std::FILE* errorTrace) {
    entry = 0;
    blocks.clear();
    SpanBytes in(bytes);
    for (;;) {
        const int type = in.next();
        if (type == EOF) return 0;
        ++cmdBlockCounter_;
        if (errorTrace) std::fprintf(errorTrace, "Block #%02i, type %i: \n", cmdBlockCounter_, type);

        const int lengthByte = in.next();
        // A file cut off before the length: a load block is just as cut off as
        // one ending in its address; a transfer record has no valid length.
        if (lengthByte == EOF) return type == 1 ? 1 : 0;
        const int length = lengthByte == 0 ? 256 : lengthByte;

        if (type == 1) {
            const int low = in.next();
            if (low == EOF) return 1;
            const int high = in.next();
            if (high == EOF) return 1;
            const auto address = static_cast<uint16_t>(low | (high << 8));
            const size_t count = bodySize(type, length) - 2;
            if (outputTrace)
                std::fprintf(outputTrace, "load from address %04xh, %i bytes.\n", static_cast<unsigned>(address),
                             static_cast<int>(count));
            const size_t present = std::min(count, bytes.size() - in.position());
            blocks.push_back({address, bytes.subspan(in.position(), present)});
            in.skip(present);
            if (present < count) return 1;
        } else if (type == 2) {
            if (length != 2) return 0;
            const int low = in.next();
            if (low == EOF) return 1;
            const int high = in.next();
            if (high == EOF) return 1;
            entry = static_cast<uint16_t>(low | (high << 8));
            if (errorTrace) std::fprintf(errorTrace, "start address at %xh.\n", static_cast<unsigned>(entry));
            return 1;
        } else {
            if (errorTrace) std::fprintf(errorTrace, "unsupported block type %i of size %i, at offset: %i.\n", type, length,
                         static_cast<int>(in.position()));
            for (int i = 0; i < length; ++i)
                if (in.next() == EOF) break;
        }
    }
}

IoResult checkCmdImage(std::span<const uint8_t> bytes, const std::string& name) {
    auto refuse = [&](const std::string& why) { return IoResult::failure("Not a CMD program: " + name + " " + why); };
    if (bytes.empty()) return refuse("is empty");
    size_t at = 0;
    int loads = 0;
    while (at < bytes.size()) {
        const int type = bytes[at++];
        if (at == bytes.size()) return refuse("ends inside a block header");
        const int length = bytes[at] == 0 ? 256 : bytes[at];
        ++at;
        if (type == 2 && length != 2) return refuse("has a transfer record of length " + std::to_string(length));
        if (bytes.size() - at < bodySize(type, length))
            return refuse("is cut off inside the block at offset " + std::to_string(at - 2));
        at += bodySize(type, length);
        if (type == 1) ++loads;
        if (type == 2) break;  // loading ends at the transfer record
    }
    if (!loads) return refuse("holds no block to load");
    return {};
}

}  // namespace kestrel
