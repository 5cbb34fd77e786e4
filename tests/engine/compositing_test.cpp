// Compositing: sampling positions of the stretched operations, placement of the
// zoomed and centred wrappers, clipping, combination rules and the
// whole-surface operations.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "surface/Surface.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::fill;
using testsupport::kNaN;
using testsupport::snapshot;

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

// A w by h source whose pixel (x, y) is 1 + x + 100 * y, never transparent.
void makeIndexed(Surface& s, int32_t w, int32_t h) {
    s.allocate(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            s.pixels[y * w + x] = static_cast<uint32_t>(1 + x + 100 * y);
}

// Bounding box [x0, x1) x [y0, y1) of the non-zero pixels.
struct Box {
    int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
};
Box nonZeroBox(const Surface& s) {
    Box b;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            if (s.pixels[y * s.width + x] != 0) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x + 1);
                b.y1 = std::max(b.y1, y + 1);
            }
    return b;
}

size_t countNonZero(const Surface& s) {
    size_t n = 0;
    for (size_t i = 0; i < s.pixelCount(); ++i) n += s.pixels[i] != 0;
    return n;
}

// --- Sampling ---------------------------------------------------------------

TEST(CompositingStretch, TenColumnsSampleZeroToEightThenEightAgain) {
    Surface src, dst;
    makeIndexed(src, 10, 1);
    dst.allocate(10, 1);
    dst.clear();
    dst.stretch(src, 0, 0, 9, 0, 0, 0, 10, 1, Blend::Put);
    const uint32_t expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 9};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(dst.pixels[i], expected[i]) << "column " << i;
}

TEST(CompositingStretch, EightColumnsOntoFourSampleOddColumns) {
    Surface src, dst;
    makeIndexed(src, 8, 1);
    dst.allocate(4, 1);
    dst.clear();
    dst.stretch(src, 0, 0, 7, 0, 0, 0, 4, 1, Blend::Put);
    const uint32_t expected[] = {2, 4, 6, 8};  // columns 1, 3, 5, 7
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dst.pixels[i], expected[i]) << "column " << i;
}

TEST(CompositingStretch, RowsAdvanceBeforeReadingToo) {
    Surface src, dst;
    makeIndexed(src, 1, 8);
    dst.allocate(1, 4);
    dst.clear();
    dst.stretch(src, 0, 0, 0, 7, 0, 0, 1, 4, Blend::Add);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(dst.pixels[y], 1u + 100u * (2 * y + 1)) << "row " << y;
}

// The blends, each a parameter of the tests below; the factor is the one the
// fixed cases use.
struct BlendCase {
    Blend blend;
    int32_t factor;
    const char* name;
};
const BlendCase kBlends[] = {
    {Blend::Put, 0, "Put"}, {Blend::Add, 0, "Add"}, {Blend::Scaled, 200, "Scaled"}, {Blend::AddScaled, 200, "AddScaled"}};

std::string blendName(const ::testing::TestParamInfo<BlendCase>& info) { return info.param.name; }

class CompositingBlend : public ::testing::TestWithParam<BlendCase> {
protected:
    Blend blend() const { return GetParam().blend; }
    int32_t factor() const { return GetParam().factor; }
};

// The four stretched rules, one pixel at a time, as plainly as they are stated.

uint32_t channelSum(uint32_t d, uint32_t s) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= std::min(((d >> shift) & 0xFF) + ((s >> shift) & 0xFF), 255u) << shift;
    return out;
}

uint32_t channelScale(uint32_t s, uint32_t f) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) out |= ((((s >> shift) & 0xFF) * f) >> 8) << shift;
    return out;
}

