// Fuzz target: the bytes read as a track file and as a Rocket XML track file.
// What is read writes back to the same tracks and keys, and a track's value
// anywhere in a song is a finite number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "functions/Tracks.h"
#include "host/commands/RocketFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    TrackFile file;
    TrackFileError error;
    if (parseTrackFile(text, file, error)) {
        TrackFile again;
        if (!parseTrackFile(formatTrackFile(file), again, error) || again.tracks.size() != file.tracks.size()) std::abort();
        const int64_t songRows[] = {0, 64, 96, 160};
        for (size_t t = 0; t < file.tracks.size(); ++t) {
            const Track& track = file.tracks[t];
            if (again.tracks[t].name != track.name || again.tracks[t].keys != track.keys) std::abort();
            for (int32_t order : {0, 1, 2, 5, 65535})
                for (int32_t row : {0, 17, 63, 255})
                    for (int32_t fraction : {0, 128, 255})
                        if (!std::isfinite(trackValueAt(track.keys, songRows, {order, row, fraction}))) std::abort();
        }
    }

    std::vector<RocketTrack> rocket;
    std::string why;
    if (parseRocketFile(text, rocket, why)) {
        std::vector<RocketTrack> back;
        if (!parseRocketFile(formatRocketFile(rocket), back, why) || back.size() != rocket.size()) std::abort();
        for (size_t t = 0; t < rocket.size(); ++t)
            if (back[t].name != rocket[t].name || back[t].keys != rocket[t].keys) std::abort();
    }
    return 0;
}
