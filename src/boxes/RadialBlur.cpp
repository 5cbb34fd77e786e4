// The radial blur sweep. Every pixel takes its colour from pixels already swept
// (toward the centre), so the rays and the quadrant rows run strictly outward.
#include "boxes/RadialBlur.h"

#include <algorithm>

#include "surface/PixelMath.h"

namespace velmora {

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 256;
constexpr int kRaySteps = 511;

// Rays: the inner neighbour keeps 0.996875 (a float), the pixel adds 0.023 of itself.
constexpr float kRayKeep = 0.996875f;
constexpr double kRayOwn = 0.023;
// Quadrants: 0.023 in 16.16.
constexpr uint32_t kQuadrantOwn = 1507;

struct Direction {
    int ex, ey;
};
// Down-right, up-right, up, up-left, left, right, down-left, down.
constexpr Direction kRays[8] = {{1, 1}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}};

// Coordinates are 64-bit so that a centre anywhere in the int32 range cannot overflow.
bool onSurface(int64_t x, int64_t y) { return x >= 0 && x < kWidth && y >= 0 && y < kHeight; }

uint32_t rayMix(uint32_t inner, uint32_t own) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double n = static_cast<double>((inner >> shift) & 0xFFu);
        const double o = static_cast<double>((own >> shift) & 0xFFu);
        const int32_t c = truncToInt(n * static_cast<double>(kRayKeep)) + truncToInt(o * kRayOwn);
        result |= static_cast<uint32_t>(std::min(c, 255)) << shift;
    }
    return result;
}

// a is the diagonal neighbour's 16.16 weight, 0 <= a < 65536.
inline uint32_t quadrantMix(uint32_t d, uint32_t e, uint32_t own, uint32_t a) {
    const uint32_t b = 65536u - a;
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t s = ((own >> shift) & 0xFFu) * kQuadrantOwn +
                           ((((d >> shift) & 0xFFu) * a) & 0xFFFF0000u) +
                           ((((e >> shift) & 0xFFu) * b) & 0xFFFF0000u);
        result |= std::min(s >> 16, 255u) << shift;
    }
    return result;
}

// (near << 16) / far for the octant's shorter and longer distance: below 65536.
inline uint32_t weight(int64_t near, int64_t far) { return static_cast<uint32_t>((near << 16) / far); }

void sweepRays(uint32_t* px, int64_t cx, int64_t cy) {
    for (const Direction& ray : kRays) {
        int64_t ix = cx, iy = cy;  // the inner neighbour of the current step
        for (int k = 1; k <= kRaySteps; ++k) {
            const int64_t x = ix + ray.ex, y = iy + ray.ey;
            if (onSurface(x, y) && onSurface(ix, iy)) {
                uint32_t& pixel = px[y * kWidth + x];
                pixel = rayMix(px[iy * kWidth + ix], pixel);
            }
            ix = x;
            iy = y;
        }
    }
}

// One quadrant: sx, sy = +1 or -1 point away from the centre. Rows and columns are
// clipped so that every pixel computed and both its inner neighbours lie on the
// surface; for a centre on the surface the clipping removes nothing.
void sweepQuadrant(uint32_t* px, int64_t cx, int64_t cy, int sx, int sy) {
    const int64_t firstRow = sy > 0 ? std::max<int64_t>(cy + 1, 1) : std::min<int64_t>(cy - 1, kHeight - 2);
    const int64_t rowCount = sy > 0 ? kHeight - firstRow : firstRow + 1;
    for (int64_t r = 0; r < rowCount; ++r) {
        const int64_t y = firstRow + sy * r;
        const int64_t dy = sy > 0 ? y - cy : cy - y;
        const uint32_t* inner = px + (y - sy) * kWidth;  // the row toward the centre
        uint32_t* row = px + y * kWidth;
        if (sx > 0) {
            const int64_t split = std::min<int64_t>(cx + dy, kWidth);  // the diagonal ray's column
            for (int64_t x = std::max<int64_t>(cx + 1, 1); x < split; ++x) {
                const uint32_t a = weight(x - cx, dy);
                row[x] = quadrantMix(inner[x - 1], inner[x], row[x], a);
            }
            for (int64_t x = std::max<int64_t>(split + 1, 1); x < kWidth; ++x) {
                const uint32_t a = weight(dy, x - cx);
                row[x] = quadrantMix(inner[x - 1], row[x - 1], row[x], a);
            }
        } else {
            const int64_t split = std::max<int64_t>(cx - dy, -1);
            for (int64_t x = std::min<int64_t>(cx - 1, kWidth - 2); x > split; --x) {
                const uint32_t a = weight(cx - x, dy);
                row[x] = quadrantMix(inner[x + 1], inner[x], row[x], a);
            }
            for (int64_t x = std::min<int64_t>(split - 1, kWidth - 2); x >= 0; --x) {
                const uint32_t a = weight(dy, cx - x);
                row[x] = quadrantMix(inner[x + 1], row[x + 1], row[x], a);
            }
        }
    }
}

// Rays first: every quadrant pixel next to a ray reads it.
void sweep(uint32_t* pixels, int64_t cx, int64_t cy) {
    sweepRays(pixels, cx, cy);
    sweepQuadrant(pixels, cx, cy, +1, +1);  // lower right
    sweepQuadrant(pixels, cx, cy, -1, +1);  // lower left
    sweepQuadrant(pixels, cx, cy, +1, -1);  // upper right
    sweepQuadrant(pixels, cx, cy, -1, -1);  // upper left
}

}  // namespace

void BoxRadialBlur::render(Surface& output, FunctionList functions, SurfaceList) {
    if (functions.size() < 4) return;
    for (size_t i = 0; i < 4; ++i)
        if (!functions[i]) return;
    if (!output.isSize(kWidth, kHeight)) return;
    if (!isOn(*functions[2]) || !isOn(*functions[3])) return;
    const int32_t cy = truncToInt(functions[1]->value());
    const int32_t cx = truncToInt(functions[0]->value());
    sweep(output.pixels, cx, cy);
}

}  // namespace velmora
