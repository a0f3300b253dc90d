// Shared scaffolding for the processor tests: a RAM bus that also records the
// processor's count at every memory access, and a fixture that runs one
// instruction at a time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "flat_bus.h"
#include "z80/z80.h"
#include "z80/z80_execute.h"

namespace kestrel::test {

struct MemAccess {
    uint16_t address;
    uint8_t value;
    uint64_t tstates;
};

// The template engine binds to these members statically, so they shadow the
// plain RAM accessors of FlatBus.
struct TimedBus : FlatBus {
    using FlatBus::FlatBus;
    std::vector<MemAccess> reads;
    std::vector<MemAccess> writes;
    bool logReads = true;

    uint8_t memRead(uint16_t address) {
        uint8_t v = memory[address];
        if (logReads) reads.push_back({address, v, cpu ? cpu->tstates : 0});
        return v;
    }
    void memWrite(uint16_t address, uint8_t value) {
        writes.push_back({address, value, cpu ? cpu->tstates : 0});
        memory[address] = value;
    }
    void clearLogs() {
        reads.clear();
        writes.clear();
        ins.clear();
        outs.clear();
        traps.clear();
    }
};

class Z80Test : public ::testing::Test {
protected:
    static constexpr uint16_t kCode = 0x8000;

    Z80 cpu;
    TimedBus bus{&cpu};

    void SetUp() override {
        z80Init(cpu, 1774080);
        cpu.PC = kCode;
        cpu.SP = 0xF000;
        cpu.AF = 0;
        cpu.tstates = 1000;  // nonzero so that "the count at the start" is distinguishable
    }

    // Puts bytes at `address` and points PC at them.
    void program(uint16_t address, std::initializer_list<uint8_t> bytes) {
        bus.load(address, bytes);
        cpu.PC = address;
    }
    void program(std::initializer_list<uint8_t> bytes) { program(kCode, bytes); }
    void loadBytes(const std::vector<uint8_t>& bytes, uint16_t address = kCode) {
        for (size_t i = 0; i < bytes.size(); ++i) bus.memory[static_cast<uint16_t>(address + i)] = bytes[i];
        cpu.PC = address;
    }

    // Executes exactly one instruction (with any interrupt acknowledge that
    // follows it) and returns the T-states it took.
    uint64_t step() {
        uint64_t before = cpu.tstates;
        EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
        return cpu.tstates - before;
    }

    uint8_t mem(uint16_t address) const { return bus.memory[address]; }
    void poke(uint16_t address, uint8_t value) { bus.memory[address] = value; }
};

}  // namespace kestrel::test
