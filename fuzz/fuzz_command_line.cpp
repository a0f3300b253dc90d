// The window's command line: the input is the arguments, split at NUL bytes.
#include <cmath>
#include <cstdint>

#include "frontend/command_line.h"
#include "fuzz_check.h"

using namespace kestrel;

// As for settings: the allocation stacks through Qt differ per input, and
// keeping them slowed the run to a third. A fault's own stack is still shown.
extern "C" const char* __asan_default_options() { return "malloc_context_size=0"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return -1;
    const std::vector<std::string> args = fuzz::splitArguments(data, size);
    std::string error;
    const auto line = parseCommandLine(args, error);
    if (!line) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    for (const StartAction& a : line->actions) {
        switch (a.kind) {
        case StartAction::kAutostart:
        case StartAction::kDisk:
        case StartAction::kRecordVideo:
            FUZZ_CHECK(!a.file.empty());
            break;
        case StartAction::kMachine:
            FUZZ_CHECK(a.number >= 0 && a.number <= 4);
            break;
        case StartAction::kRam:
            FUZZ_CHECK(a.number == 16 || a.number == 48);
            break;
        case StartAction::kScreenshotAfter:
        case StartAction::kQuitAfter:
            FUZZ_CHECK(std::isfinite(a.seconds) && a.seconds >= 0);
            break;
        default:
            break;
        }
    }
    std::string again;
    const auto second = parseCommandLine(args, again);
    FUZZ_CHECK(second && second->actions == line->actions && second->file == line->file);
    return 0;
}
