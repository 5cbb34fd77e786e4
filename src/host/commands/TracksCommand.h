// `velmora tracks import|export`: GNU Rocket's .rocket files to and from a
// track file, Rocket's rows (seconds x bpm / 60 x rows per beat) placed on the
// song's own rows through the module's timeline, tempo changes included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "functions/Tracks.h"
#include "core/CommandOutcome.h"
#include "host/commands/RocketFile.h"
#include "platform/RowTimeline.h"

namespace velmora {

struct TracksOptions {
    std::string action;  // "import" or "export"
    std::string input;   // a .rocket file to import, a track file to export
    std::string output;
    double bpm = 125.0;
    double rowsPerBeat = 4.0;
    std::string music = "data/zik.mo3";
};

CommandOutcome runTracks(const TracksOptions& options);

// The song as played: every row's start (in playback order) and its last frame.
struct SongTimeline {
    std::vector<RowStart> rows;
    int64_t endFrame = 0;
};

// Each Rocket key on the row of the song playing nearest its time. False, with
// the reason, for a key after the song's end or two keys of a track on one row.
bool importRocketTracks(const std::vector<RocketTrack>& rocket, const SongTimeline& song, double rocketRowsPerSecond,
                        TrackFile& tracks, std::string& error);
// Each key at the Rocket row nearest the time its position is first played.
// False, with the reason, for a position the song never plays or two keys of a
// track on one Rocket row.
bool exportRocketTracks(const TrackFile& tracks, const SongTimeline& song, double rocketRowsPerSecond,
                        std::vector<RocketTrack>& rocket, std::string& error);

}  // namespace velmora
