// The video files `velmora render --video` can write, told apart by the file
// name's extension, with the encoders each uses and their defaults. Plain data:
// no FFmpeg here, so the command line can check options before any encoding.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

enum class VideoContainer { Mp4, WebM, Mkv, Gif, Apng };

struct VideoFormat {
    VideoContainer container;
    const char* extension;     // ".mp4"
    const char* muxer;         // libavformat's short name
    const char* videoEncoder;  // libavcodec's encoder names
    const char* audioEncoder;  // empty: no sound
    int defaultScale;
    // Quality and speed knobs: none for the lossless formats and GIF.
    bool hasQuality;
    int maxCrf;
    int defaultCrf;
    const char* defaultPreset;
    // Encoder settings that go with the default preset (x264-params).
    const char* defaultPresetParams;
    // The presets the video encoder knows, space-separated.
    const char* presets;
    // 4:2:0 chroma: the frame's width and height must be even.
    bool needsEvenSize;
};

// The format for a file name, from its extension (case-insensitive); nullopt
// for any other extension.
std::optional<VideoFormat> videoFormatForPath(std::string_view path);

// True when `preset` is one of the format's presets.
bool isKnownPreset(const VideoFormat& format, std::string_view preset);

}  // namespace velmora
