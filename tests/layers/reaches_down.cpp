// The same include roots see the layers below: this must compile.
#include "devices/cassette.h"
#include "formats/cas_format.h"
#include "io/file_io.h"
