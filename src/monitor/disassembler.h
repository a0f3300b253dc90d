// Z80 disassembler: one instruction at a time into a text line, and a listing of
// the whole address space into a file. Reads memory through whatever the caller
// hands in, normally the bus's memRead, so the monitor sees what the processor sees.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "io/file_io.h"

namespace kestrel {

enum OpcodePage : int {
    kPageCb = 0,
    kPageDd = 1,
    kPageEd = 2,
    kPageFd = 3,
    kPageDdCb = 4,  // DD CB d op, indexed by op
    kPageFdCb = 5,  // FD CB d op, indexed by op
    kPageMain = 6,  // unprefixed
};
inline constexpr int kOpcodePageCount = 7;

// What follows the opcode bytes, which fixes the instruction's length.
enum class Operands : uint8_t {
    kNone,
    kByte,              // n, or the d of (ix+d)
    kWord,              // nn, low byte first
    kRelative,          // the e of jr/djnz, shown as the target address
    kDisplacementByte,  // d then n
    kBitDisplacement,   // DD CB d op: d sits before the opcode and nothing follows
    kPrefixOnly,        // an ignored DD/FD: the instruction is that prefix byte alone
};

// One opcode byte on a decode page. A null format marks a prefix, and next is then
// the page that decodes the next opcode byte.
struct OpcodeEntry {
    const char* format;
    Operands operands;
    OpcodePage next = kPageMain;
};

const OpcodeEntry& opcodeEntry(int page, uint8_t op);

// A borrowed view of the 64 KiB address space. Either a flat image (indexed
// directly) or any callable uint8_t(uint16_t), held by reference: the callable must
// outlive the reader, which is only meant to be passed down to the calls below.
class MemoryReader {
public:
    explicit MemoryReader(const uint8_t* image) : context_(image), read_(&readImage) {}
    MemoryReader(const std::array<uint8_t, 0x10000>& image) : MemoryReader(image.data()) {}  // NOLINT

    template <class F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, MemoryReader> &&
                 std::is_invocable_r_v<uint8_t, F&, uint16_t>)
    MemoryReader(F&& read)  // NOLINT: implicit on purpose, so a lambda can be passed as is
        : context_(std::addressof(read)),
          read_([](const void* context, uint16_t address) -> uint8_t {
              auto* f = static_cast<std::remove_reference_t<F>*>(const_cast<void*>(context));
              return static_cast<uint8_t>((*f)(address));
          }) {}

    // Reads through bus.memRead, the processor's own path.
    template <class Bus>
    static MemoryReader ofBus(Bus& bus) {
        return MemoryReader(&bus, [](const void* context, uint16_t address) -> uint8_t {
            return static_cast<Bus*>(const_cast<void*>(context))->memRead(address);
        });
    }

    uint8_t operator()(uint16_t address) const { return read_(context_, address); }

private:
    using ReadFn = uint8_t (*)(const void*, uint16_t);
    MemoryReader(const void* context, ReadFn read) : context_(context), read_(read) {}
    static uint8_t readImage(const void* context, uint16_t address) {
        return static_cast<const uint8_t*>(context)[address];
    }

    const void* context_;
    ReadFn read_;
};

inline constexpr const char* kDisassemblyDumpFile = "eaca_disass.txt";

// Replaces text with the line for the instruction at address: " AAAA ", the
// instruction bytes padded to four columns, the mnemonic. Returns where the next
// instruction starts (wrapping at 65536).
uint16_t disassembleOne(MemoryReader memory, uint16_t address, std::string& text);

// Writes the listing of the whole address space, one ". AAAAh    " prefixed line
// per instruction from 0 until the listing wraps. A failed write leaves any older
// file of that name as it was.
IoResult dumpDisassembly(MemoryReader memory, const std::string& path = kDisassemblyDumpFile);

}  // namespace kestrel
