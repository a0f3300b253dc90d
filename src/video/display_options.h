// How the user wants the screen drawn. One record, held by whoever runs the
// session (the window or the runner) and handed to every render.
#pragma once

namespace kestrel {

struct DisplayOptions {
    bool videoCut = false;       // show 32 of the 64 columns at double width
    bool videoPage = false;      // with videoCut: columns 32-63 instead of 0-31
    bool oneBitDisplay = false;  // crisp 8-pixel cells instead of the gray-level picture
    bool giantScreen = false;    // 768 x 576 instead of 512 x 384
    bool doubleScan = true;      // fill the odd rows instead of leaving scan lines
    int compositeBlur = 0;       // 0 off, 1-99 strength (only giant size uses the strength)
};

}  // namespace kestrel
