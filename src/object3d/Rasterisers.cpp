// Line, flat fill and textured fill with the effect's own stepping rules:
// r(v) = trunc(v + 0.5), 16.16 edges, spans bounds-tested pixel by pixel.
//
// Corners arrive as floats; every expression on them (differences, slopes,
// edge placements, the left/right test) is worked out in double, and every
// double-to-int conversion goes through truncToInt. Only the per-row and
// per-pixel stepping is integer, with 32-bit wraparound.
#include "object3d/Rasterisers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "core/PixelMath.h"

namespace velmora {

namespace {

// b - a for two stored floats, in double.
double diff(float b, float a) { return double{b} - double{a}; }

// trunc(delta * 65536 / run): the 16.16 step of an edge. An edge with no run
// (only possible for coincident or equal-height corners) does not step.
int32_t fixedSlope(double delta, double run) {
    if (run == 0.0) return 0;
    return truncToInt(delta * 65536.0 / run);
}

// trunc(q * 65536 - (y - row) * step): an edge's 16.16 value at `row`.
int32_t edgeAt(float q, float y, int32_t row, int32_t step) {
    const double back = (double{y} - static_cast<double>(row)) * static_cast<double>(step);
    return truncToInt(double{q} * 65536.0 - back);
}

// value + steps * step with 32-bit wraparound: the same as `steps` single steps.
int32_t advance(int32_t value, int64_t steps, int32_t step) {
    return wrapAdd(value, wrapMul(static_cast<int32_t>(static_cast<uint32_t>(steps)), step));
}

// n / d with IEEE-754 results spelled out for d == 0 (infinities, NaN for 0/0),
// so the left/right test of a flat-topped triangle works without dividing by zero.
double quotient(double n, double d) {
    if (d != 0.0) return n / d;
    if (n == 0.0 || std::isnan(n)) return std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    return std::signbit(n) != std::signbit(d) ? -inf : inf;
}

// A triangle corner: screen position and texture coordinates.
struct Corner {
    float x, y, u, v;
};

// Two corners that round to the same pixel make the triangle too small to draw.
bool anySameRoundedCorner(const Corner& c0, const Corner& c1, const Corner& c2) {
    auto same = [](const Corner& a, const Corner& b) {
        return roundToInt(a.x) == roundToInt(b.x) && roundToInt(a.y) == roundToInt(b.y);
    };
    return same(c0, c1) || same(c0, c2) || same(c1, c2);
}

// Three compare-and-swap steps: afterwards c0 is the top corner and c2 the bottom.
void sortByY(Corner& c0, Corner& c1, Corner& c2) {
    if (c1.y > c2.y) std::swap(c1, c2);
    if (c0.y > c1.y) std::swap(c0, c1);
    if (c1.y > c2.y) std::swap(c1, c2);
}

// Rows first..last clipped to the band (the edges then catch up by the rows skipped).
struct RowRange {
    int64_t from;
    int64_t to;
};
RowRange clipRows(int32_t first, int32_t last, RowBand band) {
    return RowRange{std::max<int64_t>(first, band.top), std::min<int64_t>(last, band.end - 1)};
}

bool inBand(int64_t y, RowBand band) { return y >= band.top && y < band.end; }

// Fills start..end inclusive on row y; nothing when start > end.
void flatSpan(uint32_t* pixels, int64_t y, int32_t start, int32_t end, uint32_t colour, RowBand band) {
    if (!inBand(y, band)) return;
    const int64_t from = std::max<int64_t>(start, 0);
    const int64_t to = std::min<int64_t>(end, kRasterWidth - 1);
    uint32_t* row = pixels + y * kRasterWidth;
    for (int64_t x = from; x <= to; ++x) row[x] = colour;
}

// Rows of one part of a flat triangle; left1 puts the short edge at the span's start.
void flatRows(uint32_t* pixels, int32_t first, int32_t last, int32_t shortEdge, int32_t shortStep,
              int32_t longEdge, int32_t longStep, bool left1, uint32_t colour, RowBand band) {
    const RowRange rows = clipRows(first, last, band);
    if (rows.from > rows.to) return;
    shortEdge = advance(shortEdge, rows.from - first, shortStep);
    longEdge = advance(longEdge, rows.from - first, longStep);
    for (int64_t y = rows.from; y <= rows.to; ++y) {
        const int32_t s = shortEdge >> 16;
        const int32_t l = longEdge >> 16;
        flatSpan(pixels, y, left1 ? s : l, left1 ? l : s, colour, band);
        shortEdge = wrapAdd(shortEdge, shortStep);
        longEdge = wrapAdd(longEdge, longStep);
    }
}

// One end of a textured span: integer x, 16.16 texture coordinates.
struct SpanEnd {
    int32_t x;
    int32_t u;
    int32_t v;
};

// The textured span rule: the smaller x is the left end, a zero-width row draws
// nothing, u and v step by integer divisions of their 16.16 differences.
void texturedSpan(const uint32_t* texture, uint32_t* pixels, int64_t y, SpanEnd a, SpanEnd b, RowBand band) {
    if (!inBand(y, band)) return;
    const int64_t width = std::abs(static_cast<int64_t>(b.x) - a.x);
    if (width == 0) return;
    const SpanEnd& left = a.x < b.x ? a : b;
    const SpanEnd& right = a.x < b.x ? b : a;
    const int32_t du = static_cast<int32_t>(wrapSub(right.u, left.u) / width);
    const int32_t dv = static_cast<int32_t>(wrapSub(right.v, left.v) / width);
    int32_t u = wrapAdd(left.u, 0x8000);
    int32_t v = wrapAdd(left.v, 0x8000);
    const int64_t from = std::max<int64_t>(left.x, 0);
    const int64_t to = std::min<int64_t>(right.x, kRasterWidth - 1);
    if (from > to) return;
    u = advance(u, from - left.x, du);
    v = advance(v, from - left.x, dv);
    uint32_t* row = pixels + y * kRasterWidth;
    // Without wraparound u and v move one way along the span: when both ends
    // are on the texture, every pixel between is too and needs no clamp.
    const int64_t steps = to - from;
    const int64_t uLast = u + steps * du;
    const int64_t vLast = v + steps * dv;
    constexpr int64_t kOnTexture = int64_t{kEnvTextureSize} << 16;
    if (std::min<int64_t>(u, uLast) >= 0 && std::max<int64_t>(u, uLast) < kOnTexture &&
        std::min<int64_t>(v, vLast) >= 0 && std::max<int64_t>(v, vLast) < kOnTexture) {
        for (int64_t x = from; x <= to; ++x) {
            row[x] = texture[(v >> 16) * kEnvTextureSize + (u >> 16)];
            u += du;
            v += dv;
        }
        return;
    }
    for (int64_t x = from; x <= to; ++x) {
        const int32_t tu = std::clamp(u >> 16, 0, kEnvTextureSize - 1);
        const int32_t tv = std::clamp(v >> 16, 0, kEnvTextureSize - 1);
        row[x] = texture[tv * kEnvTextureSize + tu];
        u = wrapAdd(u, du);
        v = wrapAdd(v, dv);
    }
}

// A textured triangle edge: 16.16 x, u, v and their per-row steps.
struct TexturedEdge {
    struct Steps {
        int32_t dx, du, dv;
    };
    int32_t x, u, v;
    Steps steps;

