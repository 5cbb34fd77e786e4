// The screenshot's bytes, the same in every host: the 512 by 256 frame as a
// 24-bit BMP file. The native show writes them as grab_N.bmp, the page
// downloads them under that name.
#pragma once

#include <cstdint>
#include <vector>

#include "surface/Surface.h"

namespace velmora {

// Empty when the frame is not 512 by 256.
std::vector<uint8_t> screenshotBmp(const Surface& frame);

}  // namespace velmora
