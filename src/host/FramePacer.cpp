// The frame-rate cap's arithmetic.
#include "host/FramePacer.h"

#include <algorithm>

namespace velmora {

double FramePacer::delayAfterFrame(double now) {
    if (!started_) {
        started_ = true;
        frameStart_ = now;
        return 0.0;
    }
    // A clock that went back would ask for more than one period: never wait longer.
    const double wait = std::clamp(frameStart_ + period_ - now, 0.0, period_);
    frameStart_ = now + wait;
    return wait;
}

}  // namespace velmora
