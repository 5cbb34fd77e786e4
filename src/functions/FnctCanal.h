// FnctCanal: follows the level of one channel of the music, so a box can pulse
// with a drum channel.
#pragma once

#include <cstdint>

#include "functions/Function.h"

namespace velmora {

class FnctCanal : public Function {
public:
    // Text "channel amplitude offset": the channel counts from 1, as trackers
    // number them. Rejected unless all three numbers are there and the channel
    // is at least 1.
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    // current = level * amplitude + offset, the level (0..1) being the
    // channel's in the frame; a channel the music does not have, or no music,
    // reads level 0.
    void update(const FrameInput& frame) override;
    bool readsChannelLevels() const override { return true; }

    int32_t channel = 0;
    float amplitude = 0.0f;
    float offset = 0.0f;
};

}  // namespace velmora
