// The runner's command line: the input is the arguments, split at NUL bytes.
#include <algorithm>
#include <cmath>

#include "fuzz_support.h"
#include "runner/runner.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return -1;
    const std::vector<std::string> args = fuzz::splitArguments(data, size);
    std::string error;
    const auto options = parseRunnerArguments(args, error);
    if (!options) {
        // One line, unless it quotes an argument that holds a line break.
        FUZZ_CHECK(!error.empty());
        if (std::none_of(args.begin(), args.end(), [](const std::string& a) { return a.find('\n') != a.npos; }))
            FUZZ_CHECK(error.find('\n') == std::string::npos);
        return 0;
    }
    if (options->machine) FUZZ_CHECK(*options->machine >= 0 && *options->machine <= 4);
    if (options->ramKbytes) FUZZ_CHECK(*options->ramKbytes == 16 || *options->ramKbytes == 48);
    if (options->seconds) FUZZ_CHECK(std::isfinite(*options->seconds) && *options->seconds >= 0);
    for (const auto& disk : options->disks) FUZZ_CHECK(disk.drive >= 0 && disk.drive < 4);
    // The same arguments, the same options.
    std::string again;
    const auto second = parseRunnerArguments(args, again);
    FUZZ_CHECK(second && second->autostart == options->autostart && second->type == options->type);
    return 0;
}