    // Per-row steps of x, u and v along the edge from corner a down to corner b.
    static Steps stepsBetween(const Corner& a, const Corner& b) {
        const double run = diff(b.y, a.y);
        return Steps{fixedSlope(diff(b.x, a.x), run), fixedSlope(diff(b.u, a.u), run),
                     fixedSlope(diff(b.v, a.v), run)};
    }
    // The edge leaving corner c, placed at `row`.
    static TexturedEdge at(const Corner& c, int32_t row, Steps steps) {
        return TexturedEdge{wrapAdd(edgeAt(c.x, c.y, row, steps.dx), 0x8000),
                            edgeAt(c.u, c.y, row, steps.du), edgeAt(c.v, c.y, row, steps.dv), steps};
    }
    SpanEnd end() const { return SpanEnd{x >> 16, u, v}; }
    void step(int64_t rows) {
        x = advance(x, rows, steps.dx);
        u = advance(u, rows, steps.du);
        v = advance(v, rows, steps.dv);
    }
};

void texturedRows(const uint32_t* texture, uint32_t* pixels, int32_t first, int32_t last,
                  TexturedEdge longEdge, TexturedEdge shortEdge, RowBand band) {
    const RowRange rows = clipRows(first, last, band);
    if (rows.from > rows.to) return;
    longEdge.step(rows.from - first);
    shortEdge.step(rows.from - first);
    for (int64_t y = rows.from; y <= rows.to; ++y) {
        texturedSpan(texture, pixels, y, shortEdge.end(), longEdge.end(), band);
        longEdge.step(1);
        shortEdge.step(1);
    }
}

}  // namespace

void drawLine(uint32_t* pixels, float x0, float y0, float x1, float y1, uint32_t colour, RowBand band) {
    const bool xMajor = std::fabs(diff(x0, x1)) > std::fabs(diff(y0, y1));
    float startMajor = xMajor ? x0 : y0;
    float startMinor = xMajor ? y0 : x0;
    float endMajor = xMajor ? x1 : y1;
    float endMinor = xMajor ? y1 : x1;
    if (startMajor > endMajor) {
        std::swap(startMajor, endMajor);
        std::swap(startMinor, endMinor);
    }
    const int32_t first = roundToInt(startMajor);
    const int32_t last = roundToInt(endMajor);
    // Coincident endpoints give no slope: the line is the one pixel at the point.
    const int32_t slope = fixedSlope(diff(endMinor, startMinor), diff(endMajor, startMajor));
    int32_t w = wrapAdd(edgeAt(startMinor, startMajor, first, slope), 0x8000);

    // The rows of the band bound the major axis of a steep line and are
    // tested on the minor axis of a flat one.
    const int32_t majorFirst = xMajor ? 0 : band.top;
    const int32_t majorEnd = xMajor ? kRasterWidth : band.end;
    const int32_t minorFirst = xMajor ? band.top : 0;
    const int32_t minorEnd = xMajor ? band.end : kRasterWidth;
    const int64_t from = std::max<int64_t>(first, majorFirst);
    const int64_t to = std::min<int64_t>(last, majorEnd - 1);
    if (from > to) return;
    w = advance(w, from - first, slope);
    for (int64_t k = from; k <= to; ++k) {
        const int32_t minor = w >> 16;
        if (minor >= minorFirst && minor < minorEnd) {
            const int64_t index = xMajor ? int64_t{minor} * kRasterWidth + k : k * kRasterWidth + minor;
            pixels[index] = colour;
        }
        w = wrapAdd(w, slope);
    }
}

void fillTriangleFlat(uint32_t* pixels, float x0, float y0, float x1, float y1, float x2, float y2,
                      uint32_t colour, RowBand band) {
    Corner c0{x0, y0, 0.0f, 0.0f}, c1{x1, y1, 0.0f, 0.0f}, c2{x2, y2, 0.0f, 0.0f};
    if (anySameRoundedCorner(c0, c1, c2)) return;
    sortByY(c0, c1, c2);
    if (wrapSub(roundToInt(c2.y), 1) == wrapAdd(roundToInt(c0.y), 1)) return;
    // All three corners on one height: no edge has a slope, nothing is drawn.
    if (c0.y == c2.y) return;

    const int32_t slope02 = fixedSlope(diff(c2.x, c0.x), diff(c2.y, c0.y));
    const bool left1 =
        quotient(diff(c1.x, c0.x), diff(c1.y, c0.y)) <= quotient(diff(c2.x, c0.x), diff(c2.y, c0.y));

    const int32_t a = truncToInt(static_cast<double>(c0.y) + 1.5);
    const int32_t b = truncToInt(static_cast<double>(c1.y) - 0.5);
    if (b >= a) {
        const int32_t slope01 = fixedSlope(diff(c1.x, c0.x), diff(c1.y, c0.y));
        // The long edge is placed from the row after r(y0), the short one from
        // row a; the two differ for a top corner above -0.5.
        const int32_t top = wrapAdd(roundToInt(c0.y), 1);
        const int32_t longEdge = wrapAdd(edgeAt(c0.x, c0.y, top, slope02), 0x8000);
        const int32_t shortEdge = wrapAdd(edgeAt(c0.x, c0.y, a, slope01), 0x8000);
        flatRows(pixels, a, b, shortEdge, slope01, longEdge, slope02, left1, colour, band);
    }

    const int32_t ym = roundToInt(c1.y);
    const int32_t cornerX = roundToInt(c1.x);
    const int32_t longX = wrapAdd(edgeAt(c0.x, c0.y, ym, slope02), 0x8000) >> 16;
    flatSpan(pixels, ym, left1 ? cornerX : longX, left1 ? longX : cornerX, colour, band);

    const int32_t c = wrapAdd(ym, 1);
    const int32_t e = wrapSub(roundToInt(c2.y), 1);
    if (e >= c) {
        const int32_t slope12 = fixedSlope(diff(c2.x, c1.x), diff(c2.y, c1.y));
        const int32_t longEdge = wrapAdd(edgeAt(c0.x, c0.y, c, slope02), 0x8000);
        const int32_t shortEdge = wrapAdd(edgeAt(c1.x, c1.y, c, slope12), 0x8000);
        flatRows(pixels, c, e, shortEdge, slope12, longEdge, slope02, left1, colour, band);
    }
}

void fillTriangleTextured(const uint32_t* texture, uint32_t* pixels, float x0, float y0, float x1,
                          float y1, float x2, float y2, float u0, float v0, float u1, float v1,
                          float u2, float v2, RowBand band) {
    Corner c0{x0, y0, u0, v0}, c1{x1, y1, u1, v1}, c2{x2, y2, u2, v2};
    if (anySameRoundedCorner(c0, c1, c2)) return;
    sortByY(c0, c1, c2);
    if (truncToInt(static_cast<double>(c2.y) - 0.5) == truncToInt(static_cast<double>(c0.y) + 1.5))
        return;
    // All three corners on one height: nothing is drawn (as in the flat fill).
    if (c0.y == c2.y) return;

    const TexturedEdge::Steps steps02 = TexturedEdge::stepsBetween(c0, c2);
    const int32_t a = truncToInt(static_cast<double>(c0.y) + 1.5);
    const int32_t b = truncToInt(static_cast<double>(c1.y) - 0.5);
    if (b >= a) {
        texturedRows(texture, pixels, a, b, TexturedEdge::at(c0, a, steps02),
                     TexturedEdge::at(c0, a, TexturedEdge::stepsBetween(c0, c1)), band);
    }

    const int32_t ym = roundToInt(c1.y);
    const SpanEnd corner{roundToInt(c1.x), truncToInt(static_cast<double>(c1.u) * 65536.0),
                         truncToInt(static_cast<double>(c1.v) * 65536.0)};
    const TexturedEdge middle = TexturedEdge::at(c0, ym, steps02);
    texturedSpan(texture, pixels, ym, corner, middle.end(), band);

    const int32_t c = wrapAdd(ym, 1);
    const int32_t e = wrapSub(roundToInt(c2.y), 1);
    if (e >= c) {
        texturedRows(texture, pixels, c, e, TexturedEdge::at(c0, c, steps02),
                     TexturedEdge::at(c1, c, TexturedEdge::stepsBetween(c1, c2)), band);
    }
}

}  // namespace velmora
