// The tape at signal level: a WAV file played against emulated time into the
// cassette latch the ROM polls at port 0xFF, or recorded from the levels the
// ROM writes there. The ROM's own cassette routines do the bit timing; the tape
// traps are off while a WAV tape is in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

class TapeWav {
public:
    // What the tape code works at: unsigned 8-bit mono samples.
    static constexpr uint32_t kRate = 44100;
    // The largest WAV file taken as a tape (about 50 minutes at 44.1 kHz 16-bit stereo).
    static constexpr std::size_t kMaxWavFile = 512u << 20;

    uint8_t cassetteLatch = 0;  // 0 or 1, what the next input read reports
    // The head adjust: the swing a pulse needs (0-240), and 0xFF to invert the input.
    int triggerLevel = 100;
    uint8_t invertMask = 0x00;
    // Where the "WAV. ..." lines go; may be null.
    std::FILE* trace = nullptr;

    // A WAV file for input: 8- or 16-bit PCM, mono or stereo (the first
    // channel), any common rate (brought to kRate). An open tape is closed first.
    IoResult attachWav(const std::string& path, int64_t clockHz);
    // A new WAV file the output levels are recorded into (8-bit mono, kRate);
    // nothing is written over `path` until the recording is closed.
    IoResult createWav(const std::string& path, uint64_t now);
    // Ends the tape: a recording is finished and put in place (what went
    // wrong if it could not be).
    IoResult closeWav();

    bool isWavOpen() const { return input_ || recording_; }
    bool recordingWav() const { return recording_; }
    // Back to the first sample; the data length for the tape counter.
    void rewindWav();
    uint32_t wavDataSize() const;
    void resetSampleDetector();
    // The Play/Record switch: the tape moves only while it is on. Playback
    // goes on where it stopped.
    void setRunning(bool on, uint64_t now);
    void setClock(int64_t hz) { clockHz_ = hz > 0 ? hz : 1; }

    // Every read of the cassette input: the tape up to `now`, then the latch.
    uint8_t tapeInputAt(uint64_t now) {
        if (input_ && running_) advanceInput(now);
        return cassetteLatch;
    }
    // A port 0xFF write with the motor bit on: resets the latch (the ROM's way
    // to wait for the next pulse) and records a change of the output bits.
    void tapeOutputWrite(uint64_t now, uint8_t value);

    // Why the last recording stopped early; empty while all went well.
    const std::string& recordingError() const { return recordingError_; }

private:
    void advanceInput(uint64_t now);
    void flushOutput();

    // Input.
    bool input_ = false;
    std::vector<uint8_t> samples_;
    double samplesPerTState_ = 0;
    uint32_t sampleIndex_ = 0;
    int previousSample_ = 0;
    int previousDelta_ = 0;
    int peakValue_ = 0;
    int troughValue_ = 0;

    // Output.
    bool recording_ = false;
    AtomicFileWriter file_;
    std::vector<uint8_t> pending_;
    uint64_t written_ = 0;  // sample bytes, pending included
    uint8_t outputBits_ = 0;
    uint64_t lastLevelChange_ = 0;
    std::string recordingError_;

    bool running_ = false;
    uint64_t origin_ = 0;
    int64_t clockHz_ = 1774080;
};

}  // namespace kestrel
