// Keyboard matrix behind 0x3800-0x3BFF. No host keyboard is wired in yet, so no
// key is ever down.
#pragma once

#include <cstdint>

namespace kestrel {

class Keyboard {
public:
    // The row-select byte of the latest read.
    uint8_t lastAddressLow = 0;

    uint8_t keyboardRead(uint8_t addressLow) {
        lastAddressLow = addressLow;
        return 0;
    }
};

}  // namespace kestrel
