// Parallel printer (port 0xFD, or 0x37E8 on the TRS-80). Output to a file comes
// later; for now a byte sent while no file is open just stays pending.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kestrel {

class Printer {
public:
    std::FILE* printerFile = nullptr;  // open output, or none
    bool printerPending = false;       // printerLast still waits for a file
    uint8_t printerLast = 0;

    void printByte(uint8_t value) {
        printerLast = value;
        printerPending = true;
    }

    // True while the output is open (the bus turns this into the status byte).
    bool printerStatus() const { return printerFile != nullptr; }
};

}  // namespace kestrel
