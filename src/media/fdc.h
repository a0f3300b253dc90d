// Floppy disk controller behind 0x37E0-0x37EF. Only the interrupt latch and the
// drive-select latch exist so far; the controller itself answers as an empty
// expansion interface does.
#pragma once

#include <cstdint>

#include "z80/z80.h"

namespace kestrel {

class Fdc {
public:
    explicit Fdc(Z80& cpu) : cpu_(cpu) {}

    // Low 4 bits of the last drive-select write; a set bit selects a drive.
    uint32_t driveSelect = 0;
    // The controller's interrupt flag; it also holds the processor's intLine.
    bool interruptPending = false;
    // Last register access through 0x37EC-0x37EF, until the registers exist.
    uint16_t lastWriteAddress = 0;
    uint8_t lastWriteValue = 0;

    // 0x37E0: reading an asserted latch acknowledges the interrupt.
    uint8_t fdcReadLatch() {
        if (interruptPending && (driveSelect & 0x0F) != 0) {
            interruptPending = false;
            cpu_.intLine = 0;
            return 0x40;
        }
        return 0x00;
    }

    void fdcSelectDrive(uint8_t value) { driveSelect = value & 0x0Fu; }

    // Power-on and reset state; the controller registers come later.
    void fdcPowerOn() { fdcReset(); }
    void fdcReset() {
        driveSelect = 0;
        interruptPending = false;
    }
    // The drive whose lamp is lit, or -1 for none.
    int fdcActiveDrive() const { return -1; }

    // Wider than a byte: only the low byte reaches the processor.
    uint32_t fdcRead(uint16_t address) {
        (void)address;
        return 0;
    }

    void fdcWrite(uint16_t address, uint8_t value) {
        lastWriteAddress = address;
        lastWriteValue = value;
    }

private:
    Z80& cpu_;
};

}  // namespace kestrel
