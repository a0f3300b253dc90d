// CMD programs: a sequence of records (type, length, body) with no file header.
// Type 1 loads a block at an address, type 2 gives the transfer address, any
// other type is skipped. Bytes go through the bus exactly as CPU writes do.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kestrel {

class Machine;

// No real CMD file comes near this; anything larger is refused unread.
inline constexpr long long kCmdMaxFileSize = 1024 * 1024;

// What loadCmdFile did.
struct CmdFileResult {
    bool opened = false;    // false: nothing was read (missing, unreadable or too large)
    int result = 0;         // loadCmd's answer when opened
    uint16_t entry = 0;     // the transfer address, 0 when the file gave none
    std::string message;    // why the file was not opened, for the user
};

// Owns the block counter of the trace lines; it starts at 0 and is never reset,
// so block numbers carry on from one load to the next.
class CmdLoader {
public:
    // Reads records from `stream` until end of file or a transfer record.
    // `entry` is set to 0 first, then to the transfer address when one is read.
    // Returns 1 after a transfer record or when the file ends inside a load
    // block, 0 at end of file between records or for a transfer record whose
    // length is not 2. Block headers and transfer addresses are traced to
    // `errorTrace`, load blocks to `outputTrace`.
    int loadCmd(Machine& machine, std::FILE* stream, uint16_t& entry, std::FILE* outputTrace = stdout,
                std::FILE* errorTrace = stderr);

    // Opens the file, refuses one larger than kCmdMaxFileSize, and runs loadCmd.
    CmdFileResult loadCmdFile(Machine& machine, const std::string& path, std::FILE* outputTrace = stdout,
                              std::FILE* errorTrace = stderr);

    int cmdBlockCounter() const { return cmdBlockCounter_; }

private:
    int cmdBlockCounter_ = 0;
};

}  // namespace kestrel
