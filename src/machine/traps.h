// Host services reached through the trap opcodes ED 00 to ED 09: the tape traps
// written over the ROM's cassette byte routines, and the keyboard trap that
// types a text into the machine.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "z80/z80.h"

namespace kestrel {

class TypedText;
class Cassette;

// The held 12 KB BASIC ROM image, the source of every ROM refill.
using HeldRomImage = std::array<uint8_t, 12288>;
using AddressSpace = std::span<uint8_t, 0x10000>;

// What a trap works on, handed in with each call.
struct TrapContext {
    Z80& cpu;
    AddressSpace memory;
    const HeldRomImage& rom;
    TypedText& typed;
    Cassette& cassette;
};

class Traps {
public:
    // Called by the processor for ED nn; adds no T-states, leaves PC where the
    // ROM routine is to go on. The one exception waits for an answer from the
    // front end between frames (recordingFileWanted): the processor stays on
    // the trap, and time passes as on a HALT.
    void serviceTrap(uint8_t nn, const TrapContext& context);

    // The ROM has begun writing a tape and waits at its write-leader trap for
    // the file to record to; answered with answerRecordingFile.
    bool recordingFileWanted() const { return recordingFileWanted_; }
    // The answer is in: the waiting trap goes on at its next execution.
    void answerRecordingFile() {
        recordingFileWanted_ = false;
        recordingFileAnswered_ = true;
    }

    // Writes the tape trap bytes into guest memory now and keeps them armed.
    void armTapeTraps(AddressSpace memory);
    // Last step of every ROM refill: the armed traps go back over the fresh ROM.
    void applyTrapsOnReset(AddressSpace memory);
    // The ROM's own cassette routines come back (a WAV recording needs them).
    void disarmTapeTraps(AddressSpace memory, const HeldRomImage& rom);

    void installKeyboardTrap(AddressSpace memory);
    // 002Bh-002Fh from the held ROM image.
    void restoreKeyboardRoutine(AddressSpace memory, const HeldRomImage& rom);

    bool trapsArmed = false;

private:
    bool recordingFileWanted_ = false;
    bool recordingFileAnswered_ = false;
};

}  // namespace kestrel
