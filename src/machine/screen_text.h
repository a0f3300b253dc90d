// The text screen as host text and host text as keys: what the clipboard copy
// and paste and the runner's screen text use. Host text is UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// The 16 x 64 screen, every row ended with lineEnd. Codes below 0x20 become
// 0x40-0x5F, "^" becomes "[" and "`" becomes "'", and semigraphic cells
// (0x80 and above) become the Unicode block or sextant with the same dots.
std::string screenText(const uint8_t* videoRam, const char* lineEnd);

struct PastedKeys {
    std::string keys;    // typed text: every line end one RETURN
    size_t dropped = 0;  // characters the machine has no key for
};

// Host text as the machine's keys: LF, CR and CR LF are RETURN, a tab a
// space, typographic quotes, dashes and spaces their ASCII forms.
PastedKeys pastedKeys(std::string_view utf8);

}  // namespace kestrel
