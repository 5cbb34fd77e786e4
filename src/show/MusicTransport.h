// The show's music as every host drives it: where it is (the position heard,
// the channel levels), and the transport the show's keys move (seek, order
// jump, row step, loop and its return, pause). The native show plugs in the
// module played through the sound card, the page its audio feed, render and
// bench the module decoded offline or a fixed position.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "functions/Function.h"

namespace velmora {

class MusicTransport {
public:
    virtual ~MusicTransport() = default;
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

    // The position heard when the show's clock reads `seconds`. Music that
    // plays tells what is audible now whatever the clock says; music decoded
    // offline decodes up to that time.
    virtual uint32_t positionAt(double seconds) {
        (void)seconds;
        return channelPosition();
    }
    // The levels at the place positionAt reported last.
    virtual std::span<const float> channelLevelsAt(double seconds) {
        (void)seconds;
        return channelLevels();
    }

    // The transport. Each move returns the module's time at the new place in
    // seconds, as if played from the start (the clock goes there), negative
    // when nothing moved. An order back (-1) or on (+1), to its row 0: the
    // first order stays itself going back, the last going on.
    virtual double jumpOrder(int direction) {
        (void)direction;
        return -1.0;
    }
    // One row back (-1) or on (+1), across order boundaries.
    virtual double stepRow(int direction) {
        (void)direction;
        return -1.0;
    }
    // Row `row` of order `order`.
    virtual double seek(int32_t order, int32_t row) {
        (void)order, (void)row;
        return -1.0;
    }
    // Loops the order heard now until called again; true while looping.
    virtual bool toggleLoop() { return false; }
    // True once each time the loop's return to its row 0 has been heard, with
    // the module's time there in `seconds`.
    virtual bool takeLoopReturn(double& seconds) {
        (void)seconds;
        return false;
    }
    // Pauses and resumes the sound; the position holds still while paused.
    virtual void setPaused(bool paused) { (void)paused; }
};

// A position that never moves (headless rendering, bench and tests).
class FixedMusicPosition : public MusicTransport {
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

}  // namespace velmora
