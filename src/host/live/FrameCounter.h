// The show's frame timing: the optional frame counter (frames per second over
// the last second and where the music is, drawn over the on-screen copy of the
// frame, which screenshots never see) and the window's frame-rate cap.
#pragma once

#include <cstdint>
#include <string>

#include "show/Overlay.h"

namespace velmora {

// The counter's box: at the top-left corner of the frame.
inline constexpr int kCounterX = 4;
inline constexpr int kCounterY = 4;
inline constexpr int kCounterHeight = 18;
inline constexpr uint32_t kCounterColour = 0xFFE040;  // the figures; the box is black

// Draws "N fps" in a black box into a 512 by 256 copy of the frame whose rows
// are `pitch` pixels apart. Does nothing without pixels.
void drawFrameCounter(uint32_t* pixels, int pitch, int framesPerSecond);

// Where the music is, in a second box under the counter's:
// "order O row R mm:ss.cc", the time being the show's clock.
inline constexpr int kPositionY = kCounterY + kCounterHeight + 2;
void drawMusicPosition(uint32_t* pixels, int pitch, uint32_t order, uint32_t row, double seconds);

// The window's frame-rate cap: frames start at least 1/perSecond apart. A frame
// measures from its own start, so a display that already waits for its refresh
// is never made to miss one, and a late frame is not made up for with a burst.
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
