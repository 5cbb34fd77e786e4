// Where the show's music position comes from. The demo graph polls it once per
// frame; the host plugs in the module player, headless runs a fixed position.
#pragma once

#include <cstdint>

namespace velmora {

class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // startMusic: begins playback; failures are fatal errors.
    virtual void start() {}
    // stopMusic: ends playback and releases the sound system.
    virtual void stop() {}
    // The channel position of what is audible now: order in bits 0..15, progress
    // through the row (0..255) in bits 16..23, row in bits 24..31.
    virtual uint32_t channelPosition() = 0;
};

// A position that never moves (headless rendering and tests).
class FixedMusicPosition : public MusicPlayer {
public:
    explicit FixedMusicPosition(uint32_t position = 0) : position_(position) {}
    void set(uint32_t position) { position_ = position; }
    uint32_t channelPosition() override { return position_; }

private:
    uint32_t position_;
};

// Packs order, row and row fraction the way channelPosition reports them.
inline uint32_t makeChannelPosition(uint32_t order, uint32_t row, uint32_t rowFraction) {
    return (order & 0xFFFFu) | ((rowFraction & 0xFFu) << 16) | ((row & 0xFFu) << 24);
}

}  // namespace velmora
