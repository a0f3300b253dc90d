#include "machine/traps.h"

#include <algorithm>
#include <type_traits>

#include "machine/rom_supply.h"
#include "devices/cassette.h"
#include "devices/typed_text.h"

namespace kestrel {

static_assert(std::is_same_v<HeldRomImage, BasicImage>);

namespace {

// Where the ROM's cassette and keyboard routines sit, and where a trap resumes.
constexpr uint16_t kReadByteTrap = 0x0237;     // inside the read-one-byte routine
constexpr uint16_t kReadByteResume = 0x023E;
constexpr uint16_t kWriteByteTrap = 0x0268;    // inside the write-one-byte routine
constexpr uint16_t kWriteByteResume = 0x026A;
constexpr uint16_t kWriteByteEnd = 0x0279;     // the routine's exit
constexpr uint16_t kLeaderTrap = 0x0287;       // LD B,0FFh of the write-leader routine
constexpr uint16_t kLeaderResume = 0x0289;
constexpr uint16_t kSyncTrap = 0x0298;         // byte read of the find-sync loop
constexpr uint16_t kSyncResume = 0x029B;
constexpr uint16_t kKeyScan = 0x002B;
constexpr unsigned kParkedTstates = 8;

}  // namespace

void Traps::serviceTrap(uint8_t nn, const TrapContext& context) {
    Z80& cpu = context.cpu;
    Cassette& cassette = context.cassette;
    TypedText& typed = context.typed;
    switch (nn) {
        case 0x00:
            cpu.A = cassette.readTapeByte();
            cpu.PC = kWriteByteEnd;
            break;
        case 0x01:
            cpu.A = cassette.readTapeByte();
            cpu.PC = kReadByteResume;
            break;
        case 0x02:
            cpu.A = cassette.readTapeByte();
            cpu.PC = kSyncResume;
            break;
        case 0x03:
            // The file is asked for between frames, not inside an instruction:
            // until the answer is in, the processor waits on this trap as on a
            // HALT, taking the time of an ED instruction each round.
            if (cassette.casMode && !recordingFileAnswered_) {
                recordingFileWanted_ = true;
                cpu.PC = kLeaderTrap;
                cpu.tstates += kParkedTstates;
                break;
            }
            recordingFileAnswered_ = false;
            cpu.B = 0xFF;
            cpu.PC = kLeaderResume;
            break;
        case 0x04:
            cassette.writeTapeByte(cpu.A);
            cpu.PC = kWriteByteResume;
            break;
        case 0x06: {
            bool ended = false;
            cpu.A = typed.nextTypedChar(ended);
            if (ended) {
                // The real keyboard answers again from the next scan on.
                restoreKeyboardRoutine(context.memory, context.rom);
                typed.freeTypedText();
            }
            break;
        }
        default:
            break;
    }
}

namespace {

void writeTapeTraps(AddressSpace memory) {
    uint8_t* m = memory.data();
    m[kReadByteTrap] = 0xED;
    m[kReadByteTrap + 1] = 0x01;
    m[kWriteByteTrap] = 0xED;
    m[kWriteByteTrap + 1] = 0x04;
    // The rest of the write routine up to its exit becomes NOPs.
    std::fill(m + kWriteByteResume, m + kWriteByteEnd, uint8_t{0x00});
    m[kLeaderTrap] = 0xED;
    m[kLeaderTrap + 1] = 0x03;
    m[kSyncTrap] = 0xED;
    m[kSyncTrap + 1] = 0x02;
}

void copyFromRom(AddressSpace memory, const HeldRomImage& rom, uint16_t first, uint16_t last) {
    std::copy(rom.begin() + first, rom.begin() + last + 1, memory.begin() + first);
}

}  // namespace

void Traps::armTapeTraps(AddressSpace memory) {
    writeTapeTraps(memory);
    trapsArmed = true;
}

void Traps::applyTrapsOnReset(AddressSpace memory) {
    if (trapsArmed) writeTapeTraps(memory);
}

void Traps::disarmTapeTraps(AddressSpace memory, const HeldRomImage& rom) {
    if (!trapsArmed) return;
    trapsArmed = false;
    copyFromRom(memory, rom, kReadByteTrap, kReadByteTrap + 1);
    copyFromRom(memory, rom, kSyncTrap, kSyncTrap + 1);
    copyFromRom(memory, rom, kLeaderTrap, kLeaderTrap + 1);
    copyFromRom(memory, rom, kWriteByteTrap, kWriteByteEnd - 1);
}

void Traps::installKeyboardTrap(AddressSpace memory) {
    // The trap, two NOPs and RET.
    static constexpr uint8_t kBytes[5] = {0xED, 0x06, 0x00, 0x00, 0xC9};
    std::copy(std::begin(kBytes), std::end(kBytes), memory.begin() + kKeyScan);
}

void Traps::restoreKeyboardRoutine(AddressSpace memory, const HeldRomImage& rom) {
    copyFromRom(memory, rom, kKeyScan, kKeyScan + 4);
}

}  // namespace kestrel
