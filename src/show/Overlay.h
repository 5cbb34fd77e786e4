// The show's overlay (F1), the same text in every host: the frames per second
// over the last second, and where the music is with the show's clock; and a
// refused reload's first problem for a few seconds. The native show draws it
// over its on-screen copy of the frame, the page sets it as text over its
// canvas; screenshots never see it.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

class FrameRateMeter {
public:
    // Counts one presented frame at `seconds` on any monotonic clock.
    void frame(double seconds);
    // Frames per second over the last whole second measured; 0 until one has passed.
    int perSecond() const { return perSecond_; }

private:
    bool started_ = false;
    double since_ = 0.0;  // start of the second being measured
    int frames_ = 0;      // frames presented after it
    int perSecond_ = 0;
};

// The clock as mm:ss.cc, cut (not rounded) to hundredths; before 0 it is 00:00.00.
std::string formatShowTime(double seconds);

// What the overlay shows over one frame.
struct ShowOverlay {
    bool counterShown = false;
    int framesPerSecond = 0;
    uint32_t order = 0, row = 0;
    double seconds = 0.0;
    std::string notice;  // a refused reload's first problem; empty: none

    // "N fps"
    std::string counterLine() const;
    // "order O row R mm:ss.cc"
    std::string positionLine() const;
};

// A refused reload's first problem stays up this long.
inline constexpr double kNoticeSeconds = 4.0;

}  // namespace velmora
