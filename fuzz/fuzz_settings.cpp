// The settings file: any file either gives values or the defaults; a value
// the program writes reads back the same after the file is saved and opened again.
#include <chrono>
#include <filesystem>
#include <string>

#include <QtGlobal>

#include "frontend/settings.h"
#include "fuzz_support.h"

using namespace kestrel;

namespace {

const char* const kNumbers[] = {"BitDepth", "CompositeBlur", "ActiveConfig", "CustomCpuClockFreq",
                                "CustomScreenFreq", "CustomRamStartupPattern", "WindowScale"};
const char* const kStrings[] = {"Disk0", "Disk1", "BasicROMPath", "CharROMPath", "Tape"};

}  // namespace

// ASan keeps a stack per allocation; those through Qt come out different on
// nearly every input, so the store grew by ~1.5 KB an input and the run slowed
// to a third. The stack of a fault itself is still reported.
extern "C" const char* __asan_default_options() { return "malloc_context_size=0"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return -1;
    // Qt's warnings about odd keys, one per input, would cost more than the parsing.
    static const auto quiet = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    (void)quiet;
    // QSettings keeps what it read of a file by name and reads it again only
    // when its size or time changed: one name, with a time of its own per input.
    // (A new name per input would grow that cache, and libFuzzer would look
    // for a leak after every input.)
    static unsigned counter = 0;
    const std::string path = fuzz::writeScratch("kestrel.ini", {data, size});
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365) + std::chrono::seconds(++counter));

    std::string written;  // printable text with the characters INI files quote
    for (size_t i = 0; i < size && written.size() < 200; ++i)
        written.push_back(static_cast<char>(data[i] % 95 + 32));
    {
        Settings settings(path, nullptr);
        if (!settings.usable()) {
            // Refused: the defaults stay, and the file is left as it was.
            uint32_t value = 77;
            FUZZ_CHECK(!settings.readNumber("BitDepth", value) && value == 77);
            FUZZ_CHECK(!settings.writeString("Tape", "x") && !settings.sync());
            std::vector<uint8_t> after;
            FUZZ_CHECK(readWholeFile(path, 1 << 20, after));
            FUZZ_CHECK(after == std::vector<uint8_t>(data, data + size));
            return 0;
        }
        for (const char* name : kNumbers) {
            uint32_t value = 77;
            if (!settings.readNumber(name, value)) FUZZ_CHECK(value == 77);
        }
        for (const char* name : kStrings) {
            std::string value = "kept";
            if (settings.readString(name, value))
                FUZZ_CHECK(value.size() <= 4 * 4096);
            else
                FUZZ_CHECK(value == "kept");
        }
        FUZZ_CHECK(settings.writeString("Tape", written));
        FUZZ_CHECK(settings.writeNumber("WindowScale", static_cast<uint32_t>(size)));
        FUZZ_CHECK(settings.sync());
    }
    {
        Settings again(path, nullptr);
        FUZZ_CHECK(again.usable());
        std::string tape;
        FUZZ_CHECK(again.readString("Tape", tape) && tape == written);
        uint32_t scale = 0;
        FUZZ_CHECK(again.readNumber("WindowScale", scale) && scale == size);
        // A number that was unreadable was written back as the default it kept.
        for (const char* name : kNumbers) {
            uint32_t value = 77;
            again.readNumber(name, value);
        }
    }
    return 0;
}
