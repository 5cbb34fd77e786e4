// FnctTrack: one sync track of a track file, its value following the keys at
// the music's position, so a value lands on the row the author keyed it to.
#pragma once

#include <string>
#include <vector>

#include "functions/Function.h"
#include "functions/Tracks.h"

namespace velmora {

class FnctTrack : public Function {
public:
    // Text "FILE TRACK": the track file (relative to the working directory)
    // and the name of one of its tracks. A text without both is rejected and
    // the value stays 0.0; a file that cannot be read, is damaged or does not
    // hold the track is a fatal error naming the file and the line.
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void update(const FrameInput& frame) override;
    std::string_view fileRead() const override { return file; }

    std::string file;
    std::vector<TrackKey> keys;
};

}  // namespace velmora
