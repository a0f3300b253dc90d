// AVI recordings read back with libavformat: streams, sizes, timing, pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "avi/avi_encoder.h"
#include "runner/runner.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

// What a player sees in a file: every stream decoded to the end.
struct Playback {
    bool opened = false;
    int streams = 0;
    int width = 0, height = 0;
    AVRational frameRate{0, 1};
    int videoFrames = 0;
    int decodeErrors = 0;
    int64_t audioSamples = 0;
    int audioRate = 0;
    std::string subject;
    std::vector<uint8_t> lastPicture;  // gray levels, top row first
};

Playback play(const std::string& path) {
    Playback p;
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, path.c_str(), nullptr, nullptr) < 0) return p;
    if (avformat_find_stream_info(in, nullptr) < 0) {
        avformat_close_input(&in);
        return p;
    }
    p.opened = true;
    p.streams = static_cast<int>(in->nb_streams);
    if (const AVDictionaryEntry* e = av_dict_get(in->metadata, "subject", nullptr, 0)) p.subject = e->value;
    const int v = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int a = av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVCodecContext* decoder = nullptr;
    if (v >= 0) {
        const AVCodecParameters* par = in->streams[v]->codecpar;
        p.width = par->width;
        p.height = par->height;
        p.frameRate = in->streams[v]->avg_frame_rate;
        decoder = avcodec_alloc_context3(avcodec_find_decoder(par->codec_id));
        avcodec_parameters_to_context(decoder, par);
        if (avcodec_open2(decoder, decoder->codec, nullptr) < 0) ++p.decodeErrors;
    }
    if (a >= 0) p.audioRate = in->streams[a]->codecpar->sample_rate;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto take = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            ++p.videoFrames;
            p.lastPicture.assign(static_cast<size_t>(frame->width * frame->height), 0);
            const bool bgr = frame->format == AV_PIX_FMT_BGR24;
            for (int y = 0; y < frame->height; ++y)
                for (int x = 0; x < frame->width; ++x)
                    p.lastPicture[static_cast<size_t>(y * frame->width + x)] =
                        frame->data[0][y * frame->linesize[0] + (bgr ? 3 * x : x)];
        }
    };
    while (av_read_frame(in, packet) >= 0) {
        if (packet->stream_index == v && decoder) {
            if (avcodec_send_packet(decoder, packet) < 0) ++p.decodeErrors;
            take();
        } else if (packet->stream_index == a) {
            p.audioSamples += packet->size / 2;
        }
        av_packet_unref(packet);
    }
    if (decoder) {
        avcodec_send_packet(decoder, nullptr);
        take();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&in);
    return p;
}

// The audio stream's format record: PCM, mono, 48000 Hz, 16 bits, and no
// extra bytes (an extra-size field, when there is one, is 0).
std::string audioFormat(const std::vector<uint8_t>& avi) {
    const std::string text(avi.begin(), avi.end());
    const size_t strf = text.find("strf", text.find("auds"));
    if (strf == std::string::npos) return "none";
    const size_t size = avi[strf + 4] | avi[strf + 5] << 8;
    std::string hex;
    for (size_t i = 0; i < size; ++i) hex += "0123456789abcdef"[avi[strf + 8 + i] >> 4], hex += "0123456789abcdef"[avi[strf + 8 + i] & 15];
    return hex;
}

// The pixels of an 8-bit BMP as gray levels, top row first.
std::vector<uint8_t> bmpGray(const std::vector<uint8_t>& bmp, int width, int height) {
    std::vector<uint8_t> gray;
    const size_t offset = bmp.size() - static_cast<size_t>(width * height);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* row = bmp.data() + offset + static_cast<size_t>(y * width);
        for (int x = 0; x < width; ++x) gray.push_back(bmp[54 + 4u * row[x]]);  // the palette's blue
    }
    return gray;
}

