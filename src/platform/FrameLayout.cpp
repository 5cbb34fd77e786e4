// Whole-factor placement of the canvas on a screen or window: no display needed.
#include <algorithm>

#include "platform/Display.h"

namespace velmora {

PixelRect integerFrameRect(const CanvasLayout& canvas, int outputWidth, int outputHeight) {
    if (outputWidth <= 0 || outputHeight <= 0 || canvas.width <= 0 || canvas.height <= 0) return {};
    const int factor = std::min(outputWidth / canvas.width, outputHeight / canvas.height);
    if (factor < 1) return frameRectOnOutput(canvas, outputWidth, outputHeight);
    const int left = (outputWidth - canvas.width * factor) / 2;
    const int top = (outputHeight - canvas.height * factor) / 2;
    return PixelRect{left + canvas.frameX * factor, top + canvas.frameY * factor, kFrameWidth * factor,
                     kFrameHeight * factor};
}

}  // namespace velmora
