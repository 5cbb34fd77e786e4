// The window's frame-rate cap: frames start at least 1/perSecond apart. A frame
// measures from its own start, so a display that already waits for its refresh
// is never made to miss one, and a late frame is not made up for with a burst.
#pragma once

namespace velmora {

class FramePacer {
public:
    explicit FramePacer(double perSecond) : period_(perSecond > 0.0 ? 1.0 / perSecond : 0.0) {}
    // Seconds to wait after a frame that ended at `now` (any monotonic clock)
    // before the next one starts; 0 when it is already due.
    double delayAfterFrame(double now);
    double period() const { return period_; }

private:
    double period_;
    bool started_ = false;
    double frameStart_ = 0.0;
};

}  // namespace velmora
