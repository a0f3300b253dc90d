#include "machine/screen_text.h"

namespace kestrel {

std::string screenText(const uint8_t* videoRam, const char* lineEnd) {
    std::string text;
    text.reserve(16 * 66);
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 64; ++column) {
            unsigned b = videoRam[row * 64 + column];
            if (b < 0x20)
                b += 0x40;
            else if (b >= 0x80)
                b -= 0x20;
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

}  // namespace kestrel
