#include "media/traps.h"

#include <algorithm>
#include <type_traits>

#include "machine/bus.h"
#include "machine/rom_supply.h"
#include "media/cassette.h"
#include "media/typed_text.h"

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

}  // namespace

void Traps::serviceTrap(uint8_t nn) {
    switch (nn) {
        case 0x00:
            cpu_.A = cassette_.readTapeByte();
            cpu_.PC = kWriteByteEnd;
            break;
        case 0x01:
            cpu_.A = cassette_.readTapeByte();
            cpu_.PC = kReadByteResume;
            break;
        case 0x02:
            cpu_.A = cassette_.readTapeByte();
            cpu_.PC = kSyncResume;
            break;
        case 0x03:
            cassette_.beginTapeRecording();
            cpu_.B = 0xFF;
            cpu_.PC = kLeaderResume;
            break;
        case 0x04:
            cassette_.writeTapeByte(cpu_.A);
            cpu_.PC = kWriteByteResume;
            break;
        case 0x06: {
            bool ended = false;
            cpu_.A = typed_.nextTypedChar(ended);
            if (ended) {
                // The real keyboard answers again from the next scan on.
                restoreKeyboardRoutine();
                typed_.freeTypedText();
            }
            break;
        }
        default:
            break;
    }
}

void Traps::writeTapeTraps() {
    uint8_t* m = bus_.memoryBase();
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

void Traps::copyFromRom(uint16_t first, uint16_t last) {
    std::copy(rom_.begin() + first, rom_.begin() + last + 1, bus_.memoryBase() + first);
}

void Traps::armTapeTraps() {
    writeTapeTraps();
    trapsArmed = true;
}

void Traps::applyTrapsOnReset() {
    if (trapsArmed) writeTapeTraps();
}

void Traps::disarmTapeTraps() {
    if (!trapsArmed) return;
    trapsArmed = false;
    copyFromRom(kReadByteTrap, kReadByteTrap + 1);
    copyFromRom(kSyncTrap, kSyncTrap + 1);
    copyFromRom(kLeaderTrap, kLeaderTrap + 1);
    copyFromRom(kWriteByteTrap, kWriteByteEnd - 1);
}

void Traps::installKeyboardTrap() {
    // The trap, two NOPs and RET.
    static constexpr uint8_t kBytes[5] = {0xED, 0x06, 0x00, 0x00, 0xC9};
    std::copy(std::begin(kBytes), std::end(kBytes), bus_.memoryBase() + kKeyScan);
}

void Traps::restoreKeyboardRoutine() { copyFromRom(kKeyScan, kKeyScan + 4); }

}  // namespace kestrel
