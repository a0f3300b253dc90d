// The file helpers under the names the snapshot tests use.
#pragma once

#include "scratch_files.h"

namespace kestrel::capturetest {

using test::CurrentDirGuard;
using test::ScratchDir;
using test::readFile;

}  // namespace kestrel::capturetest
