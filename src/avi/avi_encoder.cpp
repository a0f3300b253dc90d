#include "avi/avi_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

namespace kestrel {
namespace {

struct CodecChoice {
    const char* name;
    const char* label;
    AVPixelFormat format;
    bool lossless;
    bool takesQuality;
    bool intraOnly;  // every packet stands alone, so an unchanged picture may repeat one
};

// Screen pictures: sharp edges, few levels, long still stretches.
constexpr CodecChoice kChoices[] = {
    {"ffv1", "FFV1 (lossless)", AV_PIX_FMT_GRAY8, true, false, true},
    {"mjpeg", "Motion JPEG", AV_PIX_FMT_YUVJ420P, false, true, true},
    {"mpeg4", "MPEG-4 Part 2", AV_PIX_FMT_YUV420P, false, true, false},
    {"rawvideo", "Uncompressed", AV_PIX_FMT_BGR24, true, false, true},
};

const CodecChoice* findChoice(const std::string& name) {
    for (const CodecChoice& c : kChoices)
        if (name == c.name) return &c;
    return nullptr;
}

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// FFmpeg writes through this into an AtomicFileWriter, so a recording that
// cannot be finished never replaces a file the user had.
class FileSink {
public:
    IoResult open(const std::string& path) {
        pos_ = 0;
        failed_.clear();
        finishing_ = false;
        return file_.open(path);
    }

    int write(const uint8_t* data, int size) {
        const auto n = static_cast<uint64_t>(size);
        const uint64_t end = file_.size();
        IoResult r;
        if (pos_ > end) {
            r = IoResult::failure("Cannot write the video file: a gap in it");
        } else {
            const uint64_t inside = std::min(n, end - pos_);
            if (inside > 0) r = file_.writeAt(pos_, {data, static_cast<size_t>(inside)});
            if (r && inside < n) r = file_.append({data + inside, static_cast<size_t>(n - inside)});
        }
        pos_ += n;
        if (r) return size;
        if (failed_.empty()) failed_ = r.message;
        // While finishing, what does not fit is left out: the headers in front
        // still get their sizes, so the file plays up to its last whole frame.
        return finishing_ ? size : AVERROR(EIO);
    }

    int64_t seek(int64_t offset, int whence) {
        const auto size = static_cast<int64_t>(file_.size());
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return size;
        case SEEK_SET: break;
        case SEEK_CUR: offset += static_cast<int64_t>(pos_); break;
        case SEEK_END: offset += size; break;
        default: return AVERROR(EINVAL);
        }
        if (offset < 0) return AVERROR(EINVAL);
        pos_ = static_cast<uint64_t>(offset);
        return offset;
    }

    AtomicFileWriter file_;
    uint64_t pos_ = 0;
    std::string failed_;
    bool finishing_ = false;
};

#if LIBAVFORMAT_VERSION_MAJOR >= 61
int writeCallback(void* opaque, const uint8_t* data, int size)
#else
int writeCallback(void* opaque, uint8_t* data, int size)
#endif
{
    return static_cast<FileSink*>(opaque)->write(data, size);
}
int64_t seekCallback(void* opaque, int64_t offset, int whence) {
    return static_cast<FileSink*>(opaque)->seek(offset, whence);
}

class AviEncoder final : public VideoEncoder {
public:
    AviEncoder(std::string codec, int quality) : codecName_(std::move(codec)), quality_(std::clamp(quality, 1, 100)) {}
    ~AviEncoder() override { close(); }

    IoResult open(const std::string& path, const VideoFormat& format) override;
    IoResult write(const FrameImage& picture, std::span<const int16_t> samples) override;
    IoResult finish() override;

private:
    IoResult fail(const std::string& what, int code) {
        close();
        return IoResult::failure(what + ": " + avError(code));
    }
    IoResult writeFailure(int code) {
        failed_ = true;
        return IoResult::failure(!sink_.failed_.empty() ? sink_.failed_ : "Video not written: " + avError(code));
    }
    IoResult convert(const FrameImage& picture);
    int writeVideoPacket();
    void close();

