// The music rendered offline, in step with headless frames: the position at any
// frame of the module and the PCM in order, with no audio device.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ModuleStream.h"
#include "platform/RowTimeline.h"

namespace velmora {

class OfflineModule {
public:
    // False when the file cannot be read or is not a module that plays.
    bool load(const char* path);

    // Renders the next `frames` frames into `out` (interleaved stereo).
    void render(int16_t* out, size_t frames);
    // Frames rendered so far.
    int64_t framesRendered() const { return stream_.framesRendered(); }
    // Channel position at a frame already rendered (0 before the start). A frame
    // past the rendered ones gets the last row known.
    uint32_t positionAt(int64_t frame) const { return timeline_.positionAt(frame); }

    double durationSeconds() const { return stream_.durationSeconds(); }

private:
    ModuleStream stream_;
    RowTimeline timeline_;
};

}  // namespace velmora
