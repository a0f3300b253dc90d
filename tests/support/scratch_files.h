// Files for tests: a scratch directory removed with its contents, whole-file
// reads, and a temporary stream whose text can be read back.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kestrel::test {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes `bytes` as the file `name` and returns its path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(path_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A temporary stream for code that writes to a FILE*, closed with the object.
class CapturedStream {
public:
    CapturedStream() : f_(std::tmpfile()) {}
    ~CapturedStream() {
        if (f_) std::fclose(f_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return f_; }
    // Everything written so far.
    std::string text() const {
        std::fflush(f_);
        std::rewind(f_);
        std::string s;
        for (int c; (c = std::fgetc(f_)) != EOF;) s.push_back(static_cast<char>(c));
        return s;
    }

private:
    std::FILE* f_;
};

}  // namespace kestrel::test
