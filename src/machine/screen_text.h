// The 16 x 64 text screen as host text, converted as the clipboard copy does.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// Codes below 0x20 become 0x40-0x5F, semigraphic blocks (0x80 and above) lose
// 0x20, then "^" becomes "[" and "`" becomes "'". Every row ends with lineEnd.
std::string screenText(const uint8_t* videoRam, const char* lineEnd);

}  // namespace kestrel
