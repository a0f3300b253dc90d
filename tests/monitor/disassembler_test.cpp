#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "flat_bus.h"
#include "scratch_files.h"
#include "monitor/disassembler.h"
#include "z80/z80.h"
#include "z80/z80_execute.h"

namespace kestrel {
namespace {

using test::FlatBus;

// A 64 KiB image with the given bytes at address (wrapping past FFFFh).
struct Image {
    std::array<uint8_t, 0x10000> memory{};
    void put(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) memory[address++] = b;
    }
};

// The full listing line and the address after the instruction, with the bytes
// placed at address (wrapping past FFFFh).
std::pair<std::string, uint16_t> disassembleBytes(uint16_t address, const std::vector<uint8_t>& bytes) {
    auto image = std::make_unique<Image>();
    for (uint8_t b : bytes) image->memory[address++] = b;
    address = static_cast<uint16_t>(address - bytes.size());
    std::string text;
    const uint16_t next = disassembleOne(image->memory, address, text);
    return {text, next};
}

TEST(Disassembler, WritesAddressBytesInFourColumnsAndMnemonic) {
    struct Case {
        uint16_t address;
        std::vector<uint8_t> bytes;
        const char* text;
        uint16_t next;
    };
    const Case cases[] = {
        {0x4000, {0x3E, 0x41}, " 4000 3E 41       ld a,41h", 0x4002},
        // One byte: three empty columns; four bytes: none.
        {0x0000, {0x00}, " 0000 00          nop", 0x0001},
        {0xABCD, {0xED, 0x43, 0x34, 0x12}, " ABCD ED 43 34 12 ld (1234h),bc", 0xABD1},
        // An ignored DD prefix is a one-byte instruction; the 00 after it is the next one.
        {0x4000, {0xDD, 0x00}, " 4000 DD          undefined", 0x4001},
        {0x4000, {0xED, 0x4E}, " 4000 ED 4E       undefined", 0x4002},
        {0x4000, {0xDD, 0xCB, 0x05, 0x46}, " 4000 DD CB 05 46 bit 0,(ix+05h)", 0x4004},
        {0x4000, {0xDD, 0xCB, 0x05, 0x40}, " 4000 DD CB 05 40 bit 0,(ix+05h)  ;undoc equiv", 0x4004},
        {0x4000, {0xDD, 0xCB, 0x05, 0x00}, " 4000 DD CB 05 00 ld b,rlc (ix+05h)", 0x4004},
        {0x4000, {0xDD, 0x36, 0x10, 0xFF}, " 4000 DD 36 10 FF ld (ix+10h),ffh", 0x4004},
        {0x4000, {0x18, 0xFE}, " 4000 18 FE       jr 4000h", 0x4002},
        {0x4000, {0x10, 0x80}, " 4000 10 80       djnz 3f82h", 0x4002},
        {0x4000, {0xC3, 0x00, 0xC0}, " 4000 C3 00 C0    jp c000h", 0x4003},
        // Bytes past FFFFh come from 0000h on, and the next address wraps too.
        {0xFFFF, {0x21, 0x34, 0x12}, " FFFF 21 34 12    ld hl,1234h", 0x0002},
        {0xFFFE, {0xFD, 0xCB, 0x80, 0x7E}, " FFFE FD CB 80 7E bit 7,(iy+80h)", 0x0002},
        // A relative target wraps as well.
        {0xFFF0, {0x18, 0x7F}, " FFF0 18 7F       jr 0071h", 0xFFF2},
        {0x0010, {0x20, 0x80}, " 0010 20 80       jr nz,ff92h", 0x0012},
        {0x4000, {0xDD, 0x24}, " 4000 DD 24       inc ixh", 0x4002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto [text, next] = disassembleBytes(c.address, c.bytes);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(next, c.next);
    }
}

// A few forms of the notation, readable where the hash below only says that
// something changed: restart names, the accumulator rule, index halves, the
// DDCB copies, trap names and the notes on undocumented duplicates.
TEST(Disassembler, MnemonicForms) {
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {{0xCF}, "rst 8"}, {{0xD7}, "rst 10h"}, {{0x90}, "sub b"}, {{0x9E}, "sbc a,(hl)"}, {{0xFE, 0x0A}, "cp 0ah"},
        {{0xCB, 0x36}, "slia (hl)"}, {{0xDD, 0x9C}, "sbc ixh"}, {{0xDD, 0x8D}, "adc a,ixl"},
        {{0xDD, 0xCB, 0x02, 0x8D}, "ld l,res 1,(ix+02h)"}, {{0xED, 0x06}, "emulator trap"},
        {{0xED, 0x28}, "emt_system"}, {{0xED, 0x71}, "out (c),0"}, {{0xED, 0x7C}, "neg\t\t\t;undoc equiv"},
        {{0xED, 0x63, 0x34, 0x12}, "ld (1234h),hl\t;undoc equiv"}, {{0xED, 0x66}, "im\t0\t\t;undoc equiv"},
    };
    for (const auto& [bytes, mnemonic] : cases) {
        SCOPED_TRACE(mnemonic);
        const auto [text, next] = disassembleBytes(0x100, bytes);
        EXPECT_EQ(text.substr(18), mnemonic);
        EXPECT_EQ(next, 0x100 + bytes.size());
    }
}

// Where each page sits: the bytes before its opcode (DD CB d before op).
struct PageBytes {
    int page;
    std::vector<uint8_t> prefix;
};
const PageBytes kPageBytes[] = {
    {kPageMain, {}}, {kPageCb, {0xCB}}, {kPageDd, {0xDD}}, {kPageEd, {0xED}},
    {kPageFd, {0xFD}}, {kPageDdCb, {0xDD, 0xCB, 0x9A}}, {kPageFdCb, {0xFD, 0xCB, 0x9A}},
};

// Each opcode at 4000h followed by 9Ah BCh (a backward jump, a negative
// displacement); one hash over all lines and lengths pins the whole output,
// FD and FD CB (DD and DD CB with iy, the FD index halves undecoded) included,
// and with it every format against its operand kind.
TEST(Disassembler, EveryOpcodeOfEveryPage) {
    uint64_t hash = 14695981039346656037u;
    for (const PageBytes& pg : kPageBytes) {
        for (int op = 0; op < 256; ++op) {
            std::vector<uint8_t> bytes = pg.prefix;
            bytes.insert(bytes.end(), {static_cast<uint8_t>(op), 0x9A, 0xBC});
            const auto [text, next] = disassembleBytes(0x4000, bytes);
            const auto length = static_cast<uint16_t>(next - 0x4000);
            for (char c : text + '|' + std::to_string(length) + '\n')
                hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211u;  // FNV-1a
        }
    }
    EXPECT_EQ(hash, 0x99F7657B9ED3C2AEu);

}

// The engine's view of the first bytes of the instruction: the highest address it
// read inside a small window at the instruction, to see how far a jump or return
// fetched before leaving.
constexpr uint16_t kBase = 0x4000;
struct FetchBus : FlatBus {
    unsigned fetchEnd = 0;
    uint8_t memRead(uint16_t address) {
        if (address >= kBase && address < kBase + 8) fetchEnd = std::max(fetchEnd, address - kBase + 1u);
        return memory[address];
    }
};

// IXH/IXL opcodes of the DD page. The processor runs them with FD as the IYH/IYL
// forms, while the FD page shows them as an undefined prefix.
bool isIndexHalfOpcode(uint8_t op) {
    static constexpr uint8_t kOps[] = {
        0x24, 0x25, 0x26, 0x2C, 0x2D, 0x2E, 0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55, 0x5C, 0x5D,
        0x7C, 0x7D, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C,
        0x6D, 0x6F, 0x84, 0x85, 0x8C, 0x8D, 0x94, 0x95, 0x9C, 0x9D, 0xA4, 0xA5, 0xAC, 0xAD,
        0xB4, 0xB5, 0xBC, 0xBD};
    return std::find(std::begin(kOps), std::end(kOps), op) != std::end(kOps);
}

// Every opcode of every page, executed once at 4000h with zero operand bytes:
// the PC advance must equal the listed length, so a listing never gets out of
// step with execution. HL, DE, IX, IY and SP point far away; conditions are made
// false (DJNZ and the block repeats get a count of 1). Where the PC says nothing
// of the length: CALL and RST by the pushed address, jumps and returns by the
// bytes fetched, HALT stays put. FD with an IXH/IXL opcode runs the IYH/IYL form
// while the listing shows the prefix alone ("undefined") and then an unprefixed
// H/L instruction of the same length. ED 00-09 do nothing on this bus.
TEST(Disassembler, LengthsMatchTheProcessor) {
    int checked = 0;
    int iyHalves = 0;
    int ignoredPrefixes = 0;
    for (const PageBytes& pg : kPageBytes) {
        for (int op = 0; op < 256; ++op) {
            const auto o = static_cast<uint8_t>(op);
            if (!opcodeEntry(pg.page, o).format) continue;  // a prefix: covered by its own page

            auto bus = std::make_unique<FetchBus>();
            uint16_t a = kBase;
            for (uint8_t b : pg.prefix) bus->memory[a++] = b;
            bus->memory[a] = o;
            std::string text;
            const auto length = static_cast<uint16_t>(disassembleOne(bus->memory, kBase, text) - kBase);
            SCOPED_TRACE(text);

            Z80 cpu;
            z80Init(cpu, 1774080);
            cpu.PC = kBase, cpu.SP = 0xF000, cpu.HL = 0x8000, cpu.DE = 0x9000, cpu.IX = 0xA000, cpu.IY = 0xB000;
            cpu.BC = 0x0001, cpu.F = 0;
            const bool main = pg.page == kPageMain;
            const bool ed = pg.page == kPageEd;
            if ((main && o == 0x10) || (ed && (o & 0xF2) == 0xB2)) cpu.BC = 0x0100;
            // RET cc / JP cc / CALL cc / JR cc: flags that make cc false.
            static constexpr uint8_t kFalse[8] = {FLAG_Z, 0, FLAG_C, 0, FLAG_PV, 0, FLAG_S, 0};
            if (main && (o & 0xC0) == 0xC0 && ((o & 7) == 0 || (o & 7) == 2 || (o & 7) == 4))
                cpu.F = kFalse[(o >> 3) & 7];
            if (main && (o & 0xE7) == 0x20) cpu.F = kFalse[(o >> 3) & 3];
            z80Execute(cpu, *bus, 0);
            const auto advance = static_cast<uint16_t>(cpu.PC - kBase);
            ++checked;

            const bool fetchMeasured =
                (main && (o == 0xC3 || o == 0xC9 || o == 0xE9)) ||
                ((pg.page == kPageDd || pg.page == kPageFd) && o == 0xE9) ||
                (ed && (o == 0x45 || o == 0x4D || o == 0x55 || o == 0x5D || o == 0x65 ||
                        o == 0x6D || o == 0x75 || o == 0x7D));
            if (main && o == 0x76) {
                EXPECT_EQ(advance, 0);  // HALT stays put
                EXPECT_EQ(length, 1);
            } else if (main && (o == 0xCD || (o & 0xC7) == 0xC7)) {
                EXPECT_EQ(cpu.SP, 0xEFFE);
                EXPECT_EQ(bus->word(cpu.SP) - kBase, length);
                EXPECT_EQ(cpu.PC, o == 0xCD ? 0x0000 : (o & 0x38));
            } else if (fetchMeasured) {
                EXPECT_EQ(bus->fetchEnd, length);
            } else if (pg.page == kPageFd && isIndexHalfOpcode(o)) {
                ++iyHalves;
                EXPECT_EQ(length, 1);
                std::string rest;
                const auto restLength =
                    static_cast<uint16_t>(disassembleOne(bus->memory, kBase + 1, rest) - (kBase + 1));
                EXPECT_EQ(advance, 1 + restLength) << rest;
            } else {
                if (opcodeEntry(pg.page, o).operands == Operands::kPrefixOnly) ++ignoredPrefixes;
                EXPECT_EQ(advance, length) << text;
            }
        }
    }
    // 256 main - 4 prefixes, 256 each for CB, ED, DDCB, FDCB, 255 each for DD and FD.
    EXPECT_EQ(checked, 252 + 4 * 256 + 2 * 255);
    EXPECT_EQ(iyHalves, 46);
    // DD: 255 - 85 index instructions; FD: 255 - 39 - the 46 halves.
    EXPECT_EQ(ignoredPrefixes, (255 - 85) + (255 - 39 - 46));
}

TEST(Disassembler, ReadsThroughTheBus) {
    FlatBus bus;
    bus.load(0xFFFF, {0xCD, 0x78, 0x56});
    std::string text;
    EXPECT_EQ(disassembleOne(MemoryReader::ofBus(bus), 0xFFFF, text), 0x0002);
    EXPECT_EQ(text, " FFFF CD 78 56    call 5678h");

    // Any callable: here one that counts reads and serves a constant byte.
    int reads = 0;
    auto ldA = [&](uint16_t address) -> uint8_t {
        ++reads;
        return address == 0x1234 ? 0x3E : 0x07;
    };
    EXPECT_EQ(disassembleOne(ldA, 0x1234, text), 0x1236);
    EXPECT_EQ(text, " 1234 3E 07       ld a,07h");
    EXPECT_GT(reads, 0);
}

std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(Disassembler, DumpListsTheWholeAddressSpace) {
    auto image = std::make_unique<Image>();
    image->put(0x0000, {0x21, 0x34, 0x12});  // ld hl,1234h
    image->put(0xFFFF, {0xC3});              // jp with its operand at 0000h, 0001h
    test::ScratchDir dir;
    const std::string path = dir.file("listing.txt");
    ASSERT_TRUE(dumpDisassembly(image->memory, path));
    const auto lines = readLines(path);

    // 0000h (3 bytes), the nops at 0003h-FFFEh, and the jp at FFFFh.
    ASSERT_EQ(lines.size(), 1u + 0xFFFC + 1u);
    EXPECT_EQ(lines[0], ". 0000h     0000 21 34 12    ld hl,1234h");
    EXPECT_EQ(lines[1], ". 0003h     0003 00          nop");
    EXPECT_EQ(lines[lines.size() - 2], ". FFFEh     FFFE 00          nop");
    EXPECT_EQ(lines.back(), ". FFFFh     FFFF C3 21 34    jp 3421h");

    // A listing whose last instruction ends exactly at FFFFh.
    image->memory.fill(0);
    image->put(0x4000, {0x3E, 0x41});
    image->put(0xFFFE, {0x3E, 0x41});
    ASSERT_TRUE(dumpDisassembly(image->memory, path));
    const auto second = readLines(path);
    ASSERT_EQ(second.size(), 0x10000u - 2);
    EXPECT_EQ(second[0x4000], ". 4000h     4000 3E 41       ld a,41h");
    EXPECT_EQ(second[0x4001], ". 4002h     4002 00          nop");
    EXPECT_EQ(second.back(), ". FFFEh     FFFE 3E 41       ld a,41h");
}

TEST(Disassembler, DumpDefaultsToTheCurrentDirectoryAndFailsWhereItCannotWrite) {
    auto image = std::make_unique<Image>();
    test::ScratchDir dir;
    const std::string nowhere = dir.file("missing/eaca_disass.txt");
    const IoResult failed = dumpDisassembly(image->memory, nowhere);
    EXPECT_NE(failed.message.find("Cannot write " + nowhere), std::string::npos) << failed.message;
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    test::CurrentDirGuard inDir(dir.path());
    EXPECT_TRUE(dumpDisassembly(image->memory));
    EXPECT_EQ(readLines(dir.path() / "eaca_disass.txt").size(), 0x10000u);
}

}  // namespace
}  // namespace kestrel
