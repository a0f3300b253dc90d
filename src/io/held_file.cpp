#include "io/held_file.h"

#include <utility>

namespace kestrel {

void HeldFile::hold(std::string path, std::vector<uint8_t> bytes) {
    path_ = std::move(path);
    bytes_ = std::move(bytes);
    held_ = true;
    changed_ = false;
    nextWrite_ = 0;
    error_.clear();
}

void HeldFile::release() {
    held_ = false;
    bytes_ = {};
    changed_ = false;
    nextWrite_ = 0;
    error_.clear();
}

IoResult HeldFile::write() {
    if (!held_ || !changed_) return {};
    IoResult written = writeFileAtomic(path_, bytes_);
    if (written) {
        changed_ = false;
        error_.clear();
    } else if (written.message != error_) {
        error_ = written.message;
        if (onError) onError(error_);
    }
    return written;
}

void HeldFile::tick(uint64_t now, uint64_t period) {
    if (!held_) return;
    if (nextWrite_ == 0) {  // the first frame
        nextWrite_ = now + period;
        return;
    }
    if (now < nextWrite_ || !changed_) return;
    nextWrite_ = now + period;
    write();
}

}  // namespace kestrel
