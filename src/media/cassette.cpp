#include "media/cassette.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "machine/bus.h"
#include "media/tape_wav.h"
#include "media/traps.h"

namespace kestrel {

namespace {

// The last path component, whichever separator the path uses.
std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Cassette::~Cassette() {
    // Whoever supplied these may be gone already.
    postStatus = nullptr;
    chooseRecordingFile = nullptr;
    finishRecording();
}

void Cassette::report(const std::string& text) {
    lastError = text;
    if (diagnostics) std::fprintf(diagnostics, "%s\n", text.c_str());
    if (postStatus) postStatus(text);
}

void Cassette::closeImage() {
    const bool open = attached_ || recording_;
    finishRecording();
    image_ = {};
    readPosition_ = 0;
    attached_ = false;
    if (!open) return;
    casPath.clear();
    if (casMode) wav_.cassetteLatch = 0;
}

void Cassette::rewindImage() {
    readPosition_ = 0;
    previousByte = 0;
}

// The next byte of the image, or -1 past its end.
int Cassette::nextImageByte() { return readPosition_ < image_.size() ? image_[readPosition_++] : -1; }

void Cassette::determineBitShift() {
    readPosition_ = 0;
    // saveMemoryAsCas writes a leader of 0xAA bytes: such an image is aligned.
    int b = nextImageByte();
    if (b == 0xAA) {
        while ((b = nextImageByte()) == 0xAA) {
        }
        if (b == 0xA5) {
            bitShift = 0;
            return;
        }
    }
    readPosition_ = 0;
    // Up to the first 0x00 of the leader, then over the rest of it.
    do b = nextImageByte();
    while (b != 0 && b != -1);
    do b = nextImageByte();
    while (b == 0);
    if (b == 0xA5) {
        bitShift = 0;
        return;
    }
    // The sync byte spread over two bytes: find how many bits early it came. The
    // old estimate v / 165 - 1 is right only for one bit, so it is kept just for
    // streams where no shift brings A5h together. The end of the image reads as -1.
    const int next = nextImageByte();
    const int32_t v = (b * 256) | next;
    for (int shift = 1; shift < 8 && next != -1; ++shift) {
        if (((v >> shift) & 0xFF) == 0xA5) {
            bitShift = static_cast<uint8_t>(shift);
            return;
        }
    }
    bitShift = static_cast<uint8_t>(v / 165 - 1);
}

int Cassette::attachCas(const std::string& path) {
    lastError.clear();
    closeImage();
    std::vector<uint8_t> bytes;
    if (IoResult read = readWholeFile(path, kMaxCasImage, bytes); !read) {
        lastError = read.message;
        return 0;
    }
    image_ = std::move(bytes);
    attached_ = true;
    casPath = path;
    wav_.closeWav();
    determineBitShift();
    rewindImage();
    traps_.armTapeTraps();
    casMode = true;
    return 1;
}

void Cassette::detachCas() { closeImage(); }

uint8_t Cassette::readTapeByte() {
    if (!attached_) return 0;
    const int c = nextImageByte();
    if (bitShift == 0) return c == -1 ? 0xFF : static_cast<uint8_t>(c);
    // Past the end the tape carries ones, as in the aligned case.
    const uint8_t raw = c == -1 ? 0xFF : static_cast<uint8_t>(c);
    const uint32_t pair = static_cast<uint32_t>(previousByte) << 8 | raw;
    previousByte = raw;
    return static_cast<uint8_t>(pair >> (bitShift % 32));
}

void Cassette::beginTapeRecording() {
    if (!casMode) return;
    finishRecording();
    casPath.clear();
    const std::string name = chooseRecordingFile ? chooseRecordingFile() : std::string();
    if (name.empty()) return;
    wav_.closeWav();
    closeImage();
    traps_.armTapeTraps();
    // Nothing touches the file yet: an old tape of that name stays whole until
    // the new one is written over it.
    recording_ = true;
    recordPath_ = name;
    casPath = name;
    casMode = true;
    recorded_.clear();
    recordChanged_ = false;
    nextFlush_ = 0;
    flushError_.clear();
}

void Cassette::writeTapeByte(uint8_t value) {
    if (!recording_ || recorded_.size() >= kMaxCasImage) return;
    recorded_.push_back(value);
    recordChanged_ = true;
    if (recorded_.size() == kMaxCasImage)
        report("Tape recording " + recordPath_ + " stopped: a tape holds at most " +
               std::to_string(kMaxCasImage) + " bytes");
}

IoResult Cassette::flushRecording() {
    if (!recording_ || !recordChanged_) return {};
    IoResult written = writeFileAtomic(recordPath_, recorded_);
    if (written) {
        recordChanged_ = false;
        flushError_.clear();
    } else if (written.message != flushError_) {
        // Tried again with every flush, but told once.
        flushError_ = written.message;
        report(written.message);
    }
    return written;
}

void Cassette::endFrame(uint64_t tstates, int64_t clockHz) {
    if (!recording_) return;
    const uint64_t period = clockHz > 0 ? static_cast<uint64_t>(clockHz) : 1;
    if (nextFlush_ == 0) {  // the recording's first frame
        nextFlush_ = tstates + period;
        return;
    }
    if (tstates < nextFlush_ || !recordChanged_) return;
    nextFlush_ = tstates + period;
    flushRecording();
}

void Cassette::finishRecording() {
    if (!recording_) return;
    flushRecording();
    if (!flushError_.empty()) lostRecording_ = flushError_;
    recording_ = false;
    recorded_ = {};
    recordChanged_ = false;
    nextFlush_ = 0;
    flushError_.clear();
}

int Cassette::findCasProgram(uint8_t& nameChar) {
    if (!attached_) return 0;
    int kind = 0;
    while (readPosition_ < image_.size()) {
        const uint8_t b = readTapeByte();
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
    // Any size passes here; a file too large to convert is refused with a reason then.
    if (!checkRegularFile(path, std::numeric_limits<std::uintmax_t>::max())) return 0;
    FileHandle f(std::fopen(path.c_str(), "rb"));
    return f && std::fgetc(f.get()) == 0xFF ? 1 : 0;
}

int Cassette::convertBasicToCas(const std::string& path) {
    lastError.clear();
    std::vector<uint8_t> source;
    if (IoResult read = readWholeFile(path, kMaxTokenisedBasic, source); !read) {
        lastError = read.message;
        return 0;
    }
    wav_.closeWav();
    closeImage();
    traps_.armTapeTraps();
    casMode = true;
    bitShift = 0;
    previousByte = 0;

    // The name byte is the first character of the file name, not of the path
    // (which here begins with a directory).
    std::string stem = fileNameOf(path);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    uint8_t nameByte = stem.empty() ? 0x20 : static_cast<uint8_t>(stem[0]);
    if (nameByte >= 'a' && nameByte <= 'z') nameByte = static_cast<uint8_t>(nameByte - 'a' + 'A');

    std::vector<uint8_t> bytes(256, 0x00);
    bytes.insert(bytes.end(), {0xA5, 0xD3, 0xD3, 0xD3, nameByte});
    // Without the 0xFF that marks a tokenised file.
    bytes.insert(bytes.end(), source.begin() + std::min<size_t>(source.size(), 1), source.end());
    bytes.push_back(0x1A);
    image_ = std::move(bytes);
    attached_ = true;
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

    if (IoResult written = writeFileAtomic(path, tape); !written) {
        lastError = written.message;
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
    if (attached_) rewindImage();
    if (tapeRunning) tapeOrigin = now;
    tapeRunning = false;
    wav_.resetSampleDetector();
}

}  // namespace kestrel
