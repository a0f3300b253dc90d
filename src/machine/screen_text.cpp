#include "machine/screen_text.h"

namespace kestrel {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The character with the dots of a semigraphic cell (bit 0 top left, bit 1
// top right, ... bit 5 bottom right), the order the sextant block uses.
char32_t blockCharacter(unsigned dots) {
    switch (dots) {
    case 0: return U' ';
    case 0x15: return U'\u258C';  // left half
    case 0x2A: return U'\u2590';  // right half
    case 0x3F: return U'\u2588';  // full block
    default:
        // The sextants leave out the four patterns above.
        return U'\U0001FB00' + dots - 1 - (dots > 0x15 ? 1 : 0) - (dots > 0x2A ? 1 : 0);
    }
}

// The next code point of `text` from `i`, or U+FFFD for a malformed sequence.
char32_t nextCodePoint(std::string_view text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i++);
    if (lead < 0x80) return lead;
    const int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0) return U'\uFFFD';
    char32_t c = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80) return U'\uFFFD';
        c = c << 6 | (byte(i++) & 0x3F);
    }
    return c;
}

// The ASCII a host character is typed as; 0 when the machine has no key for it.
char asciiFor(char32_t c) {
    if (c == '\t') return ' ';
    // Lower case is typed with SHIFT; the rest of ASCII beyond Z has no key.
    if ((c >= 0x20 && c <= 0x5F) || (c >= 'a' && c <= 'z')) return static_cast<char>(c);
    switch (c) {
    case U'\u00A0': case U'\u2002': case U'\u2003': case U'\u2009': case U'\u202F': return ' ';
    case U'\u2018': case U'\u2019': case U'\u201A': case U'\u2032': case U'\u00B4': return '\'';
    case U'\u201C': case U'\u201D': case U'\u201E': case U'\u2033': case U'\u00AB': case U'\u00BB': return '"';
    case U'\u2010': case U'\u2011': case U'\u2012': case U'\u2013': case U'\u2014': case U'\u2015':
    case U'\u2212': return '-';
    case U'\u00D7': return '*';
    default: return 0;
    }
}

}  // namespace

std::string screenText(const uint8_t* videoRam, const char* lineEnd) {
    std::string text;
    text.reserve(16 * 66);
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 64; ++column) {
            unsigned b = videoRam[row * 64 + column];
            if (b >= 0x80) {
                appendUtf8(text, blockCharacter(b & 0x3F));
                continue;
            }
            if (b < 0x20)
                b += 0x40;
            if (b == '^')
                b = '[';
            else if (b == '`')
                b = '\'';
            text.push_back(static_cast<char>(b));
        }
        text += lineEnd;
    }
    return text;
}

PastedKeys pastedKeys(std::string_view utf8) {
    PastedKeys pasted;
    pasted.keys.reserve(utf8.size() + utf8.size() / 8);
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = nextCodePoint(utf8, i);
        if (c == '\r' || c == '\n') {
            // A CR swallows the byte after it: "\r\n" is one RETURN.
            pasted.keys += "\r\n";
            if (c == '\r' && i < utf8.size() && utf8[i] == '\n') ++i;
        } else if (c == U'\u2026') {
            pasted.keys += "...";
        } else if (const char a = asciiFor(c)) {
            pasted.keys.push_back(a);
        } else {
            ++pasted.dropped;
        }
    }
    return pasted;
}

}  // namespace kestrel
