#include "devices/fdc.h"

#include <span>

namespace kestrel {

namespace {

// The sector-ID order Read Address reports on a 10-sector track.
constexpr std::array<uint32_t, 10> kInterleave = {0, 5, 1, 6, 2, 7, 3, 8, 4, 9};

}  // namespace

int Fdc::selectedDrive() const {
    for (int d = 0; d < kDrives; ++d)
        if (driveSelect & (1u << d)) return d;
    return -1;
}

uint32_t Fdc::sectorSize(int drive) const {
    const auto& disk = disks_[static_cast<size_t>(drive)];
    return disk ? disk->bytesPerSector() : 256;
}

bool Fdc::writeProtected(int drive) const {
    const auto& disk = disks_[static_cast<size_t>(drive)];
    return disk && disk->writeProtected();
}

bool Fdc::readImageSector(int drive, uint32_t atTrack, uint32_t atSector) {
    const auto& disk = disks_[static_cast<size_t>(drive)];
    return disk && disk->readSector(0, atTrack, atSector, sectorBuffer, trace);
}

bool Fdc::writeImageSector(int drive, uint32_t atTrack, uint32_t atSector) {
    auto& disk = disks_[static_cast<size_t>(drive)];
    return disk && disk->writeSector(0, atTrack, atSector, sectorBuffer);
}

uint8_t Fdc::fdcReadLatch() {
    if (interruptPending && (driveSelect & 0x0F) != 0) {
        interruptPending = false;
        return 0x40;
    }
    return 0x00;
}

void Fdc::fdcSelectDrive(uint8_t value, uint64_t now) {
    driveSelect = value & 0x0Fu;
    motorDeadline = now + static_cast<uint64_t>(static_cast<double>(clockHz_) / 1000.0 * 2750.0);
}

int Fdc::fdcActiveDrive(uint64_t now) const { return now <= motorDeadline ? selectedDrive() : -1; }

uint32_t Fdc::fdcRead(uint16_t address, uint64_t now) {
    const int d = selectedDrive();
    if (d < 0) return 0;
    switch (address & 3) {
    case 0:
        return readStatus(d, now);
    case 1:
        return track;
    case 2:
        return sector;
    default:
        return readData(d);
    }
}

void Fdc::fdcWrite(uint16_t address, uint8_t value, uint64_t now) {
    const int d = selectedDrive();
    if (d < 0) return;
    switch (address & 3) {
    case 0:
        writeCommand(d, value, now);
        break;
    case 1:
        track = value;
        break;
    case 2:
        sector = value;
        break;
    default:
        writeData(d, value);
        break;
    }
}

uint8_t Fdc::readStatus(int d, uint64_t now) {
    if (!disks_[static_cast<size_t>(d)]) {
        if (now >= motorDeadline) return 0xFF;
        return now <= commandStart + kSeekTstates ? 0x25 : 0x24;
    }
    const bool stopped = now >= motorDeadline;
    status = static_cast<uint8_t>(stopped ? status | kNotReady : status & ~kNotReady);
    if (commandType == 1) {
        status &= static_cast<uint8_t>(~(kDataRequest | kTrack0 | kHeadLoaded | kWriteProtect));
        if (now > commandStart + kSeekTstates) status &= static_cast<uint8_t>(~kBusy);
        // One revolution is a sixth of a second; the index hole passes once in it.
        const uint64_t revolution = static_cast<uint64_t>(clockHz_ / 6 > 0 ? clockHz_ / 6 : 1);
        if (now % revolution < indexPulseLength) status |= kDataRequest;
        if (headPosition[static_cast<size_t>(d)] == 0) status |= kTrack0;
        if (!stopped) status |= kHeadLoaded;
        if (writeProtected(d)) status |= kWriteProtect;
    }
    interruptPending = false;
    return status;
}

uint8_t Fdc::readData(int d) {
    switch (command >> 4) {
    case 0x8:
    case 0x9:
    case 0xC: {
        const uint32_t n = sectorSize(d);
        if (bufferIndex + 1 < n) {
            status |= kDataRequest;
            data = sectorBuffer[bufferIndex++];
        } else if (bufferIndex + 1 == n) {
            status &= static_cast<uint8_t>(~(kBusy | kDataRequest));
            raiseInterrupt();
            bufferIndex = n;
            data = sectorBuffer[n - 1];
        }
        return data;
    }
    case 0xE:
        data = sectorBuffer[bufferIndex];
        bufferIndex = (bufferIndex + 1) % sectorBuffer.size();
        return data;
    default:
        data = 0xFF;
        return 0xFF;
    }
}

void Fdc::stepIn(int d) {
    stepDirection = 1;
    uint32_t& head = headPosition[static_cast<size_t>(d)];
    if (head <= 82) ++head;
}

void Fdc::stepOut(int d) {
    stepDirection = 0;
    uint32_t& head = headPosition[static_cast<size_t>(d)];
    if (head > 0) --head;
}

void Fdc::position(int d, uint8_t value) {
    uint32_t& head = headPosition[static_cast<size_t>(d)];
    switch (value >> 4) {
    case 0x0:  // restore
        track = 0;
        data = 0;
        head = 0;
        break;
    case 0x1:  // seek to the track in the data register
        if (disks_[static_cast<size_t>(d)]) {
            const uint32_t target = data;
            if (target < head) stepDirection = 0;
            if (target > head) stepDirection = 1;
            if (target <= 82) head = track = target;
        }
        break;
    case 0x2:
    case 0x3:
        if (stepDirection == 1)
            stepIn(d);
        else
            stepOut(d);
        break;
    case 0x4:
    case 0x5:
        stepIn(d);
        break;
    default:
        stepOut(d);
        break;
    }
    if ((value >> 4) >= 0x2 && (value & 0x10)) track = head;
    status = kBusy;
}

void Fdc::advanceIdCounter(int d) {
    uint32_t& counter = idCounter[static_cast<size_t>(d)];
    const auto& disk = disks_[static_cast<size_t>(d)];
    if (disk && disk->sectorsPerTrack() == 18)
        counter = (counter + 1) % 18;
    else
        counter = kInterleave[counter % kInterleave.size()];
}

void Fdc::writeCommand(int d, uint8_t value, uint64_t now) {
    const unsigned c = value >> 4;
    if ((status & kBusy) && c != 0xD) return;
    command = value;
    commandType = c <= 0x7 ? 1 : c <= 0xB ? 2 : c == 0xD ? 4 : 3;
    status = commandType == 1 ? 0 : static_cast<uint8_t>(status & kDataRequest);
    interruptPending = false;
    commandStart = now;

    const size_t drive = static_cast<size_t>(d);
    const bool media = disks_[drive].has_value();
    const uint32_t head = headPosition[drive];
    // A write to a protected disk or to no disk ends at once with the interrupt.
    const auto refuseWrite = [&](bool present) {
        if (!writeProtected(d) && present) return false;
        status = static_cast<uint8_t>((status | (present ? kWriteProtect : kNotFound)) & ~(kBusy | kDataRequest));
        raiseInterrupt();
        return true;
    };
    switch (c) {
    case 0x0:
    case 0x1:
    case 0x2:
    case 0x3:
    case 0x4:
    case 0x5:
    case 0x6:
    case 0x7:
        position(d, value);
        break;
    case 0x8:
    case 0x9:  // read sector
        if (!readImageSector(d, head, sector)) {
            status = static_cast<uint8_t>((status & ~(kBusy | kDataRequest)) | kNotFound);
            raiseInterrupt();
            break;
        }
        bufferIndex = 0;
        status |= kBusy | kDataRequest;
        // Directory sectors read as carrying the other data address mark.
        if (head == disks_[drive]->directoryTrack())
            status |= kHeadLoaded;
        else
            status &= static_cast<uint8_t>(~kHeadLoaded);
        advanceIdCounter(d);
        break;
    case 0xA:
    case 0xB:  // write sector
        if (refuseWrite(media)) break;
        status |= kBusy | kDataRequest;
        bufferIndex = 0;
        advanceIdCounter(d);
        break;
    case 0xC: {  // read address
        if (!media) {
            status = static_cast<uint8_t>((status & ~(kBusy | kDataRequest)) | kNotFound);
            raiseInterrupt();
            break;
        }
        status |= kDataRequest;
        const uint32_t n = sectorSize(d);
        bufferIndex = n - 6;
        const uint8_t id[6] = {static_cast<uint8_t>(head), 0x00, static_cast<uint8_t>(idCounter[drive]), 0x01, 0xFF, 0xFF};
        for (uint32_t i = 0; i < 6; ++i) sectorBuffer[n - 6 + i] = id[i];
        sector = head;
        advanceIdCounter(d);
        break;
    }
    case 0xD:  // force interrupt
        status &= static_cast<uint8_t>(~kBusy);
        writeTrackField = 0;
        bufferIndex = 256;
        commandType = 1;
        if ((value & 0x0F) != 0 && media) raiseInterrupt();
        break;
    case 0xE:  // read track
        if (trace) std::fprintf(trace, "FDC(%u). Unhandled command: %02X.\n", static_cast<unsigned>(d), value);
        break;
    default:  // write track (formatting)
        if (refuseWrite(media)) {
            formatSectorCount = 0;
            break;
        }
        status |= kBusy | kDataRequest;
        writeTrackField = 0;
        bufferIndex = 0;
        break;
    }
}

void Fdc::writeData(int d, uint8_t value) {
    data = value;
    const size_t drive = static_cast<size_t>(d);
    switch (command >> 4) {
    case 0xA:
    case 0xB: {  // write sector: the image's own sector size is collected
        if (!(status & kDataRequest)) return;
        const uint32_t n = sectorSize(d);
        sectorBuffer[bufferIndex] = value;
        if (bufferIndex + 1 < n) {
            ++bufferIndex;
            return;
        }
        if (!writeImageSector(d, headPosition[drive], sector)) status |= kHeadLoaded;  // write fault
        bufferIndex = 0;
        status &= static_cast<uint8_t>(~(kBusy | kDataRequest));
        return;
    }
    case 0xF:  // write track
        if (!(status & kDataRequest)) return;
        if (value == 0xFB || value == 0xFE) {
            writeTrackField = value == 0xFB ? 3 : 2;
            bufferIndex = 0;
        } else if (value == 0xF7) {
            if (writeTrackField == 2) {
                track = sectorBuffer[0];
                sector = sectorBuffer[2];
            } else if (writeTrackField == 3) {
                if (!writeImageSector(d, headPosition[drive], sector)) status |= kHeadLoaded;
                const uint32_t written = formatSectorCount++;
                const auto& disk = disks_[drive];
                const uint32_t perTrack = disk ? disk->sectorsPerTrack() : 10;
                if (written + 1 >= perTrack) {
                    status &= static_cast<uint8_t>(~(kBusy | kDataRequest));
                    raiseInterrupt();
                    formatSectorCount = 0;
                }
            }
            writeTrackField = 0;
            bufferIndex = 0;
        } else {
            sectorBuffer[bufferIndex] = value;
            bufferIndex = (bufferIndex + 1) % sectorBuffer.size();
        }
        return;
    default:
        return;
    }
}

void Fdc::resetRegisters() {
    command = 0;
    status = 0;
    track = 0;
    sector = 0;
    stepDirection = 0;
    motorDeadline = 0;
    formatSectorCount = 0;
    commandStart = 0;
    bufferIndex = 256;
    driveSelect = 1;
}

void Fdc::fdcPowerOn(int64_t clockHz) {
    for (auto& disk : disks_) disk.reset();
    setClock(clockHz);
    resetRegisters();
    headPosition.fill(0);
    indexPulseLength = static_cast<uint32_t>(clockHz_ / 600);
}

void Fdc::fdcReset() {
    resetRegisters();
    headPosition.fill(0);
}

void Fdc::fdcMediaChanged() { resetRegisters(); }

}  // namespace kestrel
