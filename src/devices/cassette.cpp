#include "devices/cassette.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "formats/cas_format.h"

namespace kestrel {

Cassette::~Cassette() {
    // Whoever supplied these may be gone already.
    postStatus = nullptr;
    finishRecording();
}

void Cassette::report(const std::string& text) {
    if (diagnostics) std::fprintf(diagnostics, "%s\n", text.c_str());
    if (postStatus) postStatus(text);
}

void Cassette::closeImage() {
    const bool open = attached_ || recording_.held();
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

IoResult Cassette::attachCas(const std::string& path) {
    closeImage();
    std::vector<uint8_t> bytes;
    if (IoResult read = readWholeFile(path, kMaxCasImage, bytes); !read) return read;
    image_ = std::move(bytes);
    attached_ = true;
    casPath = path;
    wav_.closeWav();
    bitShift = casBitShift(image_);
    rewindImage();
    casMode = true;
    return {};
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

bool Cassette::beginTapeRecording(const std::string& name) {
    if (!casMode) return false;
    finishRecording();
    casPath.clear();
    if (name.empty()) return false;
    wav_.closeWav();
    closeImage();
    // Nothing touches the file yet: an old tape of that name stays whole until
    // the new one is written over it.
    recording_.hold(name);
    casPath = name;
    casMode = true;
    return true;
}

void Cassette::writeTapeByte(uint8_t value) {
    if (!recording_.held() || recording_.bytes().size() >= kMaxCasImage) return;
    recording_.append(value);
    if (recording_.bytes().size() == kMaxCasImage)
        report("Tape recording " + recording_.path() + " stopped: a tape holds at most " +
               std::to_string(kMaxCasImage) + " bytes");
}

IoResult Cassette::flushRecording() { return recording_.write(); }

void Cassette::endFrame(uint64_t tstates, int64_t clockHz) {
    recording_.tick(tstates, clockHz > 0 ? static_cast<uint64_t>(clockHz) : 1);
}

void Cassette::finishRecording() {
    if (!recording_.held()) return;
    recording_.write();
    if (!recording_.error().empty()) lostRecording_ = recording_.error();
    recording_.release();
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

IoResult Cassette::convertBasicToCas(const std::string& path) {
    std::vector<uint8_t> source;
    if (IoResult read = readWholeFile(path, kMaxTokenisedBasic, source); !read) return read;
    wav_.closeWav();
    closeImage();
    casMode = true;
    bitShift = 0;
    previousByte = 0;
    image_ = basicTapeFromFile(path, source);
    attached_ = true;
    rewindImage();
    return {};
}

void Cassette::setTapeRunning(bool on, uint64_t now) {
    if (on && !tapeRunning) {
        tapeOrigin = now;
        tapeRunning = true;
    } else if (!on) {
        tapeRunning = false;
    }
    wav_.setRunning(tapeRunning, now);
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
    wav_.setRunning(false, now);
}

}  // namespace kestrel
