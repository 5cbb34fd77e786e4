// Sync tracks: the track file's reader and writer, and a track's value at a
// music position.
#include "functions/Tracks.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Limits.h"
#include "core/Text.h"

namespace velmora {

namespace {

// A key's value, read as std::from_chars reads a double: no sign but '-', no
// space, no hexadecimal; false when it is not a number or out of range. The
// web build's C++ library has no from_chars for doubles: strtod, correctly
// rounded as well, reads the same texts there.
bool readDouble(std::string_view text, double& value) {
#ifdef __EMSCRIPTEN__
    if (text.empty() || text[0] == '+' || text.find_first_of(" \t\r\n\v\fxX") != std::string_view::npos) return false;
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return false;
    if (errno == ERANGE && (read == 0.0 || std::isinf(read))) return false;
    value = read;
    return true;
#else
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failure == std::errc() && end == text.data() + text.size();
#endif
}

constexpr std::string_view kInterpolationWords[] = {"step", "linear", "smooth", "ramp"};
constexpr int32_t kMaxOrder = 65535;  // what a music position holds
constexpr int32_t kMaxRow = 255;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The words of one line, up to a comment; four at most, enough to show that a
// key (three words) has one too many.
std::vector<std::string_view> words(std::string_view line) {
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> found;
    size_t i = 0;
    while (i < line.size() && found.size() < 4) {
        while (i < line.size() && isSpace(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !isSpace(line[i])) ++i;
        if (i > start) found.push_back(line.substr(start, i - start));
    }
    return found;
}

// A whole number of at most 9 digits, no sign.
bool parseWhole(std::string_view text, int32_t maximum, int32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    int64_t n = 0;
    for (char c : text) n = n * 10 + (c - '0');
    if (n > maximum) return false;
    value = static_cast<int32_t>(n);
    return true;
}

// Quoted for a message, cut so that junk does not flood it.
std::string quoted(std::string_view text) {
    std::string shown(text.substr(0, 40));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return "'" + shown + (text.size() > 40 ? "...'" : "'");
}

struct KeyLine {
    TrackKey key;
    int line = 0;
};

bool before(const TrackKey& a, int32_t order, int32_t row) { return a.order < order || (a.order == order && a.row < row); }

}  // namespace

std::string_view interpolationWord(Interpolation interpolation) {
    return kInterpolationWords[static_cast<size_t>(interpolation) & 3];
}

const Track* TrackFile::find(std::string_view name) const {
    for (const Track& track : tracks)
        if (track.name == name) return &track;
    return nullptr;
}

bool validTrackName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameCharacters) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
              c == '-' || c == ':'))
            return false;
    return true;
}

bool parseTrackFile(std::string_view text, TrackFile& file, TrackFileError& error) {
    file.tracks.clear();
    std::vector<std::vector<KeyLine>> keys;  // per track, with their lines
    std::vector<int> trackLines;
    int keyCount = 0;
    int lineNumber = 0;
    auto refuse = [&](std::string reason) {
        error = {lineNumber, std::move(reason)};
        file.tracks.clear();
        return false;
    };
    size_t at = 0;
    while (at < text.size()) {
        ++lineNumber;
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.size() > kMaxLineCharacters)
            return refuse("the line is longer than " + std::to_string(kMaxLineCharacters) + " characters");
        if (line.find('\0') != std::string_view::npos) return refuse("the line holds a NUL byte: not a text file");
        const std::vector<std::string_view> w = words(line);
        if (w.empty()) continue;
        if (w[0] == "track") {
            if (w.size() != 2) return refuse("a track line is 'track NAME'");
            if (!validTrackName(w[1]))
                return refuse("the track name " + quoted(w[1]) + " is not 1 to " + std::to_string(kMaxNameCharacters) +
                              " letters, digits, '_', '.', '-' or ':'");
            for (size_t i = 0; i < file.tracks.size(); ++i)
                if (file.tracks[i].name == w[1])
                    return refuse("a second track named " + quoted(w[1]) + " (the first is on line " +
                                  std::to_string(trackLines[i]) + ")");
            if (static_cast<int>(file.tracks.size()) >= kMaxTracks)
                return refuse("more than " + std::to_string(kMaxTracks) + " tracks");
            file.tracks.push_back({std::string(w[1]), {}});
            keys.emplace_back();
            trackLines.push_back(lineNumber);
            continue;
        }
        if (w.size() != 3) return refuse("a key is 'ORDER:ROW VALUE INTERPOLATION', not " + quoted(line));
        if (file.tracks.empty()) return refuse("a key before any 'track NAME' line");
        TrackKey key;
        const size_t colon = w[0].find(':');
        if (colon == std::string_view::npos || !parseWhole(w[0].substr(0, colon), kMaxOrder, key.order) ||
            !parseWhole(w[0].substr(colon + 1), kMaxRow, key.row))
            return refuse("the position " + quoted(w[0]) + " is not ORDER:ROW (order 0-65535, row 0-255)");
        double value = 0.0;
        if (!readDouble(w[1], value))
            return refuse("the value " + quoted(w[1]) + " is not a number");
        // Past half a unit above FLT_MAX a float would be infinite.
        if (!std::isfinite(value) || std::fabs(value) >= std::ldexp(2.0 - std::ldexp(1.0, -24), 127))
            return refuse("the value " + quoted(w[1]) + " is not a finite number a float holds");
        key.value = static_cast<float>(value);
        const auto word = std::find(std::begin(kInterpolationWords), std::end(kInterpolationWords), w[2]);
        if (word == std::end(kInterpolationWords))
            return refuse("the interpolation " + quoted(w[2]) + " is not step, linear, smooth or ramp");
        key.interpolation = static_cast<Interpolation>(word - std::begin(kInterpolationWords));
        if (++keyCount > kMaxTrackKeys) return refuse("more than " + std::to_string(kMaxTrackKeys) + " keys");
        keys.back().push_back({key, lineNumber});
    }
    for (size_t t = 0; t < keys.size(); ++t) {
        std::vector<KeyLine>& list = keys[t];
        std::stable_sort(list.begin(), list.end(), [](const KeyLine& a, const KeyLine& b) {
            return before(a.key, b.key.order, b.key.row);
        });
        for (size_t i = 1; i < list.size(); ++i) {
            if (list[i].key.order == list[i - 1].key.order && list[i].key.row == list[i - 1].key.row) {
                const KeyLine& later = list[i].line > list[i - 1].line ? list[i] : list[i - 1];
                const KeyLine& first = list[i].line > list[i - 1].line ? list[i - 1] : list[i];
                lineNumber = later.line;
                return refuse("a second key at " + std::to_string(later.key.order) + ":" +
                              std::to_string(later.key.row) + " of track '" + file.tracks[t].name +
                              "' (the first is on line " + std::to_string(first.line) + ")");
            }
        }
        file.tracks[t].keys.reserve(list.size());
        for (const KeyLine& k : list) file.tracks[t].keys.push_back(k.key);
    }
    return true;
}

