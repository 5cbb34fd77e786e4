// Sync tracks: values keyed to positions of the song (order, row), read from a
// plain-text track file beside the script, and a track's value at any music
// position. Between two keys the song is measured in its own rows, so a tempo
// change moves nothing and a loop of the song replays the same values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "functions/Function.h"

namespace velmora {

// How a key leads to the next one: the earlier key's shapes the curve.
enum class Interpolation : uint8_t { Step = 0, Linear = 1, Smooth = 2, Ramp = 3 };

// The words of the track file, indexed by Interpolation ("step", "linear", ...).
std::string_view interpolationWord(Interpolation interpolation);

struct TrackKey {
    int32_t order = 0;
    int32_t row = 0;
    float value = 0.0f;
    Interpolation interpolation = Interpolation::Step;
    bool operator==(const TrackKey&) const = default;
};

struct Track {
    std::string name;
    std::vector<TrackKey> keys;  // by position, no two at the same one
};

struct TrackFile {
    std::vector<Track> tracks;  // in file order
    const Track* find(std::string_view name) const;
};

// Why a track file was refused: the line (1-based; 0 for the file itself) and
// the reason in English.
struct TrackFileError {
    int line = 0;
    std::string reason;
};

// Reads the text of a track file:
//   # comment               (anywhere after '#')
//   track NAME              (a new track; NAME of letters, digits, '_', '.', '-', ':')
//   ORDER:ROW VALUE INTERP  (a key of the track above; INTERP step|linear|smooth|ramp)
// Keys may come in any order; each track's are sorted. False, with `error`,
// for anything else, and under the limits of core/Limits.h.
bool parseTrackFile(std::string_view text, TrackFile& file, TrackFileError& error);
// Reads the file at `path` the same way; a file that cannot be read is line 0.
bool readTrackFile(const char* path, TrackFile& file, TrackFileError& error);
// The text parseTrackFile reads back to the same tracks and keys.
std::string formatTrackFile(const TrackFile& file);
// True when a name may head a track.
bool validTrackName(std::string_view name);

// Patterns without a known layout count this many rows (the usual pattern).
inline constexpr int64_t kRowsWithoutLayout = 64;

// The song row at which (order, row) lies: the rows of the orders before it
// plus `row`. `orderStartRows` holds the first song row of each order of the
// module's order list, then the song's total; orders past it (or every order,
// when it is empty) count kRowsWithoutLayout rows each.
int64_t songRow(std::span<const int64_t> orderStartRows, int32_t order, int32_t row);

// The value of `keys` (sorted, as a Track holds them) at `position`: the first
// key's value before it, the last key's after it, 0 without keys; between two
// keys, the earlier key's interpolation over the song rows between them, the
// row fraction (0..255) counting 1/256 of a row. Computed in double.
double trackValueAt(std::span<const TrackKey> keys, std::span<const int64_t> orderStartRows,
                    const TrackerPosition& position);

}  // namespace velmora
