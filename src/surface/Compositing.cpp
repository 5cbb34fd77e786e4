// Surface compositing: stretched, zoomed, unscaled and centred drawing of one
// surface onto another, and the whole-surface colour operations.
#include <algorithm>
#include <cstring>

#include "core/PixelMath.h"
#include "surface/RowKernels.h"
#include "surface/Surface.h"

namespace velmora {

namespace {

// The part [first, last) of a destination span [from, to) that lies in [0, limit).
// 64-bit so that spans reaching the ends of the 32-bit range cannot overflow.
struct Range {
    int64_t first;
    int64_t last;
    bool empty() const { return first >= last; }
};

Range clipRange(int64_t from, int64_t to, int64_t limit) {
    return {std::max<int64_t>(from, 0), std::min<int64_t>(to, limit)};
}

// ((s1 - s0) * 65536) / (d1 - d0) in 32-bit arithmetic: product, difference and
// quotient wrap as fixed-width integers do, without overflowing.
int32_t fixedStep(int32_t s0, int32_t s1, int32_t d0, int32_t d1) {
    const int32_t span = wrapMul(wrapSub(s1, s0), 65536);
    const int32_t extent = wrapSub(d1, d0);
    if (extent == 0) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(int64_t{span} / extent));
}

// The 16.16 position after n + 1 advances from start * 65536: where the loop,
// which advances before it reads, stands at its (n)th pixel.
uint32_t fixedAt(int32_t start, int64_t n, int32_t step) {
    return static_cast<uint32_t>(start) * 65536u +
           static_cast<uint32_t>(n + 1) * static_cast<uint32_t>(step);
}

// Memory shared by the two surfaces (one drawn onto itself, or two views of
// one picture): the stretched kernels must then go pixel by pixel.
bool overlaps(PixelView a, PixelView b) {
    const auto a0 = reinterpret_cast<uintptr_t>(a.pixels);
    const auto b0 = reinterpret_cast<uintptr_t>(b.pixels);
    return a0 < b0 + b.pixelCount() * sizeof(uint32_t) &&
           b0 < a0 + a.pixelCount() * sizeof(uint32_t);
}

// Stretched placement: `run` (a stretched row kernel) draws the visible part of
// each destination row with `factor`. The rule walks the whole destination
// rectangle and drops pixels one by one; walking only the visible part, with
// the positions those pixels would have had, gives the same image without
// billions of idle steps.
void stretchDraw(Surface& dst, PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1,
                 int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1, rows::StretchRun run,
                 uint32_t factor) {
    if (!dst.pixels || !src.pixels || src.width <= 0 || src.height <= 0) return;
    const Range xs = clipRange(dx0, dx1, dst.width);
    const Range ys = clipRange(dy0, dy1, dst.height);
    if (xs.empty() || ys.empty()) return;

    const int32_t xstep = fixedStep(sx0, sx1, dx0, dx1);
    const int32_t ystep = fixedStep(sy0, sy1, dy0, dy1);
    rows::StretchSource source{};
    source.width = static_cast<uint32_t>(src.width);
    source.step = static_cast<uint32_t>(xstep);
    // The kernel advances before it reads: hand it the position one step back.
    source.sx = fixedAt(sx0, xs.first - dx0, xstep) - source.step;
    source.ordered = overlaps(dst, src);
    const uint32_t srcHeight = static_cast<uint32_t>(src.height);
    const size_t count = static_cast<size_t>(xs.last - xs.first);

    uint32_t sy = fixedAt(sy0, ys.first - dy0, ystep);
    for (int64_t y = ys.first; y < ys.last; ++y, sy += static_cast<uint32_t>(ystep)) {
        // Rows outside the source (only from ill-formed rectangles) are skipped.
        const uint32_t row = static_cast<uint32_t>(fixedToInt(static_cast<int32_t>(sy)));
        if (row >= srcHeight) continue;
        source.in = src.pixels + size_t{row} * source.width;
        uint32_t* out = dst.pixels + static_cast<size_t>(y) * static_cast<size_t>(dst.width) +
                        static_cast<size_t>(xs.first);
        run(out, count, source, factor);
    }
}

// Unscaled placement: the visible part of each source row goes through `rule`
// (a row kernel, with `factor`) onto its destination row, rows in source order.
void blitDraw(Surface& dst, PixelView src, int32_t x, int32_t y, rows::DrawRun rule, uint32_t factor) {
    if (!dst.pixels || !src.pixels || src.width <= 0 || src.height <= 0) return;
    const Range xs = clipRange(x, int64_t{x} + src.width, dst.width);
    const Range ys = clipRange(y, int64_t{y} + src.height, dst.height);
    if (xs.empty() || ys.empty()) return;
    const size_t count = static_cast<size_t>(xs.last - xs.first);
    if (count == static_cast<size_t>(src.width) && count == static_cast<size_t>(dst.width)) {
        // Whole rows on both sides follow one another in memory: one run in
        // the same pixel order as row after row.
        const size_t rows = static_cast<size_t>(ys.last - ys.first);
        rule(dst.pixels + static_cast<size_t>(ys.first) * count,
             src.pixels + static_cast<size_t>(ys.first - y) * count, count * rows, factor);
        return;
    }
    for (int64_t row = ys.first; row < ys.last; ++row) {
        const uint32_t* in = src.pixels +
                             static_cast<size_t>(row - y) * static_cast<size_t>(src.width) +
                             static_cast<size_t>(xs.first - x);
        uint32_t* out = dst.pixels + static_cast<size_t>(row) * static_cast<size_t>(dst.width) +
                        static_cast<size_t>(xs.first);
        rule(out, in, count, factor);
    }
}

// --- Placement of the zoomed and centred wrappers ---------------------------

struct Placement {
    int32_t x0, y0, x1, y1;
    bool rejected;
};

// The source's rectangle zoomed about (cx, cy), in double precision, truncated.
Placement place(const Surface& dst, PixelView src, int32_t cx, int32_t cy, double zoom) {
    const double hw = static_cast<double>(src.width) * zoom * 0.5;
    const double hh = static_cast<double>(src.height) * zoom * 0.5;
    Placement p;
    p.x0 = truncToInt(static_cast<double>(cx) - hw);
    p.x1 = truncToInt(static_cast<double>(cx) + hw);
    p.y0 = truncToInt(static_cast<double>(cy) - hh);
    p.y1 = truncToInt(static_cast<double>(cy) + hh);
    p.rejected = (p.x0 < 0 && p.x1 < 0) || (p.x0 > dst.width && p.x1 > dst.width) ||
                 (p.y0 < 0 && p.y1 < 0) || (p.y0 > dst.height && p.y1 > dst.height);
    return p;
}

}  // namespace

