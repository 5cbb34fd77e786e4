// VideoEncoder: libavformat for the container, libavcodec for the encoders,
// libswscale for colours and smooth scaling, libswresample for the sound.
#include "video/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

constexpr int kSoundRate = 44100;
constexpr AVPixelFormat kSourceFormat = AV_PIX_FMT_BGR0;  // 0x00RRGGBB words in memory order

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::string quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

std::string missingEncoderMessage(const char* encoder, const std::string& fileName) {
    if (avcodec_find_encoder_by_name(encoder)) return {};
    return "cannot write " + quoted(fileName) + ": the installed FFmpeg libraries have no " + encoder + " encoder";
}

struct VideoEncoder::State {
    VideoSettings settings;
    AVFormatContext* format = nullptr;
    bool fileOpen = false;
    bool headerWritten = false;
    AVPacket* packet = nullptr;

    AVCodecContext* video = nullptr;
    AVStream* videoStream = nullptr;
    AVFrame* videoFrame = nullptr;
    SwsContext* smoothScaler = nullptr;  // source to picture rectangle, bicubic
    SwsContext* converter = nullptr;     // whole frame to the encoder's pixel format
    std::vector<uint32_t> canvas;        // the frame in BGR0, black around the picture
    int64_t videoPts = 0;

    AVCodecContext* audio = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* audioFrame = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    std::vector<uint8_t*> converted;  // resampler output planes
    int convertedCapacity = 0;
    int64_t audioPts = 0;

    ~State() {
        if (fileOpen) avio_closep(&format->pb);
        avformat_free_context(format);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        av_frame_free(&videoFrame);
        sws_freeContext(smoothScaler);
        sws_freeContext(converter);
        avcodec_free_context(&audio);
        av_frame_free(&audioFrame);
        swr_free(&resampler);
        if (fifo) av_audio_fifo_free(fifo);
        if (!converted.empty()) av_freep(&converted[0]);
    }

    std::string failure(const std::string& what) const { return "cannot write " + quoted(settings.name) + ": " + what; }

