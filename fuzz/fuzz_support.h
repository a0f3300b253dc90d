// Shared by the fuzz targets: a scratch file for parsers that take a path, a
// check that aborts (so libFuzzer keeps the input), and a quiet machine.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "io/file_io.h"
#include "machine/machine.h"

namespace kestrel::fuzz {

// One directory per process, removed at exit; files in it are rewritten per input.
inline const std::filesystem::path& scratchDir() {
    static const std::filesystem::path dir = [] {
        auto base = std::filesystem::temp_directory_path() / ("kestrel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(base);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchDir(), ec);
        });
        return base;
    }();
    return dir;
}

inline std::string writeScratch(const std::string& name, std::span<const uint8_t> bytes) {
    const std::string path = (scratchDir() / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (!bytes.empty()) FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    std::fclose(f);
    return path;
}

// The open firmware, switched on, with every trace and message off.
inline std::unique_ptr<Machine> quietMachine() {
    MachineOptions o;
    o.diagnostics = nullptr;
    o.traceOutput = nullptr;
    o.traceErrors = nullptr;
    auto m = std::make_unique<Machine>(o);
    m->startUp();
    return m;
}

inline std::vector<uint8_t> memoryOf(const Machine& m) {
    return std::vector<uint8_t>(m.memory().begin(), m.memory().end());
}

}  // namespace kestrel::fuzz
