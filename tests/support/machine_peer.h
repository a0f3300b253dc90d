// The tests' view inside a Machine: its devices and private steps, for tests
// that must set up or observe what no caller of the machine can.
#pragma once

#include <array>
#include <string>

#include "machine/machine.h"

namespace kestrel {

struct MachinePeer {
    explicit MachinePeer(Machine& machine) : m(machine) {}

    void setRamSize(uint32_t choice) { m.setRamSize(choice); }
    void fillRam() { m.fillRam(); }
    void copyRoms() { m.copyRoms(); }
    void configureMachine(const MachineConfig& record, bool fullReset) { m.configureMachine(record, fullReset); }
    AddressSpace memory() { return m.addressSpace(); }
    void installKeyboardTrap() { traps.installKeyboardTrap(memory()); }
    void armTapeTraps() { traps.armTapeTraps(memory()); }
    void disarmTapeTraps() { traps.disarmTapeTraps(memory(), basicImage); }

    Machine& m;
    Z80& cpu = m.cpu_;
    MachineBus& bus = m.bus_;
    Fdc& fdc = m.fdc_;
    Keyboard& keyboard = m.keyboard_;
    Printer& printer = m.printer_;
    TapeWav& tape = m.cassette_.wav();
    Sound& sound = m.sound_;
    HiResBoard& hiRes = m.hiRes_;
    VideoState& video = m.video_;
    TypedText& typedText = m.typedText_;
    Cassette& cassette = m.cassette_;
    Traps& traps = m.traps_;
    std::array<MachineConfig, kConfigCount>& configs = m.configs_;
    BasicImage& basicImage = m.basicImage_;
    Renderer& renderer = m.renderer_;
    FrameImage& frame = m.frame_;
    std::string& basicRomPath = m.basicRomPath_;
    std::string& expansionRomPath = m.expansionRomPath_;
};

inline MachinePeer inside(Machine& machine) { return MachinePeer(machine); }

}  // namespace kestrel
