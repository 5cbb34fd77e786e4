// Whole-factor placement of the canvas on a screen or window: no display needed.
#include "core/FrameGeometry.h"
#include "platform/Display.h"

namespace velmora {

PixelRect integerFrameRect(const CanvasLayout& canvas, int outputWidth, int outputHeight) {
    const auto placed = placeOnOutput(canvas.width, canvas.height,
                                      {canvas.frameX, canvas.frameY, kFrameWidth, kFrameHeight}, outputWidth,
                                      outputHeight, PlacementRules{});
    if (!placed) return frameRectOnOutput(canvas, outputWidth, outputHeight);
    return PixelRect{placed->area.x, placed->area.y, placed->area.width, placed->area.height};
}

}  // namespace velmora
