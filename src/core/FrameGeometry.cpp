// Placement of a canvas on an output.
#include "core/FrameGeometry.h"

#include <algorithm>
#include <cmath>

namespace velmora {

std::optional<Placement> placeOnOutput(int canvasWidth, int canvasHeight, const PixelArea& area, int outputWidth,
                                       int outputHeight, const PlacementRules& rules) {
    if (outputWidth <= 0 || outputHeight <= 0 || canvasWidth <= 0 || canvasHeight <= 0) return std::nullopt;
    auto centre = [&](int outer, int inner) {
        const int start = (outer - inner) / 2;
        return rules.evenCorner ? start & ~1 : start;
    };
    Placement placement;
    PixelArea& out = placement.area;
    if (rules.wholeFactor) {
        const int factor = std::min(outputWidth / canvasWidth, outputHeight / canvasHeight);
        if (factor < 1) return std::nullopt;
        placement.factor = factor;
        out = {centre(outputWidth, canvasWidth * factor) + area.x * factor,
               centre(outputHeight, canvasHeight * factor) + area.y * factor, area.width * factor,
               area.height * factor};
        return placement;
    }
    if (rules.floorScaledEdges) {
        const double scale = std::min(static_cast<double>(outputWidth) / canvasWidth,
                                      static_cast<double>(outputHeight) / canvasHeight);
        const double left = std::floor((outputWidth - canvasWidth * scale) / 2.0);
        const double top = std::floor((outputHeight - canvasHeight * scale) / 2.0);
        const int x0 = static_cast<int>(left + std::floor(area.x * scale));
        const int y0 = static_cast<int>(top + std::floor(area.y * scale));
        const int x1 = static_cast<int>(left + std::floor((area.x + area.width) * scale));
        const int y1 = static_cast<int>(top + std::floor((area.y + area.height) * scale));
        out = {x0, y0, x1 - x0, y1 - y0};
        return placement;
    }
    // Full width when the output is relatively taller than the canvas, else full height.
    int width = outputWidth, height = outputHeight;
    if (static_cast<int64_t>(outputWidth) * canvasHeight <= static_cast<int64_t>(outputHeight) * canvasWidth)
        height = static_cast<int>(static_cast<int64_t>(outputWidth) * canvasHeight / canvasWidth);
    else
        width = static_cast<int>(static_cast<int64_t>(outputHeight) * canvasWidth / canvasHeight);
    if (width < 1 || height < 1) return std::nullopt;
    auto scaled = [](int value, int size, int canvasSize) {
        return static_cast<int>(static_cast<int64_t>(value) * size / canvasSize);
    };
    const int x0 = centre(outputWidth, width) + scaled(area.x, width, canvasWidth);
    const int y0 = centre(outputHeight, height) + scaled(area.y, height, canvasHeight);
    out = {x0, y0, scaled(area.width, width, canvasWidth), scaled(area.height, height, canvasHeight)};
    return placement;
}

}  // namespace velmora