// --- Drawing -------------------------------------------------------------------

void Surface::stretch(PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1,
                      int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1, Blend blend,
                      int32_t factor) {
    stretchDraw(*this, src, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1,
                rows::active->stretch[static_cast<int>(blend)], static_cast<uint32_t>(factor));
}

void Surface::drawZoomed(PixelView src, int32_t cx, int32_t cy, float zoom, Blend blend,
                         int32_t factor) {
    const Placement p = place(*this, src, cx, cy, zoom);
    if (!p.rejected)
        stretch(src, 0, 0, wrapSub(src.width, 1), wrapSub(src.height, 1), p.x0, p.y0, p.x1, p.y1,
                blend, factor);
}

void Surface::blit(PixelView src, int32_t x, int32_t y, Blend blend, int32_t factor) {
    blitDraw(*this, src, x, y, rows::active->draw[static_cast<int>(blend)],
             static_cast<uint32_t>(factor));
}

void Surface::drawCentered(PixelView src, int32_t cx, int32_t cy, float zoom, Blend blend,
                           int32_t factor) {
    if (zoom != 1.0f) return drawZoomed(src, cx, cy, zoom, blend, factor);
    const Placement p = place(*this, src, cx, cy, 1.0);
    if (!p.rejected) blit(src, p.x0, p.y0, blend, factor);
}

// --- Whole surface -------------------------------------------------------------

void Surface::invert() { rows::active->invert(pixels, pixelCount()); }
void Surface::darken(int32_t amount) { rows::active->darken(pixels, pixelCount(), amount); }
void Surface::brighten(int32_t amount) { rows::active->brighten(pixels, pixelCount(), amount); }
void Surface::multiply(int32_t factor) { rows::active->multiply(pixels, pixelCount(), factor); }

void Surface::copyFrom(const Surface& src) {
    // A smaller source fills only as many pixels as it holds.
    const size_t n = std::min(pixelCount(), src.pixelCount());
    if (n == 0 || pixels == src.pixels) return;
    const auto out = reinterpret_cast<uintptr_t>(pixels);
    const auto in = reinterpret_cast<uintptr_t>(src.pixels);
    if (in < out && out - in < n * sizeof(uint32_t)) {
        // Two views of one picture, the source first: copying pixel by pixel
        // from the start re-reads pixels already copied.
        for (size_t i = 0; i < n; ++i) pixels[i] = src.pixels[i];
        return;
    }
    std::memmove(pixels, src.pixels, n * sizeof(uint32_t));
}

}  // namespace velmora
