#include "machine/machine.h"

#include "z80/z80_execute.h"

namespace kestrel {

Machine::Machine()
    : bus(cpu, BusDevices{fdc, keyboard, printer, tape, sound, hiRes, video, joystick, traps}) {
    z80Init(cpu, kInitialClockHz);
}

int Machine::runCycles(int32_t budget) { return z80Execute(cpu, bus, budget); }

}  // namespace kestrel
