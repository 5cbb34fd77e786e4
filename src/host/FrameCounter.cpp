// Measuring and drawing the frame counter; the frame-rate cap's arithmetic.
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
    char text[16];
    std::snprintf(text, sizeof text, "%d fps", std::clamp(framesPerSecond, 0, 99999));
    drawBoxedText(pixels, pitch, kCounterY, text);
}

std::string formatShowTime(double seconds) {
    // Whole hundredths, at most 99:59.99.
    const int hundredths = seconds > 0.0 ? static_cast<int>(std::min(seconds * 100.0, 599999.0)) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
    return text;
}

void drawMusicPosition(uint32_t* pixels, int pitch, uint32_t order, uint32_t row, double seconds) {
    if (!pixels || pitch < kFrameWidth) return;
    char text[48];
    std::snprintf(text, sizeof text, "order %u row %u %s", order & 0xFFFFu, row & 0xFFu,
                  formatShowTime(seconds).c_str());
    drawBoxedText(pixels, pitch, kPositionY, text);
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