    // Sends one frame (or the end, with null) and writes every packet that comes out.
    bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error) {
        int result = avcodec_send_frame(codec, frame);
        if (result < 0) {
            error = failure(std::string(codec->codec->name) + " encoding failed (" + avError(result) + ")");
            return false;
        }
        for (;;) {
            result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
            if (result < 0) {
                error = failure(std::string(codec->codec->name) + " encoding failed (" + avError(result) + ")");
                return false;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet);
            // A full disk shows first as the output buffer's error.
            if (result >= 0 && format->pb->error < 0) result = format->pb->error;
            if (result < 0) {
                error = failure(avError(result));
                return false;
            }
        }
    }

    bool openEncoder(AVCodecContext* codec, AVDictionary** options, std::string& error) {
        if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int result = avcodec_open2(codec, codec->codec, options);
        if (result < 0) {
            error = failure("the " + std::string(codec->codec->name) + " encoder refused its settings (" +
                            avError(result) + ")");
            return false;
        }
        return true;
    }

    bool openVideo(std::string& error) {
        const AVCodec* encoder = avcodec_find_encoder_by_name(settings.format.videoEncoder);
        video = avcodec_alloc_context3(encoder);
        videoStream = avformat_new_stream(format, nullptr);
        if (!video || !videoStream) return outOfMemory(error);
        const FrameLayout& layout = settings.layout;
        video->width = layout.width;
        video->height = layout.height;
        video->sample_aspect_ratio = AVRational{1, 1};
        video->time_base = AVRational{settings.fpsDenominator, settings.fpsNumerator};
        video->framerate = AVRational{settings.fpsNumerator, settings.fpsDenominator};
        video->thread_count = 0;  // as many as the encoder likes
        AVDictionary* options = nullptr;
        switch (settings.format.container) {
        case VideoContainer::Mp4:
            video->pix_fmt = AV_PIX_FMT_YUV420P;
            av_dict_set(&options, "preset", settings.preset.c_str(), 0);
            av_dict_set_int(&options, "crf", settings.crf, 0);
            if (!settings.encoderParams.empty())
                av_dict_set(&options, "x264-params", settings.encoderParams.c_str(), 0);
            break;
        case VideoContainer::WebM:
            video->pix_fmt = AV_PIX_FMT_YUV420P;
            video->bit_rate = 0;  // constant quality
            av_dict_set(&options, "deadline", settings.preset.c_str(), 0);
            av_dict_set_int(&options, "crf", settings.crf, 0);
            av_dict_set_int(&options, "cpu-used", settings.preset == "best" ? 1 : 5, 0);
            av_dict_set_int(&options, "row-mt", 1, 0);
            break;
        case VideoContainer::Mkv:
            video->pix_fmt = kSourceFormat;  // lossless: the show's own pixels
            video->gop_size = 1;
            av_dict_set_int(&options, "level", 3, 0);
            av_dict_set_int(&options, "slicecrc", 1, 0);
            break;
        }
        if (video->pix_fmt == AV_PIX_FMT_YUV420P) {
            // Tagged as BT.709, the matrix the conversion below uses.
            video->color_range = AVCOL_RANGE_MPEG;
            video->colorspace = AVCOL_SPC_BT709;
            video->color_primaries = AVCOL_PRI_BT709;
            video->color_trc = AVCOL_TRC_BT709;
        }
        const bool opened = openEncoder(video, &options, error);
        av_dict_free(&options);
        if (!opened) return false;
        if (avcodec_parameters_from_context(videoStream->codecpar, video) < 0) return outOfMemory(error);
        videoStream->time_base = video->time_base;
        videoStream->avg_frame_rate = video->framerate;

        videoFrame = av_frame_alloc();
        if (!videoFrame) return outOfMemory(error);
        videoFrame->format = video->pix_fmt;
        videoFrame->width = video->width;
        videoFrame->height = video->height;
        if (av_frame_get_buffer(videoFrame, 0) < 0) return outOfMemory(error);

        canvas.assign(static_cast<size_t>(layout.width) * layout.height, 0);
        if (settings.smooth) {
            smoothScaler = sws_getContext(settings.sourceWidth, settings.sourceHeight, kSourceFormat,
                                          layout.pictureWidth, layout.pictureHeight, kSourceFormat,
                                          SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
            if (!smoothScaler) return outOfMemory(error);
        }
        if (video->pix_fmt != kSourceFormat) {
            // Same size: only the colours change. Each picture pixel is a whole
            // 2x2 chroma block at even scales, so point sampling loses nothing.
            converter = sws_getContext(layout.width, layout.height, kSourceFormat, layout.width, layout.height,
                                       video->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
            if (!converter) return outOfMemory(error);
            const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(converter, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        }
        return true;
    }

    bool openAudio(std::string& error) {
        const AVCodec* encoder = avcodec_find_encoder_by_name(settings.format.audioEncoder);
        audio = avcodec_alloc_context3(encoder);
        audioStream = avformat_new_stream(format, nullptr);
        if (!audio || !audioStream) return outOfMemory(error);
        // The encoder's first sample format, and 44100 Hz unless it cannot take it (Opus: 48000).
        audio->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        int rate = kSoundRate;
        if (encoder->supported_samplerates) {
            rate = encoder->supported_samplerates[0];
            for (const int* r = encoder->supported_samplerates; *r; ++r)
                if (*r == kSoundRate) rate = kSoundRate;
        }
        audio->sample_rate = rate;
        av_channel_layout_default(&audio->ch_layout, 2);
        audio->time_base = AVRational{1, rate};
        if (settings.format.container == VideoContainer::Mp4) audio->bit_rate = 192000;
        if (settings.format.container == VideoContainer::WebM) audio->bit_rate = 160000;
        AVDictionary* options = nullptr;
        const bool opened = openEncoder(audio, &options, error);
        av_dict_free(&options);
        if (!opened) return false;
        if (avcodec_parameters_from_context(audioStream->codecpar, audio) < 0) return outOfMemory(error);
        audioStream->time_base = audio->time_base;

        AVChannelLayout stereo;
        av_channel_layout_default(&stereo, 2);
        if (swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, rate, &stereo, AV_SAMPLE_FMT_S16,
                                kSoundRate, 0, nullptr) < 0 ||
            swr_init(resampler) < 0)
            return outOfMemory(error);
        fifo = av_audio_fifo_alloc(audio->sample_fmt, 2, 4096);
        audioFrame = av_frame_alloc();
        if (!fifo || !audioFrame) return outOfMemory(error);
        return true;
    }

    bool outOfMemory(std::string& error) {
        error = failure("out of memory in the FFmpeg libraries");
        return false;
    }

    // The frame size the audio encoder takes; any size when it says none.
    int audioFrameSize() const { return audio->frame_size > 0 ? audio->frame_size : 4096; }

    // Sends whole encoder frames from the FIFO; with `all`, the short last one too.
    bool drainFifo(bool all, std::string& error) {
        const int size = audioFrameSize();
        while (av_audio_fifo_size(fifo) >= size || (all && av_audio_fifo_size(fifo) > 0)) {
            const int n = std::min(size, av_audio_fifo_size(fifo));
            av_frame_unref(audioFrame);
            audioFrame->nb_samples = n;
            audioFrame->format = audio->sample_fmt;
            audioFrame->sample_rate = audio->sample_rate;
            if (av_channel_layout_copy(&audioFrame->ch_layout, &audio->ch_layout) < 0 ||
                av_frame_get_buffer(audioFrame, 0) < 0)
                return outOfMemory(error);
            av_audio_fifo_read(fifo, reinterpret_cast<void**>(audioFrame->data), n);
            audioFrame->pts = audioPts;
            audioPts += n;
            if (!send(audio, audioStream, audioFrame, error)) return false;
        }
        return true;
    }

    // Resamples `frames` frames (none: flush the resampler) into the FIFO.
    bool resample(const int16_t* samples, int frames, std::string& error) {
        const int capacity = swr_get_out_samples(resampler, frames);
        if (capacity > convertedCapacity) {
            if (!converted.empty()) av_freep(&converted[0]);
            converted.assign(2, nullptr);
            if (av_samples_alloc(converted.data(), nullptr, 2, capacity, audio->sample_fmt, 0) < 0)
                return outOfMemory(error);
            convertedCapacity = capacity;
        }
        const uint8_t* in = reinterpret_cast<const uint8_t*>(samples);
        const int got = swr_convert(resampler, converted.data(), convertedCapacity, samples ? &in : nullptr, frames);
        if (got < 0) {
            error = failure("resampling the sound failed (" + avError(got) + ")");
            return false;
        }
        if (got > 0 && av_audio_fifo_write(fifo, reinterpret_cast<void**>(converted.data()), got) < got)
            return outOfMemory(error);
        return true;
    }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::open(const VideoSettings& settings, std::string& error) {
    close();
    // Failures come back as messages naming the file; the libraries' own log
    // would only add lines the user cannot act on.
    av_log_set_level(AV_LOG_QUIET);
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.settings = settings;
    for (const char* encoder : {settings.format.videoEncoder, settings.withSound ? settings.format.audioEncoder : ""}) {
        if (*encoder == 0) continue;
        error = missingEncoderMessage(encoder, settings.name);
        if (!error.empty()) return false;
    }
    if (avformat_alloc_output_context2(&s.format, nullptr, settings.format.muxer, settings.path.c_str()) < 0 ||
        !s.format) {
        error = s.failure(std::string("the installed FFmpeg libraries cannot write ") + settings.format.muxer);
        return false;
    }
    s.packet = av_packet_alloc();
    if (!s.packet) return s.outOfMemory(error);
    if (!s.openVideo(error)) return false;
    if (settings.withSound && !s.openAudio(error)) return false;

    const int opened = avio_open(&s.format->pb, settings.path.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        error = "cannot create " + quoted(settings.name) + ": " + avError(opened);
        return false;
    }
    s.fileOpen = true;
    AVDictionary* options = nullptr;
    // The index goes to the front, so players can start before the download ends.
    if (settings.format.container == VideoContainer::Mp4) av_dict_set(&options, "movflags", "+faststart", 0);
    const int written = avformat_write_header(s.format, &options);
    av_dict_free(&options);
    if (written < 0) {
        error = s.failure(avError(written));
        return false;
    }
    s.headerWritten = true;
    return true;
}

bool VideoEncoder::encodeFrame(const uint32_t* pixels, std::string& error) {
    State& s = *state_;
    const FrameLayout& layout = s.settings.layout;
    if (s.smoothScaler) {
        const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(pixels)};
        const int inStride[1] = {s.settings.sourceWidth * 4};
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(s.canvas.data() +
                                                      static_cast<size_t>(layout.pictureY) * layout.width +
                                                      layout.pictureX)};
        const int outStride[1] = {layout.width * 4};
        sws_scale(s.smoothScaler, in, inStride, 0, s.settings.sourceHeight, out, outStride);
    } else {
        drawNearest(pixels, s.settings.sourceWidth, s.settings.sourceHeight, layout, s.canvas.data());
    }
    // The encoder may still hold the previous frame.
    if (av_frame_make_writable(s.videoFrame) < 0) return s.outOfMemory(error);
    if (s.converter) {
        const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(s.canvas.data())};
        const int inStride[1] = {layout.width * 4};
        sws_scale(s.converter, in, inStride, 0, layout.height, s.videoFrame->data, s.videoFrame->linesize);
    } else {
        for (int y = 0; y < layout.height; ++y)
            std::memcpy(s.videoFrame->data[0] + static_cast<size_t>(y) * s.videoFrame->linesize[0],
                        s.canvas.data() + static_cast<size_t>(y) * layout.width,
                        static_cast<size_t>(layout.width) * 4);
    }
    s.videoFrame->pts = s.videoPts++;
    return s.send(s.video, s.videoStream, s.videoFrame, error);
}

