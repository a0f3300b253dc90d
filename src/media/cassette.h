// The tape unit: CAS images served a whole byte at a time through the tape traps,
// recording through them, saving guest memory as a SYSTEM tape, turning a
// tokenised BASIC file into a temporary tape, and the Play/Record switch and
// rewind shared with the WAV side.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace kestrel {

class MachineBus;
class TapeWav;
class Traps;

class Cassette {
public:
    Cassette(TapeWav& wav, Traps& traps, MachineBus& bus) : wav_(wav), traps_(traps), bus_(bus) {}
    ~Cassette();
    Cassette(const Cassette&) = delete;
    Cassette& operator=(const Cassette&) = delete;

    // 1 on success, 0 on failure (reason in lastError); the tape is detached either way first.
    int attachCas(const std::string& path);
    void detachCas();
    // The next byte of the image; 0xFF past its end, 0 with no image.
    uint8_t readTapeByte();
    // The ROM starts writing a tape: asks chooseRecordingFile for the file.
    void beginTapeRecording();
    // Appended to the file and on disk when this returns.
    void writeTapeByte(uint8_t value);
    // 0 no program, 1 BASIC, 2 SYSTEM (nameChar = first name character); the image
    // is back at its first byte afterwards.
    int findCasProgram(uint8_t& nameChar);
    // 1 when the file's first byte is 0xFF.
    static int isTokenisedBasic(const std::string& path);
    // 1 when the temporary tape is attached, 0 otherwise (reason in lastError).
    int convertBasicToCas(const std::string& path);
    // 1 when the tape file has been written whole; 0 and nothing written otherwise
    // (reason in lastError).
    int saveMemoryAsCas(const std::string& path, uint16_t fromAddress, uint16_t endAddress, uint16_t entryAddress);
    void setTapeRunning(bool on, uint64_t now);
    void rewindTape(uint64_t now);

    // The open image (while recording, the file being written), or none. Owned:
    // changed only by the operations above.
    std::FILE* casStream = nullptr;
    std::string casPath;
    bool casMode = false;
    uint8_t bitShift = 0;
    uint8_t previousByte = 0;
    bool tapeRunning = false;
    uint64_t tapeOrigin = 0;

    // Supplied by the front end or the runner. The file to record to; empty (or
    // no chooser) means the user cancelled.
    std::function<std::string()> chooseRecordingFile;
    // Status texts this unit posts itself (the WAV tape counter on rewind).
    std::function<void(const std::string&)> postStatus;

    std::string lastError;
    // Failures that happen inside a trap, with no caller to tell.
    std::FILE* diagnostics = nullptr;

private:
    void closeCasStream();
    void rewindImage();
    void determineBitShift();
    void report(const std::string& text);

    TapeWav& wav_;
    Traps& traps_;
    MachineBus& bus_;
    bool appendFailureReported_ = false;
};

}  // namespace kestrel
