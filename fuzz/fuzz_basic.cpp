// Typed text and BASIC listings, plain and tokenised: what the keyboard trap
// types is the listing, line for line; a tokenised file becomes a tape that
// carries it unchanged.
#include <string>

#include "devices/cassette.h"
#include "devices/typed_text.h"
#include "formats/cas_format.h"
#include "fuzz_support.h"

using namespace kestrel;

namespace {

// Every key the reader delivers, up to the end of the text.
std::string typed(TypedText& t) {
    std::string keys;
    bool ended = false;
    for (;;) {
        const uint8_t c = t.nextTypedChar(ended);
        if (ended) break;
        keys.push_back(static_cast<char>(c));
    }
    return keys;
}

char keyOf(uint8_t c) { return static_cast<char>(c == '^' ? 0x5B : c == '`' ? 0x27 : c); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > TypedText::kMaxFileSize) return -1;
    const std::span<const uint8_t> input(data, size);

    // A plain listing: each line end (CR, LF or CR LF) is one RETURN, a last
    // line without one gets one, every other byte is one key.
    std::string expected;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' || data[i] == '\n') {
            expected.push_back('\r');
            if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
        } else {
            expected.push_back(keyOf(data[i]));
        }
    }
    if (size && data[size - 1] != '\r' && data[size - 1] != '\n') expected.push_back('\r');
    const std::string keys = listingKeys(input);
    TypedText listing;
    FUZZ_CHECK(listing.setTypedText(keys));
    FUZZ_CHECK(typed(listing) == expected);

    // Text typed in two parts reads as the two parts one after the other.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t cut = size ? data[0] % (size + 1) : 0;
    TypedText first, second, joined;
    first.setTypedText(text.substr(0, cut));
    second.setTypedText(text.substr(cut));
    joined.setTypedText(text.substr(0, cut));
    FUZZ_CHECK(joined.appendTypedText(text.substr(cut)));
    FUZZ_CHECK(typed(joined) == typed(first) + typed(second));

    // Escapes: without a backslash or LF the text types as it stands.
    const std::string unescaped = unescapeTypedText(text);
    if (text.find_first_of("\\\n") == std::string_view::npos) FUZZ_CHECK(unescaped == text);
    FUZZ_CHECK(unescaped.size() <= 2 * size);

    // Tokenised: a file starting with FFh is taken as such and turned into a
    // BASIC tape that carries the rest of it byte for byte.
    if (size <= kMaxTokenisedBasic) {
        const std::string path = fuzz::writeScratch("prog.bas", input);
        const bool tokenised = size > 0 && data[0] == 0xFF;
        FUZZ_CHECK(Cassette::isTokenisedBasic(path) == (tokenised ? 1 : 0));
        Cassette tape;
        FUZZ_CHECK(tape.convertBasicToCas(path));
        uint8_t nameChar = 0;
        FUZZ_CHECK(tape.findCasProgram(nameChar) == 1);
        const std::vector<uint8_t> image = basicTapeFromFile(path, input);
        for (uint8_t b : image) FUZZ_CHECK(tape.readTapeByte() == b);
        FUZZ_CHECK(image.size() == 256 + 5 + (size ? size - 1 : 0) + 1);
        FUZZ_CHECK(std::equal(image.begin() + 261, image.end() - 1, input.begin() + (size ? 1 : 0)));
    }
    return 0;
}
