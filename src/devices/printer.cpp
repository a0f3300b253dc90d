#include "devices/printer.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace kestrel {

namespace fs = std::filesystem;

Printer::~Printer() {
    // Whoever supplied it may be gone already.
    postStatus = nullptr;
    close();
}

void Printer::report(const std::string& text) {
    if (diagnostics) std::fprintf(diagnostics, "%s\n", text.c_str());
    if (postStatus) postStatus(text);
}

IoResult Printer::open(const std::string& path) {
    close();
    if (path.empty()) return IoResult::failure("No printer file given");
    std::error_code ec;
    std::vector<uint8_t> bytes;
    const bool exists = fs::exists(fs::status(path, ec));
    if (exists) {
        if (IoResult read = readWholeFile(path, kMaxPrinterFile, bytes); !read) return read;
    } else {
        const fs::path dir = fs::path(path).parent_path();
        if (!dir.empty() && !fs::is_directory(dir, ec) && !fs::create_directories(dir, ec) && ec)
            return IoResult::failure("Cannot create " + dir.string() + ": " + ec.message());
        // Written at once, so that a place that cannot take it is known now.
        if (IoResult created = writeFileAtomic(path, std::span<const uint8_t>()); !created) return created;
    }
    bytes_ = std::move(bytes);
    path_ = path;
    open_ = true;
    full_ = false;
    changed_ = false;
    column_ = 0;
    nextFlush_ = 0;
    flushError_.clear();
    checkFull();
    return {};
}

IoResult Printer::close() {
    if (!open_) return {};
    IoResult written = flush();
    open_ = false;
    bytes_ = {};
    return written;
}

void Printer::put(uint8_t byte) {
    if (full_) return;
    bytes_.push_back(byte);
    changed_ = true;
    checkFull();
}

void Printer::checkFull() {
    if (full_ || bytes_.size() < kMaxPrinterFile) return;
    full_ = true;
    report("Printer file " + path_ + " is full (" + std::to_string(kMaxPrinterFile) +
           " bytes): printing stopped");
}

void Printer::printByte(uint8_t value) {
    if (!open_) return;  // off line: nothing takes the byte
    // Carriage return and form feed end the line; a line feed ends it anyway.
    if (value == 13 || value == 12 || value == 10) {
        put('\n');
        column_ = 0;
        return;
    }
    if (column_ == kLineWidth) {
        put('\n');
        column_ = 0;
    }
    put(value);
    ++column_;
}

IoResult Printer::flush() {
    if (!open_ || !changed_) return {};
    IoResult written = writeFileAtomic(path_, bytes_);
    if (written) {
        changed_ = false;
        flushError_.clear();
    } else if (written.message != flushError_) {
        // Tried again with every flush, but told once.
        flushError_ = written.message;
        report(written.message);
    }
    return written;
}

void Printer::endFrame(uint64_t tstates, int64_t clockHz) {
    if (!open_) return;
    const uint64_t period = clockHz > 0 ? static_cast<uint64_t>(clockHz) : 1;
    if (nextFlush_ == 0) nextFlush_ = tstates + period;
    if (tstates < nextFlush_ || !changed_) return;
    nextFlush_ = tstates + period;
    flush();
}

}  // namespace kestrel
