// Render option values and the checks across them.
#include "host/commands/RenderSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "show/NumberText.h"
#include "host/commands/RenderCommand.h"

namespace velmora {

namespace {

// The largest denominator of a video's frame rate: a frame then lasts a
// million ticks of the container's clock, and the encoders' reordering of a
// few frames still fits the 32-bit offsets of MP4 (a billion does not).
constexpr int kMaxRateDenominator = 1000000;

bool hasLength(const RenderOptions& o) { return o.frames.has_value() || o.seconds > 0.0 || o.untilEnd; }

}  // namespace

std::optional<FrameSize> parseFrameSize(std::string_view text) {
    const size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    auto width = parseInteger(text.substr(0, x));
    auto height = parseInteger(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > 8192 || *height > 8192) return std::nullopt;
    return FrameSize{static_cast<int>(*width), static_cast<int>(*height)};
}

bool checkRenderOptions(const RenderOptions& o, std::string& error) {
    if (o.preroll) {
        error = prerollProblem(o.start, o.fps.perSecond);
        if (!error.empty()) return false;
    }
    if (o.hash && (!o.outDir.empty() || !o.video.empty())) {
        error = std::string("option '--hash' writes no files: give it without '") +
                (o.outDir.empty() ? "--video" : "--out") + "'";
        return false;
    }
    if (!o.hash && o.outDir.empty() == o.video.empty()) {
        error = o.outDir.empty() ? "option '--out' or '--video' is required" : "give '--out' or '--video', not both";
        return false;
    }
    if ((o.frames ? 1 : 0) + (o.seconds > 0.0 ? 1 : 0) + (o.untilEnd ? 1 : 0) > 1) {
        error = "give one of '--frames', '--seconds' and '--until-end'";
        return false;
    }
    if (o.video.empty()) {
        const char* videoOnly = o.timing ? "--timing"
                                : o.scale ? "--scale"
                                : o.size.width ? "--size"
                                : o.smooth ? "--smooth"
                                : o.crf >= 0 ? "--crf"
                                : !o.preset.empty() ? "--preset"
                                : nullptr;
        if (videoOnly) {
            error = std::string("option '") + videoOnly + "' applies only with '--video'";
            return false;
        }
        return true;
    }

    const std::string file = "'" + o.video + "'";
    const auto format = videoFormatForPath(o.video);
    if (!format) {
        error = "cannot write " + file +
                ": unknown video format (the name must end in .mp4, .webm, .mkv, .gif or .apng)";
        return false;
    }
    if (!format->hasQuality && (o.crf >= 0 || !o.preset.empty())) {
        error = std::string("option '") + (o.crf >= 0 ? "--crf" : "--preset") + "' does not apply to " + file +
                (format->container == VideoContainer::Gif ? ", whose colours come from its palette"
                                                          : ", which is lossless");
        return false;
    }
    if (o.crf > format->maxCrf) {
        error = "option '--crf' for " + std::string(format->extension) + " expects 0 to " +
                std::to_string(format->maxCrf);
        return false;
    }
    if (!o.preset.empty() && !isKnownPreset(*format, o.preset)) {
        error = "option '--preset' for " + std::string(format->extension) + " expects one of: " + format->presets;
        return false;
    }
    if (o.fps.perSecond < 1.0 || o.fps.perSecond > 1000.0 || o.fps.numerator < 1) {
        error = "a video's frame rate must be from 1 to 1000 frames per second";
        return false;
    }
    if (o.fps.denominator > kMaxRateDenominator) {
        error = "a video's frame rate must be a ratio whose denominator is at most " +
                std::to_string(kMaxRateDenominator) + " (such as 60000/1001)";
        return false;
    }
    if (o.scale && o.size.width) {
        error = "give '--scale' or '--size', not both";
        return false;
    }
    if (o.size.width > kMaxVideoSide || o.size.height > kMaxVideoSide ||
        512 * (o.scale ? o.scale : format->defaultScale) > kMaxVideoSide) {
        error = "a video frame is at most " + std::to_string(kMaxVideoSide) + " pixels a side (--scale " +
                std::to_string(kMaxVideoSide / 512) + " at most)";
        return false;
    }
    if (o.size.width) {
        if (!layoutForSize(512, 256, o.size.width, o.size.height, o.smooth)) {
            // With --smooth any size that holds a pixel of the picture would do: only a tinier one comes here.
            error = o.smooth ? "option '--size' is too small to hold the picture, even with '--smooth'"
                             : "option '--size' must be at least 512x256 (or shrink with '--smooth')";
            return false;
        }
        if (format->needsEvenSize && (o.size.width % 2 || o.size.height % 2)) {
            error = "option '--size' for " + std::string(format->extension) + " needs an even width and height";
            return false;
        }
    }
    return true;
}

bool rendersUntilEnd(const RenderOptions& o) { return o.untilEnd || (!o.video.empty() && !hasLength(o)); }

// The frames of --frames, of --seconds, or from --start to the end of the music.
static std::optional<int> framesOfLength(const RenderOptions& o, double musicSeconds, std::string& error) {
    if (!rendersUntilEnd(o) && o.seconds <= 0.0) return o.frames.value_or(1);
    const double seconds = rendersUntilEnd(o) ? musicSeconds - o.start : o.seconds;
    if (seconds <= 0.0) {
        char text[96];
        std::snprintf(text, sizeof text, "the music ends at %.3f s, before --start", musicSeconds);
        error = text;
        return std::nullopt;
    }
    // Every frame that starts within the time: frame k is at k / fps. The
    // small allowance keeps 20 s at 50 frames per second from becoming 1001.
    const double frames = std::ceil(seconds * o.fps.perSecond - 1e-6);
    if (frames > kMaxRenderFrames) {
        error = "more than " + std::to_string(kMaxRenderFrames) + " frames";
        return std::nullopt;
    }
    return frames < 1.0 ? 1 : static_cast<int>(frames);
}

std::optional<int> renderFrameCount(const RenderOptions& o, double musicSeconds, std::string& error) {
    const auto frames = framesOfLength(o, musicSeconds, error);
    const auto format = videoFormatForPath(o.video);
    if (frames && format && format->container == VideoContainer::Gif) {
        const FrameLayout layout = videoLayout(o, *format, 512, 256);
        const int64_t framePixels = o.smooth ? int64_t{layout.width} * layout.height : 512 * 256;
        if (*frames * framePixels > kMaxGifPixels) {
            error = "a GIF of " + std::to_string(*frames) + " frames is too long to make its palette (" +
                    std::to_string(kMaxGifPixels / framePixels) + " at most)";
            return std::nullopt;
        }
    }
    return frames;
}

int prerollFrameCount(const RenderOptions& o) {
    return o.preroll ? prerollFrameCount(o.start, o.fps.perSecond) : 0;
}

FrameLayout videoLayout(const RenderOptions& o, const VideoFormat& format, int sourceWidth, int sourceHeight) {
    if (o.size.width) return *layoutForSize(sourceWidth, sourceHeight, o.size.width, o.size.height, o.smooth);
    return layoutForScale(sourceWidth, sourceHeight, o.scale ? o.scale : format.defaultScale);
}

}  // namespace velmora
