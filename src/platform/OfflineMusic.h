// The module decoded offline as the show's music: frame k of a headless run
// hears the module at its own time, decoded up to there. The page's render
// mode drives it; the decode can go ahead in slices first, so that a late
// start never holds the page for long.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/OfflineModule.h"
#include "show/MusicTransport.h"

namespace velmora {

class OfflineMusic : public MusicTransport {
public:
    // False when the file cannot be read or is not a module that plays.
    bool load(const char* path) { return module_.load(path); }
    void keepChannelLevels() { module_.recordChannelLevels(); }
    // The decode goes in chunks of this many frames from where it stands, and
    // the rows it reports depend on where the chunks end: a slice of whole
    // chunks decodes exactly as one call would.
    static constexpr int64_t kChunkFrames = 4096;
    static constexpr int64_t kSliceFrames = 4 * kChunkFrames;
    // Decodes at most `maxFrames` more frames (whole chunks) toward the show's
    // time `seconds`; true once it is reached.
    bool decodeToward(double seconds, int64_t maxFrames);

    uint32_t channelPosition() override { return last_; }
    uint32_t positionAt(double seconds) override;
    std::span<const float> channelLevelsAt(double seconds) override;
    std::span<const int64_t> orderStartRows() override { return module_.orderStartRows(); }

private:
    void decodeTo(int64_t frame, int64_t maxFrames);

    OfflineModule module_;
    std::vector<int16_t> chunk_ = std::vector<int16_t>(2 * kChunkFrames);
    uint32_t last_ = 0;
};

}  // namespace velmora
