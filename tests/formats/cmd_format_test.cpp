#include "formats/cmd_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "machine/machine.h"
#include "machine_peer.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

// One load: its result, entry address and traces.
struct CmdRun {
    int result = -1;
    uint16_t entry = 0xBEEF;  // must be cleared by the load
    std::string out, err;
};

// A machine loading CMD files as the program loader does, its memory filled
// with a byte no test loads, and the traces of each load caught.
class CmdRig {
public:
    std::unique_ptr<Machine> m;

    CmdRig() {
        MachineOptions o;
        o.traceOutput = out_.file();
        o.traceErrors = err_.file();
        m = std::make_unique<Machine>(o);
        inside(*m).bus.memory.fill(0x99);
    }
    CmdRun load(const std::vector<uint8_t>& bytes) {
        CmdRun run;
        run.result = m->loadCmd(bytes, run.entry);
        run.out = fresh(out_, outSeen_);
        run.err = fresh(err_, errSeen_);
        return run;
    }
    std::vector<uint8_t> bytesAt(uint16_t at, size_t n) const {
        return std::vector<uint8_t>(m->memory().begin() + at, m->memory().begin() + at + n);
    }
    uint8_t& mem(uint16_t at) { return inside(*m).bus.memory[at]; }

private:
    static std::string fresh(const test::CapturedStream& stream, size_t& seen) {
        const std::string text = stream.text().substr(seen);
        seen += text.size();
        return text;
    }
    test::CapturedStream out_, err_;
    size_t outSeen_ = 0, errSeen_ = 0;
};

// A type-1 record: the length byte as given, the address, then `count` bytes
// 1, 2, 3, ... (mod 256).
std::vector<uint8_t> loadRecord(uint8_t lengthByte, uint16_t address, int count) {
    std::vector<uint8_t> r = {0x01, lengthByte, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)};
    for (int i = 0; i < count; ++i) r.push_back(static_cast<uint8_t>(i + 1));
    return r;
}

TEST(CmdLoader, LengthByteGivesTheDataCount) {
    struct Case {
        uint8_t lengthByte;
        int count;
    };
    // 05h: 3 bytes after the address; 00h is 256, less the address; 01h and 02h
    // stand for 255 and 256.
    for (Case c : {Case{0x05, 3}, Case{0x00, 254}, Case{0x02, 256}, Case{0x01, 255}, Case{0xFF, 253}}) {
        SCOPED_TRACE(int(c.lengthByte));
        CmdRig rig;
        const CmdRun run = rig.load(loadRecord(c.lengthByte, 0x7000, c.count));
        EXPECT_EQ(run.result, 0);  // ended between records
        EXPECT_EQ(run.entry, 0);
        EXPECT_EQ(run.err, "Block #01, type 1: \n");
        EXPECT_EQ(run.out, "load from address 7000h, " + std::to_string(c.count) + " bytes.\n");
        std::vector<uint8_t> expected(c.count + 2, 0x99);  // 99h around the data
        for (int i = 0; i < c.count; ++i) expected[i + 1] = static_cast<uint8_t>(i + 1);
        EXPECT_EQ(rig.bytesAt(0x6FFF, c.count + 2), expected);
    }
}

// Whole files, each loaded by a fresh machine: result, entry, traces, and memory
// where it must or must not have changed (99h: untouched).
TEST(CmdLoader, RecordsTransferAndTruncation) {
    using Bytes = std::vector<uint8_t>;
    struct Row {
        const char* what;
        Bytes file;
        int result;
        uint16_t entry;
        std::string out, err;
        std::vector<std::pair<uint16_t, Bytes>> memory;
    };
    const std::string b1 = "Block #01, type 1: \n", b2 = "Block #02, type 2: \n";
    const Row rows[] = {
        {"the transfer record ends the load",
         {0x01, 0x05, 0x00, 0x70, 0xAA, 0xBB, 0xCC, 0x02, 0x02, 0x02, 0x70, 0x01, 0x03, 0x00, 0x80, 0x55},
         1, 0x7002, "load from address 7000h, 3 bytes.\n", b1 + b2 + "start address at 7002h.\n",
         {{0x7000, {0xAA, 0xBB, 0xCC, 0x99}}, {0x8000, {0x99}}}},
        {"other types skipped",
         {0x05, 0x03, 0x01, 0x00, 0x70, 0x01, 0x03, 0x10, 0x70, 0x42, 0x02, 0x02, 0x34, 0x12}, 1, 0x1234,
         "load from address 7010h, 1 bytes.\n",
         "Block #01, type 5: \nunsupported block type 5 of size 3, at offset: 2.\nBlock #02, type 1: \n"
         "Block #03, type 2: \nstart address at 1234h.\n",
         {{0x7000, {0x99}}, {0x7010, {0x42}}}},
        {"transfer record of another length", {0x02, 0x03, 0x00, 0x70, 0x00, 0x01, 0x03, 0x00, 0x70, 0x42}, 0, 0, "",
         "Block #01, type 2: \n", {{0x7000, {0x99}}}},
        {"cut inside the data", {0x01, 0x10, 0x00, 0x70, 0x01, 0x02}, 1, 0, "load from address 7000h, 14 bytes.\n",
         b1, {{0x7000, {0x01, 0x02, 0x99}}}},
        {"cut inside the load address", {0x01, 0x05, 0x00}, 1, 0, "", b1, {}},
        {"cut inside the transfer address", {0x01, 0x03, 0x00, 0x71, 0x07, 0x02, 0x02, 0x34}, 1, 0,
         "load from address 7100h, 1 bytes.\n", b1 + b2, {{0x7100, {0x07}}}},
        {"cut inside a skipped record", {0x07, 0x10, 0x00}, 0, 0, "",
         "Block #01, type 7: \nunsupported block type 7 of size 16, at offset: 2.\n", {}},
        {"empty", {}, 0, 0, "", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CmdRig rig;
        const CmdRun run = rig.load(row.file);
        EXPECT_EQ(run.result, row.result);
        EXPECT_EQ(run.entry, row.entry);
        EXPECT_EQ(run.out, row.out);
        EXPECT_EQ(run.err, row.err);
        for (const auto& [at, bytes] : row.memory) EXPECT_EQ(rig.bytesAt(at, bytes.size()), bytes) << at;
    }

    // Length byte 0 skips 256 bytes; the offset is the one after the length byte.
    CmdRig rig;
    Bytes bytes = loadRecord(0x03, 0x7100, 1);  // 5 bytes
    bytes.insert(bytes.end(), {0x00, 0x00});
    bytes.insert(bytes.end(), 256, 0x01);
    bytes.insert(bytes.end(), {0x02, 0x02, 0x00, 0x80});
    const CmdRun run = rig.load(bytes);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.entry, 0x8000);
    EXPECT_EQ(run.err, b1 + "Block #02, type 0: \nunsupported block type 0 of size 256, at offset: 7.\n"
                       "Block #03, type 2: \nstart address at 8000h.\n");
}

