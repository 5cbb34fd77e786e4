// The music rendered offline, in step with headless frames: the position at any
// frame of the module and the PCM in order, with no audio device.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/ChannelLevelTimeline.h"
#include "platform/ModuleStream.h"
#include "platform/RowTimeline.h"

namespace velmora {

// Every row the song plays, in order, with the module frame it starts at: the
// module rendered once from its start to its end (or its loop), as `render`
// places its frames. `endFrame` gets the song's last frame. False when the
// file does not load, does not play or plays longer than six hours.
bool readSongRows(const char* path, std::vector<RowStart>& rows, int64_t& endFrame);

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
    // Where each order begins in song rows (ModuleStream::orderStartRows), read at load.
    std::span<const int64_t> orderStartRows() const { return orderStartRows_; }

    // Keeps each channel's level from now on, as it renders (call after load,
    // before rendering the frames that will be asked about).
    void recordChannelLevels() { stream_.recordChannelLevels(&levels_); }
    // Each channel's level (0..1) at a frame rendered since: the levels after
    // rendering the stretch that frame was rendered in. Empty when not known.
    std::span<const float> channelLevelsAt(int64_t frame) const { return levels_.levelsAt(frame); }

private:
    ModuleStream stream_;
    RowTimeline timeline_;
    ChannelLevelTimeline levels_;
    std::vector<int64_t> orderStartRows_;
};

}  // namespace velmora
