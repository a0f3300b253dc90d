#include "runner/runner.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <span>

#include "machine/machine.h"
#include "capture/screenshot.h"
#include "capture/sound_recording.h"
#include "capture/video_recording.h"
#if KESTREL_HAVE_AVI
#include "avi/avi_encoder.h"
#endif
#include "io/file_io.h"
#include "machine/screen_text.h"
#include "session/autostart.h"
#include "session/disks.h"
#include "session/snapshot.h"
#include "devices/typed_text.h"
#include "monitor/disassembler.h"

namespace kestrel {

namespace {

bool parseInt(const std::string& text, long long& value, int base = 10) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool hasExtension(const std::string& path, const char* ext) {
    std::string e = std::filesystem::path(path).extension().string();
    for (auto& ch : e) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return e == ext;
}

// Writes a whole output file, "-" meaning `out`; reports failure on `err`.
bool writeOutput(const std::string& path, std::span<const uint8_t> bytes, std::FILE* out, std::FILE* err) {
    if (path == "-") {
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
        if (!ok) std::fprintf(err, "kestrel-run: cannot write to standard output\n");
        return ok;
    }
    const IoResult written = writeFileAtomic(path, bytes);
    if (!written) std::fprintf(err, "kestrel-run: %s\n", written.message.c_str());
    return written.ok;
}

}  // namespace

const char* runnerUsage() {
    return "usage: kestrel-run [options]\n"
           "  --machine N           configuration 0-4 (0 VideoGenie-I, 1 KESTREL model 2,\n"
           "                        2 KESTREL/64 model 3, 3 TRS-80 Model I, 4 custom)\n"
           "  --ram 16|48           RAM size in kbytes\n"
           "  --rom-dir DIR         directory of ROM files (else KESTREL_ROM_DIR, then\n"
           "                        ~/.local/share/kestrel/roms, then share/kestrel/roms\n"
           "                        beside the program)\n"
           "  --seconds S           emulated seconds to run (default 2)\n"
           "  --frames N            frames to run instead\n"
           "  --screen-text FILE|-  write the 16 x 64 screen as UTF-8 text\n"
           "  --screenshot FILE     write a screenshot, .bmp or .gif\n"
           "  --one-bit             render with 1 bit per pixel\n"
           "  --giant               render at 768 x 576\n"
           "  --memdump FILE        write the 64 KiB address space as stored\n"
           "  --disassemble A[:N]   list N instructions (default 16) from hex address A\n"
           "  FILE                  autostart FILE by its extension (cmd, cas, bas, txt, hts;\n"
           "                        dsk, jv1, jv3 go into drive 0 and the machine boots them)\n"
           "  --no-autorun          load a CMD or attach a CAS file without starting it\n"
           "  --type TEXT           type TEXT into the machine (after what FILE types);\n"
           "                        \\n in TEXT is RETURN\n"
           "  --record-sound FILE   record the machine's sound (48 kHz 16-bit mono WAV)\n"
           "  --record-video FILE   record every frame and the sound as AVI video\n"
           "  --video-codec NAME    ffv1 (lossless, the default), mjpeg, mpeg4 or rawvideo\n"
           "  --disk N FILE         put the disk image FILE into drive N (0-3); repeatable\n"
           "  --save-disks          write changed disks back to their files at the end\n"
           "                        (without it the files stay as they were)\n"
           "  --cas FILE            attach a CAS tape image\n"
           "  --record-cas FILE     where a tape the machine records goes\n"
           "  --wav-tape FILE       play a WAV file as the tape, at signal level\n"
           "  --record-wav-tape FILE record the tape output into a WAV file\n"
           "  --printer FILE        print into FILE (added to its end; created when missing)\n"
           "  --save-memory-cas FILE FROM END ENTRY\n"
           "                        after the run, save memory FROM-END (hex) as a SYSTEM tape\n"
           "  --load-snapshot FILE  load an HTS snapshot before the run\n"
           "  --save-snapshot FILE  save an HTS snapshot after the run\n"
           "  --help                this text\n"
           "  --version             the version\n";
}

std::optional<RunnerOptions> parseRunnerArguments(const std::vector<std::string>& args, std::string& error) {
    RunnerOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--machine") {
            if (!value(v)) return std::nullopt;
            if (!parseInt(v, n) || n < 0 || n > 4) {
                error = "--machine takes 0 to 4, not " + v;
                return std::nullopt;
            }
            o.machine = static_cast<int>(n);
        } else if (a == "--ram") {
            if (!value(v)) return std::nullopt;
            if (!parseInt(v, n) || (n != 16 && n != 48)) {
                error = "--ram takes 16 or 48, not " + v;
                return std::nullopt;
            }
            o.ramKbytes = static_cast<int>(n);
        } else if (a == "--rom-dir") {
            if (!value(o.romDirectory)) return std::nullopt;
        } else if (a == "--seconds") {
            if (!value(v)) return std::nullopt;
            char* end = nullptr;
            double s = std::strtod(v.c_str(), &end);
            if (v.empty() || *end || !std::isfinite(s) || s < 0 || s > 1e6) {
                error = "--seconds takes a number of seconds from 0 to 1000000, not " + v;
                return std::nullopt;
            }
            o.seconds = s;
        } else if (a == "--frames") {
            if (!value(v)) return std::nullopt;
            if (!parseInt(v, n) || n < 0 || n > 100'000'000) {
                error = "--frames takes a count from 0 to 100000000, not " + v;
                return std::nullopt;
            }
            o.frames = static_cast<uint64_t>(n);
        } else if (a == "--screen-text") {
            if (!value(o.screenText)) return std::nullopt;
        } else if (a == "--screenshot") {
            if (!value(o.screenshot)) return std::nullopt;
            if (!hasExtension(o.screenshot, ".bmp") && !hasExtension(o.screenshot, ".gif")) {
                error = "--screenshot needs a .bmp or .gif file name, not " + o.screenshot;
                return std::nullopt;
            }
        } else if (a == "--one-bit") {
            o.oneBit = true;
        } else if (a == "--giant") {
            o.giant = true;
        } else if (a == "--memdump") {
            if (!value(o.memdump)) return std::nullopt;
        } else if (a == "--disassemble") {
            if (!value(v)) return std::nullopt;
            std::string address = v.substr(0, v.find(':'));
            long long lines = 16;
            if (!parseInt(address, n, 16) || n < 0 || n > 0xFFFF ||
                (v.find(':') != std::string::npos &&
                 (!parseInt(v.substr(v.find(':') + 1), lines) || lines < 1 || lines > 65536))) {
                error = "--disassemble takes a hex address 0-FFFF and an optional :LINES (1-65536), not " + v;
                return std::nullopt;
            }
            o.disassembleFrom = static_cast<uint16_t>(n);
            o.disassembleLines = static_cast<int>(lines);
        } else if (a == "--type") {
            if (!value(v)) return std::nullopt;
            o.type = unescapeTypedText(v);
        } else if (a == "--no-autorun") {
            o.noAutorun = true;
        } else if (a == "--disk") {
            if (i + 2 >= args.size()) {
                error = "--disk needs a drive number and a file";
                return std::nullopt;
            }
            if (!parseInt(args[i + 1], n) || n < 0 || n > 3) {
                error = "--disk takes drive 0 to 3, not " + args[i + 1];
                return std::nullopt;
            }
            o.disks.push_back({static_cast<int>(n), args[i + 2]});
            i += 2;
        } else if (a == "--wav-tape") {
            if (!value(o.wavTape)) return std::nullopt;
        } else if (a == "--record-wav-tape") {
            if (!value(o.recordWavTape)) return std::nullopt;
        } else if (a == "--record-sound") {
            if (!value(o.recordSound)) return std::nullopt;
        } else if (a == "--record-video") {
            if (!value(o.recordVideo)) return std::nullopt;
        } else if (a == "--video-codec") {
            if (!value(o.videoCodec)) return std::nullopt;
        } else if (a == "--save-disks") {
            o.saveDisks = true;
        } else if (a == "--cas") {
            if (!value(o.cas)) return std::nullopt;
        } else if (a == "--record-cas") {
            if (!value(o.recordCas)) return std::nullopt;
        } else if (a == "--printer") {
            if (!value(o.printer)) return std::nullopt;
        } else if (a == "--save-memory-cas") {
            if (i + 4 >= args.size()) {
                error = "--save-memory-cas needs FILE FROM END ENTRY";
                return std::nullopt;
            }
            RunnerOptions::SaveMemory s;
            s.path = args[++i];
            long long words[3];
            for (long long& w : words) {
                const std::string& text = args[++i];
                if (!parseInt(text, w, 16) || w < 0 || w > 0xFFFF) {
                    error = "--save-memory-cas takes hex addresses 0-FFFF, not " + text;
                    return std::nullopt;
                }
            }
            s.from = static_cast<uint16_t>(words[0]);
            s.end = static_cast<uint16_t>(words[1]);
            s.entry = static_cast<uint16_t>(words[2]);
            if (s.end < s.from) {
                error = "--save-memory-cas: the end address is below the start address";
                return std::nullopt;
            }
            o.saveMemoryCas = s;
        } else if (a == "--load-snapshot") {
            if (!value(o.loadSnapshot)) return std::nullopt;
        } else if (a == "--save-snapshot") {
            if (!value(o.saveSnapshot)) return std::nullopt;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (o.autostart.empty()) {
            o.autostart = a;
        } else {
            error = "only one file can be autostarted, not also " + a;
            return std::nullopt;
        }
    }
    if (o.seconds && o.frames) {
        error = "--seconds and --frames exclude each other";
        return std::nullopt;
    }
    if (o.oneBit && hasExtension(o.screenshot, ".gif")) {
        error = "a 1-bit screen cannot be saved as GIF; use a .bmp name";
        return std::nullopt;
    }
    if (o.oneBit && o.giant) {
        error = "--one-bit and --giant exclude each other (the giant screen has 8 bits per pixel)";
        return std::nullopt;
    }
    return o;
}

