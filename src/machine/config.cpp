#include "machine/config.h"

#include <cstring>

namespace kestrel {

namespace {

MachineConfig record(uint32_t basic, uint32_t expansion, uint32_t charset, uint32_t ram, uint32_t clock,
                     uint32_t frame, const char* name) {
    MachineConfig c;
    c.basicRom = basic;
    c.expansionRom = expansion;
    c.charRom = charset;
    c.ramSize = ram;
    c.cpuClockHz = clock;
    c.frameHz = frame;
    c.psgDivisor = 1;
    std::strncpy(c.shortName, name, sizeof c.shortName - 1);
    return c;
}

}  // namespace

std::array<MachineConfig, kConfigCount> standardConfigs() {
    std::array<MachineConfig, kConfigCount> t = {
        record(0, 0, 1, 1, 1774080, 50, "VG-I/KS1"),
        record(0, 1, 2, 0, 1747200, 50, "KS2"),
        record(1, 2, 3, 1, 1747200, 50, "KS3/64"),
        record(2, 3, 0, 1, 1774080, 60, "Trs-80/MI"),
        MachineConfig{},
    };
    t[kCustomConfigIndex] = t[0];
    std::strncpy(t[kCustomConfigIndex].shortName, "Custom", sizeof t[kCustomConfigIndex].shortName - 1);
    return t;
}

}  // namespace kestrel
