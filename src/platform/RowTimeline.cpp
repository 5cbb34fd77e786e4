// Row starts kept in a ring, and the position at a frame looked up from them.
#include "platform/RowTimeline.h"

#include <cmath>

#include "show/MusicTransport.h"

namespace velmora {

void RowTimeline::add(const RowStart& start) {
    if (count_ < kCapacity) {
        ring_[(head_ + count_) % kCapacity] = start;
        ++count_;
    } else {
        ring_[head_] = start;
        head_ = (head_ + 1) % kCapacity;
    }
}

uint32_t RowTimeline::positionAt(int64_t frame) const {
    if (count_ == 0 || frame < at(0).frame) return 0;
    // Newest first: the frame asked for is nearly always in the last few rows.
    size_t i = count_ - 1;
    while (at(i).frame > frame) --i;
    const RowStart& row = at(i);

    // The row's true length once the next row has been rendered, else the
    // length that speed and tempo promise.
    double length = i + 1 < count_ ? static_cast<double>(at(i + 1).frame - row.frame) : row.expectedFrames;
    uint32_t fraction = 255;
    if (length > 0.0) {
        double f = std::floor(static_cast<double>(frame - row.frame) * 256.0 / length);
        fraction = f < 255.0 ? static_cast<uint32_t>(f) : 255u;
    }
    return makeChannelPosition(static_cast<uint32_t>(row.order), static_cast<uint32_t>(row.row), fraction);
}

}  // namespace velmora