void applyRule(Blend rule, uint32_t& d, uint32_t s, int32_t factor) {
    const uint32_t f = static_cast<uint32_t>(factor) & 0xFF;
    switch (rule) {
        case Blend::Put:
            if (static_cast<int32_t>(s) > 0) d = s;
            break;
        case Blend::Add:
            if (static_cast<int32_t>(s) > 0) d = channelSum(d, s);
            break;
        case Blend::Scaled:
            if (s != 0) d = channelScale(s, f);
            break;
        case Blend::AddScaled:
            if (s != 0) d = channelSum(d, channelScale(s, f));
            break;
    }
}

// The literal algorithm: walk the whole destination rectangle, clip per pixel.
// Used to check that clipping the loop ranges changes nothing.
void literalStretch(Blend rule, Surface& dst, const Surface& src, int32_t sx0, int32_t sy0,
                    int32_t sx1, int32_t sy1, int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1,
                    int32_t factor) {
    const int32_t xstep = dx1 != dx0 ? ((sx1 - sx0) * 65536) / (dx1 - dx0) : 0;
    const int32_t ystep = dy1 != dy0 ? ((sy1 - sy0) * 65536) / (dy1 - dy0) : 0;
    int32_t sy = sy0 * 65536;
    for (int32_t y = dy0; y < dy1; ++y) {
        sy += ystep;
        int32_t sx = sx0 * 65536;
        for (int32_t x = dx0; x < dx1; ++x) {
            sx += xstep;
            if (x < 0 || x >= dst.width || y < 0 || y >= dst.height) continue;
            const int32_t col = sx >> 16, row = sy >> 16;
            if (col < 0 || col >= src.width || row < 0 || row >= src.height) continue;
            applyRule(rule, dst.pixels[y * dst.width + x], src.pixels[row * src.width + col], factor);
        }
    }
}

// Random pixels: some transparent, some with bit 31 or other top-byte bits set.
void fillMixed(Surface& s, std::mt19937& rng) {
    for (size_t i = 0; i < s.pixelCount(); ++i) {
        const uint32_t r = rng();
        s.pixels[i] = r % 5 == 0 ? 0 : (r % 7 == 0 ? r : r & 0xFFFFFF);
    }
}

using CompositingStretchBlend = CompositingBlend;

TEST_P(CompositingStretchBlend, ClippedLoopsMatchTheWholeRectangleWalk) {
    std::mt19937 rng(7);
    Surface src;
    src.allocate(13, 9);
    fillMixed(src, rng);
    std::uniform_int_distribution<int32_t> coord(-40, 60);
    const Blend rule = blend();
    {
        for (int trial = 0; trial < 1000; ++trial) {
            const int32_t sx0 = rng() % 13, sx1 = rng() % 13, sy0 = rng() % 9, sy1 = rng() % 9;
            const int32_t dx0 = coord(rng), dx1 = coord(rng), dy0 = coord(rng), dy1 = coord(rng);
            const int32_t factor = static_cast<int32_t>(rng() % 1000);
            Surface got, want;
            got.allocate(23, 17);
            want.allocate(23, 17);
            fillMixed(got, rng);
            std::copy(got.pixels, got.pixels + got.pixelCount(), want.pixels);
            got.stretch(src, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, rule, factor);
            literalStretch(rule, want, src, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, factor);
            ASSERT_EQ(snapshot(got), snapshot(want))
                << "source " << sx0 << "," << sy0 << "-"
                << sx1 << "," << sy1 << " dest " << dx0 << "," << dy0 << "-" << dx1 << "," << dy1;
        }
    }
}

// Stretching a surface onto itself reads pixels that this very draw has
// already written, in the literal order.
TEST_P(CompositingStretchBlend, SelfDrawKeepsPixelOrder) {
    std::mt19937 rng(9);
    const Blend rule = blend();
    {
        Surface got, want;
        got.allocate(40, 20);
        want.allocate(40, 20);
        fillMixed(got, rng);
        std::copy(got.pixels, got.pixels + got.pixelCount(), want.pixels);
        got.stretch(got, 0, 0, 19, 9, 1, 1, 39, 19, rule, 200);
        literalStretch(rule, want, want, 0, 0, 19, 9, 1, 1, 39, 19, 200);
        EXPECT_EQ(snapshot(got), snapshot(want));
    }
}

