#include "media/typed_text.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>
#include <vector>

namespace kestrel {

bool TypedText::adopt(const uint8_t* bytes, size_t length) {
    freeTypedText();
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[length + 1]);
    if (!copy) return false;
    if (length) std::memcpy(copy.get(), bytes, length);
    copy[length] = 0;
    typedText = std::move(copy);
    typedLength = length;
    typedPos = 0;
    return true;
}

int TypedText::setTypedText(std::string_view text) {
    return adopt(reinterpret_cast<const uint8_t*>(text.data()), text.size()) ? 1 : 0;
}

int TypedText::loadTypedTextFile(const std::string& path) {
    lastError.clear();
    std::FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) {
        lastError = "Cannot open text file " + path + ": " + std::generic_category().message(errno);
    } else {
        // Read in pieces and stop one byte past the limit, so neither a huge file
        // nor a device without a size is ever read whole.
        std::vector<uint8_t> bytes;
        uint8_t chunk[16384];
        bool tooLarge = false;
        bool readError = false;
        for (;;) {
            const size_t n = std::fread(chunk, 1, sizeof chunk, f);
            if (bytes.size() + n > kMaxFileSize) {
                tooLarge = true;
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + n);
            if (n < sizeof chunk) {
                readError = std::ferror(f) != 0;
                break;
            }
        }
        std::fclose(f);
        if (tooLarge)
            lastError = "Text file " + path + " is larger than 1 MiB and was not loaded";
        else if (readError)
            lastError = "Cannot read text file " + path;
        else if (adopt(bytes.data(), bytes.size()))
            return 1;
        else
            lastError = "Not enough memory for text file " + path;
    }
    if (diagnostics) std::fprintf(diagnostics, "%s\n", lastError.c_str());
    return 0;
}

void TypedText::freeTypedText() {
    typedText.reset();
    typedLength = 0;
    typedPos = 0;
}

uint8_t TypedText::nextTypedChar(bool& ended) {
    ended = false;
    if (!typedText || typedPos >= typedLength) {
        ended = true;
        return 0;
    }
    const uint8_t c = typedText[typedPos++];
    if (c == '^') return 0x5B;
    if (c == '`') return 0x27;
    if (c == 0x0D) {
        // A CR LF line end types one RETURN.
        ++typedPos;
        return 0x0D;
    }
    return c;
}

}  // namespace kestrel
