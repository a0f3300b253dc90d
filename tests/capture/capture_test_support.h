// Scratch directories and file helpers for the screenshot tests.
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

using test::ScratchDir;
using test::readFile;

// Runs the enclosed code with another current directory.
class CurrentDirGuard {
public:
    explicit CurrentDirGuard(const std::filesystem::path& dir) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDirGuard() {
        std::error_code ec;
        std::filesystem::current_path(saved_, ec);
    }
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    std::filesystem::path saved_;
};

inline void touch(const std::string& path) { std::ofstream(path, std::ios::binary) << 'x'; }

inline uint32_t le32(const std::vector<uint8_t>& f, size_t at) {
    return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<uint32_t>(f[at + 3]) << 24);
}

}  // namespace kestrel::capturetest