TEST(CompositingStretch, ExtremeRectanglesWalkOnlyTheVisiblePart) {
    Surface src, dst;
    makeIndexed(src, 4, 4);
    dst.allocate(64, 32);
    dst.clear();
    // Extent 2^32 - 1 wraps to -1: the step is -3.0, every visible sample lies
    // left of the source and is skipped.
    dst.stretch(src, 0, 0, 3, 3, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, Blend::Put);
    EXPECT_EQ(countNonZero(dst), 0u);
    // Extent 2^31 + 10 wraps negative and the step truncates to 0: all samples
    // read source pixel (0, 0).
    dst.stretch(src, 0, 0, 3, 3, INT32_MIN, INT32_MIN, 10, 10, Blend::Add);
    EXPECT_EQ(countNonZero(dst), 100u);
    EXPECT_EQ(dst.pixels[9 * 64 + 9], 1u);
    EXPECT_EQ(dst.pixels[10 * 64 + 10], 0u);
    // Source rectangles reaching far outside the source: out-of-source samples
    // are skipped (the sanitizer build checks that nothing beyond it is read).
    dst.clear();
    dst.stretch(src, INT32_MIN, 0, INT32_MAX, 3, 0, 0, 64, 32, Blend::Scaled, 128);
    EXPECT_EQ(countNonZero(dst), 0u);
    // Source -50..50 over 73 columns and 43 rows: only source columns 0..3 and
    // rows 0..3 exist, met at destination columns 33..35 and rows 18..19.
    dst.stretch(src, -50, -50, 50, 50, -3, -3, 70, 40, Blend::AddScaled, 255);
    const Box b = nonZeroBox(dst);
    EXPECT_EQ(b.x0, 33);
    EXPECT_EQ(b.x1, 36);
    EXPECT_EQ(b.y0, 18);
    EXPECT_EQ(b.y1, 20);
}

// --- Zoomed and centred placement ---------------------------------------------

TEST(CompositingZoomed, PlacesZoomedRectangle) {
    Surface src, dst;
    src.allocate(100, 50);
    fill(src, rgb(1, 2, 3));
    dst.allocate(512, 256);

    dst.clear();
    dst.drawZoomed(src, 256, 128, 1.0f, Blend::Put);
    Box b = nonZeroBox(dst);
    EXPECT_EQ(b.x0, 206);
    EXPECT_EQ(b.y0, 103);
    EXPECT_EQ(b.x1, 306);
    EXPECT_EQ(b.y1, 153);
    EXPECT_EQ(countNonZero(dst), 100u * 50u);

    dst.clear();
    dst.drawZoomed(src, 256, 128, 2.0f, Blend::Add);
    b = nonZeroBox(dst);
    EXPECT_EQ(b.x0, 156);
    EXPECT_EQ(b.y0, 78);
    EXPECT_EQ(b.x1, 356);
    EXPECT_EQ(b.y1, 178);
    EXPECT_EQ(countNonZero(dst), 200u * 100u);
}

using CompositingZoomedBlend = CompositingBlend;

TEST_P(CompositingZoomedBlend, ZeroNegativeAndNotANumberDrawNothing) {
    Surface src, dst;
    src.allocate(10, 10);
    fill(src, rgb(9, 9, 9));
    dst.allocate(64, 64);
    const float zooms[] = {0.0f,
                           -1.0f,
                           -3.5f,
                           kNaN,
                           std::numeric_limits<float>::infinity(),
                           1e9f};
    for (float zoom : zooms) {
        dst.clear();
        dst.drawZoomed(src, 32, 32, zoom, blend(), factor());
        dst.drawCentered(src, 32, 32, zoom, blend(), factor());
        EXPECT_EQ(countNonZero(dst), 0u) << "zoom " << zoom;
    }
}

