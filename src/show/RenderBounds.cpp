// The headless bounds and their words.
#include "show/RenderBounds.h"

#include <algorithm>
#include <cmath>

#include "show/MusicTransport.h"
#include "show/NumberText.h"

namespace velmora {

namespace {

// The closest ratio to `value` with a denominator up to `maxDenominator`,
// from its continued fraction; the numerator 0 when the value is too small.
FrameRate ratioFor(double value, int64_t maxDenominator) {
    int64_t h0 = 0, h1 = 1, k0 = 1, k1 = 0;
    double x = value;
    for (int step = 0; step < 64; ++step) {
        const double whole = std::floor(x);
        if (whole > 2e9) break;
        const int64_t a = static_cast<int64_t>(whole);
        const int64_t h2 = a * h1 + h0, k2 = a * k1 + k0;
        if (k2 > maxDenominator || h2 > 2000000000) break;
        h0 = h1, h1 = h2, k0 = k1, k1 = k2;
        if (std::fabs(static_cast<double>(h1) / static_cast<double>(k1) - value) <= value * 1e-12) break;
        x = 1.0 / (x - whole);
    }
    FrameRate rate;
    rate.perSecond = value;
    rate.numerator = static_cast<int>(h1);
    rate.denominator = static_cast<int>(k1 > 0 ? k1 : 1);
    return rate;
}

int64_t gcd(int64_t a, int64_t b) { return b == 0 ? a : gcd(b, a % b); }

}  // namespace

std::optional<FrameRate> parseFrameRate(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        auto value = parseReal(text);
        if (!value || *value <= 0.0) return std::nullopt;
        return ratioFor(*value, 1000000);
    }
    auto numerator = parseInteger(text.substr(0, slash));
    auto denominator = parseInteger(text.substr(slash + 1));
    constexpr long long kLargest = 1000000000;
    if (!numerator || !denominator || *numerator < 1 || *denominator < 1 || *numerator > kLargest ||
        *denominator > kLargest)
        return std::nullopt;
    FrameRate rate;
    rate.perSecond = static_cast<double>(*numerator) / static_cast<double>(*denominator);
    const int64_t common = gcd(*numerator, *denominator);
    rate.numerator = static_cast<int>(*numerator / common);
    rate.denominator = static_cast<int>(*denominator / common);
    return rate;
}

std::optional<int> parseFrameCount(std::string_view text) {
    const auto n = parseInteger(text);
    if (!n || *n < 1 || *n > kMaxRenderFrames) return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<double> parseSeconds(std::string_view text) { return parseReal(text); }

std::optional<uint32_t> parseMusicPosition(std::string_view text) {
    size_t a = text.find(':');
    if (a == std::string_view::npos) return std::nullopt;
    size_t b = text.find(':', a + 1);
    if (b == std::string_view::npos) return std::nullopt;
    auto order = parseInteger(text.substr(0, a));
    auto row = parseInteger(text.substr(a + 1, b - a - 1));
    auto fraction = parseInteger(text.substr(b + 1));
    if (!order || !row || !fraction || *order < 0 || *order > 65535 || *row < 0 || *row > 255 || *fraction < 0 ||
        *fraction > 255)
        return std::nullopt;
    return makeChannelPosition(static_cast<uint32_t>(*order), static_cast<uint32_t>(*row),
                               static_cast<uint32_t>(*fraction));
}

std::string refusedText(std::string_view text, std::string_view expectation) {
    std::string refusal = "'";
    refusal.append(text).append("' is not ").append(expectation);
    return refusal;
}

std::string refusedValue(std::string_view option, std::string_view text, std::string_view expectation) {
    return std::string(option) + ": " + refusedText(text, expectation);
}

int prerollFrameCount(double start, double framesPerSecond) {
    // The same expression as the frame times of a render from 0.
    int k = std::max(0, static_cast<int>(start * framesPerSecond) - 1);
    while (k / framesPerSecond < start) ++k;
    return k;
}

std::string prerollProblem(double start, double framesPerSecond) {
    if (!(start >= 0.0)) return "option '--preroll' needs a '--start' of 0 or later";
    if (start * framesPerSecond > kMaxRenderFrames)
        return "option '--preroll' would evaluate more than " + std::to_string(kMaxRenderFrames) + " frames";
    return {};
}

std::string musicReachProblem(double start, double framesPerSecond, int frames) {
    if (start + frames / framesPerSecond > kLongestMusicSeconds)
        return "frames past 6 hours of music; give --position instead";
    return {};
}

std::optional<HeadlessRender> checkHeadlessRender(const char* frames, const char* fps, const char* start,
                                                   const char* position, bool preroll, std::string& error) {
    HeadlessRender render;
    if (frames) {
        const auto n = parseFrameCount(frames);
        if (!n) return error = refusedValue("--frames", frames, kFrameCountExpectation), std::nullopt;
        render.frames = *n;
    }
    if (fps) {
        const auto rate = parseFrameRate(fps);
        if (!rate) return error = refusedValue("--fps", fps, kFrameRateExpectation), std::nullopt;
        render.fps = *rate;
    }
    if (start) {
        const auto seconds = parseSeconds(start);
        if (!seconds) return error = refusedValue("--start", start, kSecondsExpectation), std::nullopt;
        render.start = *seconds;
    }
    if (position) {
        const auto packed = parseMusicPosition(position);
        if (!packed) return error = refusedValue("--position", position, kMusicPositionExpectation), std::nullopt;
        render.position = *packed;
    }
    if (preroll) {
        error = prerollProblem(render.start, render.fps.perSecond);
        if (!error.empty()) return std::nullopt;
        render.prerollFrames = prerollFrameCount(render.start, render.fps.perSecond);
    }
    return render;
}

std::optional<int> checkBenchFrames(const char* frames, std::string& error) {
    if (!frames) return 100;
    const auto n = parseFrameCount(frames);
    if (!n) return error = refusedValue("--frames", frames, kFrameCountExpectation), std::nullopt;
    return n;
}

}  // namespace velmora
