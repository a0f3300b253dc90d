// ROM files and patch lists: a patch list either lies wholly inside the image
// or is refused; a ROM file goes over the start of an image, never past it.
#include <algorithm>
#include <cstring>

#include "fuzz_support.h"
#include "machine/rom_supply.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return -1;
    const std::vector<uint8_t> bytes(data, data + size);

    for (size_t imageSize : {kBasicRomSize, kExpansionRomSize}) {
        const auto patches = parsePatchList(bytes, imageSize);
        FUZZ_CHECK(patches.has_value() == (size % 8 == 0 && [&] {
                       for (size_t i = 0; i < size; i += 8) {
                           uint32_t offset;
                           std::memcpy(&offset, data + i, 4);  // little-endian host
                           if (offset >= imageSize) return false;
                       }
                       return true;
                   }()));
        if (patches) {
            FUZZ_CHECK(patches->size() == size / 8);
            for (size_t i = 0; i < patches->size(); ++i) {
                FUZZ_CHECK((*patches)[i].first < imageSize);
                FUZZ_CHECK((*patches)[i].second == data[i * 8 + 4]);
            }
        }
    }

    // A ROM file over an image: as much of it as fits; the rest of the image stays.
    const std::string path = fuzz::writeScratch("custom.rom", bytes);
    for (size_t imageSize : {kExpansionRomSize, kBasicRomSize}) {
        std::vector<uint8_t> image(imageSize, 0x5A);
        const bool taken = readRomFileOver(path, image.data(), image.size());
        FUZZ_CHECK(taken);
        const size_t copied = std::min(size, imageSize);
        FUZZ_CHECK(std::equal(bytes.begin(), bytes.begin() + static_cast<long>(copied), image.begin()));
        FUZZ_CHECK(std::all_of(image.begin() + static_cast<long>(copied), image.end(), [](uint8_t b) { return b == 0x5A; }));
    }

    // Patch lists and ROMs in a ROM directory, as the machine produces its images.
    const auto dir = fuzz::scratchDir() / "roms";
    std::filesystem::create_directories(dir);
    fuzz::writeScratch("roms/" + std::string(romfile::kBasic220Patch), bytes);
    fuzz::writeScratch("roms/" + std::string(romfile::kExpansionHu1Patch), bytes);
    fuzz::writeScratch("roms/" + std::string(romfile::kCharTrs80), bytes);
    RomSupply supply(dir, nullptr);
    BasicImage basic{};
    ExpansionImage expansion{};
    const uint32_t choice = size ? data[size - 1] % 4 : 0;
    supply.produceBasic(choice, path, basic);
    supply.produceExpansion(choice, path, expansion);
    supply.characterImages(choice);
    return 0;
}
