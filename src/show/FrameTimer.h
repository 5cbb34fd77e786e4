// The show's clock: seconds since the last reset, from a monotonic counter.
#pragma once

#include <cstdint>

#include "show/ShowClock.h"

namespace velmora {

class FrameTimer {
public:
    // Counts nanoseconds of `ticks` (the steady clock when empty).
    explicit FrameTimer(TickSource ticks = {});
    void reset();
    double seconds();

    // For authoring the show live: a paused clock gives the same seconds on
    // every call until it is resumed, and then counts on from there.
    void pause();
    void resume();
    bool paused() const { return paused_; }
    // Makes seconds() give `s` now and count on from it (paused: hold it).
    void setSeconds(double s);

private:
    int64_t readCounter() const { return ticks_ ? ticks_() : steadyNanoseconds(); }

    TickSource ticks_;
    double startTicks_ = 0.0;
    int64_t lastTicks_ = 0;
    int64_t ticksPerSecond_ = 1;
    bool paused_ = false;
    double pausedSeconds_ = 0.0;
};

}  // namespace velmora
