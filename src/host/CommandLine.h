// The program's command line: commands, their options, and strict value parsing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Options of `velmora render`.
struct RenderOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    std::string outDir;
    int frames = 1;
    double fps = 50.0;
    double start = 0.0;
    bool positionGiven = false;
    uint32_t order = 0, row = 0, rowFraction = 0;

    // --fps as an exact ratio as well (a video's time base); fps is its value.
    int fpsNumerator = 50, fpsDenominator = 1;
    // The length: --frames N (framesGiven), --seconds S (above 0 when given)
    // or --until-end; a video without any runs to the end of the music.
    bool framesGiven = false;
    double seconds = 0.0;
    bool untilEnd = false;
    // --video FILE: one encoded file (.mp4, .webm, .mkv) instead of BMP frames.
    std::string video;
    int scale = 0;              // --scale N; 0: the format's default
    int width = 0, height = 0;  // --size WxH; 0: from the scale
    bool smooth = false;        // --smooth
    int crf = -1;               // --crf N; -1: the format's default
    std::string preset;         // --preset NAME; empty: the format's default
    bool quiet = false;         // --quiet: no progress line
};

// Strict parsers: the whole text must be the value.
std::optional<long long> parseInteger(std::string_view text);
std::optional<double> parseReal(std::string_view text);
// "ORDER:ROW:FRACTION" with order 0..65535, row and fraction 0..255.
bool parsePosition(std::string_view text, uint32_t& order, uint32_t& row, uint32_t& fraction);

// Walks `--name value` and `--name=value` arguments. Every failure is one line
// naming the option, and the command exits with status 2.
class OptionReader {
public:
    OptionReader(std::string_view command, const std::vector<std::string>& args);
    // Next option name (with its dashes), or empty when the arguments are used up.
    std::string_view next();
    // The value of the option just read; reports and returns nullopt when missing.
    std::optional<std::string> value();
    // True when the option just read came as --name=value.
    bool hasInlineValue() const { return inlineValue_.has_value(); }
    void unknown();
    void malformed(std::string_view expectation);
    bool failed() const { return failed_; }

private:
    std::string command_;
    const std::vector<std::string>& args_;
    size_t index_ = 0;
    std::string name_;
    std::optional<std::string> inlineValue_;
    bool failed_ = false;
};

// Parses the options of `velmora render`; false after reporting an error.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options);

}  // namespace velmora
