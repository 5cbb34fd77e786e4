// Packing the frame to 3-byte pixels under a BMP header.
#include "show/ScreenshotBmp.h"

#include "core/FrameGeometry.h"
#include "surface/Bmp.h"

namespace velmora {

std::vector<uint8_t> screenshotBmp(const Surface& frame) {
    if (!frame.isSize(kFrameWidth, kFrameHeight)) return {};
    std::vector<uint8_t> packed(static_cast<size_t>(kFramePixels) * 3);
    packPixels24(frame.pixels, packed.data(), kFramePixels);
    return encodeBmp(packed.data(), kFrameWidth, kFrameHeight, 24, nullptr);
}

}  // namespace velmora