// Half extent 5e8: the rectangle covers the destination many times over; with a
// step of 0 every pixel shows source pixel (0, 0). Must not walk 1e18 pixels.
TEST(CompositingZoomed, HugeZoomCoversDestinationQuickly) {
    Surface src, dst;
    makeIndexed(src, 100, 100);
    dst.allocate(512, 256);
    dst.clear();
    dst.drawZoomed(src, 256, 128, 1e7f, Blend::Add);
    for (size_t i = 0; i < dst.pixelCount(); ++i) ASSERT_EQ(dst.pixels[i], 1u) << i;
}

TEST(CompositingZoomed, WhollyOutsideDrawsNothing) {
    Surface src, dst;
    src.allocate(10, 10);
    fill(src, rgb(9, 9, 9));
    dst.allocate(64, 64);
    dst.clear();
    dst.drawZoomed(src, -20, 32, 1.5f, Blend::Put);
    dst.drawZoomed(src, 32, 200, 1.5f, Blend::Put);
    dst.drawCentered(src, 100, 32, 1.0f, Blend::Put);
    dst.drawCentered(src, 32, -6, 1.0f, Blend::Add);
    EXPECT_EQ(countNonZero(dst), 0u);
}

TEST(CompositingCentered, OddWidthAtColumnOneStartsAtMinusOne) {
    Surface src, dst;
    makeIndexed(src, 5, 1);
    dst.allocate(8, 3);
    dst.clear();
    dst.drawCentered(src, 1, 1, 1.0f, Blend::Put);  // 1 - 2.5 = -1.5 -> -1; row 1 - 0.5 -> 0
    EXPECT_EQ(dst.pixels[0], 2u);  // source column 1
    EXPECT_EQ(dst.pixels[3], 5u);  // source column 4
    EXPECT_EQ(dst.pixels[4], 0u);
    EXPECT_EQ(countNonZero(dst), 4u);
}

TEST(CompositingCentered, PartlyOutsideIsClippedPixelByPixel) {
    Surface src, dst;
    makeIndexed(src, 6, 6);
    dst.allocate(10, 10);
    dst.clear();
    dst.blit(src, 7, -2, Blend::Put);
    EXPECT_EQ(countNonZero(dst), 3u * 4u);
    EXPECT_EQ(dst.pixels[0 * 10 + 7], 1u + 0 + 100 * 2);
    EXPECT_EQ(dst.pixels[3 * 10 + 9], 1u + 2 + 100 * 5);
    dst.blit(src, INT32_MAX - 2, INT32_MIN, Blend::Put);
    dst.blit(src, INT32_MIN, 3, Blend::Put);
    EXPECT_EQ(countNonZero(dst), 12u);
}

// --- Combination rules ------------------------------------------------------

TEST(CompositingRules, AddSaturatesEachChannel) {
    Surface src, dst;
    src.allocate(1, 1);
    dst.allocate(1, 1);
    src.pixels[0] = rgb(144, 144, 144);
    dst.pixels[0] = rgb(128, 128, 128);
    dst.blit(src, 0, 0, Blend::Add);
    EXPECT_EQ(dst.pixels[0], rgb(255, 255, 255));

    src.pixels[0] = rgb(1, 255, 0);
    dst.pixels[0] = rgb(254, 1, 7);
    dst.stretch(src, 0, 0, 0, 0, 0, 0, 1, 1, Blend::Add);
    EXPECT_EQ(dst.pixels[0], rgb(255, 255, 7));  // no carry into the next channel
}

