// Where each row of the module began, in frames since playback started, so the
// position of any frame rendered so far can be told afterwards (audio is heard
// some time after it is rendered). No SDL here: the live player and the offline
// renderer share it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

struct RowStart {
    int64_t frame = 0;     // first frame of the row
    int32_t order = 0;
    int32_t row = 0;
    double expectedFrames = 0.0;  // row length from speed and tempo, until the next row is known
};

class RowTimeline {
public:
    // Enough rows for several seconds at the fastest speed and tempo.
    static constexpr size_t kCapacity = 1024;

    void clear() { count_ = 0; }
    // Rows arrive in playback order; the oldest ones are forgotten.
    void add(const RowStart& start);
    size_t size() const { return count_; }

    // The channel position at `frame`: order in bits 0..15, progress through the
    // row (0..255) in bits 16..23, row in bits 24..31. 0 before the first row.
    uint32_t positionAt(int64_t frame) const;

private:
    const RowStart& at(size_t i) const { return ring_[(head_ + i) % kCapacity]; }

    std::array<RowStart, kCapacity> ring_{};
    size_t head_ = 0;   // index of the oldest entry
    size_t count_ = 0;
};

}  // namespace velmora
