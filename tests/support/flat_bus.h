// A plain 64 KiB RAM bus for exercising the processor on its own: no ROM, no
// devices, every port access and trap recorded.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "z80/z80.h"

namespace kestrel::test {

struct PortAccess {
    uint8_t port;
    uint8_t value;
    uint64_t tstates;  // the processor's count when the access happened
};

struct FlatBus {
    explicit FlatBus(const Z80* cpu = nullptr) : cpu(cpu) {}

    std::array<uint8_t, 65536> memory{};
    std::array<uint8_t, 256> portValues{};  // what portIn answers, per port
    std::vector<PortAccess> outs;
    std::vector<PortAccess> ins;
    std::vector<uint8_t> traps;
    const Z80* cpu;

    uint8_t memRead(uint16_t address) { return memory[address]; }
    void memWrite(uint16_t address, uint8_t value) { memory[address] = value; }
    uint8_t portIn(uint8_t port) {
        ins.push_back({port, portValues[port], cpu ? cpu->tstates : 0});
        return portValues[port];
    }
    void portOut(uint8_t port, uint8_t value) {
        outs.push_back({port, value, cpu ? cpu->tstates : 0});
    }
    void serviceTrap(uint8_t nn) { traps.push_back(nn); }

    void load(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) memory[address++] = b;
    }
    uint16_t word(uint16_t address) const {
        return static_cast<uint16_t>(memory[address] | memory[static_cast<uint16_t>(address + 1)] << 8);
    }
};

}  // namespace kestrel::test
