// The page's platform: the frame into canvas bytes, the overlay into text.
#include "platform/web/PagePlatform.h"

#include <cstring>

namespace velmora {

void PagePlatform::present(const Surface& frame, const ShowOverlay& shown) {
    overlay = shown;
    rgba.resize(4 * frame.pixelCount());
    // A word a pixel (the page's memory is little-endian): red, green, blue,
    // then an opaque alpha, a loop the compiler turns into vector shuffles.
    for (size_t i = 0; i < frame.pixelCount(); ++i) {
        const uint32_t p = frame.pixels[i];
        const uint32_t bytes = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
        std::memcpy(rgba.data() + 4 * i, &bytes, 4);
    }
}

const std::string& PagePlatform::overlayText() {
    text.clear();
    if (overlay.counterShown) text = overlay.counterLine() + "\n" + overlay.positionLine();
    if (!overlay.notice.empty()) text += (text.empty() ? "" : "\n") + overlay.notice;
    return text;
}

}  // namespace velmora
