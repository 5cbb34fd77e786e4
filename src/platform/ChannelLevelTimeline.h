// Each channel's level as the module was rendered, kept with the frame from
// which it held, so the levels of a frame rendered lately can be told (audio is
// heard some time after it is rendered). No SDL here: the live player and the
// offline renderer share it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

class ChannelLevelTimeline {
public:
    // Readings are kept only when a level changed, about once a tick: this is
    // several seconds at the fastest speed and tempo.
    static constexpr size_t kCapacity = 256;

    // Makes room for `channels` levels a reading and forgets every reading.
    void setChannels(int channels);
    int channels() const { return channels_; }
    void clear() { count_ = 0; }
    size_t size() const { return count_; }

    // Levels that hold from `frame` on; readings arrive in playback order and
    // the oldest are forgotten. The same levels as the newest reading add none.
    void add(int64_t frame, std::span<const float> levels);
    // Every reading of `other`, in order.
    void append(const ChannelLevelTimeline& other);

    // The levels at `frame`: the newest reading from at or before it; empty
    // when none is (before the first reading, or forgotten).
    std::span<const float> levelsAt(int64_t frame) const;

private:
    size_t slot(size_t i) const { return (head_ + i) % kCapacity; }
    std::span<const float> levelsOf(size_t i) const;

    std::array<int64_t, kCapacity> frames_{};
    std::vector<float> levels_;  // kCapacity readings of channels_ levels
    int channels_ = 0;
    size_t head_ = 0;  // slot of the oldest reading
    size_t count_ = 0;
};

}  // namespace velmora
