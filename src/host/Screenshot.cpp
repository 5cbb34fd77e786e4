// The screenshot action: pack the frame to 3-byte pixels and write the BMP.
#include "host/Screenshot.h"

#include <cstdio>
#include <vector>

#include "surface/Bmp.h"

namespace velmora {

int32_t screenshotCounter = 1;

void saveScreenshot(const Surface& frame) {
    constexpr int32_t kWidth = 512;
    constexpr int32_t kHeight = 256;
    std::vector<uint8_t> buffer(0x80000);
    // Only a frame of the screenshot's size is packed; anything else would be
    // read past its end.
    const bool whole = frame.isSize(kWidth, kHeight);
    if (whole) packPixels24(frame.pixels, buffer.data(), 0x20000);

    char name[256];
    std::snprintf(name, sizeof name, "grab_%d.bmp", static_cast<int>(screenshotCounter));
    ++screenshotCounter;
    if (!whole) {
        std::fprintf(stderr, "velmora: %s not saved: the frame is not 512x256\n", name);
        return;
    }
    if (writeBmp(name, buffer.data(), kWidth, kHeight, 24, nullptr) != 0)
        std::fprintf(stderr, "velmora: cannot write %s, screenshot skipped\n", name);
}

}  // namespace velmora
