// CMD programs: a sequence of records (type, length, body) with no file header.
// Type 1 loads a block at an address, type 2 gives the transfer address, any
// other type is skipped. The loader only reads the records; whoever loads the
// program writes the blocks into memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

// One load block: `bytes` go to memory from `address` on, wrapping at 0x10000.
struct CmdBlock {
    uint16_t address;
    std::span<const uint8_t> bytes;
};

// No real CMD file comes near this; anything larger is refused unread.
inline constexpr long long kCmdMaxFileSize = 1024 * 1024;

// Whether a whole file is a program worth starting: at least one load block,
// no record cut off, no transfer record of a wrong length. The message names
// the file as `name`.
IoResult checkCmdImage(std::span<const uint8_t> bytes, const std::string& name);

// Owns the block counter of the trace lines; it starts at 0 and is never reset,
// so block numbers carry on from one load to the next.
class CmdLoader {
public:
    // Reads the records of a file read beforehand, up to its end or a
    // transfer record, into `blocks` (spans of `bytes`; a block cut off by the
    // end of the file holds what is there). `entry` is set to 0 first, then to
    // the transfer address when one is read. Returns 1 after a transfer record or when the file ends
    // inside a load block, 0 at the end between records or for a transfer
    // record whose length is not 2. Block headers and transfer addresses are
    // traced to `errorTrace`, load blocks to `outputTrace`.
    int loadCmd(std::span<const uint8_t> bytes, uint16_t& entry, std::vector<CmdBlock>& blocks,
                std::FILE* outputTrace = stdout, std::FILE* errorTrace = stderr);

private:
    int cmdBlockCounter_ = 0;
};

}  // namespace kestrel
