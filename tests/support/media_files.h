// Helpers for the tape and trap tests: a scratch directory and whole-file access.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scratch_files.h"

namespace kestrel::mediatest {

namespace fs = std::filesystem;

using TempDir = test::ScratchDir;
using test::readFile;

inline std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// n copies of b followed by the rest.
inline std::vector<uint8_t> run(size_t n, uint8_t b, std::vector<uint8_t> rest = {}) {
    std::vector<uint8_t> v(n, b);
    v.insert(v.end(), rest.begin(), rest.end());
    return v;
}

}  // namespace kestrel::mediatest
