// A video file read back with libavformat and libavcodec for the export tests:
// its streams, every decoded picture as 0x00RRGGBB words, and its sound as
// 16-bit interleaved samples.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace velmora::hosttest {

struct DecodedStream {
    std::string codec;
    bool isVideo = false;
    int width = 0, height = 0;
    std::string pixelFormat;
    int sampleRate = 0;
    int64_t packets = 0;
    double seconds = 0.0;  // from the first packet's start to the last one's end
};

struct DecodedVideo {
    bool opened = false;
    std::vector<DecodedStream> streams;
    // Filled only when asked: pictures of a packed 32-bit RGB format (FFV1's
    // bgr0), and sound in 16-bit samples (FLAC's s16).
    std::vector<std::vector<uint32_t>> pictures;
    std::vector<int16_t> sound;
};

inline void keepDecoded(AVCodecContext* codec, AVFrame* frame, DecodedVideo& out) {
    while (avcodec_receive_frame(codec, frame) == 0) {
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO && codec->pix_fmt == AV_PIX_FMT_BGR0) {
            std::vector<uint32_t> picture(static_cast<size_t>(frame->width) * frame->height);
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(picture.data() + static_cast<size_t>(y) * frame->width,
                            frame->data[0] + static_cast<size_t>(y) * frame->linesize[0],
                            static_cast<size_t>(frame->width) * 4);
            out.pictures.push_back(std::move(picture));
        } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO && frame->format == AV_SAMPLE_FMT_S16) {
            const int16_t* samples = reinterpret_cast<const int16_t*>(frame->data[0]);
            out.sound.insert(out.sound.end(), samples, samples + 2 * frame->nb_samples);
        }
        av_frame_unref(frame);
    }
}

inline DecodedVideo decodeVideo(const std::string& path, bool decode) {
    DecodedVideo out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return out;
    if (avformat_find_stream_info(format, nullptr) < 0) {
        avformat_close_input(&format);
        return out;
    }
    out.opened = true;
    std::vector<AVCodecContext*> codecs(format->nb_streams, nullptr);
    std::vector<int64_t> first(format->nb_streams, INT64_MAX), last(format->nb_streams, INT64_MIN);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* p = format->streams[i]->codecpar;
        DecodedStream s;
        s.codec = avcodec_get_name(p->codec_id);
        s.isVideo = p->codec_type == AVMEDIA_TYPE_VIDEO;
        s.width = p->width;
        s.height = p->height;
        if (s.isVideo) {
            const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(p->format));
            s.pixelFormat = name ? name : "";
        }
        s.sampleRate = p->sample_rate;
        out.streams.push_back(s);
        if (!decode) continue;
        const AVCodec* decoder = avcodec_find_decoder(p->codec_id);
        codecs[i] = avcodec_alloc_context3(decoder);
        avcodec_parameters_to_context(codecs[i], p);
        avcodec_open2(codecs[i], decoder, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    while (av_read_frame(format, packet) >= 0) {
        const int i = packet->stream_index;
        ++out.streams[i].packets;
        if (packet->pts != AV_NOPTS_VALUE) {
            first[i] = std::min(first[i], packet->pts);
            last[i] = std::max(last[i], packet->pts + packet->duration);
        }
        if (codecs[i] && avcodec_send_packet(codecs[i], packet) == 0) keepDecoded(codecs[i], frame, out);
        av_packet_unref(packet);
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (last[i] > first[i]) out.streams[i].seconds = (last[i] - first[i]) * av_q2d(format->streams[i]->time_base);
        if (!codecs[i]) continue;
        avcodec_send_packet(codecs[i], nullptr);
        keepDecoded(codecs[i], frame, out);
        avcodec_free_context(&codecs[i]);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return out;
}

}  // namespace velmora::hosttest
