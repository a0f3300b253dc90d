// WAV files: the header parser, a header round trip, and a tape played from the file.
#include "devices/tape_wav.h"
#include "formats/wav.h"
#include "fuzz_support.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);

    // A refused file leaves the caller's audio as it was.
    WavAudio audio;
    audio.rate = 1234;
    audio.samples = {7};
    const IoResult parsed = parseWav(input, audio);
    if (!parsed) {
        FUZZ_CHECK(!parsed.message.empty());
        FUZZ_CHECK(audio.rate == 1234 && audio.samples.size() == 1 && audio.samples[0] == 7);
    } else {
        FUZZ_CHECK(audio.channels == 1 || audio.channels == 2);
        FUZZ_CHECK(audio.bits == 8 || audio.bits == 16);
        FUZZ_CHECK(audio.rate >= 4000 && audio.rate <= 192000);
        FUZZ_CHECK(audio.samples.size() * audio.channels * (audio.bits / 8) <= size);
        const auto resampled = resample(audio.samples, audio.rate, kTapeSampleRate);
        FUZZ_CHECK(resampled.size() == audio.samples.size() * uint64_t{kTapeSampleRate} / audio.rate);
    }

    // The header this program writes, over the input as samples, reads back as
    // exactly those samples.
    if (size >= 1) {
        const uint16_t bits = (data[0] & 1) ? 16 : 8;
        const uint16_t channels = (data[0] & 2) ? 2 : 1;
        const uint32_t rate = 4000 + (data[0] >> 2) * 700u;
        const std::span<const uint8_t> body = input.subspan(1);
        std::vector<uint8_t> file = wavHeader(rate, channels, bits, static_cast<uint32_t>(body.size()));
        FUZZ_CHECK(file.size() == kWavHeaderBytes);
        file.insert(file.end(), body.begin(), body.end());
        WavAudio back;
        FUZZ_CHECK(parseWav(file, back));
        FUZZ_CHECK(back.rate == rate && back.channels == channels && back.bits == bits);
        const size_t frame = size_t{channels} * (bits / 8);
        FUZZ_CHECK(back.samples.size() == body.size() / frame);
        for (size_t i = 0; i < back.samples.size(); ++i) {
            const uint8_t* p = body.data() + i * frame;
            const int16_t expected = bits == 8 ? static_cast<int16_t>((p[0] - 128) * 256)
                                               : static_cast<int16_t>(p[0] | p[1] << 8);
            FUZZ_CHECK(back.samples[i] == expected);
        }
    }

    // Played as a tape: attach, then the input sampled over a stretch of time.
    TapeWav tape;
    const IoResult attached = tape.attachWav(fuzz::writeScratch("tape.wav", input), 1774080);
    FUZZ_CHECK(static_cast<bool>(attached) == static_cast<bool>(parsed));
    if (attached) {
        tape.setRunning(true, 0);
        for (uint64_t now = 0; now < 400000; now += 97) FUZZ_CHECK(tape.tapeInputAt(now) <= 1);
        tape.rewindWav();
        FUZZ_CHECK(tape.tapeInputAt(1) <= 1);
        FUZZ_CHECK(tape.closeWav());
    }
    return 0;
}
