// The object box's drawing primitives: lines, flat and texture-mapped triangles,
// stepped in 16.16 fixed point into a 512 by 256 pixel array. Every pixel is
// tested against the frame, so corners may lie anywhere.
#pragma once

#include <cstdint>

#include "core/FrameGeometry.h"
namespace velmora {

constexpr int32_t kRasterWidth = kFrameWidth;
constexpr int32_t kRasterHeight = kFrameHeight;
constexpr int32_t kEnvTextureSize = 256;  // texture rows are 256 pixels long

// The screen rows [top, end) a drawing call may write; the whole frame unless
// the frame is drawn in bands side by side. A band gives exactly the pixels of
// the whole-frame call that lie in it.
struct RowBand {
    int32_t top = 0;
    int32_t end = kRasterHeight;
};

// pixels: 512 * 256 entries.
void drawLine(uint32_t* pixels, float x0, float y0, float x1, float y1, uint32_t colour, RowBand band = {});

void fillTriangleFlat(uint32_t* pixels, float x0, float y0, float x1, float y1, float x2, float y2,
                      uint32_t colour, RowBand band = {});

// texture: 256 * 256 entries, texel (u, v) at v * 256 + u; (u, v) in texel units.
void fillTriangleTextured(const uint32_t* texture, uint32_t* pixels, float x0, float y0, float x1,
                          float y1, float x2, float y2, float u0, float v0, float u1, float v1,
                          float u2, float v2, RowBand band = {});

}  // namespace velmora
