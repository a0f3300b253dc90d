// Host services reached through the trap opcodes ED 00 to ED 09: the tape traps
// written over the ROM's cassette byte routines, and the keyboard trap that
// types a text into the machine.
#pragma once

#include <array>
#include <cstdint>

#include "z80/z80.h"

namespace kestrel {

class MachineBus;
class TypedText;
class Cassette;

// The held 12 KB BASIC ROM image, the source of every ROM refill.
using HeldRomImage = std::array<uint8_t, 12288>;

class Traps {
public:
    // Only references are kept: the Machine builds this before the bus and the
    // ROM image, and nothing is touched until the first call.
    Traps(Z80& cpu, MachineBus& bus, const HeldRomImage& rom, TypedText& typed, Cassette& cassette)
        : cpu_(cpu), bus_(bus), rom_(rom), typed_(typed), cassette_(cassette) {}
    Traps(const Traps&) = delete;
    Traps& operator=(const Traps&) = delete;

    // Called by the processor for ED nn; adds no T-states, leaves PC where the
    // ROM routine is to go on.
    void serviceTrap(uint8_t nn);

    // Writes the tape trap bytes into guest memory now and keeps them armed.
    void armTapeTraps();
    // Last step of every ROM refill: the armed traps go back over the fresh ROM.
    void applyTrapsOnReset();
    // The ROM's own cassette routines come back (a WAV recording needs them).
    void disarmTapeTraps();

    void installKeyboardTrap();
    // 002Bh-002Fh from the held ROM image.
    void restoreKeyboardRoutine();

    bool trapsArmed = false;

private:
    void writeTapeTraps();
    void copyFromRom(uint16_t first, uint16_t last);

    Z80& cpu_;
    MachineBus& bus_;
    const HeldRomImage& rom_;
    TypedText& typed_;
    Cassette& cassette_;
};

}  // namespace kestrel
