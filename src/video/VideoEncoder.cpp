// VideoEncoder: libavformat for the container, libavcodec for the encoders,
// FrameConverter for the colours, libavfilter for a GIF's palette,
// libswresample for the sound.
#include "video/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "video/FrameConverter.h"

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

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Each source pixel as a block x block square of `out` (stride bytes a row)
// from its corner; one byte a pixel.
void drawBlocks(const uint8_t* source, int width, int height, int sourceStride, int block, uint8_t* out,
                size_t stride) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<size_t>(y) * sourceStride;
        uint8_t* row = out + static_cast<size_t>(y) * block * stride;
        for (int x = 0; x < width; ++x) std::memset(row + x * block, in[x], block);
        for (int i = 1; i < block; ++i) std::memcpy(row + i * stride, row, static_cast<size_t>(width) * block);
    }
}

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
    // The video and the sound are encoded on threads of their own and meet in the muxer.
    std::mutex mux;
    VideoTimes times;  // muxing: the trailer's; each thread counts its packets' below
    double videoMuxing = 0.0, soundMuxing = 0.0;

    AVCodecContext* video = nullptr;
    AVStream* videoStream = nullptr;
    AVFrame* videoFrame = nullptr;
    FrameConverter yuv;                  // for the 4:2:0 encoders
    SwsContext* smoothScaler = nullptr;  // RGB frames: source to picture rectangle, bicubic
    std::vector<uint32_t> canvas;        // RGB frames: the frame in BGR0, black around the picture
    int64_t videoPts = 0;

    // A GIF: every frame goes through palettegen, whose palette exists only
    // once it has seen the last, then through paletteuse. Crisp frames are
    // quantised at the source's size and scaled as palette indices.
    AVFilterGraph* graph = nullptr;
    AVFilterContext* paletteIn = nullptr;
    AVFilterContext* paletteOut = nullptr;
    AVFrame* filtered = nullptr;
    int gifWidth = 0, gifHeight = 0, gifBlock = 1, gifX = 0, gifY = 0;

    AVCodecContext* audio = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* audioFrame = nullptr;
    AVPacket* audioPacket = nullptr;
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
        avfilter_graph_free(&graph);
        av_frame_free(&filtered);
        av_packet_free(&audioPacket);
        avcodec_free_context(&audio);
        av_frame_free(&audioFrame);
        swr_free(&resampler);
        if (fifo) av_audio_fifo_free(fifo);
        if (!converted.empty()) av_freep(&converted[0]);
    }

    std::string failure(const std::string& what) const { return "cannot write " + quoted(settings.name) + ": " + what; }

    // Sends one frame (or the end, with null) and writes every packet that comes out.
    bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error) {
        AVPacket* packet = codec == video ? this->packet : audioPacket;
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
            {
                std::lock_guard lock(mux);
                const Clock::time_point start = Clock::now();
                result = av_interleaved_write_frame(format, packet);
                // A full disk shows first as the output buffer's error.
                if (result >= 0 && format->pb->error < 0) result = format->pb->error;
                (codec == video ? videoMuxing : soundMuxing) += secondsSince(start);
            }
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
        video->thread_count = 0;  // one a core, or as many as the encoder likes
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
            av_dict_set_int(&options, "cpu-used", webmSpeed(settings.preset), 0);
            // Rows and tile columns keep every core busy; four columns of 256
            // pixels at 1024 wide (libvpx takes fewer when the frame is narrower).
            av_dict_set_int(&options, "row-mt", 1, 0);
            av_dict_set_int(&options, "tile-columns", 2, 0);
            break;
        case VideoContainer::Gif:
            video->pix_fmt = AV_PIX_FMT_PAL8;
            break;
        case VideoContainer::Apng:
            video->pix_fmt = AV_PIX_FMT_RGB24;  // lossless, as the show's pixels
            break;
        case VideoContainer::Mkv:
            video->pix_fmt = kSourceFormat;  // lossless: the show's own pixels
            video->gop_size = 1;
            av_dict_set_int(&options, "level", 3, 0);
            av_dict_set_int(&options, "slicecrc", 1, 0);
            break;
        }
        if (video->pix_fmt == AV_PIX_FMT_YUV420P) {
            // Tagged as BT.709, the matrix FrameConverter uses.
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

        if (video->pix_fmt == AV_PIX_FMT_YUV420P) {
            if (!yuv.open(settings.sourceWidth, settings.sourceHeight, layout, settings.smooth))
                return outOfMemory(error);
            return true;
        }
        canvas.assign(static_cast<size_t>(layout.width) * layout.height, 0);
        if (settings.smooth) {
            smoothScaler = sws_getContext(settings.sourceWidth, settings.sourceHeight, kSourceFormat,
                                          layout.pictureWidth, layout.pictureHeight, kSourceFormat,
                                          SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
            if (!smoothScaler) return outOfMemory(error);
        }
        if (video->pix_fmt == AV_PIX_FMT_PAL8) return openPalette(error);
        return true;
    }

    static int webmSpeed(const std::string& preset) {
        // Measured on two cores: realtime at 8 keeps up with the show; good at
        // 5 takes about eight times longer for a file about a quarter smaller.
        if (preset == "realtime") return 8;
        return preset == "best" ? 1 : 5;
    }

    bool openPalette(std::string& error) {
        const FrameLayout& layout = settings.layout;
        const bool crisp = !settings.smooth;
        gifWidth = crisp ? settings.sourceWidth : layout.width;
        gifHeight = crisp ? settings.sourceHeight : layout.height;
        gifBlock = crisp ? layout.scale : 1;
        gifX = crisp ? layout.pictureX : 0;
        gifY = crisp ? layout.pictureY : 0;
        graph = avfilter_graph_alloc();
        filtered = av_frame_alloc();
        if (!graph || !filtered) return outOfMemory(error);
        char arguments[128];
        std::snprintf(arguments, sizeof arguments, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=1/1",
                      gifWidth, gifHeight, static_cast<int>(AV_PIX_FMT_BGRA), settings.fpsDenominator,
                      settings.fpsNumerator);
        AVFilterInOut* inputs = nullptr;
        AVFilterInOut* outputs = nullptr;
        int result = avfilter_graph_create_filter(&paletteIn, avfilter_get_by_name("buffer"), "in", arguments,
                                                  nullptr, graph);
        if (result >= 0)
            result = avfilter_graph_create_filter(&paletteOut, avfilter_get_by_name("buffersink"), "out", nullptr,
                                                  nullptr, graph);
        if (result >= 0) {
            outputs = avfilter_inout_alloc();
            inputs = avfilter_inout_alloc();
            if (!outputs || !inputs) result = AVERROR(ENOMEM);
        }
        if (result >= 0) {
            outputs->name = av_strdup("in");
            outputs->filter_ctx = paletteIn;
            inputs->name = av_strdup("out");
            inputs->filter_ctx = paletteOut;
            // One palette for the clip, from every pixel of every frame.
            result = avfilter_graph_parse_ptr(
                graph, "split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse", &inputs, &outputs, nullptr);
        }
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        if (result >= 0) result = avfilter_graph_config(graph, nullptr);
        if (result < 0) {
            error = failure("the installed FFmpeg libraries cannot make a palette (" + avError(result) + ")");
            return false;
        }
        return true;
    }

    // The quantised frames that came out of the palette filters, scaled into the video frame and encoded.
    bool encodePaletted(std::string& error) {
        for (;;) {
            av_frame_unref(filtered);
            const int result = av_buffersink_get_frame(paletteOut, filtered);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
            if (result < 0) {
                error = failure("making the palette failed (" + avError(result) + ")");
                return false;
            }
            if (av_frame_make_writable(videoFrame) < 0) return outOfMemory(error);
            const uint32_t* palette = reinterpret_cast<const uint32_t*>(filtered->data[1]);
            std::memcpy(videoFrame->data[1], palette, 256 * 4);
            // The border takes the palette's colour nearest to black.
            int black = 0;
            for (int i = 1; i < 256; ++i)
                if (brightness(palette[i]) < brightness(palette[black])) black = i;
            const FrameLayout& layout = settings.layout;
            for (int y = 0; y < layout.height; ++y)
                std::memset(videoFrame->data[0] + static_cast<size_t>(y) * videoFrame->linesize[0], black,
                            layout.width);
            const size_t stride = static_cast<size_t>(videoFrame->linesize[0]);
            drawBlocks(filtered->data[0], gifWidth, gifHeight, filtered->linesize[0], gifBlock,
                       videoFrame->data[0] + static_cast<size_t>(gifY) * stride + gifX, stride);
            videoFrame->pts = filtered->pts;
            if (!send(video, videoStream, videoFrame, error)) return false;
        }
    }

    static int brightness(uint32_t argb) {
        return static_cast<int>((argb >> 16 & 255) + (argb >> 8 & 255) + (argb & 255));
    }

    // The source frame in BGR0 at the layout, black around the picture.
    void drawCanvas(const uint32_t* pixels) {
        const FrameLayout& layout = settings.layout;
        if (smoothScaler) {
            const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(pixels)};
            const int inStride[1] = {settings.sourceWidth * 4};
            uint8_t* out[1] = {reinterpret_cast<uint8_t*>(canvas.data() +
                                                          static_cast<size_t>(layout.pictureY) * layout.width +
                                                          layout.pictureX)};
            const int outStride[1] = {layout.width * 4};
            sws_scale(smoothScaler, in, inStride, 0, settings.sourceHeight, out, outStride);
        } else {
            drawNearest(pixels, settings.sourceWidth, settings.sourceHeight, layout, canvas.data());
        }
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
    s.audioPacket = av_packet_alloc();
    if (!s.packet || !s.audioPacket) return s.outOfMemory(error);
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
    // Loops, like a GIF.
    if (settings.format.container == VideoContainer::Apng) av_dict_set(&options, "plays", "0", 0);
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
    const Clock::time_point start = Clock::now();
    if (s.graph) {
        // The palette filters keep every frame until the last: a frame of its own each.
        AVFrame* frame = av_frame_alloc();
        if (!frame) return s.outOfMemory(error);
        frame->format = AV_PIX_FMT_BGRA;  // what the palette filters take: no conversion in between
        frame->width = s.gifWidth;
        frame->height = s.gifHeight;
        frame->pts = s.videoPts++;
        if (av_frame_get_buffer(frame, 0) < 0) {
            av_frame_free(&frame);
            return s.outOfMemory(error);
        }
        const uint32_t* from = pixels;
        if (s.settings.smooth) {
            s.drawCanvas(pixels);
            from = s.canvas.data();
        }
        for (int y = 0; y < s.gifHeight; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(frame->data[0] + static_cast<size_t>(y) * frame->linesize[0]);
            const uint32_t* in = from + static_cast<size_t>(y) * s.gifWidth;
            for (int x = 0; x < s.gifWidth; ++x) row[x] = in[x] | 0xFF000000u;  // opaque
        }
        const int result = av_buffersrc_add_frame(s.paletteIn, frame);
        av_frame_free(&frame);
        s.times.conversion += secondsSince(start);
        if (result < 0) {
            error = s.failure("making the palette failed (" + avError(result) + ")");
            return false;
        }
        return true;
    }
    // The encoder may still hold the previous frame.
    if (av_frame_make_writable(s.videoFrame) < 0) return s.outOfMemory(error);
    if (s.video->pix_fmt == AV_PIX_FMT_YUV420P) {
        s.yuv.convert(pixels, s.videoFrame->data, s.videoFrame->linesize);
    } else if (s.video->pix_fmt == AV_PIX_FMT_RGB24) {
        s.drawCanvas(pixels);
        for (int y = 0; y < layout.height; ++y) {
            uint8_t* out = s.videoFrame->data[0] + static_cast<size_t>(y) * s.videoFrame->linesize[0];
            const uint32_t* in = s.canvas.data() + static_cast<size_t>(y) * layout.width;
            for (int x = 0; x < layout.width; ++x) {
                out[3 * x] = static_cast<uint8_t>(in[x] >> 16);
                out[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
                out[3 * x + 2] = static_cast<uint8_t>(in[x]);
            }
        }
    } else {
        s.drawCanvas(pixels);
        for (int y = 0; y < layout.height; ++y)
            std::memcpy(s.videoFrame->data[0] + static_cast<size_t>(y) * s.videoFrame->linesize[0],
                        s.canvas.data() + static_cast<size_t>(y) * layout.width,
                        static_cast<size_t>(layout.width) * 4);
    }
    s.videoFrame->pts = s.videoPts++;
    const Clock::time_point converted = Clock::now();
    s.times.conversion += std::chrono::duration<double>(converted - start).count();
    const double muxed = s.videoMuxing;
    const bool sent = s.send(s.video, s.videoStream, s.videoFrame, error);
    s.times.encoding += secondsSince(converted) - (s.videoMuxing - muxed);
    return sent;
}

bool VideoEncoder::encodeSound(const int16_t* samples, size_t frames, std::string& error) {
    State& s = *state_;
    if (!s.audio || frames == 0) return true;
    const Clock::time_point start = Clock::now();
    // In pieces the resampler's int count takes comfortably.
    while (frames > 0) {
        const int n = static_cast<int>(std::min<size_t>(frames, 1 << 16));
        if (!s.resample(samples, n, error) || !s.drainFifo(false, error)) return false;
        samples += 2 * static_cast<size_t>(n);
        frames -= static_cast<size_t>(n);
    }
    s.times.sound += secondsSince(start);
    return true;
}

bool VideoEncoder::finish(std::string& error) {
    State& s = *state_;
    const Clock::time_point start = Clock::now();
    const double muxed = s.videoMuxing + s.soundMuxing;
    if (s.graph) {
        const int result = av_buffersrc_add_frame(s.paletteIn, nullptr);
        if (result < 0 || !s.encodePaletted(error)) {
            if (error.empty()) error = s.failure("making the palette failed (" + avError(result) + ")");
            return false;
        }
    }
    if (!s.send(s.video, s.videoStream, nullptr, error)) return false;
    if (s.audio) {
        if (!s.resample(nullptr, 0, error) || !s.drainFifo(true, error) ||
            !s.send(s.audio, s.audioStream, nullptr, error))
            return false;
    }
    s.times.encoding += secondsSince(start) - (s.videoMuxing + s.soundMuxing - muxed);
    const Clock::time_point trailer = Clock::now();
    int result = av_write_trailer(s.format);
    // Buffered writes report their failure here, not where they were made.
    if (result >= 0 && s.format->pb->error < 0) result = s.format->pb->error;
    if (result >= 0) {
        s.fileOpen = false;
        result = avio_closep(&s.format->pb);
    }
    s.times.muxing += secondsSince(trailer);
    if (result < 0) {
        error = s.failure(avError(result));
        return false;
    }
    return true;
}

VideoTimes VideoEncoder::times() const {
    if (!state_) return {};
    VideoTimes times = state_->times;
    times.muxing += state_->videoMuxing + state_->soundMuxing;
    return times;
}

void VideoEncoder::close() { state_.reset(); }

}  // namespace velmora
