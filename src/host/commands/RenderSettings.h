// The values of `velmora render`'s options that need more than a number: frame
// rates as decimals or fractions, frame sizes, the length of the render, and
// the checks across options made once all are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "show/RenderBounds.h"
#include "video/FrameLayout.h"
#include "video/VideoFormat.h"

namespace velmora {

struct RenderOptions;

struct FrameSize {
    int width = 0, height = 0;
};

// "WxH", each from 1 to 8192.
std::optional<FrameSize> parseFrameSize(std::string_view text);

// The longest side of a video frame: far beyond any screen, and within every
// encoder's reach.
inline constexpr int kMaxVideoSide = 4096;
// A GIF's frames all wait for its palette: at most this many source-sized
// frames' pixels (about 2 MB a frame until then, 1 GB in all).
inline constexpr int64_t kMaxGifPixels = int64_t{500} * 512 * 256;

// Checks the options together (one output, one way to give the length, video
// options only with a video file that takes them, frames of a size and rate
// the encoders take). False with a one-line message for a bad command line.
bool checkRenderOptions(const RenderOptions& options, std::string& error);

// True when the render runs to the end of the music: --until-end, or a video
// with no other length.
bool rendersUntilEnd(const RenderOptions& options);

// The number of frames: --frames, or --seconds covered, or the frames from
// --start to the end of a song of `musicSeconds`. Nullopt with a message when
// that is none, or too many (for a GIF, too many to wait for its palette).
std::optional<int> renderFrameCount(const RenderOptions& options, double musicSeconds, std::string& error);

// The frames a render from time 0 evaluates before reaching --start: those
// at k / fps before it. None without --preroll.
int prerollFrameCount(const RenderOptions& options);

// The video's frame layout for the options (already checked).
FrameLayout videoLayout(const RenderOptions& options, const VideoFormat& format, int sourceWidth, int sourceHeight);

}  // namespace velmora
