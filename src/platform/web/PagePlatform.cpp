// The page's platform: the frame into canvas bytes, the overlay into text.
#include "platform/web/PagePlatform.h"

namespace velmora {

void PagePlatform::present(const Surface& frame, const ShowOverlay& shown) {
    overlay = shown;
    rgba.resize(4 * frame.pixelCount());
    for (size_t i = 0; i < frame.pixelCount(); ++i) {
        const uint32_t p = frame.pixels[i];
        rgba[4 * i] = static_cast<uint8_t>(p >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(p >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(p);
        rgba[4 * i + 3] = 255;
    }
}

const std::string& PagePlatform::overlayText() {
    text.clear();
    if (overlay.counterShown) text = overlay.counterLine() + "\n" + overlay.positionLine();
    if (!overlay.notice.empty()) text += (text.empty() ? "" : "\n") + overlay.notice;
    return text;
}

}  // namespace velmora
