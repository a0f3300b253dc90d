// The project's own BASIC ROM, assembled from firmware/ during the build.
#pragma once

#include <cstdint>
#include <span>

namespace kestrel {

extern const uint8_t kOpenFirmwareBasic[12288];

inline std::span<const uint8_t, 12288> openFirmwareBasic() { return std::span<const uint8_t, 12288>(kOpenFirmwareBasic); }

}  // namespace kestrel