TEST(AviRecording, RunnerRecordsEveryFrameWithItsSound) {
    test::ScratchDir dir;
    struct Case {
        const char* codec;
        double seconds;
        bool lossless;
    };
    const Case cases[] = {{"ffv1", 3, true}, {"rawvideo", 0.2, true}, {"mjpeg", 0.2, false}, {"mpeg4", 0.2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codec);
        RunnerOptions o;
        o.seconds = c.seconds;
        o.romDirectory = dir.path().string();
        o.recordVideo = dir.file(std::string(c.codec) + ".avi");
        o.videoCodec = c.codec;
        o.screenshot = dir.file("last.bmp");
        test::CapturedStream err;
        ASSERT_EQ(runRunner(o, dir.path(), stdout, err.file()), 0) << err.text();
        const Playback p = play(o.recordVideo);
        ASSERT_TRUE(p.opened);
        EXPECT_EQ(p.streams, 2);
        EXPECT_EQ(p.width, 512);
        EXPECT_EQ(p.height, 384);
        EXPECT_EQ(av_cmp_q(p.frameRate, AVRational{50, 1}), 0) << p.frameRate.num << "/" << p.frameRate.den;
        EXPECT_EQ(p.decodeErrors, 0);
        const int frames = static_cast<int>(c.seconds * 50);
        EXPECT_NEAR(p.videoFrames, frames, 1);
        EXPECT_EQ(p.audioRate, 48000);
        EXPECT_NEAR(static_cast<double>(p.audioSamples), p.videoFrames * 960.0, 960.0);
        EXPECT_EQ(p.subject, "KESTREL emulator");
        const std::string format = audioFormat(test::readFile(o.recordVideo));
        EXPECT_TRUE(format == "0100010080bb00000077010002001000" || format == "0100010080bb000000770100020010000000")
            << format;
        // The last picture is the screen the screenshot shows.
        if (c.lossless) {
            EXPECT_EQ(p.lastPicture, bmpGray(test::readFile(o.screenshot), 512, 384));
        }
    }
}

TEST(AviRecording, AFullDiskEndsTheRecordingWithAPlayableFile) {
    test::ScratchDir dir;
    const std::string path = dir.file("full.avi");
    FrameImage picture = FrameImage::create(512, 384, 8);
    const std::vector<int16_t> sound(960, 100);
    VideoRecording video;
    ASSERT_TRUE(video.start(makeAviEncoder("rawvideo", kDefaultAviQuality), path, picture, 50, true));
    bool stopped = false;
    {
        // Each picture is 576 KiB uncompressed: the fifth does not fit.
        test::FileSizeLimit limit(2500 * 1024);
        for (int i = 0; i < 20 && !stopped; ++i) {
            picture.pixels()[i] = 0xFF;
            video.addSound(sound);
            stopped = !video.writeFrame(picture, true);
        }
    }
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(video.recording());
    EXPECT_NE(video.lastError().find("Cannot write"), std::string::npos) << video.lastError();
    const Playback p = play(path);
    ASSERT_TRUE(p.opened);
    EXPECT_EQ(p.decodeErrors, 0);
    EXPECT_EQ(p.videoFrames, static_cast<int>(video.framesWritten()));
    EXPECT_GE(p.videoFrames, 3);
}

// The screen switched between 1-bit and giant 8-bit: every picture is brought
// to the size the recording began with; 1-bit pixels become black and white.
TEST(AviRecording, APictureOfAnotherFormatKeepsTheRecordingsSize) {
    test::ScratchDir dir;
    const std::string path = dir.file("switch.avi");
    FrameImage oneBit = FrameImage::create(512, 384, 1);
    FrameImage giant = FrameImage::create(768, 576, 8);
    std::fill(oneBit.pixels(), oneBit.pixels() + oneBit.stride() * 384, 0xF0);  // four white, four black
    std::fill(giant.pixels(), giant.pixels() + 768 * 576, 0x80);
    VideoRecording video;
    ASSERT_TRUE(video.start(makeAviEncoder("ffv1", kDefaultAviQuality), path, oneBit, 50, false));
    ASSERT_TRUE(video.writeFrame(giant, true));
    ASSERT_TRUE(video.writeFrame(oneBit, true));
    ASSERT_TRUE(video.stop());
    const Playback p = play(path);
    EXPECT_EQ(p.streams, 1);
    EXPECT_EQ(p.width, 512);
    EXPECT_EQ(p.videoFrames, 2);
    std::vector<uint8_t> bars(512 * 384);
    for (size_t i = 0; i < bars.size(); ++i) bars[i] = i % 8 < 4 ? 255 : 0;
    EXPECT_EQ(p.lastPicture, bars);
}

TEST(AviRecording, ANameOutsideTheListIsRefused) {
    test::ScratchDir dir;
    VideoRecording video;
    const IoResult started =
        video.start(makeAviEncoder("nonesuch", 50), dir.file("x.avi"), FrameImage::create(512, 384, 1), 50, false);
    EXPECT_FALSE(started);
    EXPECT_FALSE(video.recording());
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.avi")));
    std::vector<std::string> names;
    for (const AviCodec& c : aviCodecs()) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"ffv1", "mjpeg", "mpeg4", "rawvideo"}));
}

}  // namespace
}  // namespace kestrel