TEST(CompositingRules, ScaledMultipliesByFactorOver256) {
    Surface src, dst;
    src.allocate(1, 1);
    dst.allocate(1, 1);
    src.pixels[0] = rgb(255, 128, 64);
    dst.pixels[0] = rgb(1, 1, 1);
    dst.blit(src, 0, 0, Blend::Scaled, 128);
    EXPECT_EQ(dst.pixels[0], rgb(127, 64, 32));
    dst.pixels[0] = 0;
    dst.stretch(src, 0, 0, 0, 0, 0, 0, 1, 1, Blend::Scaled, 128);
    EXPECT_EQ(dst.pixels[0], rgb(127, 64, 32));
    dst.pixels[0] = 0;
    dst.drawCentered(src, 0, 0, 1.0f, Blend::Scaled, 255);
    EXPECT_EQ(dst.pixels[0], rgb(254, 127, 63));  // 255 means 255/256
}

TEST(CompositingRules, StretchedUseLowByteOfFactorUnscaledTheWholeValue) {
    Surface src, dst;
    src.allocate(1, 1);
    dst.allocate(1, 1);
    src.pixels[0] = rgb(0, 0, 64);
    dst.pixels[0] = 0;
    dst.stretch(src, 0, 0, 0, 0, 0, 0, 1, 1, Blend::Scaled, 384);  // 384 & 255 = 128
    EXPECT_EQ(dst.pixels[0], 32u);
    dst.pixels[0] = 0;
    dst.blit(src, 0, 0, Blend::Scaled, 384);  // 64 * 384 / 256
    EXPECT_EQ(dst.pixels[0], 96u);
    dst.pixels[0] = rgb(0, 0, 200);
    dst.blit(src, 0, 0, Blend::AddScaled, 384);
    EXPECT_EQ(dst.pixels[0], 255u);
    dst.pixels[0] = rgb(5, 5, 5);
    dst.blit(src, 0, 0, Blend::Scaled, -1);  // wraps in unsigned arithmetic, no trap
    dst.blit(src, 0, 0, Blend::AddScaled, INT32_MIN);
}

TEST(CompositingRules, AddScaledAddsScaledSourceAndCaps) {
    Surface src, dst;
    src.allocate(2, 1);
    dst.allocate(2, 1);
    src.pixels[0] = rgb(200, 200, 200);
    src.pixels[1] = rgb(255, 255, 255);
    dst.pixels[0] = rgb(100, 100, 100);
    dst.pixels[1] = rgb(200, 10, 0);
    Surface dst2;
    dst2.allocate(2, 1);
    dst2.pixels[0] = dst.pixels[0];
    dst2.pixels[1] = dst.pixels[1];
    dst.blit(src, 0, 0, Blend::AddScaled, 128);
    EXPECT_EQ(dst.pixels[0], rgb(200, 200, 200));
    EXPECT_EQ(dst.pixels[1], rgb(255, 137, 127));
    dst2.stretch(src, 0, 0, 1, 0, -1, 0, 1, 1, Blend::AddScaled, 128 + 512);
    EXPECT_EQ(dst2.pixels[0], rgb(227, 227, 227));  // source column 1, factor 128
}

using CompositingRulesBlend = CompositingBlend;

TEST_P(CompositingRulesBlend, BlackIsTransparentEverywhere) {
    Surface src, dst;
    src.allocate(3, 3);
    fill(src, 0);
    dst.allocate(3, 3);
    fill(dst, rgb(10, 20, 30));
    dst.blit(src, 0, 0, blend(), factor());
    dst.stretch(src, 0, 0, 2, 2, 0, 0, 3, 3, blend(), factor());
    dst.drawZoomed(src, 1, 1, 1.5f, blend(), factor());
    dst.drawCentered(src, 1, 1, 1.0f, blend(), factor());
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(dst.pixels[i], rgb(10, 20, 30));
}

