// GNU Rocket's XML track files: <tracks>, each <track name="..."> holding
// <key row="..." value="..." interpolation="0|1|2|3"/> (step, linear, smooth,
// ramp). Read with expat; written so that Rocket's editors read them back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The last row a .rocket file may name: far past any song, and exact in a double.
inline constexpr int64_t kMaxRocketRow = int64_t{1} << 40;

struct RocketKey {
    int64_t row = 0;  // Rocket's rows: seconds x bpm / 60 x rows per beat
    float value = 0.0f;
    int interpolation = 0;
    bool operator==(const RocketKey&) const = default;
};

struct RocketTrack {
    std::string name;
    std::vector<RocketKey> keys;  // in file order
};

// Reads a .rocket file's text. False, with "line N: reason" in `error`, for
// XML that does not parse, a key outside a track, a missing or malformed
// attribute, a value that is not a finite float, an interpolation outside
// 0..3, or more tracks and keys than a track file may hold.
bool parseRocketFile(std::string_view text, std::vector<RocketTrack>& tracks, std::string& error);
// The .rocket text of `tracks`; values with nine significant digits, so that
// they read back to the same floats.
std::string formatRocketFile(const std::vector<RocketTrack>& tracks);

}  // namespace velmora
