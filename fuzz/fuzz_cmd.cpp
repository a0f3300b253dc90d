// CMD programs: the record reader, the check before starting, and a load
// into a machine that then runs a few frames.
#include "formats/cmd_format.h"
#include "fuzz_support.h"
#include "session/autostart.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kCmdMaxFileSize) return -1;
    const std::span<const uint8_t> input(data, size);

    CmdLoader loader;
    uint16_t entry = 0xFFFF;
    std::vector<CmdBlock> blocks;
    const int result = loader.loadCmd(input, entry, blocks, nullptr, nullptr);
    FUZZ_CHECK(result == 0 || result == 1);
    size_t loaded = 0;
    for (const CmdBlock& block : blocks) {
        // Every block is a view into the input, never past its end.
        FUZZ_CHECK(block.bytes.empty() || (block.bytes.data() >= data && block.bytes.data() + block.bytes.size() <= data + size));
        loaded += block.bytes.size();
    }
    FUZZ_CHECK(loaded <= size);
    const IoResult checked = checkCmdImage(input, "fuzz.cmd");
    if (checked) FUZZ_CHECK(!blocks.empty());

    // Through the machine: a refused file leaves memory as it was; an accepted
    // one is started and runs a few frames.
    static std::unique_ptr<Machine> machine = fuzz::quietMachine();
    machine->coldRestart();
    machine->markStarted();  // loaded at once, not at the firmware's prompt
    const std::vector<uint8_t> before = fuzz::memoryOf(*machine);
    const IoResult started = autostartFile(*machine, fuzz::writeScratch("fuzz.cmd", input), {.traceFailures = false});
    FUZZ_CHECK(static_cast<bool>(started) == static_cast<bool>(checked));
    if (!started) {
        FUZZ_CHECK(!started.message.empty());
        FUZZ_CHECK(fuzz::memoryOf(*machine) == before);
        return 0;
    }
    for (int i = 0; i < 3; ++i) machine->runFrame();
    return 0;
}
