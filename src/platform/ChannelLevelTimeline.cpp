// Channel level readings kept in a ring, and the levels at a frame looked up.
#include "platform/ChannelLevelTimeline.h"

#include <algorithm>

namespace velmora {

void ChannelLevelTimeline::setChannels(int channels) {
    channels_ = std::max(channels, 0);
    levels_.assign(kCapacity * static_cast<size_t>(channels_), 0.0f);
    head_ = 0;
    count_ = 0;
}

std::span<const float> ChannelLevelTimeline::levelsOf(size_t i) const {
    return std::span<const float>(levels_).subspan(slot(i) * static_cast<size_t>(channels_),
                                                   static_cast<size_t>(channels_));
}

void ChannelLevelTimeline::add(int64_t frame, std::span<const float> levels) {
    levels = levels.first(std::min(levels.size(), static_cast<size_t>(channels_)));
    if (count_ > 0) {
        // Channels missing from `levels` read 0.
        const std::span<const float> newest = levelsOf(count_ - 1);
        const bool same = std::equal(levels.begin(), levels.end(), newest.begin()) &&
                          std::all_of(newest.begin() + static_cast<std::ptrdiff_t>(levels.size()), newest.end(),
                                      [](float level) { return level == 0.0f; });
        if (same) return;
    }
    if (count_ < kCapacity) {
        ++count_;
    } else {
        head_ = (head_ + 1) % kCapacity;
    }
    const size_t s = slot(count_ - 1);
    frames_[s] = frame;
    float* out = levels_.data() + s * static_cast<size_t>(channels_);
    std::fill(std::copy(levels.begin(), levels.end(), out), out + channels_, 0.0f);
}

void ChannelLevelTimeline::append(const ChannelLevelTimeline& other) {
    for (size_t i = 0; i < other.count_; ++i) add(other.frames_[other.slot(i)], other.levelsOf(i));
}

std::span<const float> ChannelLevelTimeline::levelsAt(int64_t frame) const {
    // Newest first: the frame asked for is nearly always among the last readings.
    for (size_t i = count_; i-- > 0;)
        if (frames_[slot(i)] <= frame) return levelsOf(i);
    return {};
}

}  // namespace velmora
