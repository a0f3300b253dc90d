// kestrel-bench: speed figures of the emulator's hot paths. Not a test.
//   kestrel-bench zexdoc [PATH]   run zexdoc through the CP/M console
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "cpm_console.h"

namespace {

using Clock = std::chrono::steady_clock;

void report(const char* what, uint64_t tstates, double seconds) {
    std::printf("%s: %llu T-states in %.3f s\n", what, static_cast<unsigned long long>(tstates), seconds);
    std::printf("emulated MHz: %.1f\n", seconds > 0 ? static_cast<double>(tstates) / seconds / 1e6 : 0.0);
}

// A mix of loads, arithmetic, block moves, calls and index instructions, looped,
// for when the exerciser is not at hand.
const uint8_t kWorkload[] = {
    0x31, 0x00, 0xF0,        // 0100 LD SP,F000
    0x06, 0x00,              // 0103 LD B,0         outer: 256 passes of the inner loop
    0xC5,                    // 0105 PUSH BC
    0x21, 0x00, 0x80,        // 0106 LD HL,8000
    0x11, 0x00, 0x90,        // 0109 LD DE,9000
    0x01, 0x00, 0x01,        // 010C LD BC,0100
    0xED, 0xB0,              // 010F LDIR
    0xDD, 0x21, 0x00, 0x80,  // 0111 LD IX,8000
    0x0E, 0x80,              // 0115 LD C,80
    0xDD, 0x7E, 0x05,        // 0117 LD A,(IX+5)   inner
    0x87,                    // 011A ADD A,A
    0xCE, 0x13,              // 011B ADC A,13
    0xDD, 0x77, 0x03,        // 011D LD (IX+3),A
    0xCB, 0x27,              // 0120 SLA A
    0x27,                    // 0122 DAA
    0xDD, 0x23,              // 0123 INC IX
    0xCD, 0x40, 0x01,        // 0125 CALL 0140
    0x0D,                    // 0128 DEC C
    0x20, 0xEC,              // 0129 JR NZ,0117
    0xC1,                    // 012B POP BC
    0x10, 0xD7,              // 012C DJNZ 0105
    0xED, 0x00,              // 012E trap: done
    0x76,                    // 0130 HALT
};
const uint8_t kSubroutine[] = {
    0xE5,        // 0140 PUSH HL
    0x2A, 0x10, 0x80,  // LD HL,(8010)
    0x23,        // INC HL
    0x22, 0x10, 0x80,  // LD (8010),HL
    0xE1,        // POP HL
    0xC9,        // RET
};

int runWorkload() {
    std::printf("zexdoc not found: running the built-in instruction mix instead\n");
    kestrel::test::CpmConsole cpm;
    std::memcpy(&cpm.memory[0x100], kWorkload, sizeof kWorkload);
    std::memcpy(&cpm.memory[0x140], kSubroutine, sizeof kSubroutine);
    auto start = Clock::now();
    uint64_t t0 = cpm.cpu.tstates;
    for (int pass = 0; pass < 2000; ++pass) {
        cpm.finished = false;
        cpm.cpu.PC = 0x100;
        cpm.run();
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    report("instruction mix", cpm.cpu.tstates - t0, seconds);
    return 0;
}

int runZexdoc(const std::string& path) {
    if (!std::filesystem::exists(path)) return runWorkload();
    kestrel::test::CpmConsole cpm;
    if (!cpm.loadCom(path)) {
        std::fprintf(stderr, "kestrel-bench: cannot load %s\n", path.c_str());
        return 1;
    }
    std::printf("running %s\n", path.c_str());
    auto start = Clock::now();
    bool finished = cpm.run(100'000'000'000ull);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::fputs(cpm.output.c_str(), stdout);
    std::printf("\n");
    std::string name = std::filesystem::path(path).filename().string();
    if (!finished) std::printf("%s did not finish\n", name.c_str());
    report(name.c_str(), cpm.cpu.tstates, seconds);
    return finished ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "zexdoc";
    if (what == "zexdoc") {
        std::string path = argc > 2 ? argv[2] : std::string(KESTREL_SHARED_DIR) + "/testdata/zex/zexdoc.com";
        return runZexdoc(path);
    }
    std::fprintf(stderr, "usage: kestrel-bench zexdoc [PATH]\n");
    return 2;
}