TEST(CmdLoader, BytesGoThroughTheBusLikeCpuWrites) {
    CmdRig rig;
    // ROM (BASIC and expansion area) keeps its bytes.
    CmdRun run = rig.load({0x01, 0x06, 0xFE, 0x2F, 0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(run.out, "load from address 2ffeh, 4 bytes.\n");
    EXPECT_EQ(rig.bytesAt(0x2FFE, 4), std::vector<uint8_t>(4, 0x99));

    // Keyboard window ignored; video RAM without lowercase shows 00h-1Fh as 40h-5Fh.
    inside(*rig.m).bus.redrawPending = false;
    run = rig.load({0x01, 0x05, 0xFF, 0x3B, 0x7F, 0x01, 0x20});
    EXPECT_EQ(run.out, "load from address 3bffh, 3 bytes.\n");
    EXPECT_EQ(rig.bytesAt(0x3BFF, 3), (std::vector<uint8_t>{0x99, 0x41, 0x20}));
    EXPECT_TRUE(inside(*rig.m).bus.redrawPending);

    // The TRS-80 printer port in the device page receives the byte.
    inside(*rig.m).bus.activeConfigIndex = MachineBus::kTrs80ConfigIndex;
    test::ScratchDir dir;
    ASSERT_TRUE(rig.m->openPrinter(dir.file("printer.txt")));
    run = rig.load({0x01, 0x03, 0xE8, 0x37, 0x4B});
    EXPECT_EQ(inside(*rig.m).printer.contents(), std::vector<uint8_t>{0x4B});

    // The address wraps from FFFFh to 0000h (ROM there, so unchanged).
    run = rig.load({0x01, 0x05, 0xFF, 0xFF, 0xA1, 0xA2, 0xA3});
    EXPECT_EQ(run.out, "load from address ffffh, 3 bytes.\n");
    EXPECT_EQ(rig.mem(0xFFFF), 0xA1);
    EXPECT_EQ(rig.bytesAt(0x0000, 2), std::vector<uint8_t>(2, 0x99));
}

TEST(CmdLoader, BlockNumbersCarryOnAcrossLoadsOfOneLoader) {
    CmdRig rig;
    const std::vector<uint8_t> program = {0x01, 0x03, 0x00, 0x70, 0x42, 0x02, 0x02, 0x00, 0x70};
    EXPECT_EQ(rig.load(program).err, "Block #01, type 1: \nBlock #02, type 2: \nstart address at 7000h.\n");
    EXPECT_EQ(rig.load(program).err, "Block #03, type 1: \nBlock #04, type 2: \nstart address at 7000h.\n");
    // Another machine counts for itself.
    CmdRig other;
    EXPECT_EQ(other.load(program).err, "Block #01, type 1: \nBlock #02, type 2: \nstart address at 7000h.\n");
    // Past two digits the number just grows.
    std::vector<uint8_t> many;
    for (int i = 0; i < 96; ++i) many.insert(many.end(), {0x09, 0x01, 0x00});
    many.insert(many.end(), program.begin(), program.end());
    const std::string err = rig.load(many).err;
    EXPECT_NE(err.find("Block #99, type 9: \n"), std::string::npos);
    EXPECT_NE(err.find("Block #101, type 1: \nBlock #102, type 2: \n"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
