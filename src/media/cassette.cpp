#include "media/cassette.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "machine/bus.h"
#include "media/tape_wav.h"
#include "media/traps.h"

namespace kestrel {

namespace {

std::string errnoText() { return std::generic_category().message(errno); }

// fopen accepts a directory for reading on this host; a tape never is one.
std::FILE* openForReading(const std::string& path) {
    std::error_code ec;
    if (path.empty() || std::filesystem::is_directory(path, ec)) {
        errno = path.empty() ? ENOENT : EISDIR;
        return nullptr;
    }
    return std::fopen(path.c_str(), "rb");
}

// The last path component, whichever separator the path uses.
std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(std::FILE* f, const std::vector<uint8_t>& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

}  // namespace

Cassette::~Cassette() {
    if (casStream) std::fclose(casStream);
}

void Cassette::report(const std::string& text) {
    lastError = text;
    if (diagnostics) std::fprintf(diagnostics, "%s\n", text.c_str());
}

// A temporary image from a BASIC conversion is an anonymous file: closing it is
// what deletes it.
void Cassette::closeCasStream() {
    if (!casStream) return;
    std::fclose(casStream);
    casStream = nullptr;
    casPath.clear();
    if (casMode) wav_.cassetteLatch = 0;
}

void Cassette::rewindImage() {
    std::rewind(casStream);
    previousByte = 0;
}

void Cassette::determineBitShift() {
    std::FILE* f = casStream;
    std::rewind(f);
    // saveMemoryAsCas writes a leader of 0xAA bytes: such an image is aligned.
    int b = std::fgetc(f);
    if (b == 0xAA) {
        while ((b = std::fgetc(f)) == 0xAA) {
        }
        if (b == 0xA5) {
            bitShift = 0;
            return;
        }
    }
    std::rewind(f);
    // Up to the first 0x00 of the leader, then over the rest of it.
    do b = std::fgetc(f);
    while (b != 0 && b != EOF);
    do b = std::fgetc(f);
    while (b == 0);
    if (b == 0xA5) {
        bitShift = 0;
        return;
    }
    // The sync byte spread over two bytes: find how many bits early it came. The
    // old estimate v / 165 - 1 is right only for one bit, so it is kept just for
    // streams where no shift brings A5h together. End of file reads as -1.
    const int next = std::fgetc(f);
    const int32_t v = (b * 256) | next;
    for (int shift = 1; shift < 8 && next != EOF; ++shift) {
        if (((v >> shift) & 0xFF) == 0xA5) {
            bitShift = static_cast<uint8_t>(shift);
            return;
        }
    }
    bitShift = static_cast<uint8_t>(v / 165 - 1);
}

int Cassette::attachCas(const std::string& path) {
    lastError.clear();
    closeCasStream();
    std::FILE* f = openForReading(path);
    if (!f) {
        lastError = "Cannot open " + path + ": " + errnoText();
        return 0;
    }
    casStream = f;
    casPath = path;
    wav_.closeWav();
    determineBitShift();
    rewindImage();
    traps_.armTapeTraps();
    casMode = true;
    previousByte = 0;
    return 1;
}

void Cassette::detachCas() { closeCasStream(); }

uint8_t Cassette::readTapeByte() {
    if (!casStream) return 0;
    const int c = std::fgetc(casStream);
    if (bitShift == 0) return c == EOF ? 0xFF : static_cast<uint8_t>(c);
    // Past the end the tape carries ones, as in the aligned case.
    const uint8_t raw = c == EOF ? 0xFF : static_cast<uint8_t>(c);
    const uint32_t pair = static_cast<uint32_t>(previousByte) << 8 | raw;
    previousByte = raw;
    return static_cast<uint8_t>(pair >> (bitShift % 32));
}

void Cassette::beginTapeRecording() {
    if (!casMode) return;
    casPath.clear();
    const std::string name = chooseRecordingFile ? chooseRecordingFile() : std::string();
    if (name.empty()) return;
    wav_.closeWav();
    closeCasStream();
    traps_.armTapeTraps();
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        report("Cannot create tape file " + name + ": " + errnoText());
        return;
    }
    casStream = f;
    casPath = name;
    casMode = true;
    appendFailureReported_ = false;
}

void Cassette::writeTapeByte(uint8_t value) {
    if (!casStream || casPath.empty()) return;
    // Opened and closed for every byte, so the tape is on disk as far as it has
    // been written, whatever happens to the emulator next.
    std::FILE* f = std::fopen(casPath.c_str(), "ab");
    bool ok = f != nullptr;
    if (f) {
        ok = std::fputc(value, f) != EOF;
        ok = std::fclose(f) == 0 && ok;
    }
    if (!ok && !appendFailureReported_) {
        appendFailureReported_ = true;
        report("Cannot write to tape file " + casPath + ": " + errnoText());
    }
}

int Cassette::findCasProgram(uint8_t& nameChar) {
    if (!casStream) return 0;
    int kind = 0;
    for (;;) {
        const uint8_t b = readTapeByte();
        if (std::feof(casStream) || std::ferror(casStream)) break;
        if (b != 0xA5) continue;
        if (readTapeByte() == 0xD3) {
            kind = 1;
        } else {
            // That byte was the 0x55 of a SYSTEM tape; its name follows.
            nameChar = readTapeByte();
            kind = 2;
        }
        break;
    }
    rewindImage();
    return kind;
}

int Cassette::isTokenisedBasic(const std::string& path) {
    std::FILE* f = openForReading(path);
    if (!f) return 0;
    const int first = std::fgetc(f);
    std::fclose(f);
    return first == 0xFF ? 1 : 0;
}

int Cassette::convertBasicToCas(const std::string& path) {
    lastError.clear();
    std::FILE* source = openForReading(path);
    if (!source) {
        lastError = "Cannot open " + path + ": " + errnoText();
        return 0;
    }
    wav_.closeWav();
    closeCasStream();
    traps_.armTapeTraps();
    casMode = true;
    bitShift = 0;
    previousByte = 0;
    std::FILE* image = std::tmpfile();
    if (!image) {
        lastError = "Cannot create a temporary tape: " + errnoText();
        std::fclose(source);
        return 0;
    }

    // The name byte is the first character of the file name, not of the path
    // (which here begins with a directory).
    std::string stem = fileNameOf(path);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    uint8_t nameByte = stem.empty() ? 0x20 : static_cast<uint8_t>(stem[0]);
    if (nameByte >= 'a' && nameByte <= 'z') nameByte = static_cast<uint8_t>(nameByte - 'a' + 'A');

    std::vector<uint8_t> bytes(256, 0x00);
    bytes.insert(bytes.end(), {0xA5, 0xD3, 0xD3, 0xD3, nameByte});
    std::fgetc(source);  // the 0xFF that marks a tokenised file
    for (int c; (c = std::fgetc(source)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    const bool readOk = std::ferror(source) == 0;
    std::fclose(source);
    bytes.push_back(0x1A);

    if (!readOk || !writeAll(image, bytes) || std::fflush(image) != 0) {
        lastError = readOk ? "Cannot write the temporary tape: " + errnoText() : "Cannot read " + path;
        std::fclose(image);
        return 0;
    }
    casStream = image;
    rewindImage();
    return 1;
}

int Cassette::saveMemoryAsCas(const std::string& path, uint16_t fromAddress, uint16_t endAddress,
                              uint16_t entryAddress) {
    lastError.clear();
    const int length = int{endAddress} - int{fromAddress} + 1;
    char text[96];
    if (length < 0) {
        std::snprintf(text, sizeof text, "End address %04X is below start address %04X: nothing saved", endAddress,
                      fromAddress);
        lastError = text;
        return 0;
    }
    if (length == 0) {
        std::snprintf(text, sizeof text, "No bytes from %04X to %04X: nothing saved", fromAddress, endAddress);
        lastError = text;
        return 0;
    }

    // The whole tape is built first, so a file is never left half written.
    std::vector<uint8_t> tape(256, 0xAA);
    tape.push_back(0xA5);
    tape.push_back(0x55);
    const std::string fileName = fileNameOf(path);
    size_t named = 0;
    for (; named < fileName.size() && named < 6 && fileName[named] != '.'; ++named)
        tape.push_back(static_cast<uint8_t>(fileName[named] & 0xDF));
    for (; named < 6; ++named) tape.push_back(0x20);

    uint32_t address = fromAddress;
    int remaining = length;
    while (remaining > 0) {
        const int count = remaining < 256 ? remaining : 256;
        const uint8_t low = static_cast<uint8_t>(address);
        const uint8_t high = static_cast<uint8_t>(address >> 8);
        tape.insert(tape.end(), {0x3C, static_cast<uint8_t>(count), low, high});
        uint8_t checksum = static_cast<uint8_t>(low + high);
        for (int i = 0; i < count; ++i) {
            const uint8_t b = bus_.memRead(static_cast<uint16_t>(address + i));
            tape.push_back(b);
            checksum = static_cast<uint8_t>(checksum + b);
        }
        tape.push_back(checksum);
        address += static_cast<uint32_t>(count);
        remaining -= count;
    }
    tape.insert(tape.end(), {0x78, static_cast<uint8_t>(entryAddress), static_cast<uint8_t>(entryAddress >> 8)});

    // Written beside the target and renamed over it, so a failed write leaves any
    // file of that name as it was.
    std::string partial;
    std::FILE* f = nullptr;
    for (int i = 0; i < 100 && !f; ++i) {
        partial = path + ".partial" + (i ? std::to_string(i) : std::string());
        f = std::fopen(partial.c_str(), "wbx");
        if (!f && errno != EEXIST) break;
    }
    if (!f) {
        lastError = "Cannot create " + path + ": " + errnoText();
        return 0;
    }
    bool ok = writeAll(f, tape);
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
        lastError = "Cannot write " + path + ": " + errnoText();
        std::remove(partial.c_str());
        return 0;
    }
    return 1;
}

void Cassette::setTapeRunning(bool on, uint64_t now) {
    if (on && !tapeRunning) {
        tapeOrigin = now;
        tapeRunning = true;
    } else if (!on) {
        tapeRunning = false;
    }
}

void Cassette::rewindTape(uint64_t now) {
    if (wav_.isWavOpen()) {
        wav_.rewindWav();
        if (postStatus) {
            char text[64];
            std::snprintf(text, sizeof text, "Tape count: %i/%i.", 0, static_cast<int>(wav_.wavDataSize()));
            postStatus(text);
        }
    }
    if (casStream) rewindImage();
    if (tapeRunning) tapeOrigin = now;
    tapeRunning = false;
    wav_.resetSampleDetector();
}

}  // namespace kestrel
