// The tests' view inside a Machine: its devices and private steps, for tests
// that must set up or observe what no caller of the machine can.
#pragma once

#include <array>
#include <string>

#include "machine/machine.h"

namespace kestrel {

struct MachinePeer {
    explicit MachinePeer(Machine& machine)
        : m(machine),
          cpu(machine.cpu_),
          bus(machine.bus_),
          fdc(machine.fdc_),
          keyboard(machine.keyboard_),
          printer(machine.printer_),
          tape(machine.cassette_.wav()),
          sound(machine.sound_),
          hiRes(machine.hiRes_),
          video(machine.video_),
          typedText(machine.typedText_),
          cassette(machine.cassette_),
          traps(machine.traps_),
          configs(machine.configs_),
          basicImage(machine.basicImage_),
          renderer(machine.renderer_),
          frame(machine.frame_),
          basicRomPath(machine.basicRomPath_),
          expansionRomPath(machine.expansionRomPath_) {}

    void setRamSize(uint32_t choice) { m.setRamSize(choice); }
    void fillRam() { m.fillRam(); }
    void copyRoms() { m.copyRoms(); }
    void configureMachine(const MachineConfig& record, bool fullReset) { m.configureMachine(record, fullReset); }
    AddressSpace memory() { return m.addressSpace(); }
    void installKeyboardTrap() { traps.installKeyboardTrap(memory()); }
    void armTapeTraps() { traps.armTapeTraps(memory()); }
    void disarmTapeTraps() { traps.disarmTapeTraps(memory(), basicImage); }

    Machine& m;
    Z80& cpu;
    MachineBus& bus;
    Fdc& fdc;
    Keyboard& keyboard;
    Printer& printer;
    TapeWav& tape;
    Sound& sound;
    HiResBoard& hiRes;
    VideoState& video;
    TypedText& typedText;
    Cassette& cassette;
    Traps& traps;
    std::array<MachineConfig, kConfigCount>& configs;
    BasicImage& basicImage;
    Renderer& renderer;
    FrameImage& frame;
    std::string& basicRomPath;
    std::string& expansionRomPath;
};

inline MachinePeer inside(Machine& machine) { return MachinePeer(machine); }

}  // namespace kestrel
