// The tape unit: CAS images served a whole byte at a time through the tape traps,
// recording through them, turning a tokenised BASIC file into a temporary tape,
// and the Play/Record switch and rewind shared with the WAV side.
//
// A tape is small: an attached image is read whole into memory, and a recording
// is collected in memory and written out whole, so the user's file is never
// left half written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "devices/tape_wav.h"
#include "io/file_io.h"
#include "io/held_file.h"

namespace kestrel {

// The largest CAS image attached or recorded.
inline constexpr std::size_t kMaxCasImage = 16u << 20;
// The largest tokenised BASIC file turned into a tape: more than the machine's memory.
inline constexpr std::size_t kMaxTokenisedBasic = 64u << 10;

// The whole tape deck: the CAS side here, the WAV side (the signal on the
// cassette port) in the TapeWav it holds. The tape traps that serve the CAS side
// belong to the machine, which arms them whenever an image or a recording
// starts.
class Cassette {
public:
    Cassette() {
        recording_.onError = [this](const std::string& text) { report(text); };
    }
    ~Cassette();
    Cassette(const Cassette&) = delete;
    Cassette& operator=(const Cassette&) = delete;

    // The tape is detached either way first (which writes out a recording
    // under way); then the image is read whole, or the reason it was not.
    IoResult attachCas(const std::string& path);
    void detachCas();
    // The next byte of the image; 0xFF past its end, 0 with no image.
    uint8_t readTapeByte();
    // The ROM starts writing a tape to `path` (empty: the user cancelled). A
    // recording under way is written out first. True when a recording starts.
    bool beginTapeRecording(const std::string& path);
    // Appended to the recording in memory; on disk with the next flush.
    void writeTapeByte(uint8_t value);
    // Once a frame (from the frame loop): writes a recording that has grown, at
    // most once a second of emulated time, so that a crash loses little of it.
    void endFrame(uint64_t tstates, int64_t clockHz);
    // Writes the recording now if it has changed since it was last written.
    IoResult flushRecording();
    // Why a recording could not be written to its file, empty while every one
    // was. Stays set once a recording has ended unwritten.
    const std::string& recordingError() const { return lostRecording_.empty() ? recording_.error() : lostRecording_; }
    // 0 no program, 1 BASIC, 2 SYSTEM (nameChar = first name character); the image
    // is back at its first byte afterwards.
    int findCasProgram(uint8_t& nameChar);
    // 1 when the regular file's first byte is 0xFF.
    static int isTokenisedBasic(const std::string& path);
    // The temporary tape attached, or the reason it was not.
    IoResult convertBasicToCas(const std::string& path);
    void setTapeRunning(bool on, uint64_t now);
    void rewindTape(uint64_t now);

    // Whether an image is served (a CAS file or a converted BASIC file).
    bool imageAttached() const { return attached_; }

    // The attached image's file, or the file being recorded. Changed only by the
    // operations above.
    std::string casPath;
    bool casMode = false;
    uint8_t bitShift = 0;
    uint8_t previousByte = 0;
    bool tapeRunning = false;
    uint64_t tapeOrigin = 0;

    TapeWav& wav() { return wav_; }
    const TapeWav& wav() const { return wav_; }

    // Status texts this unit posts itself (the WAV tape counter on rewind, a
    // recording that could not be written).
    std::function<void(const std::string&)> postStatus;

    // Failures that happen inside a trap, with no caller to tell.
    std::FILE* diagnostics = nullptr;

private:
    void closeImage();
    void finishRecording();
    void rewindImage();
    int nextImageByte();
    void report(const std::string& text);

    TapeWav wav_;

    std::vector<uint8_t> image_;
    std::size_t readPosition_ = 0;
    bool attached_ = false;

    HeldFile recording_;          // the tape being recorded
    std::string lostRecording_;   // why an ended recording could not be written
};

}  // namespace kestrel
