// The overlay's numbers and text.
#include "show/Overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora {

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

std::string formatShowTime(double seconds) {
    // Whole hundredths, at most 99:59.99.
    const int hundredths = seconds > 0.0 ? static_cast<int>(std::min(seconds * 100.0, 599999.0)) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
    return text;
}

std::string ShowOverlay::counterLine() const {
    char text[16];
    std::snprintf(text, sizeof text, "%d fps", std::clamp(framesPerSecond, 0, 99999));
    return text;
}

std::string ShowOverlay::positionLine() const {
    char text[48];
    std::snprintf(text, sizeof text, "order %u row %u %s", order & 0xFFFFu, row & 0xFFu, formatShowTime(seconds).c_str());
    return text;
}

}  // namespace velmora
