#include "z80/z80.h"

namespace kestrel {

void z80Init(Z80& cpu, int64_t clockHz) {
    cpu.breakEnabled = 0;
    cpu.breakAddress = 0xFFFF;
    cpu.clockHz = clockHz;
    cpu.lineTstates = static_cast<uint64_t>(clockHz / 15625);
    z80Reset(cpu);
}

void z80Reset(Z80& cpu) {
    cpu.PC = 0;
    cpu.SP = 0xFFFF;
    cpu.AF = 0xFFFF;
    cpu.I = 0;
    cpu.R = 0;
    cpu.IFF1 = cpu.IFF2 = 0;
    cpu.interruptMode = 0;
    cpu.intLine = cpu.nmiLine = cpu.nmiTaken = 0;
}

void z80ToggleBreakpoint(Z80& cpu, uint16_t address) {
    if (address == cpu.breakAddress) {
        cpu.breakEnabled = !cpu.breakEnabled;
    } else {
        cpu.breakAddress = address;
        cpu.breakEnabled = 1;
    }
}

}  // namespace kestrel