    std::string codecName_;
    int quality_;
    const CodecChoice* choice_ = nullptr;
    VideoFormat format_;
    FileSink sink_;
    AVFormatContext* muxer_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    SwsContext* scaler_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVPacket* lastPacket_ = nullptr;  // the last picture's, for a repeat
    std::vector<uint8_t> lastPixels_;
    int lastWidth_ = 0, lastBits_ = 0;
    int64_t framesIn_ = 0;
    int64_t samplesIn_ = 0;
    bool headerWritten_ = false;
    bool failed_ = false;
};

IoResult AviEncoder::open(const std::string& path, const VideoFormat& format) {
    close();
    choice_ = findChoice(codecName_);
    const AVCodec* codec = choice_ ? avcodec_find_encoder_by_name(codecName_.c_str()) : nullptr;
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    if (!codec || !avi) return IoResult::failure("Video codec " + codecName_ + " is not available");
    format_ = format;
    av_log_set_level(AV_LOG_ERROR);

    int rc = avformat_alloc_output_context2(&muxer_, avi, nullptr, nullptr);
    if (rc < 0) return fail("Cannot start the video", rc);
    video_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    lastPacket_ = av_packet_alloc();
    if (!video_ || !frame_ || !packet_ || !lastPacket_) return fail("Cannot start the video", AVERROR(ENOMEM));

    const auto hz = static_cast<int>(format.frameHz);
    video_->width = format.width;
    video_->height = format.height;
    video_->pix_fmt = choice_->format;
    video_->time_base = {1, hz};
    video_->framerate = {hz, 1};
    video_->gop_size = choice_->intraOnly ? 1 : hz;
    video_->max_b_frames = 0;
    // Slices on two threads halve a frame's time on a second core; slice
    // threads, unlike frame threads, give each picture's packet back at once.
    video_->thread_count = 2;
    video_->thread_type = FF_THREAD_SLICE;
    if (choice_->format == AV_PIX_FMT_YUVJ420P) video_->color_range = AVCOL_RANGE_JPEG;
    if (choice_->takesQuality) {
        video_->flags |= AV_CODEC_FLAG_QSCALE;
        video_->global_quality = FF_QP2LAMBDA * (1 + (100 - quality_) * 30 / 99);
    }
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    // Version 3 in four slices codes a screen a third faster than version 1, on one thread.
    if (choice_->format == AV_PIX_FMT_GRAY8) {
        av_dict_set(&options, "level", "3", 0);
        av_dict_set(&options, "slices", "4", 0);
    }
    rc = avcodec_open2(video_, codec, &options);
    av_dict_free(&options);
    if (rc < 0) return fail("Cannot open video codec " + codecName_, rc);

    videoStream_ = avformat_new_stream(muxer_, nullptr);
    if (!videoStream_) return fail("Cannot start the video", AVERROR(ENOMEM));
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = video_->framerate;
    if ((rc = avcodec_parameters_from_context(videoStream_->codecpar, video_)) < 0)
        return fail("Cannot start the video", rc);
    if (format.sound) {
        audioStream_ = avformat_new_stream(muxer_, nullptr);
        if (!audioStream_) return fail("Cannot start the video", AVERROR(ENOMEM));
        AVCodecParameters* a = audioStream_->codecpar;
        a->codec_type = AVMEDIA_TYPE_AUDIO;
        a->codec_id = AV_CODEC_ID_PCM_S16LE;
        a->sample_rate = static_cast<int>(VideoRecording::kSampleRate);
        av_channel_layout_default(&a->ch_layout, 1);
        a->format = AV_SAMPLE_FMT_S16;
        a->bits_per_coded_sample = 16;
        a->block_align = 2;
        a->bit_rate = 16LL * VideoRecording::kSampleRate;
        audioStream_->time_base = {1, static_cast<int>(VideoRecording::kSampleRate)};
    }
    av_dict_set(&muxer_->metadata, "ISBJ", "KESTREL emulator", 0);

    frame_->format = choice_->format;
    frame_->width = format.width;
    frame_->height = format.height;
    if ((rc = av_frame_get_buffer(frame_, 0)) < 0) return fail("Cannot start the video", rc);

    if (IoResult opened = sink_.open(path); !opened) {
        close();
        return opened;
    }
    // Room for the largest picture, so that each frame leaves in one write.
    constexpr int kBufferBytes = 4 << 20;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferBytes));
    io_ = buffer ? avio_alloc_context(buffer, kBufferBytes, 1, &sink_, nullptr, writeCallback, seekCallback) : nullptr;
    if (!io_) {
        av_free(buffer);
        return fail("Cannot start the video", AVERROR(ENOMEM));
    }
    io_->seekable = AVIO_SEEKABLE_NORMAL;
    muxer_->pb = io_;
    muxer_->flags |= AVFMT_FLAG_CUSTOM_IO;
    if ((rc = avformat_write_header(muxer_, nullptr)) < 0) return fail("Cannot write " + path, rc);
    headerWritten_ = true;
    avio_flush(io_);
    if (io_->error < 0) return fail("Cannot write " + path, io_->error);
    return {};
}

