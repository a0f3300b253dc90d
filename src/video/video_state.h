// Renderer switches that the machine hardware changes.
#pragma once

namespace kestrel {

struct VideoState {
    bool columns32 = false;  // double-width characters (TRS-80 port 0xFF bit 3)
};

}  // namespace kestrel
