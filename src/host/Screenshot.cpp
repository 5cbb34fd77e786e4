// The screenshot action: pack the frame to 3-byte pixels and write the BMP.
#include "host/Screenshot.h"

#include <cstdio>
#include <vector>

#include "core/FrameGeometry.h"
#include "surface/Bmp.h"

namespace velmora {

void ScreenshotWriter::save(const Surface& frame) {
    std::vector<uint8_t> buffer(0x80000);
    // Only a frame of the screenshot's size is packed; anything else would be
    // read past its end.
    const bool whole = frame.isSize(kFrameWidth, kFrameHeight);
    if (whole) packPixels24(frame.pixels, buffer.data(), kFramePixels);

    char name[256];
    std::snprintf(name, sizeof name, "grab_%d.bmp", static_cast<int>(next_));
    ++next_;
    if (!whole) {
        std::fprintf(stderr, "velmora: %s not saved: the frame is not 512x256\n", name);
        return;
    }
    if (writeBmp(name, buffer.data(), kFrameWidth, kFrameHeight, 24, nullptr) != 0)
        std::fprintf(stderr, "velmora: cannot write %s, screenshot skipped\n", name);
}

}  // namespace velmora
