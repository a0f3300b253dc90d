// A file kept whole in memory and written out in one piece whenever it has
// changed, at most once a period of the owner's clock: a crash loses little,
// and a failed write never costs the copy already on disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

class HeldFile {
public:
    // Holds `bytes` as the file `path`; nothing is written yet.
    void hold(std::string path, std::vector<uint8_t> bytes = {});
    // Lets go of the file, changes not yet written included.
    void release();
    bool held() const { return held_; }
    const std::string& path() const { return path_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    void append(uint8_t byte) {
        bytes_.push_back(byte);
        changed_ = true;
    }

    // Writes the file if it changed since it was last written. Tried again
    // every time, but a failure goes to onError once.
    IoResult write();
    // Once a frame: writes a changed file once `period` has gone by since
    // the first frame or the last write.
    void tick(uint64_t now, uint64_t period);
    // Why the last write failed; empty once one succeeds.
    const std::string& error() const { return error_; }

    std::function<void(const std::string&)> onError;

private:
    std::string path_;
    std::vector<uint8_t> bytes_;
    bool held_ = false;
    bool changed_ = false;  // bytes not yet on disk
    uint64_t nextWrite_ = 0;  // 0: not yet scheduled
    std::string error_;
};

}  // namespace kestrel