TEST(CompositingRules, UnscaledStretchSkipsNegativePixelsScaledDoesNot) {
    Surface src, dst;
    src.allocate(1, 1);
    dst.allocate(1, 1);
    src.pixels[0] = 0x80000001u;
    dst.pixels[0] = 7;
    dst.stretch(src, 0, 0, 0, 0, 0, 0, 1, 1, Blend::Put);
    dst.stretch(src, 0, 0, 0, 0, 0, 0, 1, 1, Blend::Add);
    EXPECT_EQ(dst.pixels[0], 7u);
    dst.stretch(src, 0, 0, 0, 0, 0, 0, 1, 1, Blend::Scaled, 255);
    EXPECT_EQ(dst.pixels[0], 0u);  // drawn: blue 1 scaled to 0
    dst.pixels[0] = 7;
    dst.blit(src, 0, 0, Blend::Put);  // unscaled blit tests == 0 only
    EXPECT_EQ(dst.pixels[0], 0x80000001u);
}

// Drawing a surface onto itself keeps the pixel-by-pixel order: each pixel
// read has already been overwritten by the one before it.
TEST(CompositingRules, SelfBlitKeepsPixelOrder) {
    Surface s;
    s.allocate(40, 2);
    for (uint32_t i = 0; i < 80; ++i) s.pixels[i] = i + 1;
    s.blit(s, 1, 0, Blend::Put);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(s.pixels[x], 1u) << x;
    for (int x = 0; x < 40; ++x) EXPECT_EQ(s.pixels[40 + x], 41u) << x;
}

// Wide rows exercise vectorised bodies and their tails.
TEST(CompositingRules, WideRowsMatchPerPixelRule) {
    std::mt19937 rng(3);
    Surface src, dst;
    src.allocate(67, 5);
    dst.allocate(70, 6);
    for (size_t i = 0; i < src.pixelCount(); ++i)
        src.pixels[i] = (rng() % 4 == 0) ? 0 : rng() & 0xFFFFFF;
    for (size_t i = 0; i < dst.pixelCount(); ++i) dst.pixels[i] = rng() & 0xFFFFFF;
    std::vector<uint32_t> before(dst.pixels, dst.pixels + dst.pixelCount());
    dst.blit(src, 2, 1, Blend::Add);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 70; ++x) {
            const uint32_t d = before[y * 70 + x];
            uint32_t want = d;
            if (x >= 2 && x < 69 && y >= 1) {
                const uint32_t s = src.pixels[(y - 1) * 67 + (x - 2)];
                if (s != 0) {
                    want = 0;
                    for (int shift = 0; shift < 24; shift += 8)
                        want |= std::min(((d >> shift) & 0xFF) + ((s >> shift) & 0xFF), 255u)
                                << shift;
                }
            }
            ASSERT_EQ(dst.pixels[y * 70 + x], want) << x << "," << y;
        }
}

// Runs of four and more pixels take the vectorised kernels; a 1 by 1 surface
// always takes the plain per-pixel rule. Both must give the same bits, also
// for pixels with a non-zero top byte.
class CompositingColourKernels : public ::testing::Test {
protected:
    static constexpr int32_t kW = 37, kH = 3;
    Surface src, dst;
    std::vector<uint32_t> before;

    void SetUp() override {
        std::mt19937 rng(5);
        src.allocate(kW, kH);
        dst.allocate(kW, kH);
        for (size_t i = 0; i < src.pixelCount(); ++i) {
            const uint32_t r = rng();
            src.pixels[i] = r % 5 == 0 ? 0 : (r % 7 == 0 ? r : r & 0xFFFFFF);
        }
        for (size_t i = 0; i < dst.pixelCount(); ++i) {
            const uint32_t r = rng();
            dst.pixels[i] = r % 6 == 0 ? r : r & 0xFFFFFF;
        }
        before.assign(dst.pixels, dst.pixels + dst.pixelCount());
    }

    // Applies `op` to each pixel alone, through 1 by 1 surfaces.
    template <typename Op>
    std::vector<uint32_t> onePixelAtATime(Op op) {
        std::vector<uint32_t> out(before);
        Surface d, s;
        d.allocate(1, 1);
        s.allocate(1, 1);
        for (size_t i = 0; i < out.size(); ++i) {
            d.pixels[0] = out[i];
            s.pixels[0] = src.pixels[i];
            op(d, s);
            out[i] = d.pixels[0];
        }
        return out;
    }