int runRunner(const RunnerOptions& o, const std::filesystem::path& executableDir, std::FILE* out, std::FILE* err) {
    const char* env = std::getenv("KESTREL_ROM_DIR");
    const std::string given = !o.romDirectory.empty() ? o.romDirectory : (env ? env : "");
    if (!o.romDirectory.empty() && !std::filesystem::is_directory(o.romDirectory)) {
        std::fprintf(err, "kestrel-run: ROM directory %s does not exist\n", o.romDirectory.c_str());
        return 1;
    }
    MachineOptions mo;
    mo.romDirectory = findRomDirectory(given, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), executableDir);
    mo.diagnostics = err;
    mo.traceOutput = err;  // standard output is kept for what was asked for
    mo.traceErrors = err;
    auto machine = std::make_unique<Machine>(mo);
    Machine& m = *machine;
    m.showStatusPart = [err](int part, const std::string& text) {
        if (part == 2) std::fprintf(err, "%s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
    };
    const int index = o.machine.value_or(0);
    MachineConfig record = standardConfigs()[static_cast<size_t>(index)];
    if (o.ramKbytes) record.ramSize = *o.ramKbytes == 48 ? 1 : 0;
    m.startUp(index, o.machine || o.ramKbytes ? &record : nullptr);

    if (!o.loadSnapshot.empty()) {
        if (IoResult loaded = loadSnapshot(m, o.loadSnapshot); !loaded) {
            std::fprintf(err, "kestrel-run: %s\n", loaded.message.c_str());
            return 1;
        }
    }
    if (!o.cas.empty()) {
        if (IoResult attached = m.attachTape(o.cas); !attached) {
            std::fprintf(err, "kestrel-run: %s\n", attached.message.c_str());
            return 1;
        }
    }
    for (const auto& [path, start] : {std::pair{o.wavTape, &Machine::attachWavTape},
                                      std::pair{o.recordWavTape, &Machine::createWavTape}}) {
        if (path.empty()) continue;
        if (IoResult opened = (m.*start)(path); !opened) {
            std::fprintf(err, "kestrel-run: %s\n", opened.message.c_str());
            return 1;
        }
        m.setTapeRunning(true);
    }
    if (!o.printer.empty()) {
        if (IoResult opened = m.openPrinter(o.printer); !opened) {
            std::fprintf(err, "kestrel-run: %s\n", opened.message.c_str());
            return 1;
        }
    }
    DiskPrompts diskPrompts;
    diskPrompts.saveChanges = [&o](int) { return o.saveDisks; };
    for (const RunnerOptions::Disk& d : o.disks) {
        if (IoResult attached = attachDisk(m, d.drive, d.path, diskPrompts); !attached) {
            std::fprintf(err, "kestrel-run: %s: %s\n", d.path.c_str(), attached.message.c_str());
            return 1;
        }
    }
    DisplayOptions display;
    display.oneBitDisplay = o.oneBit;
    display.giantScreen = o.giant;
    AutostartOptions autostart;
    autostart.autorun = !o.noAutorun;
    autostart.traceFailures = false;  // they already reach err as status lines
    autostart.disks = &diskPrompts;
    // A FILE not loaded has said why on err (as a status line).
    if (!o.autostart.empty() && !autostartFile(m, o.autostart, autostart)) return 1;
    if (!o.type.empty()) m.appendTypedText(o.type);

    SoundRecording sound;
    if (!o.recordSound.empty()) {
        if (IoResult started = sound.start(o.recordSound); !started) {
            std::fprintf(err, "kestrel-run: %s\n", started.message.c_str());
            return 1;
        }
        m.recordSound([&sound](std::span<const int16_t> frame) { return sound.writeFrame(frame); });
    }
    VideoRecording video;
    if (!o.recordVideo.empty()) {
#if KESTREL_HAVE_AVI
        m.setFrameFormat(display);
        m.renderFrame(display);
        const std::string codec = o.videoCodec.empty() ? kDefaultAviCodec : o.videoCodec;
        if (IoResult started = video.start(makeAviEncoder(codec, kDefaultAviQuality), o.recordVideo, m.frame(),
                                           m.activeConfig().frameHz, true);
            !started) {
            std::fprintf(err, "kestrel-run: %s\n", started.message.c_str());
            return 1;
        }
        m.tapSound([&video](std::span<const int16_t> samples) { video.addSound(samples); });
#else
        std::fprintf(err, "kestrel-run: video recording is not available in this build\n");
        return 1;
#endif
    }
    bool ok = true;
    const uint64_t frames = o.frames ? *o.frames
                                     : static_cast<uint64_t>(std::llround(o.seconds.value_or(2.0) *
                                                                          m.activeConfig().frameHz));
    for (uint64_t i = 0; i < frames; ++i) {
        // The ROM starts writing a tape: it goes to --record-cas, or nowhere.
        if (m.runFrame() & kFrameTapeRecording) m.answerTapeRecording(o.recordCas);
        if (!video.recording()) continue;
        if (m.screenChanged()) m.renderFrame(display);
        if (!video.writeFrame(m.frame(), true)) {
            std::fprintf(err, "kestrel-run: video stopped after %u frames: %s\n", video.framesWritten(),
                         video.lastError().c_str());
            ok = false;
        }
    }
    m.tapSound(nullptr);
    if (IoResult finished = video.stop(); !finished) {
        std::fprintf(err, "kestrel-run: %s\n", finished.message.c_str());
        ok = false;
    }
    if (sound.recording() || !sound.lastError().empty()) {
        m.recordSound(nullptr);
        const IoResult finished = sound.recording() ? sound.stop() : IoResult::failure(sound.lastError());
        if (!finished) std::fprintf(err, "kestrel-run: %s\n", finished.message.c_str());
        ok = finished.ok;
    }
    // A tape the machine recorded is written out now, and its loss is a failure.
    m.flushTapeRecording();
    if (!m.tapeRecordingError().empty()) {
        std::fprintf(err, "kestrel-run: tape not saved: %s\n", m.tapeRecordingError().c_str());
        ok = false;
    }
    if (IoResult closed = m.closeWavTape(); !closed) {
        std::fprintf(err, "kestrel-run: tape not saved: %s\n", closed.message.c_str());
        ok = false;
    }
    if (IoResult closed = m.closePrinter(); !closed) {
        std::fprintf(err, "kestrel-run: printer output not saved: %s\n", closed.message.c_str());
        ok = false;
    }
    // Disk files change only when asked to.
    for (int drive = 0; drive < Machine::kDrives; ++drive) {
        if (!m.diskChanged(drive)) continue;
        if (!o.saveDisks) {
            std::fprintf(err, "kestrel-run: drive :%d has unsaved changes (--save-disks writes them back)\n", drive);
        } else if (IoResult saved = m.saveDisk(drive); !saved) {
            std::fprintf(err, "kestrel-run: %s\n", saved.message.c_str());
            ok = false;
        }
    }
    if (!o.screenText.empty()) {
        const std::string text = screenText(m.memory().data() + 0x3C00, "\n");
        ok = writeOutput(o.screenText, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), out,
                         err) &&
             ok;
    }
    if (!o.screenshot.empty()) {
        m.setFrameFormat(display);
        m.renderFrame(display);
        const IoResult written = hasExtension(o.screenshot, ".gif") ? writeGif(m.frame(), o.screenshot)
                                                                     : writeBmp(m.frame(), o.screenshot);
        if (!written) std::fprintf(err, "kestrel-run: %s\n", written.message.c_str());
        ok = written.ok && ok;
    }
    if (o.saveMemoryCas) {
        const auto& c = *o.saveMemoryCas;
        if (IoResult saved = m.saveMemoryAsTape(c.path, c.from, c.end, c.entry); !saved) {
            std::fprintf(err, "kestrel-run: %s\n", saved.message.c_str());
            ok = false;
        }
    }
    if (!o.saveSnapshot.empty()) {
        if (IoResult saved = saveSnapshot(m, o.saveSnapshot); !saved) {
            std::fprintf(err, "kestrel-run: %s\n", saved.message.c_str());
            ok = false;
        }
    }
    if (!o.memdump.empty()) ok = writeOutput(o.memdump, std::span<const uint8_t>(m.memory()), out, err) && ok;
    if (o.disassembleFrom) {
        // As stored: a listing must not poke the device page.
        MemoryReader memory(m.memory().data());
        uint16_t address = *o.disassembleFrom;
        std::string line;
        for (int i = 0; i < o.disassembleLines; ++i) {
            address = disassembleOne(memory, address, line);
            std::fprintf(out, "%s\n", line.c_str());
        }
    }
    return ok ? 0 : 1;
}

}  // namespace kestrel
