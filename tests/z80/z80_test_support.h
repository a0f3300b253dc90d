// Shared scaffolding for the processor tests: a RAM bus that also records the
// processor's count at every memory access, and a fixture that runs one
// instruction at a time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <tuple>
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

// Everything an instruction could change by mistake, for "nothing else moved".
inline auto registers(const Z80State& s) {
    return std::make_tuple(s.AF, s.BC, s.DE, s.HL, s.IX, s.IY, s.SP, s.PC, s.altAF, s.altBC, s.altDE,
                           s.altHL, int(s.I), int(s.R), int(s.IFF1), int(s.IFF2), int(s.interruptMode));
}

class Z80Test : public ::testing::Test {
protected:
    static constexpr uint16_t kCode = 0x8000;
    // Marks an opcode that a T-state table does not time (a prefix).
    static constexpr uint8_t kSkip = 0xFF;
    // B, C, D, E, H, L, -, A loaded by distinctRegisters(), so a wrong register shows.
    static constexpr uint8_t kDistinct[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x00, 0x77};

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

    // Executes exactly one instruction (with any interrupt acknowledge that
    // follows it) and returns the T-states it took.
    uint64_t step() {
        uint64_t before = cpu.tstates;
        EXPECT_EQ(z80Execute(cpu, bus, 0), 0);
        return cpu.tstates - before;
    }

    uint8_t mem(uint16_t address) const { return bus.memory[address]; }
    void poke(uint16_t address, uint8_t value) { bus.memory[address] = value; }

    // A register by its 3-bit opcode code (6, the memory operand, gives A).
    uint8_t& reg(int code) {
        uint8_t* regs[8] = {&cpu.B, &cpu.C, &cpu.D, &cpu.E, &cpu.H, &cpu.L, &cpu.A, &cpu.A};
        return *regs[code & 7];
    }
    void distinctRegisters() {
        for (int r = 0; r < 8; ++r)
            if (r != 6) reg(r) = kDistinct[r];
    }
    // Register `code` holds `value`, all the others still their distinct value.
    void expectOnlyRegisterChanged(int code, uint8_t value) {
        for (int r = 0; r < 8; ++r) {
            if (r == 6) continue;
            EXPECT_EQ(reg(r), r == code ? value : kDistinct[r]) << "register code " << r;
        }
    }

    // Times every opcode of one page: `prefix`, op and the operand bytes 00 40
    // (so an address operand is 0x4000), after setup() has prepared the state.
    template <class Setup>
    void expectTimings(std::initializer_list<uint8_t> prefix, const uint8_t (&table)[256], Setup setup) {
        for (int op = 0; op < 256; ++op) {
            if (table[op] == kSkip) continue;
            uint16_t a = kCode;
            for (uint8_t b : prefix) poke(a++, b);
            bus.load(a, {static_cast<uint8_t>(op), 0x00, 0x40});
            cpu.PC = kCode;
            setup();
            EXPECT_EQ(step(), table[op]) << std::hex << "opcode " << op;
        }
    }
};

}  // namespace kestrel::test
