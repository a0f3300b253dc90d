// Compiled with the devices layer's include roots only: the machine above it
// must be out of sight, so this must not compile.
#include "machine/machine.h"
