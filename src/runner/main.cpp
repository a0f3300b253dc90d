#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "kestrel_version.h"
#include "runner/runner.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = kestrel::parseRunnerArguments(args, error);
    if (!options) {
        std::fprintf(stderr, "kestrel-run: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(kestrel::runnerUsage(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("kestrel-run %s\n", kestrel::kVersion);
        return 0;
    }
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv[0], ec);
    return kestrel::runRunner(*options, exe.parent_path(), stdout, stderr);
}
