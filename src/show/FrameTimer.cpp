// The show's clock over a nanosecond counter.
#include "show/FrameTimer.h"

#include <chrono>
#include <cmath>

namespace velmora {

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FrameTimer::FrameTimer(TickSource ticks) : ticks_(std::move(ticks)), ticksPerSecond_(1000000000) {
    lastTicks_ = readCounter();
}

void FrameTimer::reset() {
    paused_ = false;
    lastTicks_ = readCounter();
    startTicks_ = static_cast<double>(lastTicks_);
}

double FrameTimer::seconds() {
    if (paused_) return pausedSeconds_;
    lastTicks_ = readCounter();
    return (static_cast<double>(lastTicks_) - startTicks_) / static_cast<double>(ticksPerSecond_);
}

void FrameTimer::pause() {
    if (paused_) return;
    pausedSeconds_ = seconds();
    paused_ = true;
}

void FrameTimer::resume() {
    if (!paused_) return;
    paused_ = false;
    setSeconds(pausedSeconds_);
}

void FrameTimer::setSeconds(double s) {
    if (!std::isfinite(s)) return;  // no time to go to: the clock runs on
    if (paused_) {
        pausedSeconds_ = s;
        return;
    }
    lastTicks_ = readCounter();
    startTicks_ = static_cast<double>(lastTicks_) - s * static_cast<double>(ticksPerSecond_);
}

}  // namespace velmora
