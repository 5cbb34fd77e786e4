// Measuring and drawing the frame counter; the frame-rate cap's arithmetic.
#include "host/live/FrameCounter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/FrameGeometry.h"
#include "host/live/DialogArt.h"

namespace velmora {

namespace {
constexpr int kScale = 2;
}  // namespace

namespace {

// One line of the overlay: the text in a black box whose top-left corner is (kCounterX, top).
void drawBoxedText(uint32_t* pixels, int pitch, int top, const char* text) {
    int length = 0;
    while (text[length]) ++length;
    // 6 font columns a character, the last one blank, and a 2-pixel margin.
    const int boxWidth = std::min(length * 6 * kScale - kScale + 4, kFrameWidth - kCounterX);
    for (int y = top; y < top + kCounterHeight; ++y)
        std::fill_n(pixels + static_cast<size_t>(y) * pitch + kCounterX, boxWidth, 0u);
    drawTextAt(pixels, kFrameWidth, kFrameHeight, pitch, kCounterX + 2, top + 2, text, kCounterColour, kScale);
}

}  // namespace

void drawFrameCounter(uint32_t* pixels, int pitch, int framesPerSecond) {
    if (!pixels || pitch < kFrameWidth) return;
    ShowOverlay overlay;
    overlay.framesPerSecond = framesPerSecond;
    drawBoxedText(pixels, pitch, kCounterY, overlay.counterLine().c_str());
}

void drawMusicPosition(uint32_t* pixels, int pitch, uint32_t order, uint32_t row, double seconds) {
    if (!pixels || pitch < kFrameWidth) return;
    ShowOverlay overlay;
    overlay.order = order;
    overlay.row = row;
    overlay.seconds = seconds;
    drawBoxedText(pixels, pitch, kPositionY, overlay.positionLine().c_str());
}

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
