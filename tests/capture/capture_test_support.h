// File helpers for the screenshot tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scratch_files.h"

namespace kestrel::capturetest {

using test::CurrentDirGuard;
using test::ScratchDir;
using test::readFile;

inline void touch(const std::string& path) { std::ofstream(path, std::ios::binary) << 'x'; }

inline uint32_t le32(const std::vector<uint8_t>& f, size_t at) {
    return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<uint32_t>(f[at + 3]) << 24);
}

}  // namespace kestrel::capturetest
