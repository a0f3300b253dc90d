// Floppy disk controller behind 0x37E0-0x37EF. Only the interrupt latch and the
// drive-select latch exist so far; the controller itself answers as an empty
// expansion interface does.
#pragma once

#include <cstdint>

namespace kestrel {

class Fdc {
public:
    // Low 4 bits of the last drive-select write; a set bit selects a drive.
    uint32_t driveSelect = 0;
    // The controller's interrupt flag, which is also its request on the
    // processor's interrupt line.
    bool interruptPending = false;

    bool interruptRequest() const { return interruptPending; }

    // 0x37E0: reading an asserted latch acknowledges the interrupt.
    uint8_t fdcReadLatch() {
        if (interruptPending && (driveSelect & 0x0F) != 0) {
            interruptPending = false;
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
    uint32_t fdcRead(uint16_t) const { return 0; }
    void fdcWrite(uint16_t, uint8_t) {}
};

}  // namespace kestrel
