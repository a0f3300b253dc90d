// HTS snapshots: load, apply, save, compare. A file of the wrong size is
// refused and leaves the machine as it was.
#include <algorithm>

#include "fuzz_support.h"
#include "session/snapshot.h"

using namespace kestrel;

namespace {

uint16_t get16(const std::vector<uint8_t>& r, size_t at) { return static_cast<uint16_t>(r[at] | r[at + 1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2 * kSnapshotSize) return -1;
    static std::unique_ptr<Machine> machine = fuzz::quietMachine();
    machine->coldRestart();
    const std::vector<uint8_t> before = buildSnapshot(*machine);
    const std::vector<uint8_t> memoryBefore = fuzz::memoryOf(*machine);

    // The file as it is.
    const IoResult loaded = loadSnapshot(*machine, fuzz::writeScratch("fuzz.hts", {data, size}));
    FUZZ_CHECK(static_cast<bool>(loaded) == (size == kSnapshotSize));
    if (!loaded) {
        FUZZ_CHECK(!loaded.message.empty());
        FUZZ_CHECK(buildSnapshot(*machine) == before && fuzz::memoryOf(*machine) == memoryBefore);
    }

    // The input cut or padded to a snapshot's size: every register and the
    // memory come back in the snapshot saved from it.
    std::vector<uint8_t> record(data, data + std::min(size, kSnapshotSize));
    record.resize(kSnapshotSize, 0);
    FUZZ_CHECK(applySnapshot(*machine, record));
    const std::vector<uint8_t> saved = buildSnapshot(*machine);
    FUZZ_CHECK(saved.size() == kSnapshotSize);
    for (size_t at : {4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 26, 28}) FUZZ_CHECK(get16(saved, at) == get16(record, at));
    FUZZ_CHECK(std::equal(saved.begin() + kSnapshotMemoryOffset,
                          saved.begin() + kSnapshotMemoryOffset + kSnapshotMemorySize,
                          record.begin() + kSnapshotMemoryOffset));

    // Saved to a file and loaded again, it is the same snapshot.
    const std::string path = (fuzz::scratchDir() / "saved.hts").string();
    FUZZ_CHECK(saveSnapshot(*machine, path));
    FUZZ_CHECK(loadSnapshot(*machine, path));
    FUZZ_CHECK(buildSnapshot(*machine) == saved);

    // A few instructions from there, whatever they are.
    for (int i = 0; i < 64; ++i) machine->stepInstruction();
    return 0;
}
