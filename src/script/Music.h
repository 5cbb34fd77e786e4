// Where the show's music position comes from. The host's show session polls it
// once per frame into the frame's input; the native show plugs in the module
// player, tests a fixed position.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "functions/Function.h"

namespace velmora {

class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // Begins playback; failures are fatal errors.
    virtual void start() {}
    // Ends playback and releases the sound system.
    virtual void stop() {}
    // The channel position of what is audible now: order in bits 0..15, progress
    // through the row (0..255) in bits 16..23, row in bits 24..31.
    virtual uint32_t channelPosition() = 0;
    // The level (0..1) of each channel at the place the last channelPosition
    // reported, first channel first; empty when none is known. Valid until the
    // next call. Asked only by shows that use the levels, so a player may start
    // keeping them at the first call.
    virtual std::span<const float> channelLevels() { return {}; }
    // Where each order begins in song rows (FrameInput::orderStartRows), read
    // once when the music starts; empty when not known.
    virtual std::span<const int64_t> orderStartRows() { return {}; }
};

// A position that never moves (headless rendering and tests).
class FixedMusicPosition : public MusicPlayer {
public:
    explicit FixedMusicPosition(uint32_t position = 0) : position_(position) {}
    void set(uint32_t position) { position_ = position; }
    uint32_t channelPosition() override { return position_; }
    void setOrderStartRows(std::vector<int64_t> starts) { orderStartRows_ = std::move(starts); }
    std::span<const int64_t> orderStartRows() override { return orderStartRows_; }

private:
    uint32_t position_;
    std::vector<int64_t> orderStartRows_;
};

// Packs order, row and row fraction the way channelPosition reports them.
inline uint32_t makeChannelPosition(uint32_t order, uint32_t row, uint32_t rowFraction) {
    return (order & 0xFFFFu) | ((rowFraction & 0xFFu) << 16) | ((row & 0xFFu) << 24);
}

// Unpacks a channel position into the order, row and row fraction a frame reads.
inline TrackerPosition trackerPositionOf(uint32_t channelPosition) {
    TrackerPosition position;
    position.order = static_cast<int32_t>(channelPosition & 0xFFFFu);
    position.row = static_cast<int32_t>(channelPosition >> 24);
    position.rowFraction = static_cast<int32_t>((channelPosition >> 16) & 0xFFu);
    return position;
}

// What the music gives a frame: its position, and its channel levels when
// `withLevels` (a show whose functions read them; otherwise the music is not
// asked for them). The caller sets the time.
inline FrameInput readMusicInput(MusicPlayer& music, bool withLevels) {
    FrameInput frame;
    frame.position = trackerPositionOf(music.channelPosition());
    // After the position: the levels belong to the place it reported.
    if (withLevels) frame.channelLevels = music.channelLevels();
    frame.orderStartRows = music.orderStartRows();
    return frame;
}

}  // namespace velmora