    template <typename Op>
    void expectSameAsOnePixelAtATime(Op op) {
        const std::vector<uint32_t> want = onePixelAtATime(op);
        op(dst, src);
        for (size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(dst.pixels[i], want[i])
                << "pixel " << i << " d " << before[i] << " s " << src.pixels[i];
    }
};

class CompositingKernels : public CompositingColourKernels, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(CompositingKernels, Blit) {
    const BlendCase c = GetParam();
    expectSameAsOnePixelAtATime([c](Surface& d, const Surface& s) { d.blit(s, 0, 0, c.blend, c.factor); });
}

const BlendCase kKernelBlends[] = {{Blend::Put, 0, "Put"},
                                   {Blend::Add, 0, "Add"},
                                   {Blend::Scaled, 201, "Scaled"},
                                   {Blend::AddScaled, 77, "AddScaled"},
                                   {Blend::AddScaled, 255, "AddScaledFullFactor"}};
INSTANTIATE_TEST_SUITE_P(Blends, CompositingKernels, ::testing::ValuesIn(kKernelBlends), blendName);

TEST_F(CompositingColourKernels, Invert) {
    expectSameAsOnePixelAtATime([](Surface& d, const Surface&) { d.invert(); });
}
TEST_F(CompositingColourKernels, Darken) {
    expectSameAsOnePixelAtATime([](Surface& d, const Surface&) { d.darken(99); });
}
TEST_F(CompositingColourKernels, Brighten) {
    expectSameAsOnePixelAtATime([](Surface& d, const Surface&) { d.brighten(201); });
}
TEST_F(CompositingColourKernels, Multiply) {
    expectSameAsOnePixelAtATime([](Surface& d, const Surface&) { d.multiply(173); });
}
TEST_F(CompositingColourKernels, MultiplyFullFactor) {
    expectSameAsOnePixelAtATime([](Surface& d, const Surface&) { d.multiply(255); });
}

// --- Whole-surface operations ------------------------------------------------

TEST(CompositingWhole, InvertFlipsChannelsAndTwiceRestores) {
    Surface s;
    s.allocate(7, 3);  // an odd count of pixels
    std::mt19937 rng(11);
    for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = rng() & 0xFFFFFF;
    s.pixels[0] = rgb(18, 52, 86);
    std::vector<uint32_t> before(s.pixels, s.pixels + s.pixelCount());
    s.invert();
    EXPECT_EQ(s.pixels[0], rgb(237, 203, 169));
    s.invert();
    EXPECT_EQ(std::vector<uint32_t>(s.pixels, s.pixels + s.pixelCount()), before);
}

TEST(CompositingWhole, DarkenBrightenMultiplyValues) {
    Surface s;
    s.allocate(3, 1);
    s.pixels[0] = rgb(10, 16, 32);
    s.pixels[1] = rgb(255, 128, 0);
    s.pixels[2] = rgb(248, 248, 248);
    s.darken(16);
    EXPECT_EQ(s.pixels[0], rgb(0, 0, 16));
    EXPECT_EQ(s.pixels[1], rgb(239, 112, 0));
    EXPECT_EQ(s.pixels[2], rgb(232, 232, 232));

    s.pixels[2] = rgb(248, 248, 248);
    s.brighten(16);
    EXPECT_EQ(s.pixels[0], rgb(16, 16, 32));
    EXPECT_EQ(s.pixels[2], rgb(255, 255, 255));

    s.pixels[0] = rgb(255, 255, 255);
    s.pixels[1] = rgb(255, 100, 1);
    s.multiply(255);
    EXPECT_EQ(s.pixels[0], rgb(254, 254, 254));
    EXPECT_EQ(s.pixels[1], rgb(254, 99, 0));
    s.pixels[0] = rgb(255, 0, 0);
    s.multiply(200);
    EXPECT_EQ(s.pixels[0], rgb(199, 0, 0));
    s.multiply(0);
    EXPECT_EQ(s.pixels[0], 0u);
    EXPECT_EQ(s.pixels[1], 0u);
}

TEST(CompositingWhole, OutOfRangeAmountsAreClampedPerChannel) {
    Surface s;
    s.allocate(1, 1);
    s.pixels[0] = rgb(10, 200, 30);
    s.multiply(1000);  // channels clamp at 255
    EXPECT_EQ(s.pixels[0], rgb(39, 255, 117));
    s.multiply(-4);  // negative products clamp at 0
    EXPECT_EQ(s.pixels[0], 0u);
    s.pixels[0] = rgb(10, 200, 30);
    s.darken(300);
    EXPECT_EQ(s.pixels[0], 0u);
    s.pixels[0] = rgb(10, 200, 30);
    s.brighten(300);
    EXPECT_EQ(s.pixels[0], rgb(255, 255, 255));
    s.darken(INT32_MIN);
    s.brighten(INT32_MAX);
    s.multiply(INT32_MAX);
}

TEST(CompositingWhole, CopyFromSmallerSourceCopiesWhatItHolds) {
    Surface src, dst;
    src.allocate(2, 2);
    fill(src, rgb(1, 2, 3));
    dst.allocate(3, 2);
    fill(dst, rgb(9, 9, 9));
    dst.copyFrom(src);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dst.pixels[i], rgb(1, 2, 3));
    EXPECT_EQ(dst.pixels[4], rgb(9, 9, 9));
    EXPECT_EQ(dst.pixels[5], rgb(9, 9, 9));

