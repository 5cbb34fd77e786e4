// Rocket's rows to the song's positions and back, and the command around it.
#include "host/commands/TracksCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "core/AtomicFile.h"
#include "core/Limits.h"
#include "core/Text.h"
#include "platform/ModuleStream.h"
#include "platform/OfflineModule.h"

namespace velmora {

namespace {

std::string position(int32_t order, int32_t row) { return std::to_string(order) + ":" + std::to_string(row); }

bool writeWhole(const std::string& path, const std::string& text, std::string& error) {
    if (const auto problem = replaceProblem(path)) {
        error = "'" + path + "': " + *problem;
        return false;
    }
    AtomicFile file(path);
    if (file.tempPath().empty()) {
        error = "cannot write '" + path + "': " + file.openError();
        return false;
    }
    std::FILE* out = std::fopen(file.tempPath().c_str(), "wb");
    const bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out && std::fclose(out) != 0) error = "cannot write '" + path + "'";
    if (!written || !error.empty() || !file.commit(error)) {
        error = "cannot write '" + path + "'" + (error.empty() ? "" : ": " + error);
        return false;
    }
    return true;
}

}  // namespace

bool importRocketTracks(const std::vector<RocketTrack>& rocket, const SongTimeline& song, double rocketRowsPerSecond,
                        TrackFile& tracks, std::string& error) {
    tracks.tracks.clear();
    if (song.rows.empty()) {
        error = "the music plays no row";
        return false;
    }
    for (const RocketTrack& from : rocket) {
        if (!validTrackName(from.name) || tracks.find(from.name)) {
            error = "the track name '" + from.name.substr(0, 40) + "' is " +
                    (tracks.find(from.name) ? "there twice" : "not letters, digits, '_', '.', '-' or ':'");
            return false;
        }
        Track track{from.name, {}};
        for (const RocketKey& key : from.keys) {
            const double seconds = static_cast<double>(key.row) / rocketRowsPerSecond;
            // Compared before rounding: a far row at a slow pace is past any whole number of frames.
            if (!(seconds * kMusicRate <= static_cast<double>(song.endFrame))) {
                char text[160];
                std::snprintf(text, sizeof text, "row %lld of track '%s' (%.6g s) lies after the song's end (%.3f s)",
                              static_cast<long long>(key.row), from.name.substr(0, 40).c_str(), seconds,
                              static_cast<double>(song.endFrame) / kMusicRate);
                error = text;
                return false;
            }
            const int64_t frame = std::llround(seconds * kMusicRate);
            // The row starting nearest the key's time.
            auto next = std::lower_bound(song.rows.begin(), song.rows.end(), frame,
                                         [](const RowStart& r, int64_t f) { return r.frame < f; });
            if (next == song.rows.end() || (next != song.rows.begin() && frame - (next - 1)->frame < next->frame - frame))
                --next;
            track.keys.push_back({next->order, next->row, key.value, static_cast<Interpolation>(key.interpolation & 3)});
        }
        std::stable_sort(track.keys.begin(), track.keys.end(), [](const TrackKey& a, const TrackKey& b) {
            return a.order < b.order || (a.order == b.order && a.row < b.row);
        });
        for (size_t i = 1; i < track.keys.size(); ++i) {
            if (track.keys[i].order == track.keys[i - 1].order && track.keys[i].row == track.keys[i - 1].row) {
                error = "two keys of track '" + from.name.substr(0, 40) + "' land on the song's row " +
                        position(track.keys[i].order, track.keys[i].row) +
                        ": Rocket's rows are finer than the song's (try fewer --rows-per-beat)";
                return false;
            }
        }
        tracks.tracks.push_back(std::move(track));
    }
    return true;
}

bool exportRocketTracks(const TrackFile& tracks, const SongTimeline& song, double rocketRowsPerSecond,
                        std::vector<RocketTrack>& rocket, std::string& error) {
    rocket.clear();
    std::map<std::pair<int32_t, int32_t>, int64_t> firstPlayed;
    for (const RowStart& r : song.rows) firstPlayed.emplace(std::make_pair(r.order, r.row), r.frame);
    for (const Track& track : tracks.tracks) {
        RocketTrack to{track.name, {}};
        for (const TrackKey& key : track.keys) {
            const auto played = firstPlayed.find({key.order, key.row});
            if (played == firstPlayed.end()) {
                error = "the key at " + position(key.order, key.row) + " of track '" + track.name +
                        "' lies on a row the song never plays";
                return false;
            }
            const double seconds = static_cast<double>(played->second) / kMusicRate;
            const double row = seconds * rocketRowsPerSecond;
            if (!(row <= static_cast<double>(kMaxRocketRow))) {
                error = "the key at " + position(key.order, key.row) + " of track '" + track.name +
                        "' would lie past Rocket's row " + std::to_string(kMaxRocketRow) +
                        " (give fewer --bpm or --rows-per-beat)";
                return false;
            }
            to.keys.push_back({std::llround(row), key.value, static_cast<int>(key.interpolation)});
        }
        std::stable_sort(to.keys.begin(), to.keys.end(), [](const RocketKey& a, const RocketKey& b) { return a.row < b.row; });
        for (size_t i = 1; i < to.keys.size(); ++i) {
            if (to.keys[i].row == to.keys[i - 1].row) {
                error = "two keys of track '" + track.name + "' land on Rocket's row " +
                        std::to_string(to.keys[i].row) + ": the song's rows are finer than Rocket's (try more "
                        "--rows-per-beat)";
                return false;
            }
        }
        rocket.push_back(std::move(to));
    }
    return true;
}

CommandOutcome runTracks(const TracksOptions& options) {
    const bool importing = options.action == "import";
    std::string text;
    const FileReadOutcome outcome = readRegularFile(options.input.c_str(), kMaxTrackFileBytes, text);
    if (outcome != FileReadOutcome::Read) {
        return CommandOutcome::failed(outcome == FileReadOutcome::TooLarge
                                          ? "'" + options.input + "' is larger than a track file may be"
                                          : scriptFileRefusal(options.input, outcome));
    }
    std::vector<RocketTrack> rocket;
    TrackFile tracks;
    std::string error;
    if (importing) {
        if (!parseRocketFile(text, rocket, error)) return CommandOutcome::failed(options.input + ": " + error);
    } else {
        TrackFileError refused;
        if (!parseTrackFile(text, tracks, refused))
            return CommandOutcome::failed(options.input + ":" + std::to_string(refused.line) + ": " + refused.reason);
    }
    SongTimeline song;
    if (!readSongRows(options.music.c_str(), song.rows, song.endFrame))
        return CommandOutcome::failed("'" + options.music + "': " + whyMusicDidNotLoad(options.music.c_str()));
    const double rowsPerSecond = options.bpm / 60.0 * options.rowsPerBeat;
    const bool mapped = importing ? importRocketTracks(rocket, song, rowsPerSecond, tracks, error)
                                  : exportRocketTracks(tracks, song, rowsPerSecond, rocket, error);
    if (!mapped) return CommandOutcome::failed(options.input + ": " + error);
    if (!writeWhole(options.output, importing ? formatTrackFile(tracks) : formatRocketFile(rocket), error))
        return CommandOutcome::failed(error);
    size_t keys = 0;
    for (const Track& track : tracks.tracks) keys += track.keys.size();
    std::printf("%s: %zu tracks, %zu keys\n", options.output.c_str(), tracks.tracks.size(), keys);
    return {};
}

}  // namespace velmora