IoResult AviEncoder::convert(const FrameImage& picture) {
    const AVPixelFormat source = picture.bitsPerPixel == 1 ? AV_PIX_FMT_MONOBLACK : AV_PIX_FMT_GRAY8;
    // A new context only when the screen's format changes (giant, bit depth).
    scaler_ = sws_getCachedContext(scaler_, picture.width, picture.height, source, format_.width, format_.height,
                                   choice_->format, SWS_POINT, nullptr, nullptr, nullptr);
    if (!scaler_) return IoResult::failure("Video not written: cannot convert the picture");
    int rc = av_frame_make_writable(frame_);
    if (rc < 0) return IoResult::failure("Video not written: " + avError(rc));
    const uint8_t* planes[4] = {picture.pixels(), nullptr, nullptr, nullptr};
    const int strides[4] = {picture.stride(), 0, 0, 0};
    sws_scale(scaler_, planes, strides, 0, picture.height, frame_->data, frame_->linesize);
    return {};
}

int AviEncoder::writeVideoPacket() {
    packet_->stream_index = videoStream_->index;
    av_packet_rescale_ts(packet_, video_->time_base, videoStream_->time_base);
    return av_write_frame(muxer_, packet_);
}

IoResult AviEncoder::write(const FrameImage& picture, std::span<const int16_t> samples) {
    if (!headerWritten_ || failed_) return IoResult::failure("Video not written: the recording has ended");
    int rc = 0;
    const size_t pixelBytes = static_cast<size_t>(picture.stride()) * static_cast<size_t>(picture.height);
    // A still screen repeats the last packet instead of encoding it again.
    const bool repeat = choice_->intraOnly && lastPacket_->size > 0 && picture.width == lastWidth_ &&
                        picture.bitsPerPixel == lastBits_ && lastPixels_.size() == pixelBytes &&
                        std::memcmp(lastPixels_.data(), picture.pixels(), pixelBytes) == 0;
    if (repeat) {
        if ((rc = av_packet_ref(packet_, lastPacket_)) < 0) return writeFailure(rc);
        packet_->pts = packet_->dts = framesIn_;
        packet_->duration = 1;
        rc = writeVideoPacket();
        av_packet_unref(packet_);
        if (rc < 0) return writeFailure(rc);
    } else {
        if (IoResult converted = convert(picture); !converted) return converted;
        frame_->pts = framesIn_;
        if (choice_->takesQuality) frame_->quality = video_->global_quality;
        if ((rc = avcodec_send_frame(video_, frame_)) < 0) return writeFailure(rc);
        while ((rc = avcodec_receive_packet(video_, packet_)) >= 0) {
            if (choice_->intraOnly) {
                av_packet_unref(lastPacket_);
                av_packet_ref(lastPacket_, packet_);
            }
            packet_->duration = 1;
            rc = writeVideoPacket();
            av_packet_unref(packet_);
            if (rc < 0) return writeFailure(rc);
        }
        if (rc != AVERROR(EAGAIN)) return writeFailure(rc);
        if (choice_->intraOnly) {
            lastPixels_.assign(picture.pixels(), picture.pixels() + pixelBytes);
            lastWidth_ = picture.width;
            lastBits_ = picture.bitsPerPixel;
        }
    }
    ++framesIn_;
    if (audioStream_ && !samples.empty()) {
        // Plain PCM needs no encoder: the samples are the packet.
        static_assert(std::endian::native == std::endian::little, "the samples are stored as they lie in memory");
        AVPacket* p = packet_;
        p->data = reinterpret_cast<uint8_t*>(const_cast<int16_t*>(samples.data()));
        p->size = static_cast<int>(samples.size_bytes());
        p->stream_index = audioStream_->index;
        p->pts = p->dts = samplesIn_;
        p->duration = static_cast<int64_t>(samples.size());
        p->flags = AV_PKT_FLAG_KEY;
        av_packet_rescale_ts(p, {1, static_cast<int>(VideoRecording::kSampleRate)}, audioStream_->time_base);
        rc = av_write_frame(muxer_, p);
        p->data = nullptr;
        p->size = 0;
        av_packet_unref(p);
        if (rc < 0) return writeFailure(rc);
        samplesIn_ += static_cast<int64_t>(samples.size());
    }
    // One frame, one write: a failure loses this frame, never part of an earlier one.
    avio_flush(io_);
    if (io_->error < 0) return writeFailure(io_->error);
    return {};
}

