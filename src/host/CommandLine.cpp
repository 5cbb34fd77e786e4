// Command-line parsing shared by the program's commands.
#include "host/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/RenderSettings.h"

namespace velmora {

std::optional<long long> parseInteger(std::string_view text) {
    long long v = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && text[0] == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
    return v;
}

std::optional<double> parseReal(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    std::string copy(text);
    char* end = nullptr;
    double v = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool parsePosition(std::string_view text, uint32_t& order, uint32_t& row, uint32_t& fraction) {
    size_t a = text.find(':');
    if (a == std::string_view::npos) return false;
    size_t b = text.find(':', a + 1);
    if (b == std::string_view::npos) return false;
    auto o = parseInteger(text.substr(0, a));
    auto r = parseInteger(text.substr(a + 1, b - a - 1));
    auto f = parseInteger(text.substr(b + 1));
    if (!o || !r || !f || *o < 0 || *o > 65535 || *r < 0 || *r > 255 || *f < 0 || *f > 255)
        return false;
    order = static_cast<uint32_t>(*o);
    row = static_cast<uint32_t>(*r);
    fraction = static_cast<uint32_t>(*f);
    return true;
}

OptionReader::OptionReader(std::string_view command, const std::vector<std::string>& args)
    : command_(command.empty() ? std::string() : std::string(" ").append(command)), args_(args) {}

std::string_view OptionReader::next() {
    if (failed_ || index_ >= args_.size()) return {};
    std::string arg = args_[index_++];
    inlineValue_.reset();
    size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
        inlineValue_ = arg.substr(eq + 1);
        arg.resize(eq);
    }
    name_ = arg;
    if (name_.rfind("--", 0) != 0 || name_.size() < 3) {
        std::fprintf(stderr, "velmora%s: unexpected argument '%s'\n", command_.c_str(), name_.c_str());
        failed_ = true;
        return {};
    }
    return name_;
}

std::optional<std::string> OptionReader::value() {
    if (inlineValue_) return inlineValue_;
    if (index_ < args_.size()) return args_[index_++];
    std::fprintf(stderr, "velmora%s: option '%s' needs a value\n", command_.c_str(), name_.c_str());
    failed_ = true;
    return std::nullopt;
}

void OptionReader::unknown() {
    std::fprintf(stderr, "velmora%s: unknown option '%s'\n", command_.c_str(), name_.c_str());
    failed_ = true;
}

void OptionReader::malformed(std::string_view expectation) {
    std::fprintf(stderr, "velmora%s: option '%s' expects %.*s\n", command_.c_str(), name_.c_str(),
                 static_cast<int>(expectation.size()), expectation.data());
    failed_ = true;
}

namespace {

// The options of `velmora render` for its length and its video file; false
// when `name` is none of them.
bool parseVideoOption(OptionReader& reader, std::string_view name, RenderOptions& options) {
    if (name == "--until-end" || name == "--smooth" || name == "--quiet") {  // switches
        if (reader.hasInlineValue()) reader.malformed("no value");
        if (name == "--until-end") options.untilEnd = true;
        if (name == "--smooth") options.smooth = true;
        if (name == "--quiet") options.quiet = true;
        return true;
    }
    if (name != "--seconds" && name != "--video" && name != "--scale" && name != "--size" && name != "--crf" &&
        name != "--preset")
        return false;
    auto v = reader.value();
    if (!v) return true;
    if (name == "--seconds") {
        auto s = parseReal(*v);
        if (s && *s > 0.0) options.seconds = *s;
        else reader.malformed("a time in seconds above 0");
    } else if (name == "--video") {
        if (!v->empty()) options.video = *v;
        else reader.malformed("a file name");
    } else if (name == "--scale") {
        auto n = parseInteger(*v);
        if (n && *n >= 1 && *n <= 16) options.scale = static_cast<int>(*n);
        else reader.malformed("a whole scale from 1 to 16");
    } else if (name == "--size") {
        auto size = parseFrameSize(*v);
        if (!size) reader.malformed("WIDTHxHEIGHT, each from 1 to 8192");
        options.width = size ? size->width : 0;
        options.height = size ? size->height : 0;
    } else if (name == "--crf") {
        auto n = parseInteger(*v);
        if (n && *n >= 0 && *n <= 63) options.crf = static_cast<int>(*n);
        else reader.malformed("a quality from 0 (best) to 63");
    } else {
        if (!v->empty()) options.preset = *v;
        else reader.malformed("a preset name");
    }
    return true;
}

}  // namespace

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options) {
    OptionReader reader("render", args);
    for (std::string_view name = reader.next(); !name.empty(); name = reader.next()) {
        if (name == "--script" || name == "--out" || name == "--music") {
            auto v = reader.value();
            if (!v) break;
            if (v->empty()) {
                reader.malformed("a file name");
                break;
            }
            if (name == "--script") options.script = *v;
            if (name == "--music") options.music = *v;
            if (name == "--out") options.outDir = *v;
        } else if (name == "--frames") {
            auto v = reader.value();
            if (!v) break;
            auto n = parseInteger(*v);
            if (!n || *n < 1 || *n > 1000000) {
                reader.malformed("a whole number of frames from 1 to 1000000");
                break;
            }
            options.frames = static_cast<int>(*n);
            options.framesGiven = true;
        } else if (name == "--fps") {
            auto v = reader.value();
            if (!v) break;
            auto f = parseFrameRate(*v);
            if (!f) {
                reader.malformed("a number of frames per second above 0, such as 50, 29.97 or 60000/1001");
                break;
            }
            options.fps = f->perSecond;
            options.fpsNumerator = f->numerator;
            options.fpsDenominator = f->denominator;
        } else if (parseVideoOption(reader, name, options)) {
            if (reader.failed()) break;
        } else if (name == "--start") {
            auto v = reader.value();
            if (!v) break;
            auto s = parseReal(*v);
            if (!s) {
                reader.malformed("a time in seconds");
                break;
            }
            options.start = *s;
        } else if (name == "--position") {
            auto v = reader.value();
            if (!v) break;
            if (!parsePosition(*v, options.order, options.row, options.rowFraction)) {
                reader.malformed("ORDER:ROW:FRACTION (order 0-65535, row and fraction 0-255)");
                break;
            }
            options.positionGiven = true;
        } else {
            reader.unknown();
        }
    }
    if (reader.failed()) return false;
    std::string error;
    if (!checkRenderOptions(options, error)) {
        std::fprintf(stderr, "velmora render: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace velmora
