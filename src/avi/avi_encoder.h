// AVI files through FFmpeg's libavformat and libavcodec: the picture in a codec
// the user picks, the sound as plain 16-bit PCM.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "capture/video_recording.h"

namespace kestrel {

struct AviCodec {
    std::string name;   // the encoder's name in FFmpeg
    std::string label;  // for the codec chooser
    bool lossless = false;
    bool takesQuality = false;  // the quality setting matters
};

inline constexpr const char* kDefaultAviCodec = "ffv1";
inline constexpr int kDefaultAviQuality = 80;  // 1 (smallest) to 100 (best)

// The codecs this FFmpeg build has and can put into AVI, the lossless first.
std::vector<AviCodec> aviCodecs();

// An encoder for `codec` (an AviCodec name); an unknown one fails in open().
std::unique_ptr<VideoEncoder> makeAviEncoder(const std::string& codec, int quality);

}  // namespace kestrel
