// kestrel-bench: speed figures of the emulator's hot paths. Not a test.
//   kestrel-bench zexdoc [PATH]   run zexdoc through the CP/M console
//   kestrel-bench mix | bus-mix   a built-in instruction mix, alone or on the machine bus
//   kestrel-bench machine         the machine idle on the open firmware (real-time multiple)
//   kestrel-bench render          one frame in each rendering path
//   kestrel-bench basic           a BASIC loop on the open firmware (emulated seconds)
//   kestrel-bench basic-float     Ahl's benchmark on the open firmware (emulated seconds, accuracy)
//   kestrel-bench sound           the machine with the PSG playing, then one sound frame alone
//   kestrel-bench video [CODEC]   recording a scrolling screen (real-time multiple, share of a core)
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "io/file_io.h"
#include "machine/machine.h"
#include "machine/screen_text.h"
#include "sound/sound.h"
#include "capture/video_recording.h"
#if KESTREL_HAVE_AVI
#include "avi/avi_encoder.h"
#endif

#include "cpm_console.h"
#include "machine_peer.h"

namespace {

using Clock = std::chrono::steady_clock;

void report(const char* what, uint64_t tstates, double seconds) {
    std::printf("%s: %llu T-states in %.3f s\n", what, static_cast<unsigned long long>(tstates), seconds);
    std::printf("emulated MHz: %.1f\n", seconds > 0 ? static_cast<double>(tstates) / seconds / 1e6 : 0.0);
}

// A mix of loads, arithmetic, block moves, calls and index instructions that loops
// for ever, placed at `base`; data at 8000h-90FFh, stack below F000h.
std::vector<uint8_t> instructionMix(uint16_t base) {
    const uint16_t loop = base + 3;
    const uint16_t sub = base + 0x40;
    std::vector<uint8_t> code = {
        0x31, 0x00, 0xF0,        // LD SP,F000
        0xC5,                    // loop: PUSH BC
        0x21, 0x00, 0x80,        // LD HL,8000
        0x11, 0x00, 0x90,        // LD DE,9000
        0x01, 0x00, 0x01,        // LD BC,0100
        0xED, 0xB0,              // LDIR
        0xDD, 0x21, 0x00, 0x80,  // LD IX,8000
        0x0E, 0x80,              // LD C,80
        0xDD, 0x7E, 0x05,        // inner: LD A,(IX+5)
        0x87,                    // ADD A,A
        0xCE, 0x13,              // ADC A,13
        0xDD, 0x77, 0x03,        // LD (IX+3),A
        0xCB, 0x27,              // SLA A
        0x27,                    // DAA
        0xDD, 0x23,              // INC IX
        0xCD, static_cast<uint8_t>(sub), static_cast<uint8_t>(sub >> 8),  // CALL sub
        0x0D,                    // DEC C
        0x20, 0xEC,              // JR NZ,inner
        0xC1,                    // POP BC
        0xC3, static_cast<uint8_t>(loop), static_cast<uint8_t>(loop >> 8),  // JP loop
    };
    code.resize(0x40, 0x00);
    const uint8_t subroutine[] = {
        0xE5,              // PUSH HL
        0x2A, 0x10, 0x80,  // LD HL,(8010)
        0x23,              // INC HL
        0x22, 0x10, 0x80,  // LD (8010),HL
        0xE1,              // POP HL
        0xC9,              // RET
    };
    code.insert(code.end(), std::begin(subroutine), std::end(subroutine));
    return code;
}

constexpr uint64_t kMixTstates = 5'000'000'000ull;
constexpr int32_t kFrame = 35'481;  // one frame's worth at the standard clock

// The mix on the CP/M console's flat memory: the processor alone.
int runMix() {
    kestrel::test::CpmConsole cpm;
    auto code = instructionMix(0x100);
    std::copy(code.begin(), code.end(), cpm.memory.begin() + 0x100);
    cpm.cpu.PC = 0x100;
    auto start = Clock::now();
    uint64_t t0 = cpm.cpu.tstates;
    while (cpm.cpu.tstates - t0 < kMixTstates) kestrel::z80Execute(cpm.cpu, cpm, kFrame);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    report("instruction mix", cpm.cpu.tstates - t0, seconds);
    return 0;
}

// The same mix in the machine's RAM, through the machine bus, frame by frame.
int runBusMix() {
    auto machine = std::make_unique<kestrel::Machine>();
    auto code = instructionMix(0x5000);
    machine->loadMemory(0x5000, code);
    machine->setProgramCounter(0x5000);
    auto start = Clock::now();
    uint64_t t0 = machine->tstates();
    while (machine->tstates() - t0 < kMixTstates) machine->runCycles(kFrame);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    report("instruction mix on the machine bus", machine->tstates() - t0, seconds);
    return 0;
}

// The whole machine on the open firmware, sitting at its prompt, no rendering.
int runMachine() {
    auto machine = std::make_unique<kestrel::Machine>();
    machine->initMachine();
    for (int i = 0; i < 100; ++i) machine->runFrame();  // boot to the prompt first
    const int frames = 50 * 120;
    const uint64_t t0 = machine->tstates();
    auto start = Clock::now();
    for (int i = 0; i < frames; ++i) machine->runFrame();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double emulated = static_cast<double>(machine->tstates() - t0) / static_cast<double>(machine->processor().clockHz);
    std::printf("machine idle at the prompt: %.1f emulated s in %.3f s\n", emulated, seconds);
    std::printf("real-time multiple: %.1f\n", seconds > 0 ? emulated / seconds : 0.0);
    return 0;
}

// One frame in each rendering path and size, from a screen of text and blocks.
int runRender() {
    auto machine = std::make_unique<kestrel::Machine>();
    machine->initMachine();
    std::vector<uint8_t> screen(1024);
    for (int i = 0; i < 1024; ++i) screen[i] = static_cast<uint8_t>(i % 3 == 0 ? 0x80 + (i * 7) % 64 : 0x20 + (i * 11) % 96);
    machine->loadMemory(0x3C00, screen);
    struct Case {
        const char* name;
        bool oneBit, giant, doubleScan;
        int blur;
    };
    const Case cases[] = {
        {"giant 8-bit with blur", false, true, false, 66},
        {"1-bit with double scan", true, false, true, 0},
        {"normal 8-bit with blur and double scan", false, false, true, 66},
    };
    double normalUs = 0;
    for (const Case& c : cases) {
        kestrel::DisplayOptions display;
        display.oneBitDisplay = c.oneBit;
        display.giantScreen = c.giant;
        display.doubleScan = c.doubleScan;
        display.compositeBlur = c.blur;
        machine->setFrameFormat(display);
        const int frames = 2000;
        auto start = Clock::now();
        for (int i = 0; i < frames; ++i) machine->renderFrame(display);
        double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / frames;
        std::printf("%s: %.1f us per frame\n", c.name, us);
        if (!c.oneBit && !c.giant) normalUs = us;
    }
    std::printf("normal 8-bit frame us: %.1f\n", normalUs);
    return 0;
}

// A machine on the open firmware that traces nothing, run `frames` frames
// from its start-up (100 reach the prompt).
std::unique_ptr<kestrel::Machine> quietMachine(int frames) {
    kestrel::MachineOptions o;
    o.diagnostics = nullptr;
    auto machine = std::make_unique<kestrel::Machine>(o);
    machine->startUp();
    for (int i = 0; i < frames; ++i) machine->runFrame();
    return machine;
}

// Types the program's lines and RUN, runs until READY comes back (at most
// `limit` emulated seconds). Returns the emulated seconds; `shown` gets the
// screen lines from RUN on.
double runBasicProgram(const std::vector<std::string>& lines, int limit, std::vector<std::string>& shown) {
    auto machine = quietMachine(0);
    kestrel::Machine& m = *machine;
    std::string keys = "\r\r";
    for (const std::string& line : lines) keys += line + "\r\r";
    m.typeText(keys + "RUN\r\r");
    auto screen = [&] { return kestrel::screenText(m.memory().data() + 0x3C00, "\n"); };
    // Until RUN's ENTER has been taken (the buffer itself goes at the next scan).
    while (inside(m).typedText.hasTypedText() && inside(m).typedText.typedPos < inside(m).typedText.typedLength) m.runFrame();
    const uint64_t start = m.tstates();
    std::string text;
    for (int frame = 0; frame < 60 * limit; ++frame) {
        m.runFrame();
        text = screen();
        const size_t run = text.rfind(">RUN");
        if (run != std::string::npos && text.find("READY", run) != std::string::npos) break;
    }
    std::string line;
    for (char c : text.substr(text.rfind(">RUN") == std::string::npos ? 0 : text.rfind(">RUN"))) {
        if (c != '\n') {
            line += c;
            continue;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty() && line != "READY" && line[0] != '>') shown.push_back(line);
        line.clear();
    }
    return static_cast<double>(m.tstates() - start) / static_cast<double>(m.processor().clockHz);
}

// A BASIC loop on the open firmware: how long it takes in emulated time.
int runBasic() {
    // NEXT on a line of its own: a false IF skips the rest of its line.
    std::vector<std::string> lines = {"10 FOR I=1 TO 1000:A=I:IF A>500 THEN B=1", "20 NEXT"}, shown;
    auto wall = Clock::now();
    const double emulated = runBasicProgram(lines, 600, shown);
    for (const std::string& l : lines) std::printf("%s\n", l.c_str());
    std::printf("wall time %.3f s\n", std::chrono::duration<double>(Clock::now() - wall).count());
    std::printf("BASIC loop emulated seconds: %.2f\n", emulated);
    return 0;
}

// Ahl's simple benchmark: 100 times ten square roots and ten squares, with
// random numbers summed beside them; the last two lines it prints measure
// the accuracy of the arithmetic and of the random numbers.
int runBasicFloat() {
    std::vector<std::string> lines = {"10 S=0:R=0",
                                      "20 FOR N=1 TO 100:A=N",
                                      "30 FOR I=1 TO 10:A=SQR(A):R=R+RND(0):NEXT I",
                                      "40 FOR I=1 TO 10:A=A^2:R=R+RND(0):NEXT I",
                                      "50 S=S+A:NEXT N",
                                      "60 PRINT ABS(1010-S/5)",
                                      "70 PRINT ABS(1000-R)"},
                             shown;
    auto wall = Clock::now();
    const double emulated = runBasicProgram(lines, 3600, shown);
    for (const std::string& l : lines) std::printf("%s\n", l.c_str());
    std::printf("wall time %.3f s\n", std::chrono::duration<double>(Clock::now() - wall).count());
    std::printf("emulated seconds: %.1f\n", emulated);
    for (size_t i = shown.size() >= 2 ? shown.size() - 2 : 0; i < shown.size(); ++i)
        std::printf("%s: %s\n", i + 2 == shown.size() ? "accuracy ABS(1010-S/5)" : "random ABS(1000-R)", shown[i].c_str());
    return 0;
}

int runZexdoc(const std::string& path) {
    if (!std::filesystem::exists(path)) {
        std::printf("%s not found: running the built-in instruction mix instead\n", path.c_str());
        return runMix();
    }
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

// Every sector of a 40-track JV1 disk read through the controller, over and
// over, by a Z80 loop: seek each track, read its ten sectors byte by byte.
int runDisk() {
    const std::filesystem::path image = std::filesystem::temp_directory_path() / "kestrel-bench-disk.jv1";
    std::vector<uint8_t> bytes(102400);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    if (!kestrel::writeFileAtomic(image.string(), bytes)) return 1;

    auto machine = quietMachine(100);  // no trace line per sector
    kestrel::Machine& m = *machine;
    if (!m.attachDisk(0, image.string())) return 1;
    // DI, then the loop; the sector count goes to 5000h.
    static constexpr uint8_t kLoop[] = {
        0xF3, 0x3E, 0x01, 0x32, 0xE1, 0x37, 0x0E, 0x00, 0x79, 0x32, 0xEF, 0x37, 0x3E, 0x10, 0x32, 0xEC, 0x37,
        0x3A, 0xEC, 0x37, 0xE6, 0x01, 0x20, 0xF9, 0x06, 0x00, 0x3E, 0x01, 0x32, 0xE1, 0x37, 0x78, 0x32, 0xEE,
        0x37, 0x3E, 0x88, 0x32, 0xEC, 0x37, 0x21, 0x00, 0x60, 0x1E, 0x00, 0x3A, 0xEC, 0x37, 0xE6, 0x02, 0x28,
        0xF9, 0x3A, 0xEF, 0x37, 0x77, 0x23, 0x1D, 0x20, 0xF1, 0x2A, 0x00, 0x50, 0x23, 0x22, 0x00, 0x50, 0x04,
        0x78, 0xFE, 0x0A, 0x20, 0xD1, 0x0C, 0x79, 0xFE, 0x28, 0x20, 0xB9, 0x18, 0xB0};
    m.loadMemory(0x5100, kLoop);
    m.loadMemory(0x5000, std::array<uint8_t, 2>{0, 0});
    m.setProgramCounter(0x5100);

    const int frames = 50 * 60;
    const uint64_t t0 = m.tstates();
    auto start = Clock::now();
    for (int i = 0; i < frames; ++i) m.runFrame();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double emulated = static_cast<double>(m.tstates() - t0) / static_cast<double>(m.processor().clockHz);
    const unsigned sectors = m.memory()[0x5000] | m.memory()[0x5001] << 8;
    std::filesystem::remove(image);
    std::printf("%u sectors in %.1f emulated s, %.3f s\n", sectors, emulated, seconds);
    std::printf("real-time multiple: %.1f\n", seconds > 0 ? emulated / seconds : 0.0);
    std::printf("disk sectors per emulated second: %.1f\n", emulated > 0 ? sectors / emulated : 0.0);
    return sectors > 0 ? 0 : 1;
}

// All three tones and the noise on, two channels on the envelope: the PSG's
// whole per-sample path.
constexpr std::pair<uint8_t, uint8_t> kPsgPlaying[] = {
    {0, 0x1C}, {1, 0x01}, {2, 0xFD}, {3, 0x00}, {4, 0x77}, {5, 0x00}, {6, 0x0F},
    {7, 0x00}, {8, 0x0F}, {9, 0x10}, {10, 0x10}, {11, 0x00}, {12, 0x08}, {13, 0x0E}};

// The machine for 60 emulated seconds with the PSG playing, then the frame
// rendering on its own.
int runSound() {
    auto machine = quietMachine(100);
    kestrel::Machine& m = *machine;
    for (auto [reg, value] : kPsgPlaying) {
        m.writePort(0x1F, reg);
        m.writePort(0x1E, value);
    }
    const uint64_t t0 = m.tstates();
    auto start = Clock::now();
    for (int i = 0; i < 50 * 60; ++i) m.runFrame();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double emulated = static_cast<double>(m.tstates() - t0) / static_cast<double>(m.processor().clockHz);
    std::printf("%.1f emulated s in %.3f s\n", emulated, seconds);
    std::printf("real-time multiple: %.1f\n", seconds > 0 ? emulated / seconds : 0.0);

    // A device that cannot tell its position: the latency control stays out
    // of the way and every call renders exactly one frame.
    struct BenchDevice final : kestrel::AudioDriver {
        const char* name() const override { return "bench"; }
        bool open(uint32_t, std::string&) override { return true; }
        void close() override {}
        void write(std::span<const int16_t> samples, uint32_t) override { sink += samples[0]; }
        void reset() override {}
        void pause() override {}
        void resume() override {}
        uint32_t position() const override { return kestrel::kPositionUnknown; }
        int64_t sink = 0;
    } device;
    kestrel::Sound sound;
    sound.selectAudioDriver(&device);
    sound.setPsgClock(1774080);
    sound.initBeeper();
    sound.initSound();
    for (auto [reg, value] : kPsgPlaying) sound.psgWrite(reg, value);
    const uint64_t frameTstates = 312ull * kestrel::Sound::kLineTstates;
    const int frames = 20000;
    start = Clock::now();
    for (int i = 1; i <= frames; ++i) sound.updateSound(frameTstates * static_cast<uint64_t>(i));
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / frames;
    if (sound.framesWritten() != static_cast<uint64_t>(frames)) return 1;
    std::printf("sound frame us: %.2f\n", us);
    return 0;
}

// Recording one minute at the prompt (a blinking cursor), then one of a BASIC
// loop that scrolls the screen every frame, so that no picture repeats the
// last: the whole machine headless, and the recorder's own processor time.
int runVideo(const std::string& codec) {
#if KESTREL_HAVE_AVI
    auto machine = quietMachine(0);
    kestrel::Machine& m = *machine;
    m.typeText("\r\r");
    for (int i = 0; i < 200; ++i) m.runFrame();
    const kestrel::DisplayOptions display;
    m.setFrameFormat(display);
    m.renderFrame(display);
    const std::string path = (std::filesystem::temp_directory_path() / "kestrel-bench-video.avi").string();
    kestrel::VideoRecording video;
    if (kestrel::IoResult started = video.start(kestrel::makeAviEncoder(codec, kestrel::kDefaultAviQuality), path,
                                                m.frame(), m.activeConfig().frameHz, true);
        !started) {
        std::fprintf(stderr, "%s\n", started.message.c_str());
        return 1;
    }
    m.tapSound([&video](std::span<const int16_t> samples) { video.addSound(samples); });
    // Processor time as well as wall time: the figures hold on a busy host too.
    auto cpuNow = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);  // the encoder's threads too
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    };
    double perFrame = 0;
    for (const char* screen : {"prompt", "scrolling"}) {
        if (screen[0] == 's') {
            m.typeText("10 PRINT I,I+1,I+2\r\r20 I=I+1:IF I>9999 THEN I=0\r\r30 GOTO 10\r\rRUN\r");
            for (int i = 0; i < 200; ++i) m.runFrame();
        }
        const int frames = 50 * 60;
        const uint64_t t0 = m.tstates();
        double recorder = 0;
        const double cpuStart = cpuNow();
        const auto start = Clock::now();
        for (int i = 0; i < frames; ++i) {
            m.runFrame();
            if (m.screenChanged()) m.renderFrame(display);
            const double before = cpuNow();
            if (!video.writeFrame(m.frame(), true)) {
                std::fprintf(stderr, "%s\n", video.lastError().c_str());
                return 1;
            }
            recorder += cpuNow() - before;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpuSeconds = cpuNow() - cpuStart;
        const double emulated = static_cast<double>(m.tstates() - t0) / static_cast<double>(m.processor().clockHz);
        perFrame = recorder / frames;
        std::printf("%s, %s screen: %.1f emulated s in %.3f s (%.3f s of processor time), recorder %.3f ms a frame\n",
                    codec.c_str(), screen, emulated, seconds, cpuSeconds, perFrame * 1e3);
        std::printf("  real-time multiple: %.1f (%.1f per processor second)\n",
                    seconds > 0 ? emulated / seconds : 0.0, cpuSeconds > 0 ? emulated / cpuSeconds : 0.0);
    }
    m.tapSound(nullptr);
    video.stop();
    std::printf("file of two minutes: %.1f MB\n", static_cast<double>(std::filesystem::file_size(path)) / 1e6);
    std::filesystem::remove(path);
    // In the window at 100 % speed, with every picture new.
    std::printf("share of one core at 100%% speed: %.1f %%\n",
                perFrame * static_cast<double>(m.activeConfig().frameHz) * 100.0);
    return 0;
#else
    std::fprintf(stderr, "video recording is not built (KESTREL_AVI is off); nothing to measure for %s\n",
                 codec.c_str());
    return 0;
#endif
}

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "zexdoc";
    if (what == "zexdoc") {
        std::string path = argc > 2 ? argv[2] : std::string(KESTREL_SHARED_DIR) + "/testdata/zex/zexdoc.com";
        return runZexdoc(path);
    }
    if (what == "mix") return runMix();
    if (what == "bus-mix") return runBusMix();
    if (what == "machine") return runMachine();
    if (what == "render") return runRender();
    if (what == "basic") return runBasic();
    if (what == "basic-float") return runBasicFloat();
    if (what == "disk") return runDisk();
    if (what == "sound") return runSound();
    if (what == "video") return runVideo(argc > 2 ? argv[2] : "ffv1");
    std::fprintf(stderr,
                 "usage: kestrel-bench zexdoc [PATH]   zexdoc through the CP/M console\n"
                 "       kestrel-bench mix             built-in instruction mix, processor alone\n"
                 "       kestrel-bench bus-mix         the same mix through the machine bus\n"
                 "       kestrel-bench machine         the whole machine idle on the open firmware\n"
                 "       kestrel-bench render          one frame in each rendering path\n"
                 "       kestrel-bench basic           a BASIC loop on the open firmware, in emulated seconds\n"
                 "       kestrel-bench basic-float     Ahl's benchmark on the open firmware: emulated seconds, accuracy\n"
                 "       kestrel-bench disk            every sector of a JV1 disk read through the controller\n"
                 "       kestrel-bench sound           the machine with the PSG playing, one sound frame alone\n"
                 "       kestrel-bench video [CODEC]   recording a scrolling screen, FFV1 unless CODEC\n");
    return 2;
}
