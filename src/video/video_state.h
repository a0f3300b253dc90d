// The video hardware's own switch: the TRS-80's 32-column mode.
#pragma once

namespace kestrel {

struct VideoState {
    bool columns32 = false;  // double-width characters (TRS-80 port 0xFF bit 3)
};

}  // namespace kestrel
