// The show's clock over std::chrono::steady_clock, in nanosecond ticks.
#include "script/FrameTimer.h"

#include <chrono>

namespace velmora {

namespace {
int64_t readCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

FrameTimer::FrameTimer() : lastTicks_(readCounter()), ticksPerSecond_(1000000000) {}

void FrameTimer::reset() {
    lastTicks_ = readCounter();
    startTicks_ = static_cast<double>(lastTicks_);
}

double FrameTimer::seconds() {
    lastTicks_ = readCounter();
    return (static_cast<double>(lastTicks_) - startTicks_) / static_cast<double>(ticksPerSecond_);
}

}  // namespace velmora
