#include "media/cmd_loader.h"

#include <memory>

#include "machine/machine.h"

namespace kestrel {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads bytes and keeps the offset of the next one, for the trace of skipped
// blocks; works on streams that cannot seek as well.
class ByteReader {
public:
    explicit ByteReader(std::FILE* stream) : stream_(stream) {
        const long start = std::ftell(stream);
        offset_ = start < 0 ? 0 : start;
    }
    // The next byte, or EOF.
    int next() {
        const int c = std::fgetc(stream_);
        if (c != EOF) ++offset_;
        return c;
    }
    long offset() const { return offset_; }

private:
    std::FILE* stream_;
    long offset_;
};

}  // namespace

int CmdLoader::loadCmd(Machine& machine, std::FILE* stream, uint16_t& entry, std::FILE* outputTrace,
                       std::FILE* errorTrace) {
    entry = 0;
    ByteReader in(stream);
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
            auto address = static_cast<uint16_t>(low | (high << 8));
            // The address takes two of the length bytes; lengths 1 and 2 stand
            // for 255 and 256 data bytes.
            const int count = length > 2 ? length - 2 : length + 254;
            if (outputTrace) std::fprintf(outputTrace, "load from address %04xh, %i bytes.\n", static_cast<unsigned>(address), count);
            for (int i = 0; i < count; ++i) {
                const int value = in.next();
                if (value == EOF) return 1;
                machine.bus.memWrite(address, static_cast<uint8_t>(value));
                ++address;  // wraps at 0x10000
            }
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
                         static_cast<int>(in.offset()));
            for (int i = 0; i < length; ++i)
                if (in.next() == EOF) break;
        }
    }
}

CmdFileResult CmdLoader::loadCmdFile(Machine& machine, const std::string& path, std::FILE* outputTrace,
                                     std::FILE* errorTrace) {
    CmdFileResult result;
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        result.message = "Cannot open CMD file " + path;
        return result;
    }
    // A CMD file is streamed, but one this large is no program: refuse it
    // before reading anything.
    long long length = -1;
    if (std::fseek(f.get(), 0, SEEK_END) == 0) {
        length = std::ftell(f.get());
        if (std::fseek(f.get(), 0, SEEK_SET) != 0) length = -1;
    }
    if (length < 0) {
        result.message = "Cannot read CMD file " + path;
        return result;
    }
    if (length > kCmdMaxFileSize) {
        result.message = "Not a CMD program: " + path + " is " + std::to_string(length) +
                         " bytes long, more than " + std::to_string(kCmdMaxFileSize) + ".";
        return result;
    }
    result.opened = true;
    result.result = loadCmd(machine, f.get(), result.entry, outputTrace, errorTrace);
    return result;
}

}  // namespace kestrel
