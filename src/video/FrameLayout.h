// Where the show's picture goes in a video frame: scaled by a whole number with
// nearest-neighbour pixels (so demo pixels stay crisp), or smoothly to fit, and
// centred on black.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

struct FrameLayout {
    int width = 0, height = 0;  // the whole video frame
    int pictureX = 0, pictureY = 0, pictureWidth = 0, pictureHeight = 0;
    int scale = 1;  // whole-number scale of the picture; 0 when smooth to a size
};

// The frame is the source scaled by `scale`.
FrameLayout layoutForScale(int sourceWidth, int sourceHeight, int scale);

// A width x height frame. Crisp: the largest whole scale that fits (nullopt when
// not even scale 1 does). Smooth: the largest size of the source's shape that
// fits. The picture is centred, its corner on even coordinates so that 4:2:0
// chroma blocks never straddle two picture pixels.
std::optional<FrameLayout> layoutForSize(int sourceWidth, int sourceHeight, int width, int height, bool smooth);

// Draws the source, each pixel a scale x scale block, into the layout's
// picture rectangle of `frame` (layout.width pixels a row). The rest of the
// frame is left as it is.
void drawNearest(const uint32_t* source, int sourceWidth, int sourceHeight, const FrameLayout& layout,
                 uint32_t* frame);

}  // namespace velmora
