// The generated part of the reference page and the rendering of its examples.
#include "host/commands/ReferencePage.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace velmora {

namespace fs = std::filesystem;

const char kGeneratedBegin[] = "<!-- The type reference below is written by `velmora help --markdown`. -->";
const char kGeneratedEnd[] = "<!-- End of the type reference. -->";

namespace {

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// [start of the generated text, its end) in the page.
std::optional<std::pair<size_t, size_t>> generatedRange(const std::string& page) {
    const std::string begin = std::string(kGeneratedBegin) + "\n";
    const size_t first = page.find(begin);
    if (first == std::string::npos) return std::nullopt;
    const size_t start = first + begin.size();
    const size_t end = page.find(kGeneratedEnd, start);
    if (end == std::string::npos) return std::nullopt;
    return std::make_pair(start, end);
}

uint32_t le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::optional<std::string> generatedPart(const std::string& page) {
    const auto range = generatedRange(page);
    if (!range) return std::nullopt;
    return page.substr(range->first, range->second - range->first);
}

std::optional<std::string> withGeneratedPart(const std::string& page, const std::string& generated) {
    const auto range = generatedRange(page);
    if (!range) return std::nullopt;
    return page.substr(0, range->first) + generated + page.substr(range->second);
}

std::optional<std::string> exampleRenderOptions(const std::string& script) {
    const std::string marker = "; render:";
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(marker, 0) == 0) return line.substr(marker.size());
    return std::nullopt;
}

std::optional<Picture> readFrameBmp(const fs::path& path) {
    const std::string b = readText(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
    const uint32_t offset = le(b, 10, 4);
    const int32_t width = static_cast<int32_t>(le(b, 18, 4));
    const int32_t height = static_cast<int32_t>(le(b, 22, 4));
    if (le(b, 28, 2) != 24 || width <= 0 || height <= 0 || width > 8192 || height > 8192) return std::nullopt;
    // The frames are written without row padding (512 x 3 bytes needs none).
    const size_t row = static_cast<size_t>(width) * 3;
    if (b.size() < offset + row * static_cast<size_t>(height)) return std::nullopt;
    Picture picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (int32_t y = 0; y < height; ++y) {
        const size_t source = offset + row * static_cast<size_t>(height - 1 - y);  // bottom-up
        for (int32_t x = 0; x < width; ++x)
            picture.pixels[static_cast<size_t>(y) * width + x] = le(b, source + static_cast<size_t>(x) * 3, 3);
    }
    return picture;
}

std::optional<Picture> renderExample(const std::string& program, const fs::path& showDir, const fs::path& example,
                                     const fs::path& scratch, std::string& error) {
    const auto options = exampleRenderOptions(readText(example));
    if (!options) {
        error = example.string() + ": no '; render:' line";
        return std::nullopt;
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch, ec);
    const fs::path log = scratch / "render.log";
    const std::string command = "cd " + quoted(showDir.string()) + " && " + quoted(program) + " render --script " +
                                quoted(fs::absolute(example).string()) + " --out " +
                                quoted(fs::absolute(scratch).string()) + *options + " >" +
                                quoted(fs::absolute(log).string()) + " 2>&1";
    const int status = std::system(command.c_str());
    // The last frame: the frames are numbered from 0 with five digits.
    fs::path last;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch, ec))
        if (entry.path().extension() == ".bmp" && (last.empty() || entry.path().filename() > last.filename()))
            last = entry.path();
    std::optional<Picture> picture;
    if (status != 0) error = example.string() + ": render failed: " + readText(log);
    else if (last.empty() || !(picture = readFrameBmp(last))) error = example.string() + ": no frame was written";
    fs::remove_all(scratch, ec);
    return picture;
}

}  // namespace velmora
