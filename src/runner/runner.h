// kestrel-run: the machine without a window, for scripts and tests. Configures
// the machine, runs frames as fast as it can, then writes what was asked for.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

struct RunnerOptions {
    std::optional<int> machine;          // configuration index 0-4
    std::optional<int> ramKbytes;        // 16 or 48
    std::string romDirectory;            // empty: KESTREL_ROM_DIR, then the default places
    std::optional<double> seconds;
    std::optional<uint64_t> frames;
    std::string screenText;              // file, or "-" for standard output
    std::string screenshot;              // .bmp or .gif
    bool oneBit = false;
    bool giant = false;
    std::string memdump;
    std::optional<uint16_t> disassembleFrom;
    int disassembleLines = 16;
    std::string autostart;               // positional FILE, started by its extension
    std::string type;                    // text typed through the keyboard trap ("\\r" is RETURN)
    bool noAutorun = false;
    struct Disk {
        int drive = 0;
        std::string path;
    };
    std::vector<Disk> disks;             // images put into drives before the run
    bool saveDisks = false;              // changed disks written back at the end
    std::string recordSound;             // WAV file every sample of the run goes to
    std::string recordVideo;             // AVI file of every frame and its sound
    std::string videoCodec;              // empty: the default (lossless FFV1)
    std::string wavTape;                 // WAV tape played (the tape running)
    std::string recordWavTape;           // WAV tape recorded (the tape running)
    std::string cas;                     // tape to attach
    std::string recordCas;               // file a tape recording goes to
    std::string printer;                 // file printer output is added to
    struct SaveMemory {
        std::string path;
        uint16_t from = 0, end = 0, entry = 0;
    };
    std::optional<SaveMemory> saveMemoryCas;
    std::string loadSnapshot;
    std::string saveSnapshot;
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. On a usage error returns nothing
// and puts a one-line message into `error`.
std::optional<RunnerOptions> parseRunnerArguments(const std::vector<std::string>& args, std::string& error);

const char* runnerUsage();

// Runs with parsed options; output files and "-" go where they say, messages to
// `err`. Returns the exit status: 0 success, 1 a file could not be read or written.
int runRunner(const RunnerOptions& options, const std::filesystem::path& executableDir, std::FILE* out,
              std::FILE* err);

}  // namespace kestrel
