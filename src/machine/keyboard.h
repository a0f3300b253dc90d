// Keyboard matrix behind 0x3800-0x3BFF: eight rows of eight keys, a set bit is
// a key held down. The low address byte selects the row; the host key mapping
// and the tests set the matrix state.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace kestrel {

class Keyboard {
public:
    // Row 7 bit 0 is SHIFT; the other rows as the machine's key layout.
    static constexpr int kRows = 8;

    // The row-select byte of the latest read.
    uint8_t lastAddressLow = 0;
    std::array<uint8_t, kRows> rows{};

    // Only the row of the lowest set address bit answers, even when more
    // bits are set; no bit selects nothing.
    uint8_t keyboardRead(uint8_t addressLow) {
        lastAddressLow = addressLow;
        if (addressLow == 0) return 0;
        return rows[static_cast<unsigned>(std::countr_zero(addressLow))];
    }

    void press(int row, int bit) { rows[static_cast<unsigned>(row)] |= static_cast<uint8_t>(1u << bit); }
    void release(int row, int bit) { rows[static_cast<unsigned>(row)] &= static_cast<uint8_t>(~(1u << bit)); }
    void releaseAll() { rows.fill(0); }
};

}  // namespace kestrel
