// CAS tape images as bytes: where the data bits sit in an image, and the two
// kinds of tape this program writes itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// How many bits early the sync byte A5h comes in the image: 0 for an aligned
// image, 1-7 for one written a few bits off.
uint8_t casBitShift(std::span<const uint8_t> image);

// A BASIC tape for a tokenised file (its leading 0xFF dropped), named by the
// first character of the file name in `path`.
std::vector<uint8_t> basicTapeFromFile(const std::string& path, std::span<const uint8_t> tokenised);

// A SYSTEM tape of `bytes` loaded at `from`, named by the first six characters
// of the file name in `path`, starting at `entry`.
std::vector<uint8_t> systemTape(const std::string& path, uint16_t from, std::span<const uint8_t> bytes,
                                uint16_t entry);

// The last path component, whichever separator the path uses.
std::string fileNameOf(const std::string& path);

}  // namespace kestrel
