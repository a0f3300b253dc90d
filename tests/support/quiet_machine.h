// Machine options for tests that read the screen, not the trace output.
#pragma once

#include <cstdlib>

#include "machine/machine.h"

namespace kestrel::test {

inline MachineOptions quietMachineOptions() {
    MachineOptions o;
    o.diagnostics = nullptr;
    o.traceOutput = nullptr;
    o.traceErrors = nullptr;
    if (const char* dir = std::getenv("KESTREL_TEST_ROM_DIR")) o.romDirectory = dir;
    return o;
}

}  // namespace kestrel::test