bool VideoEncoder::encodeSound(const int16_t* samples, size_t frames, std::string& error) {
    State& s = *state_;
    if (!s.audio || frames == 0) return true;
    // In pieces the resampler's int count takes comfortably.
    while (frames > 0) {
        const int n = static_cast<int>(std::min<size_t>(frames, 1 << 16));
        if (!s.resample(samples, n, error) || !s.drainFifo(false, error)) return false;
        samples += 2 * static_cast<size_t>(n);
        frames -= static_cast<size_t>(n);
    }
    return true;
}

bool VideoEncoder::finish(std::string& error) {
    State& s = *state_;
    if (!s.send(s.video, s.videoStream, nullptr, error)) return false;
    if (s.audio) {
        if (!s.resample(nullptr, 0, error) || !s.drainFifo(true, error) ||
            !s.send(s.audio, s.audioStream, nullptr, error))
            return false;
    }
    int result = av_write_trailer(s.format);
    // Buffered writes report their failure here, not where they were made.
    if (result >= 0 && s.format->pb->error < 0) result = s.format->pb->error;
    if (result >= 0) {
        s.fileOpen = false;
        result = avio_closep(&s.format->pb);
    }
    if (result < 0) {
        error = s.failure(avError(result));
        return false;
    }
    return true;
}

void VideoEncoder::close() { state_.reset(); }

}  // namespace velmora
