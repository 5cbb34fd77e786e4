// FnctTrack: reading its track, and the value at each frame's position.
#include "functions/FnctTrack.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/Error.h"
#include "core/MissingFile.h"

namespace velmora {

void FnctTrack::configure(const char* text, ErrorReporter& reporter) {
    char fileName[256] = "";
    char trackName[256] = "";
    if (std::sscanf(text ? text : "", "%255s %255s", fileName, trackName) != 2) {
        reporter.report("ZYL_FnctTrack non valide!!",
                        "the parameter text must be FILE TRACK: a track file and the name of one of its tracks");
        return;
    }
    file = fileName;
    constexpr const char* kRefused = "Track file refused";
    TrackFile tracks;
    TrackFileError error;
    if (!readTrackFile(fileName, tracks, error)) {
        std::error_code ec;
        // Named as every missing file is, with the working directory.
        if (error.line == 0 && !std::filesystem::exists(fileName, ec) && !ec) error.reason = describeMissingFile();
        fatalError(kRefused, error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.reason : error.reason,
                   fileName);
    }
    const Track* track = tracks.find(trackName);
    if (!track) {
        std::string names;
        for (const Track& t : tracks.tracks) {
            if (names.size() > 200) {
                names += ", ...";
                break;
            }
            names += (names.empty() ? "" : ", ") + t.name;
        }
        fatalError(kRefused,
                   "it holds no track '" + std::string(trackName) + "'" +
                       (names.empty() ? std::string(" (it holds no track at all)") : " (it holds " + names + ")"),
                   fileName);
    }
    keys = track->keys;
}

void FnctTrack::update(const FrameInput& frame) {
    current = static_cast<float>(trackValueAt(keys, frame.orderStartRows, frame.position));
}

}  // namespace velmora
