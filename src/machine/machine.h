// One emulated computer: the processor, the bus and every device, with no state
// shared between instances.
#pragma once

#include <cstdint>

#include "machine/bus.h"
#include "machine/joystick.h"
#include "machine/keyboard.h"
#include "machine/printer.h"
#include "media/fdc.h"
#include "media/tape_wav.h"
#include "media/traps.h"
#include "sound/sound.h"
#include "video/hires.h"
#include "video/video_state.h"
#include "z80/z80.h"

namespace kestrel {

class Machine {
public:
    static constexpr int64_t kInitialClockHz = 1774080;

    Machine();
    // The bus and the devices hold references into this object.
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Runs the processor for about `budget` T-states; 1 when it stopped at the
    // breakpoint, else 0.
    int runCycles(int32_t budget);

    // Declared before the bus, which is built from references to them.
    Z80 cpu;
    Fdc fdc{cpu};
    Keyboard keyboard;
    Printer printer;
    TapeWav tape;
    Sound sound;
    HiResBoard hiRes;
    VideoState video;
    Joystick joystick;
    Traps traps;
    MachineBus bus;
};

}  // namespace kestrel
