// FrameLayout: picture placement and the nearest-neighbour upscale.
#include "video/FrameLayout.h"

#include <algorithm>
#include <cstring>

#include "core/FrameGeometry.h"

namespace velmora {

FrameLayout layoutForScale(int sourceWidth, int sourceHeight, int scale) {
    FrameLayout layout;
    layout.width = layout.pictureWidth = sourceWidth * scale;
    layout.height = layout.pictureHeight = sourceHeight * scale;
    layout.scale = scale;
    return layout;
}

std::optional<FrameLayout> layoutForSize(int sourceWidth, int sourceHeight, int width, int height, bool smooth) {
    PlacementRules rules;
    rules.wholeFactor = !smooth;
    rules.evenCorner = true;
    const auto placed =
        placeOnOutput(sourceWidth, sourceHeight, {0, 0, sourceWidth, sourceHeight}, width, height, rules);
    if (!placed) return std::nullopt;
    FrameLayout layout;
    layout.width = width;
    layout.height = height;
    layout.pictureX = placed->area.x;
    layout.pictureY = placed->area.y;
    layout.pictureWidth = placed->area.width;
    layout.pictureHeight = placed->area.height;
    layout.scale = placed->factor;
    return layout;
}

void drawNearest(const uint32_t* source, int sourceWidth, int sourceHeight, const FrameLayout& layout,
                 uint32_t* frame) {
    const int scale = layout.scale;
    const size_t stride = static_cast<size_t>(layout.width);
    uint32_t* out = frame + static_cast<size_t>(layout.pictureY) * stride + layout.pictureX;
    for (int y = 0; y < sourceHeight; ++y) {
        const uint32_t* in = source + static_cast<size_t>(y) * sourceWidth;
        uint32_t* row = out;
        if (scale == 2) {
            for (int x = 0; x < sourceWidth; ++x) row[2 * x] = row[2 * x + 1] = in[x];
        } else {
            for (int x = 0; x < sourceWidth; ++x)
                for (int i = 0; i < scale; ++i) row[x * scale + i] = in[x];
        }
        // The other rows of the block are copies of the first.
        for (int i = 1; i < scale; ++i)
            std::memcpy(out + i * stride, row, static_cast<size_t>(layout.pictureWidth) * sizeof(uint32_t));
        out += scale * stride;
    }
}

}  // namespace velmora
