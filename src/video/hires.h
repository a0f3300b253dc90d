// Hi-res board at ports 0xEC-0xEF. Not fitted yet: reads float high.
#pragma once

#include <cstdint>

namespace kestrel {

class HiResBoard {
public:
    // Last port access, until the board's registers exist.
    int lastWritePort = -1;
    uint8_t lastWriteValue = 0;
    int lastReadPort = -1;
    unsigned reads = 0;

    void hiResWrite(uint8_t portLow2, uint8_t value) {
        lastWritePort = portLow2;
        lastWriteValue = value;
    }

    uint8_t hiResRead(uint8_t portLow2) {
        lastReadPort = portLow2;
        ++reads;
        return 0xFF;
    }
};

}  // namespace kestrel
