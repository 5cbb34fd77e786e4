// The bounds of a headless run, the command line's and the page's alike: the
// grammar of a frame count, a frame rate, a time and a music position, the
// largest render, and the checks across them, with the words the command
// line refuses them in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The largest number of frames one render makes.
inline constexpr int kMaxRenderFrames = 1000000;
// The music is decoded from its start up to the last frame's time: a time
// hours away would take minutes of decoding, or days.
inline constexpr double kLongestMusicSeconds = 6 * 3600.0;

struct FrameRate {
    double perSecond = 50.0;  // what the clock steps by: the decimal's value, or numerator / denominator
    int numerator = 50;       // the same as an exact ratio, for a video's time base
    int denominator = 1;
};

// "50", "29.97", "60000/1001": above 0. A fraction's parts are whole numbers
// from 1 to 1000000000; a decimal's ratio is the closest one with a
// denominator up to 1000000.
std::optional<FrameRate> parseFrameRate(std::string_view text);
// A whole number of frames from 1 to kMaxRenderFrames.
std::optional<int> parseFrameCount(std::string_view text);
// A time in seconds (finite).
std::optional<double> parseSeconds(std::string_view text);
// ORDER:ROW:FRACTION, packed as the music reports a position.
std::optional<uint32_t> parseMusicPosition(std::string_view text);

// What a refused value should have been, as the command line says it.
inline constexpr const char* kFrameCountExpectation = "a whole number of frames from 1 to 1000000";
inline constexpr const char* kFrameRateExpectation =
    "a number of frames per second above 0, such as 50, 29.97 or 60000/1001";
inline constexpr const char* kSecondsExpectation = "a time in seconds";
inline constexpr const char* kMusicPositionExpectation = "ORDER:ROW:FRACTION (order 0-65535, row and fraction 0-255)";

// The command line's refusal of `text`: "'TEXT' is not EXPECTATION"; given
// to `option`, the option's name first ("--frames: 'abc' is not ...").
std::string refusedText(std::string_view text, std::string_view expectation);
std::string refusedValue(std::string_view option, std::string_view text, std::string_view expectation);

// The frames a render from time 0 evaluates before reaching `start`: those
// at k / fps before it.
int prerollFrameCount(double start, double framesPerSecond);
// Why --preroll cannot go with this start; empty when it can.
std::string prerollProblem(double start, double framesPerSecond);
// Why frames from `start` cannot follow the music; empty when they can.
std::string musicReachProblem(double start, double framesPerSecond, int frames);

// A headless render as the page's query asks for it (render=N, fps=F,
// start=T, position=O:R:F, preroll), checked as `velmora render` checks its
// options.
struct HeadlessRender {
    int frames = 1;
    FrameRate fps;
    double start = 0.0;
    std::optional<uint32_t> position;
    int prerollFrames = 0;
};
// Null texts were not given. Nullopt with the command line's words in `error`.
std::optional<HeadlessRender> checkHeadlessRender(const char* frames, const char* fps, const char* start,
                                                   const char* position, bool preroll, std::string& error);

// The page's bench (bench, frames=N): the frame count, 100 when not given.
std::optional<int> checkBenchFrames(const char* frames, std::string& error);

}  // namespace velmora
