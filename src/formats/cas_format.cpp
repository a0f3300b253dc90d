#include "formats/cas_format.h"

#include <algorithm>

namespace kestrel {

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint8_t casBitShift(std::span<const uint8_t> image) {
    size_t at = 0;
    auto next = [&]() -> int { return at < image.size() ? image[at++] : -1; };
    // A tape written by systemTape has a leader of 0xAA bytes: such an image is aligned.
    int b = next();
    if (b == 0xAA) {
        while ((b = next()) == 0xAA) {
        }
        if (b == 0xA5) return 0;
    }
    at = 0;
    // Up to the first 0x00 of the leader, then over the rest of it.
    do b = next();
    while (b != 0 && b != -1);
    do b = next();
    while (b == 0);
    if (b == 0xA5) return 0;
    // The sync byte spread over two bytes: find how many bits early it came. The
    // old estimate v / 165 - 1 is right only for one bit, so it is kept just for
    // streams where no shift brings A5h together. The end of the image reads as -1.
    const int following = next();
    const int32_t v = (b * 256) | following;
    for (int shift = 1; shift < 8 && following != -1; ++shift)
        if (((v >> shift) & 0xFF) == 0xA5) return static_cast<uint8_t>(shift);
    return static_cast<uint8_t>(v / 165 - 1);
}

std::vector<uint8_t> basicTapeFromFile(const std::string& path, std::span<const uint8_t> tokenised) {
    // The name byte is the first character of the file name, not of the path
    // (which here begins with a directory).
    std::string stem = fileNameOf(path);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    uint8_t nameByte = stem.empty() ? 0x20 : static_cast<uint8_t>(stem[0]);
    if (nameByte >= 'a' && nameByte <= 'z') nameByte = static_cast<uint8_t>(nameByte - 'a' + 'A');

    std::vector<uint8_t> bytes(256, 0x00);
    bytes.insert(bytes.end(), {0xA5, 0xD3, 0xD3, 0xD3, nameByte});
    // Without the 0xFF that marks a tokenised file.
    bytes.insert(bytes.end(), tokenised.begin() + std::min<size_t>(tokenised.size(), 1), tokenised.end());
    bytes.push_back(0x1A);
    return bytes;
}

std::vector<uint8_t> systemTape(const std::string& path, uint16_t from, std::span<const uint8_t> bytes,
                                uint16_t entry) {
    std::vector<uint8_t> tape(256, 0xAA);
    tape.push_back(0xA5);
    tape.push_back(0x55);
    const std::string fileName = fileNameOf(path);
    size_t named = 0;
    for (; named < fileName.size() && named < 6 && fileName[named] != '.'; ++named)
        tape.push_back(static_cast<uint8_t>(fileName[named] & 0xDF));
    for (; named < 6; ++named) tape.push_back(0x20);

    uint32_t address = from;
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t count = std::min<size_t>(bytes.size() - done, 256);
        const uint8_t low = static_cast<uint8_t>(address);
        const uint8_t high = static_cast<uint8_t>(address >> 8);
        tape.insert(tape.end(), {0x3C, static_cast<uint8_t>(count), low, high});
        uint8_t checksum = static_cast<uint8_t>(low + high);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t b = bytes[done + i];
            tape.push_back(b);
            checksum = static_cast<uint8_t>(checksum + b);
        }
        tape.push_back(checksum);
        address += static_cast<uint32_t>(count);
        done += count;
    }
    tape.insert(tape.end(), {0x78, static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8)});
    return tape;
}

}  // namespace kestrel
