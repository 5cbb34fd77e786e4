// The show's clock: seconds since the last reset, from a monotonic counter.
#pragma once

#include <cstdint>

namespace velmora {

class FrameTimer {
public:
    FrameTimer();
    virtual ~FrameTimer() = default;
    void reset();
    double seconds();

private:
    double startTicks_ = 0.0;
    int64_t lastTicks_ = 0;
    int64_t ticksPerSecond_ = 1;
};

}  // namespace velmora
