// Machine options for tests that read the screen, not the trace output.
#pragma once

#include "machine/machine.h"

namespace kestrel::test {

inline MachineOptions quietMachineOptions() {
    MachineOptions o;
    o.diagnostics = nullptr;
    o.traceOutput = nullptr;
    o.traceErrors = nullptr;
    return o;
}

}  // namespace kestrel::test
