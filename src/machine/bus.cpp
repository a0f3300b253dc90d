#include "machine/bus.h"

namespace kestrel {

MachineBus::MachineBus(Z80& cpu, const BusDevices& devices) : cpu_(cpu), dev_(devices) {
    refreshPageKinds();
}

void MachineBus::setRamTop(uint16_t top) {
    ramTop_ = top;
    refreshPageKinds();
}

void MachineBus::refreshPageKinds() {
    const bool ramAbove16K = ramTop_ != 0x3FFF;
    for (unsigned page = 0; page < 16; ++page) {
        uint8_t kind;
        if (page < 3)
            kind = kReadDirect;  // BASIC ROM
        else if (page == 3)
            kind = 0;  // expansion ROM, device page, keyboard, video RAM
        else if (page < 8 || ramAbove16K)
            kind = kReadDirect | kWriteDirect;
        else
            kind = kWriteDirect;  // kept, but reads see no RAM
        pageKind_[page] = kind;
    }
}

uint8_t MachineBus::memReadSlow(uint16_t address) {
    if (address >= 0x4000) return ramTop_ == 0x3FFF && address >= 0x8000 ? 0xFF : memory[address];
    if (address < 0x3700 || address >= 0x3C00) return memory[address];
    if (address >= 0x3800) return dev_.keyboard.keyboardRead(static_cast<uint8_t>(address));
    return devicePageRead(address);
}

void MachineBus::memWriteSlow(uint16_t address, uint8_t value) {
    if (address < 0x3700) return;  // ROM
    if (address < 0x3800) {
        devicePageWrite(address, value);
    } else if (address < 0x3C00) {
        // keyboard: nothing to write
    } else if (address < 0x4000) {
        // Character ROMs without lowercase show codes 0x00-0x1F as 0x40-0x5F.
        if (!lowercaseVideo && (value & 0xA0) == 0) value |= 0x40;
        redrawPending = true;
        memory[address] = value;
    } else {
        memory[address] = value;
    }
}

uint8_t MachineBus::devicePageRead(uint16_t address) {
    switch (address) {
    case 0x37E0:
        return interruptLatch();
    case 0x37E1:
        return 0x00;
    case 0x37E4:
        return isTrs80() ? cassetteInput() : interruptLatch();
    case 0x37E8:
        // The TRS-80 printer's status; programs poll it, so it is no watch point.
        if (isTrs80()) return dev_.printer.printerStatus();
        break;
    case 0x37EC:
    case 0x37ED:
    case 0x37EE:
    case 0x37EF: {
        const auto value = static_cast<uint8_t>(dev_.fdc.fdcRead(address, cpu_.tstates));
        updateInterruptLine();
        return value;
    }
    default:
        break;
    }
    if (diagnostics)
        std::fprintf(diagnostics, "Address %04Xh read in cycle %lli at address %04Xh.\n",
                     static_cast<unsigned>(address), static_cast<long long>(cpu_.tstates),
                     static_cast<unsigned>(cpu_.PC));
    return memory[address];
}

void MachineBus::devicePageWrite(uint16_t address, uint8_t value) {
    switch (address) {
    case 0x37E0:
    case 0x37E1:
        dev_.fdc.fdcSelectDrive(value, cpu_.tstates);
        break;
    case 0x37E4:
        break;
    case 0x37E8:
        if (isTrs80()) dev_.printer.printByte(value);
        break;
    case 0x37EC:
    case 0x37ED:
    case 0x37EE:
    case 0x37EF:
        dev_.fdc.fdcWrite(address, value, cpu_.tstates);
        updateInterruptLine();
        break;
    default:
        if (diagnostics)
            std::fprintf(diagnostics, "Address %02Xh, %02Xh in cycle %lli at address %04Xh.\n",
                     static_cast<unsigned>(address), static_cast<unsigned>(value),
                     static_cast<long long>(cpu_.tstates), static_cast<unsigned>(cpu_.PC));
        break;
    }
    memory[address] = value;
}

uint8_t MachineBus::interruptLatch() {
    const uint8_t value = dev_.fdc.fdcReadLatch();
    updateInterruptLine();
    return value;
}

// The cassette input is echoed to the beeper so that a loading tape is heard.
uint8_t MachineBus::cassetteInput() {
    const uint64_t now = cpu_.tstates;
    const uint8_t level = static_cast<uint8_t>((dev_.tape.tapeInputAt(now) & 1) << 1);
    if ((level ^ tapeInputEcho) & 2) {
        dev_.sound.updateSound(now);
        tapeInputEcho = level;
        dev_.sound.setBeeperLevel(level);
    }
    return static_cast<uint8_t>(level << 6);
}

uint8_t MachineBus::portIn(uint8_t port) {
    if (port < 0x80) return dev_.joystick.joystickPort();
    if (port < 0xEC) return 0xFF;
    if (port < 0xF0) return dev_.hiRes.hiResRead(port & 3);
    switch (port) {
    case 0xF7:
        return dev_.joystick.joystickPort();
    case 0xFD:
        return dev_.printer.printerStatus();
    case 0xFF: {
        if (isTrs80()) return 0xFF;
        const uint8_t result = cassetteInput();
        dev_.sound.updateSound(cpu_.tstates);
        return result;
    }
    default:
        return 0xFF;
    }
}

void MachineBus::cassetteOutput(uint8_t value) {
    const uint64_t now = cpu_.tstates;
    const uint8_t changed = portLatch[0xFF] ^ value;
    if (changed & 0x03) {
        dev_.sound.updateSound(now);
        dev_.sound.setBeeperLevel(value & 0x03);
    }
    if (value & 0x04) {
        dev_.sound.updateSound(now);
        dev_.tape.tapeOutputWrite(now, value);
    }
    if (changed & 0x08) {
        if (isTrs80()) dev_.video.columns32 = (value & 0x08) != 0;
        redrawPending = true;
    }
}

void MachineBus::portOut(uint8_t port, uint8_t value) {
    switch (port) {
    case 0x1E:
        if (!isTrs80()) dev_.sound.psgWrite(portLatch[0x1F], value, cpu_.tstates);
        break;
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF:
        redrawPending = true;
        dev_.hiRes.hiResWrite(port & 3, value);
        break;
    case 0xFD:
        if (!isTrs80()) dev_.printer.printByte(value);
        break;
    case 0xFF:
        cassetteOutput(value);
        break;
    default:
        break;
    }
    portLatch[port] = value;
}

}  // namespace kestrel
