// The emulated Z80: processor record, flag tables and the non-template entry points.
// z80Execute itself is a template over the bus (z80_execute.h) so that every memory
// access inlines into the opcode dispatch.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace kestrel {

static_assert(std::endian::native == std::endian::little,
              "register pairs are laid out low byte first");

// Field order follows the machine's register layout: F/A, C/B, E/D, L/H pair up
// little-endian so the 8-bit and 16-bit views share storage.
struct Z80State {
    union { struct { uint8_t F, A; }; uint16_t AF; };
    union { struct { uint8_t C, B; }; uint16_t BC; };
    union { struct { uint8_t E, D; }; uint16_t DE; };
    union { struct { uint8_t L, H; }; uint16_t HL; };
    union { struct { uint8_t IXL, IXH; }; uint16_t IX; };
    union { struct { uint8_t IYL, IYH; }; uint16_t IY; };
    uint16_t SP, PC;
    uint16_t altAF, altBC, altDE, altHL;
    uint8_t I, R;
    uint8_t IFF1, IFF2;
    uint8_t interruptMode;
    uint32_t intLine;
    uint32_t nmiLine;
    uint32_t nmiTaken;
    uint64_t tstates;
    int64_t clockHz;
    uint64_t lineTstates;
    uint16_t breakAddress;
    uint32_t breakEnabled;
    uint32_t breakLatch;
};

// The record plus the engine's own carried state.
struct Z80 : Z80State {
    Z80() : Z80State{} {}
    // T-states still to run; never positive between calls, so an overshoot is
    // paid back by the next call.
    int64_t cycleBudget = 0;
};

// Flag bits of F.
enum : uint8_t {
    FLAG_C = 0x01,
    FLAG_N = 0x02,
    FLAG_PV = 0x04,
    FLAG_3 = 0x08,
    FLAG_H = 0x10,
    FLAG_5 = 0x20,
    FLAG_Z = 0x40,
    FLAG_S = 0x80,
};

namespace z80tables {

constexpr std::array<uint8_t, 256> makeParity() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = (std::popcount(static_cast<unsigned>(i)) & 1) ? 0 : 1;
    return t;
}

// S, Z, 5 and 3 of a result.
constexpr std::array<uint8_t, 256> makeSZ53() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>((i & (FLAG_S | FLAG_5 | FLAG_3)) | (i == 0 ? FLAG_Z : 0));
    return t;
}

// S, Z, 5, 3 and P/V as parity.
constexpr std::array<uint8_t, 256> makeSZ53P() {
    auto t = makeSZ53();
    auto p = makeParity();
    for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(t[i] | (p[i] ? FLAG_PV : 0));
    return t;
}

}  // namespace z80tables

// 1 where the index has an even number of set bits.
inline constexpr std::array<uint8_t, 256> parityTable = z80tables::makeParity();

// Indexed by (bit k of a) * 4 + (bit k of b) * 2 + (bit k of r): [0] gives H from
// bit 3, [1] gives S, V and C from bit 7 (bits 11 and 15 for 16-bit operations).
inline constexpr uint8_t addFlagTables[2][8] = {
    {0, 0, 0x10, 0, 0x10, 0, 0x10, 0x10},
    {0, 0x84, 0x01, 0x80, 0x01, 0x80, 0x05, 0x81},
};
inline constexpr uint8_t subFlagTables[2][8] = {
    {0, 0x10, 0x10, 0x10, 0, 0, 0, 0x10},
    {0, 0x81, 0x01, 0x85, 0x04, 0x80, 0, 0x81},
};

inline constexpr std::array<uint8_t, 256> sz53Table = z80tables::makeSZ53();
inline constexpr std::array<uint8_t, 256> sz53pTable = z80tables::makeSZ53P();

constexpr int flagIndex(unsigned a, unsigned b, unsigned r, int bit) {
    return static_cast<int>(((a >> bit) & 1) << 2 | ((b >> bit) & 1) << 1 | ((r >> bit) & 1));
}

void z80Init(Z80& cpu, int64_t clockHz);
void z80Reset(Z80& cpu);
inline uint16_t z80GetPC(const Z80& cpu) { return cpu.PC; }
void z80ToggleBreakpoint(Z80& cpu, uint16_t address);

// Runs at least one instruction (unless stopped at the breakpoint) and until the
// carried budget is used up. Returns 1 when stopped at the breakpoint, else 0.
// Bus needs: memRead(uint16_t), memWrite(uint16_t, uint8_t), portIn(uint8_t),
// portOut(uint8_t, uint8_t), serviceTrap(uint8_t). Defined in z80_execute.h.
template <class Bus>
int z80Execute(Z80& cpu, Bus& bus, int32_t budget);

}  // namespace kestrel