IoResult AviEncoder::finish() {
    if (!headerWritten_) {
        close();
        return IoResult::failure("Video not written");
    }
    const std::string firstFailure = sink_.failed_;
    sink_.finishing_ = true;
    io_->error = 0;
    int rc = av_write_trailer(muxer_);
    avio_flush(io_);
    headerWritten_ = false;
    IoResult result;
    if (rc < 0 && firstFailure.empty() && sink_.failed_.empty()) result = IoResult::failure("Video not finished: " + avError(rc));
    if (!sink_.failed_.empty() && firstFailure.empty() && !failed_) result = IoResult::failure(sink_.failed_);
    // Even a short file is the user's recording up to its last good frame.
    if (IoResult committed = sink_.file_.commit(); !committed) result = committed;
    close();
    return result;
}

void AviEncoder::close() {
    if (muxer_) {
        avformat_free_context(muxer_);
        muxer_ = nullptr;
    }
    if (io_) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
    avcodec_free_context(&video_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    av_packet_free(&lastPacket_);
    sws_freeContext(scaler_);
    scaler_ = nullptr;
    videoStream_ = audioStream_ = nullptr;
    lastPixels_.clear();
    lastWidth_ = lastBits_ = 0;
    framesIn_ = samplesIn_ = 0;
    headerWritten_ = false;
    failed_ = false;
    sink_.file_.abandon();
}

}  // namespace

std::vector<AviCodec> aviCodecs() {
    std::vector<AviCodec> list;
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    if (!avi) return list;
    for (const CodecChoice& c : kChoices) {
        const AVCodec* codec = avcodec_find_encoder_by_name(c.name);
        if (codec && avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) == 1)
            list.push_back({c.name, c.label, c.lossless, c.takesQuality});
    }
    return list;
}

std::unique_ptr<VideoEncoder> makeAviEncoder(const std::string& codec, int quality) {
    return std::make_unique<AviEncoder>(codec, quality);
}

}  // namespace kestrel
