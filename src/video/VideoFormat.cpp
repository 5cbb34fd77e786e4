// VideoFormat: the five formats and their defaults.
#include "video/VideoFormat.h"

#include <cctype>
#include <string>

namespace velmora {

namespace {

// Defaults chosen for sharp pixel art: a low CRF keeps single-pixel edges
// clean. x264's "veryfast" with its quickest motion search, no search over
// partitions, no weighted prediction, fixed B-frames and a short look-ahead (on
// the default show: 0.7 of the work of "veryfast" alone, and a slightly smaller
// file; "superfast" makes files up to half as large again) keeps the export
// over four times faster than real time on two cores. libvpx's presets
// are its deadlines; "realtime" is the one that keeps up with the show. GIF
// and APNG stay at the show's size: their frames are large enough as they are.
constexpr VideoFormat kFormats[] = {
    {VideoContainer::Mp4, ".mp4", "mp4", "libx264", "aac", 2, true, 51, 18, "veryfast",
     "me=dia:subme=1:partitions=none:weightp=0:b-adapt=0:rc-lookahead=5",
     "ultrafast superfast veryfast faster fast medium slow slower veryslow placebo", true},
    {VideoContainer::WebM, ".webm", "webm", "libvpx-vp9", "libopus", 2, true, 63, 24, "realtime", "",
     "realtime good best", true},
    {VideoContainer::Mkv, ".mkv", "matroska", "ffv1", "flac", 1, false, 0, 0, "", "", "", false},
    {VideoContainer::Gif, ".gif", "gif", "gif", "", 1, false, 0, 0, "", "", "", false},
    {VideoContainer::Apng, ".apng", "apng", "apng", "", 1, false, 0, 0, "", "", "", false},
};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

std::optional<VideoFormat> videoFormatForPath(std::string_view path) {
    const std::string lower = lowerCase(path);
    for (const VideoFormat& format : kFormats) {
        const std::string_view extension = format.extension;
        // A name that is only the extension (".mp4") has no file name.
        const size_t slash = lower.find_last_of('/');
        const size_t nameLength = slash == std::string::npos ? lower.size() : lower.size() - slash - 1;
        if (nameLength > extension.size() && lower.ends_with(extension)) return format;
    }
    return std::nullopt;
}

bool isKnownPreset(const VideoFormat& format, std::string_view preset) {
    const std::string_view presets = format.presets;
    size_t begin = 0;
    while (begin < presets.size()) {
        size_t end = presets.find(' ', begin);
        if (end == std::string_view::npos) end = presets.size();
        if (!preset.empty() && presets.substr(begin, end - begin) == preset) return true;
        begin = end + 1;
    }
    return false;
}

}  // namespace velmora
