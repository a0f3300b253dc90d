// The one way files are read and written. Reads accept only regular files
// (never a directory, device or pipe, whoever named it) and stop at a size
// limit; writes go to a file beside the target that is renamed over it once
// complete, so a failed write never costs the user the file they had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Success, or a failure with a one-line message fit for the status bar.
struct IoResult {
    bool ok = true;
    std::string message;

    explicit operator bool() const { return ok; }
    static IoResult failure(std::string text) { return IoResult{false, std::move(text)}; }
};

// Checks that `path` names a regular file (links followed) of at most
// `maxBytes` bytes; its size goes to `size` when given.
IoResult checkRegularFile(const std::string& path, std::uintmax_t maxBytes, std::uintmax_t* size = nullptr);

// The whole file, when it is a regular file of at most `maxBytes` bytes.
// `bytes` is left unchanged on failure.
IoResult readWholeFile(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes);

// Writes `bytes` as the file `path`: into a new file in the same directory,
// which then replaces the target in one step. The target keeps its
// permissions; a link is followed and the file it names replaced. On failure
// the target is as it was and the temporary file is gone.
IoResult writeFileAtomic(const std::string& path, std::span<const uint8_t> bytes);
IoResult writeFileAtomic(const std::string& path, std::string_view text);

// The absolute form of `path`, for messages that name what was written; the
// path as given when it has none.
std::string fullPathText(const std::string& path);

// Owns a FILE*; closes it when it goes out of scope.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(std::FILE* f) : f_(f) {}
    ~FileHandle() { reset(); }
    FileHandle(FileHandle&& other) noexcept : f_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    std::FILE* get() const { return f_; }
    explicit operator bool() const { return f_ != nullptr; }
    std::FILE* release() {
        std::FILE* f = f_;
        f_ = nullptr;
        return f;
    }
    // Closes the file held (if any); false when that close failed.
    bool reset(std::FILE* f = nullptr) {
        const bool ok = f_ == nullptr || std::fclose(f_) == 0;
        f_ = f;
        return ok;
    }

private:
    std::FILE* f_ = nullptr;
};

// A file written piece by piece, for output too long to hold in memory: it
// grows in a new file beside the target and replaces the target only on
// commit(), as writeFileAtomic does. Until then an old file at the target is
// untouched; a writer dropped without commit() removes what it wrote.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter() { abandon(); }
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Starts a new file for `path`; abandons one already open.
    IoResult open(const std::string& path);
    // Adds `bytes` at the end. All or nothing: a failed append leaves the file
    // as it was before it, and later appends may still succeed.
    IoResult append(std::span<const uint8_t> bytes);
    // Overwrites bytes already written, such as a header's size fields.
    IoResult writeAt(uint64_t offset, std::span<const uint8_t> bytes);
    // Closes the file and puts it in the target's place; the writer is closed
    // afterwards whatever the result.
    IoResult commit();
    // Closes and removes the file; the target stays as it was.
    void abandon();

    bool isOpen() const { return static_cast<bool>(file_); }
    // Bytes in the file so far.
    uint64_t size() const { return size_; }

private:
    IoResult failed(int error);

    std::string path_;  // as given, for messages
    std::string target_;
    std::string temporary_;
    FileHandle file_;
    uint64_t size_ = 0;
};

}  // namespace kestrel
