// Lowe LE18 hi-res board at ports 0xEC-0xEF: 384 x 256 pixels of which the top 192
// rows are shown, exclusive-ored over the text. The ports answer whether or not the
// board is fitted; fitting it only makes the picture visible.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

class HiResBoard {
public:
    static constexpr int kWidth = 384;
    static constexpr int kRows = 256;
    static constexpr int kShownRows = 192;
    static constexpr uint8_t kControlReadValue = 0xFF;  // port 0xEF reads as a constant

    uint8_t hiResX = 0;  // column of six pixels, 0-63
    uint8_t hiResY = 0;  // row, 0-255
    bool hiResVisible = false;
    bool fitted = false;
    std::array<std::array<uint8_t, kWidth>, kRows> hiResPixels{};  // 0x00 or 0xFF each

    void fitHiResBoard() {
        hiResX = 0;
        hiResY = 0;
        hiResVisible = false;
        for (auto& row : hiResPixels) row.fill(0);
        fitted = true;
    }

    // Registers and pixels are kept; the ports go on working, unseen.
    void removeHiResBoard() { fitted = false; }

    bool shown() const { return fitted && hiResVisible; }

    void hiResWrite(uint8_t portLow2, uint8_t value) {
        switch (portLow2 & 3) {
        case 0: {
            uint8_t* pixel = &hiResPixels[hiResY][hiResX * 6];
            for (int j = 0; j < 6; ++j) pixel[j] = (value >> j) & 1 ? 0xFF : 0x00;
            break;
        }
        case 1:
            hiResX = value & 63;
            break;
        case 2:
            hiResY = value;
            break;
        default:
            hiResVisible = (value & 1) != 0;
            break;
        }
    }

    uint8_t hiResRead(uint8_t portLow2) const {
        switch (portLow2 & 3) {
        case 0: {
            const uint8_t* pixel = &hiResPixels[hiResY][hiResX * 6];
            uint8_t result = hiResVisible ? 0x40 : 0x00;
            for (int j = 0; j < 6; ++j)
                if (pixel[j]) result |= static_cast<uint8_t>(1 << j);
            return result;
        }
        case 1:
            return hiResX;
        case 2:
            return hiResY;
        default:
            return kControlReadValue;
        }
    }
};

}  // namespace kestrel
