// The optional frame counter of the show: frames per second over the last
// second and where the music is, drawn over the on-screen copy of the frame
// (screenshots never see it).
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
// The clock as mm:ss.cc, cut (not rounded) to hundredths; before 0 it is 00:00.00.
std::string formatShowTime(double seconds);

}  // namespace velmora