    Surface big;
    big.allocate(4, 4);
    fill(big, rgb(7, 7, 7));
    dst.copyFrom(big);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dst.pixels[i], rgb(7, 7, 7));
}

// Two views of one picture, the source first: pixel i is copied after pixel
// i - 2 has already been overwritten, so the first two pixels repeat.
TEST(CompositingWhole, CopyBetweenOverlappingViewsGoesPixelByPixel) {
    Surface picture;
    picture.allocate(10, 1);
    for (uint32_t i = 0; i < 10; ++i) picture.pixels[i] = i + 1;
    Surface front, back;
    front.width = back.width = 8;
    front.height = back.height = 1;
    front.pixels = picture.pixels;
    back.pixels = picture.pixels + 2;
    back.copyFrom(front);
    const uint32_t expected[] = {1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(picture.pixels[i], expected[i]) << i;
}

TEST(CompositingWhole, SurfacesWithoutPixelsAreLeftAlone) {
    Surface empty, s;
    s.allocate(4, 4);
    fill(s, rgb(3, 3, 3));
    empty.invert();
    empty.darken(3);
    empty.brighten(3);
    empty.multiply(3);
    empty.copyFrom(s);
    empty.blit(s, 0, 0, Blend::Add);
    empty.drawZoomed(s, 0, 0, 2.0f, Blend::Add);
    s.blit(empty, 0, 0, Blend::Put);
    s.drawZoomed(empty, 2, 2, 3.0f, Blend::Put);
    s.copyFrom(empty);
    EXPECT_EQ(countNonZero(s), 16u);
    EXPECT_EQ(s.pixels[5], rgb(3, 3, 3));
}

INSTANTIATE_TEST_SUITE_P(Blends, CompositingStretchBlend, ::testing::ValuesIn(kBlends), blendName);
INSTANTIATE_TEST_SUITE_P(Blends, CompositingZoomedBlend, ::testing::ValuesIn(kBlends), blendName);
INSTANTIATE_TEST_SUITE_P(Blends, CompositingRulesBlend, ::testing::ValuesIn(kBlends), blendName);

}  // namespace
}  // namespace velmora
