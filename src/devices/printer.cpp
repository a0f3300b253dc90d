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
    file_.hold(path, std::move(bytes));
    full_ = false;
    column_ = 0;
    checkFull();
    return {};
}

IoResult Printer::close() {
    if (!file_.held()) return {};
    IoResult written = file_.write();
    file_.release();
    return written;
}

void Printer::put(uint8_t byte) {
    if (full_) return;
    file_.append(byte);
    checkFull();
}

void Printer::checkFull() {
    if (full_ || file_.bytes().size() < kMaxPrinterFile) return;
    full_ = true;
    report("Printer file " + file_.path() + " is full (" + std::to_string(kMaxPrinterFile) +
           " bytes): printing stopped");
}

void Printer::printByte(uint8_t value) {
    if (!file_.held()) return;  // off line: nothing takes the byte
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

IoResult Printer::flush() { return file_.write(); }

void Printer::endFrame(uint64_t tstates, int64_t clockHz) {
    file_.tick(tstates, clockHz > 0 ? static_cast<uint64_t>(clockHz) : 1);
}

}  // namespace kestrel
