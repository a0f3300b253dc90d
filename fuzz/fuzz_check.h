// What every fuzz target uses, with nothing of the machine in it (the
// window's command-line target links no core at all).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A property that does not hold is a finding like a crash.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace kestrel::fuzz {

// The input as command-line arguments, split at NUL bytes.
inline std::vector<std::string> splitArguments(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    if (size) args.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    return args;
}

}  // namespace kestrel::fuzz
