// What a host gives the live show: the one small interface the native window
// and the web page each implement. The show's pass (LiveShow) asks it for the
// time and the input, and hands it the frame with its overlay, a screenshot's
// bytes and a fatal message. The sound goes to the host's audio, which asks
// the music for it (a fill callback), so it is no call of the pass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show/Overlay.h"
#include "show/ShowKeys.h"
#include "surface/Surface.h"

namespace velmora {

class ShowPlatform {
public:
    virtual ~ShowPlatform() = default;
    // Seconds on a monotonic clock (the frame-rate meter, the notice's time).
    virtual double now() = 0;
    // The command of the next key pressed, None when no key waits.
    virtual ShowCommand pollInput() = 0;
    // Puts the frame on screen, the overlay over a copy of it.
    virtual void present(const Surface& frame, const ShowOverlay& overlay) = 0;
    // Keeps a screenshot (the bytes of a BMP file).
    virtual void saveScreenshot(const std::vector<uint8_t>& bmp) = 0;
    // Tells a fatal error: its message, then its reason.
    virtual void showFatal(const std::string& message) = 0;
};

}  // namespace velmora
