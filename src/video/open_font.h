// The project's own character generator, free to ship with the emulator.
#pragma once

#include "video/character_images.h"

namespace kestrel {

// The open font in every image form, so that each character set built from them
// shows the same letters in the same place of the cell.
CharacterImages openFontImages();

}  // namespace kestrel
