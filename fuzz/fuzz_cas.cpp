// CAS tapes: attach, the bit-shift search, reading bytes, finding a program.
#include "devices/cassette.h"
#include "formats/cas_format.h"
#include "fuzz_support.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    const uint8_t expectedShift = casBitShift(input);

    Cassette tape;
    FUZZ_CHECK(tape.attachCas(fuzz::writeScratch("tape.cas", input)));
    FUZZ_CHECK(tape.imageAttached() && tape.bitShift == expectedShift);

    // Finding a program rewinds: the bytes read after it are the tape from its start.
    uint8_t nameChar = 0;
    const int kind = tape.findCasProgram(nameChar);
    FUZZ_CHECK(kind >= 0 && kind <= 2);

    // Every byte read is the image shifted by bitShift bits; past the end, ones.
    const unsigned shift = tape.bitShift % 32;
    uint8_t previous = 0;
    for (size_t i = 0; i < size + 4; ++i) {
        const uint8_t raw = i < size ? data[i] : 0xFF;
        const uint8_t expected = shift == 0 ? raw : static_cast<uint8_t>((uint32_t{previous} << 8 | raw) >> shift);
        previous = raw;
        FUZZ_CHECK(tape.readTapeByte() == expected);
    }

    tape.detachCas();
    FUZZ_CHECK(!tape.imageAttached() && tape.readTapeByte() == 0);
    return 0;
}