bool readTrackFile(const char* path, TrackFile& file, TrackFileError& error) {
    std::string bytes;
    const FileReadOutcome outcome = readRegularFile(path, kMaxTrackFileBytes, bytes);
    if (outcome == FileReadOutcome::TooLarge) {
        error = {0, "the file is larger than the " + std::to_string(kMaxTrackFileBytes / kMiB) +
                        " MiB a track file may have"};
        return false;
    }
    if (outcome != FileReadOutcome::Read) {
        error = {0, scriptFileRefusal(path, outcome)};
        return false;
    }
    return parseTrackFile(bytes, file, error);
}

std::string formatTrackFile(const TrackFile& file) {
    std::string text = "# Velmora tracks: 'track NAME', then one key a line: ORDER:ROW VALUE step|linear|smooth|ramp\n";
    char line[96];
    for (const Track& track : file.tracks) {
        text += "\ntrack " + track.name + "\n";
        for (const TrackKey& key : track.keys) {
            // Nine significant digits read back to the same float.
            std::snprintf(line, sizeof line, "%d:%d %.9g %s\n", key.order, key.row, static_cast<double>(key.value),
                          interpolationWord(key.interpolation).data());
            text += line;
        }
    }
    return text;
}

int64_t songRow(std::span<const int64_t> orderStartRows, int32_t order, int32_t row) {
    const int64_t orders = orderStartRows.empty() ? 0 : static_cast<int64_t>(orderStartRows.size()) - 1;
    const int64_t total = orderStartRows.empty() ? 0 : orderStartRows.back();
    const int64_t start = order < orders ? orderStartRows[static_cast<size_t>(order)]
                                         : total + (order - orders) * kRowsWithoutLayout;
    return start + row;
}

double trackValueAt(std::span<const TrackKey> keys, std::span<const int64_t> orderStartRows,
                    const TrackerPosition& position) {
    if (keys.empty()) return 0.0;
    // The first key after the position's row: the segment ends there.
    const auto next = std::upper_bound(keys.begin(), keys.end(), position, [](const TrackerPosition& p, const TrackKey& k) {
        return p.order < k.order || (p.order == k.order && p.row < k.row);
    });
    if (next == keys.begin()) return keys.front().value;
    if (next == keys.end()) return keys.back().value;
    const TrackKey& a = *(next - 1);
    const TrackKey& b = *next;
    const double a0 = a.value;
    if (a.interpolation == Interpolation::Step) return a0;
    const double from = static_cast<double>(songRow(orderStartRows, a.order, a.row));
    const double to = static_cast<double>(songRow(orderStartRows, b.order, b.row));
    const double at = static_cast<double>(songRow(orderStartRows, position.order, position.row)) +
                      position.rowFraction / 256.0;
    // A key past its pattern's end can sit after the next one's row: the
    // segment then has no length and keeps the earlier value.
    double t = to > from ? (at - from) / (to - from) : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    if (a.interpolation == Interpolation::Smooth) t = t * t * (3.0 - 2.0 * t);
    if (a.interpolation == Interpolation::Ramp) t = t * t;
    return a0 + (static_cast<double>(b.value) - a0) * t;
}

}  // namespace velmora
