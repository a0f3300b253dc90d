// The floppy disk controller behind 0x37E0-0x37EF (an FD1771 at command
// level) with its four drives. Sector data pass through a buffer; time comes
// only from the T-state counts handed in with each access. The controller
// reports its interrupt request; the machine puts it on the processor's line.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "formats/disk_image.h"

namespace kestrel {

class Fdc {
public:
    static constexpr int kDrives = 4;
    // A positioning command stays busy this long.
    static constexpr uint64_t kSeekTstates = 33000;

    // Status bits.
    enum : uint8_t {
        kBusy = 0x01,
        kDataRequest = 0x02,  // index pulse for positioning commands
        kTrack0 = 0x04,
        kNotFound = 0x10,
        kHeadLoaded = 0x20,   // record type or write fault for the others
        kWriteProtect = 0x40,
        kNotReady = 0x80,
    };

    // --- the bus side ---
    // 0x37E0: 0x40 while a drive is selected and the interrupt flag is set;
    // reading it clears the flag.
    uint8_t fdcReadLatch();
    // 0x37E0/0x37E1 writes: the drive-select latch; starts the motor.
    void fdcSelectDrive(uint8_t value, uint64_t now);
    // 0x37EC-0x37EF (register = address & 3); wider than a byte, only the low
    // byte reaches the processor. With no drive selected reads give 0 and
    // writes do nothing.
    uint32_t fdcRead(uint16_t address, uint64_t now);
    void fdcWrite(uint16_t address, uint8_t value, uint64_t now);
    bool interruptRequest() const { return interruptPending; }

    // --- the machine side ---
    // Power-on: the drives lose their disks; the index pulse follows the clock.
    void fdcPowerOn(int64_t clockHz);
    // Reset: as power-on, but the disks stay.
    void fdcReset();
    // After a disk was put in.
    void fdcMediaChanged();
    // The clock the motor run-on and the rotation are measured in.
    void setClock(int64_t clockHz) { clockHz_ = clockHz > 0 ? clockHz : 1; }
    // The drive whose lamp is lit (the selected one while its motor runs), or -1.
    int fdcActiveDrive(uint64_t now) const;

    // The disk in a drive, if any. Whoever attaches, detaches and saves the
    // disks works on these.
    std::optional<DiskImage>& disk(int drive) { return disks_[static_cast<size_t>(drive)]; }
    const std::optional<DiskImage>& disk(int drive) const { return disks_[static_cast<size_t>(drive)]; }

    // Where "FDC(...)" and "IMAGE. Read..." lines go; may be null.
    std::FILE* trace = nullptr;

    // Controller state, as the monitor and the tests see it.
    uint8_t command = 0;
    uint8_t status = 0;
    uint32_t track = 0;
    uint32_t sector = 0;
    uint8_t data = 0;
    std::array<uint32_t, kDrives> headPosition{};
    uint32_t stepDirection = 0;  // 1 inward
    uint32_t commandType = 0;
    uint64_t commandStart = 0;
    uint64_t motorDeadline = 0;
    uint32_t driveSelect = 0;
    bool interruptPending = false;
    std::array<uint8_t, 1024> sectorBuffer{};
    uint32_t bufferIndex = 256;
    uint32_t writeTrackField = 0;  // 0 none, 2 ID field, 3 data field
    uint32_t formatSectorCount = 0;
    std::array<uint32_t, kDrives> idCounter{};
    uint32_t indexPulseLength = 0;

private:
    // The lowest selected drive, or -1.
    int selectedDrive() const;
    uint8_t readStatus(int drive, uint64_t now);
    uint8_t readData(int drive);
    void writeCommand(int drive, uint8_t value, uint64_t now);
    void writeData(int drive, uint8_t value);
    void position(int drive, uint8_t value);
    void stepIn(int drive);
    void stepOut(int drive);
    void advanceIdCounter(int drive);
    void raiseInterrupt() { interruptPending = true; }
    void resetRegisters();
    uint32_t sectorSize(int drive) const;
    bool writeProtected(int drive) const;
    bool readImageSector(int drive, uint32_t atTrack, uint32_t atSector);
    bool writeImageSector(int drive, uint32_t atTrack, uint32_t atSector);

    std::array<std::optional<DiskImage>, kDrives> disks_;
    int64_t clockHz_ = 1;
};

}  // namespace kestrel
