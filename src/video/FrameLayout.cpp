// FrameLayout: picture placement and the nearest-neighbour upscale.
#include "video/FrameLayout.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {
int evenCentre(int outer, int inner) { return ((outer - inner) / 2) & ~1; }
}  // namespace

FrameLayout layoutForScale(int sourceWidth, int sourceHeight, int scale) {
    FrameLayout layout;
    layout.width = layout.pictureWidth = sourceWidth * scale;
    layout.height = layout.pictureHeight = sourceHeight * scale;
    layout.scale = scale;
    return layout;
}

std::optional<FrameLayout> layoutForSize(int sourceWidth, int sourceHeight, int width, int height, bool smooth) {
    FrameLayout layout;
    layout.width = width;
    layout.height = height;
    if (smooth) {
        // Full width when the frame is relatively taller than the source, else full height.
        if (static_cast<int64_t>(width) * sourceHeight <= static_cast<int64_t>(height) * sourceWidth) {
            layout.pictureWidth = width;
            layout.pictureHeight = static_cast<int>(static_cast<int64_t>(width) * sourceHeight / sourceWidth);
        } else {
            layout.pictureHeight = height;
            layout.pictureWidth = static_cast<int>(static_cast<int64_t>(height) * sourceWidth / sourceHeight);
        }
        if (layout.pictureWidth < 1 || layout.pictureHeight < 1) return std::nullopt;
        layout.scale = 0;
    } else {
        const int scale = std::min(width / sourceWidth, height / sourceHeight);
        if (scale < 1) return std::nullopt;
        layout.scale = scale;
        layout.pictureWidth = sourceWidth * scale;
        layout.pictureHeight = sourceHeight * scale;
    }
    layout.pictureX = evenCentre(width, layout.pictureWidth);
    layout.pictureY = evenCentre(height, layout.pictureHeight);
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
