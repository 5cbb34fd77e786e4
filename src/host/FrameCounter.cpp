// Measuring and drawing the frame counter.
#include "host/FrameCounter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/FrameGeometry.h"
#include "host/DialogArt.h"

namespace velmora {

namespace {
constexpr int kScale = 2;
}  // namespace

void FrameRateMeter::frame(double seconds) {
    if (!started_ || seconds < since_) {  // first frame, or a clock that went back
        started_ = true;
        since_ = seconds;
        frames_ = 0;
        return;
    }
    ++frames_;
    const double elapsed = seconds - since_;
    if (elapsed >= 1.0) {
        perSecond_ = static_cast<int>(std::min(std::lround(frames_ / elapsed), 99999L));
        since_ = seconds;
        frames_ = 0;
    }
}

void drawFrameCounter(uint32_t* pixels, int pitch, int framesPerSecond) {
    if (!pixels || pitch < kFrameWidth) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d fps", std::clamp(framesPerSecond, 0, 99999));
    int length = 0;
    while (text[length]) ++length;
    // 6 font columns a character, the last one blank, and a 2-pixel margin.
    const int boxWidth = std::min(length * 6 * kScale - kScale + 4, kFrameWidth - kCounterX);
    for (int y = kCounterY; y < kCounterY + kCounterHeight; ++y)
        std::fill_n(pixels + static_cast<size_t>(y) * pitch + kCounterX, boxWidth, 0u);
    drawTextAt(pixels, kFrameWidth, kFrameHeight, pitch, kCounterX + 2, kCounterY + 2, text, kCounterColour, kScale);
}

}  // namespace velmora
