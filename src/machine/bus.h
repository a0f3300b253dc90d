// The machine bus: the 64 KiB address space with its device windows, and the
// I/O ports. Every processor access goes through here.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "devices/joystick.h"
#include "devices/keyboard.h"
#include "devices/printer.h"
#include "devices/cassette.h"
#include "devices/fdc.h"
#include "devices/tape_wav.h"
#include "devices/typed_text.h"
#include "machine/traps.h"
#include "sound/sound.h"
#include "video/hires.h"
#include "video/video_state.h"
#include "z80/z80.h"

namespace kestrel {

// The devices the bus dispatches to; all owned by the Machine, which builds the
// bus from them. Nothing here is touched before the first access.
struct BusDevices {
    Fdc& fdc;
    Keyboard& keyboard;
    Printer& printer;
    TapeWav& tape;
    Sound& sound;
    HiResBoard& hiRes;
    VideoState& video;
    Joystick& joystick;
    Traps& traps;
    // What the traps work on besides the processor and memory.
    const HeldRomImage& rom;
    TypedText& typedText;
    Cassette& cassette;
};

class MachineBus {
public:
    static constexpr int kTrs80ConfigIndex = 3;

    MachineBus(Z80& cpu, const BusDevices& devices);
    MachineBus(const MachineBus&) = delete;
    MachineBus& operator=(const MachineBus&) = delete;

    // The whole address space: ROM images, video RAM at 0x3C00 and RAM.
    std::array<uint8_t, 0x10000> memory{};
    bool lowercaseVideo = false;            // character ROM has all 8 bits
    std::array<uint8_t, 256> portLatch{};   // last byte written to each port
    uint8_t tapeInputEcho = 0;              // last cassette input level read, 0 or 2
    bool redrawPending = false;
    int activeConfigIndex = 0;
    std::FILE* diagnostics = stderr;        // where the device-page watch messages go

    uint8_t* memoryBase() { return memory.data(); }
    const uint8_t* memoryBase() const { return memory.data(); }

    // 0x3FFF for 16 KB, 0xFFFF for 48 KB.
    uint16_t ramTop() const { return ramTop_; }
    void setRamTop(uint16_t top);

    bool isTrs80() const { return activeConfigIndex == kTrs80ConfigIndex; }

    // ROM and RAM are decided on the page alone; only the device page and
    // missing RAM leave the inline path.
    uint8_t memRead(uint16_t address) {
        if (pageKind_[address >> 12] & kReadDirect) [[likely]]
            return memory[address];
        return memReadSlow(address);
    }

    void memWrite(uint16_t address, uint8_t value) {
        if (pageKind_[address >> 12] & kWriteDirect) [[likely]] {
            memory[address] = value;
            return;
        }
        memWriteSlow(address, value);
    }

    uint8_t portIn(uint8_t port);
    void portOut(uint8_t port, uint8_t value);
    uint8_t lastPortOut(uint8_t port) const { return portLatch[port]; }

    void serviceTrap(uint8_t nn) {
        dev_.traps.serviceTrap(nn, TrapContext{cpu_, memory, dev_.rom, dev_.typedText, dev_.cassette});
    }

    // Every interrupt source ORed onto the processor's line; so far the disk
    // controller is the only one.
    void updateInterruptLine() { cpu_.intLine = dev_.fdc.interruptRequest() ? 1 : 0; }

private:
    enum : uint8_t { kReadDirect = 1, kWriteDirect = 2 };

    void refreshPageKinds();
    uint8_t memReadSlow(uint16_t address);
    void memWriteSlow(uint16_t address, uint8_t value);
    uint8_t devicePageRead(uint16_t address);
    void devicePageWrite(uint16_t address, uint8_t value);
    uint8_t interruptLatch();
    uint8_t cassetteInput();
    void cassetteOutput(uint8_t value);

    Z80& cpu_;
    BusDevices dev_;
    uint16_t ramTop_ = 0xFFFF;
    std::array<uint8_t, 16> pageKind_{};
};

}  // namespace kestrel
