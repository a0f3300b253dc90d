#include "machine/machine.h"

namespace kestrel {

Machine::Machine()
    : bus(cpu, BusDevices{fdc, keyboard, printer, tape, sound, hiRes, video, joystick, traps}) {
    z80Init(cpu, kInitialClockHz);
}

int Machine::runCycles(int32_t budget) {
    (void)budget;
    return 0;
}

}  // namespace kestrel
