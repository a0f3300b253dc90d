#include "io/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kestrel {

namespace fs = std::filesystem;

namespace {

std::string reason(int error) { return std::generic_category().message(error); }

IoResult cannot(const char* verb, const std::string& path, int error) {
    return IoResult::failure(std::string("Cannot ") + verb + " " + path + ": " + reason(error));
}

// The file a write to `path` should replace: links are followed, so the link
// stays and the file it names gets the new contents.
fs::path writeTarget(const std::string& path) {
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    return target;
}

}  // namespace

IoResult checkRegularFile(const std::string& path, std::uintmax_t maxBytes, std::uintmax_t* size) {
    if (path.empty()) return IoResult::failure("No file name given");
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return cannot("open", path, ec ? ec.value() : ENOENT);
    if (fs::is_directory(status)) return IoResult::failure(path + " is a directory, not a file");
    if (!fs::is_regular_file(status)) return IoResult::failure(path + " is not a regular file");
    const std::uintmax_t length = fs::file_size(path, ec);
    if (ec) return cannot("read", path, ec.value());
    if (length > maxBytes)
        return IoResult::failure(path + " is too large: " + std::to_string(length) + " bytes, at most " +
                                 std::to_string(maxBytes) + " expected");
    if (size) *size = length;
    return {};
}

IoResult readWholeFile(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) {
    std::uintmax_t length = 0;
    if (IoResult r = checkRegularFile(path, maxBytes, &length); !r) return r;
    FileHandle f(std::fopen(path.c_str(), "rb"));
    if (!f) return cannot("open", path, errno);
    // Read to the limit and one byte beyond, whatever the size said: the file
    // may have grown since it was measured.
    std::vector<uint8_t> data(static_cast<std::size_t>(length) + 1);
    std::size_t got = 0;
    for (;;) {
        got += std::fread(data.data() + got, 1, data.size() - got, f.get());
        if (got < data.size() || got > maxBytes) break;
        data.resize(std::min<std::size_t>(data.size() * 2, maxBytes + 1));
    }
    if (std::ferror(f.get())) return cannot("read", path, errno);
    if (got > maxBytes)
        return IoResult::failure(path + " is too large: more than " + std::to_string(maxBytes) + " bytes");
    data.resize(got);
    bytes = std::move(data);
    return {};
}

IoResult writeFileAtomic(const std::string& path, std::span<const uint8_t> bytes) {
    AtomicFileWriter writer;
    if (IoResult r = writer.open(path); !r) return r;
    if (IoResult r = writer.append(bytes); !r) return r;
    return writer.commit();
}

IoResult AtomicFileWriter::open(const std::string& path) {
    abandon();
    if (path.empty()) return IoResult::failure("No file name given");
    const fs::path target = writeTarget(path);
    std::error_code ec;
    const fs::file_status existing = fs::status(target, ec);
    const bool exists = !ec && fs::exists(existing);
    if (exists && fs::is_directory(existing)) return IoResult::failure("Cannot write " + path + ": it is a directory");
    if (exists && !fs::is_regular_file(existing))
        return IoResult::failure("Cannot write " + path + ": it is not a regular file");

    // A fresh name beside the target, created exclusively so that no other
    // file is ever overwritten on the way.
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string stem = target.filename().string();
    stem.insert(stem.begin(), '.');
    stem += ".kestrel-new";
    int error = 0;
    for (int i = 0; i < 1000 && !file_; ++i) {
        temporary_ = (directory / (stem + std::to_string(i))).string();
        file_.reset(std::fopen(temporary_.c_str(), "wbx"));
        error = errno;
        if (!file_ && error != EEXIST) break;
    }
    if (!file_) {
        temporary_.clear();
        return cannot("write", path, error);
    }
    // Unbuffered, so that a failed write shows at once and can be undone.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    path_ = path;
    target_ = target.string();
    size_ = 0;
    return {};
}

IoResult AtomicFileWriter::failed(int error) { return cannot("write", path_, error ? error : EIO); }

IoResult AtomicFileWriter::append(std::span<const uint8_t> bytes) {
    if (!file_) return IoResult::failure("Cannot write: no file open");
    if (bytes.empty()) return {};
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size()) {
        size_ += bytes.size();
        return {};
    }
    const int error = errno;
    // Cut off what part of it got through, so the file ends where it did.
    std::error_code ec;
    fs::resize_file(temporary_, size_, ec);
    std::clearerr(file_.get());
    std::fseek(file_.get(), static_cast<long>(size_), SEEK_SET);
    return failed(error);
}

IoResult AtomicFileWriter::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (!file_) return IoResult::failure("Cannot write: no file open");
    if (offset > size_ || bytes.size() > size_ - offset)
        return IoResult::failure("Cannot write " + path_ + ": position beyond the end of the file");
    bool ok = std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) == 0 &&
              std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size();
    const int error = errno;
    std::clearerr(file_.get());
    ok = std::fseek(file_.get(), static_cast<long>(size_), SEEK_SET) == 0 && ok;
    return ok ? IoResult{} : failed(error);
}

IoResult AtomicFileWriter::commit() {
    if (!file_) return IoResult::failure("Cannot write: no file open");
    int error = 0;
    bool ok = std::fflush(file_.get()) == 0;
    if (!ok) error = errno;
    if (!file_.reset() && ok) {
        ok = false;
        error = errno;
    }
    std::error_code ec;
    const fs::file_status existing = fs::status(target_, ec);
    if (ok && !ec && fs::is_regular_file(existing)) {
        // The new file takes the old one's permissions, not the umask's.
        fs::permissions(temporary_, existing.permissions(), fs::perm_options::replace, ec);
    }
    if (ok && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        abandon();
        return failed(error);
    }
    temporary_.clear();
    return {};
}

void AtomicFileWriter::abandon() {
    file_.reset();
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
    size_ = 0;
}

std::string fullPathText(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return ec ? path : full.string();
}

IoResult writeFileAtomic(const std::string& path, std::string_view text) {
    return writeFileAtomic(path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace kestrel
