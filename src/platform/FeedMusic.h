// The module as an audio feed: rendered when the host's audio asks for
// sound (the page's Web Audio), with where each row began and the channel
// levels, so that the position of what is heard can be told from the sound
// frame the host says is being heard. The transport's moves start the sound
// afresh at the new place.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/ChannelLevelTimeline.h"
#include "platform/ModuleStream.h"
#include "platform/RowTimeline.h"
#include "show/MusicTransport.h"

namespace velmora {

class FeedMusic : public MusicTransport {
public:
    // False when the file cannot be read or is not a module that plays.
    bool load(const char* path);
    bool loaded() const { return stream_.loaded(); }
    // Keeps the channel levels as the sound is rendered (a show that reads them).
    void keepChannelLevels() { stream_.recordChannelLevels(&levels_); }

    // The next `frames` frames of sound, interleaved stereo.
    void fill(int16_t* out, size_t frames);
    // The sound frame being heard now, as the host's audio tells it.
    void setHeard(int64_t frame) { heard_ = frame; }

    uint32_t channelPosition() override;
    std::span<const float> channelLevels() override;
    std::span<const int64_t> orderStartRows() override { return orderStartRows_; }
    double jumpOrder(int direction) override;
    double stepRow(int direction) override;
    double seek(int32_t order, int32_t row) override;
    bool toggleLoop() override;
    bool takeLoopReturn(double& seconds) override;

private:
    int64_t heardNow() const { return heard_ > heardFloor_ ? heard_ : heardFloor_; }

    ModuleStream stream_;
    std::vector<int64_t> orderStartRows_;  // read with the module
    RowTimeline rows_;
    ChannelLevelTimeline levels_;
    int64_t heard_ = 0;
    int64_t heardFloor_ = 0;      // after a move: the first frame of the new place
    int64_t loopReturnsSeen_ = 0;
    int64_t loopReturnFrame_ = -1;
    double loopReturnSeconds_ = 0.0;
    uint32_t lastPosition_ = 0;
};

}  // namespace velmora
