// The music of `velmora render`: the module rendered offline in step with the
// frames, giving each frame's position and the sound of exactly those frames.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "host/WavWriter.h"
#include "platform/OfflineModule.h"

namespace velmora {

class RenderAudio {
public:
    // Frame k is at start + k / fps seconds; the sound covers the frames
    // [start, start + frames / fps). Loads the module (a module that does not
    // load is the fatal error "Can't load music") and creates wavPath. False,
    // after a one-line message, when the WAV cannot be created or the frames
    // reach past 6 hours of music; a sound too long for a WAV file is left out
    // with a warning.
    bool open(const char* musicPath, const char* wavPath, double start, double fps, int frames);
    // The module's channel position at frame k's time.
    uint32_t positionForFrame(int k);
    // Keeps the module's channel levels from now on; call before the first frame.
    void recordChannelLevels() { module_.recordChannelLevels(); }
    // Each channel's level (0..1) at frame k's time: the levels of the
    // offline decode once it has rendered that time. Empty before the music starts.
    std::span<const float> channelLevelsForFrame(int k);
    // Renders the sound to the end of the last frame and closes the WAV; false
    // when writing it failed.
    bool finish();

private:
    void advanceTo(int64_t frame);

    OfflineModule module_;
    WavWriter wav_;
    bool writing_ = false;
    double start_ = 0.0;
    double fps_ = 50.0;
    int64_t soundBegin_ = 0;  // module frames that go into the WAV
    int64_t soundEnd_ = 0;
    std::array<int16_t, 2 * 4096> chunk_{};
};

}  // namespace velmora
