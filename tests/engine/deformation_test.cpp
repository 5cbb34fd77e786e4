// The deformation: the plain magnification at zero strength, the light range,
// extreme function values, drawing in place, gates and refused surfaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "boxes/Deformation.h"
#include "TestFunctions.h"
#include "TestSupport.h"
#include "core/PixelMath.h"

namespace velmora {
namespace {

using testsupport::at;
using testsupport::FixedFunction;
using testsupport::grey;
using testsupport::kNaN;
using testsupport::snapshot;
constexpr float kInf = std::numeric_limits<float>::infinity();

// Each source pixel names its own position: red = row, green = column's low byte,
// blue = column's high bit. Rows stop at 200 so that the added light never saturates.
void fillCoordinates(Surface& s) {
    testsupport::fill(s, 512, 256, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) at(s, x, y) = packRgb(y % 200, x & 255, x >> 8);
}

uint32_t coordinatesPlusOne(int x, int y) { return packRgb(y % 200 + 1, (x & 255) + 1, (x >> 8) + 1); }

class DeformationTest : public ::testing::Test {
protected:
    void render(Surface& output, Surface& input, float a, float b, float c) {
        testsupport::renderWith(box, output, {a, b, c, 1.0f, 1.0f}, {&input});
    }

    BoxDeformation box;
    Surface in, out;
};

TEST_F(DeformationTest, ZeroStrengthIsAPlainMagnificationPlusOne) {
    fillCoordinates(in);
    for (float a : {0.0f, 2.5f, -40.0f}) {
        testsupport::fill(out, 512, 256, 0);
        render(out, in, a, 0.0f, 1.0f);
        EXPECT_EQ(at(out, 0, 0), coordinatesPlusOne(23, 7)) << a;
        EXPECT_EQ(at(out, 256, 128), coordinatesPlusOne(256, 124)) << a;
        EXPECT_EQ(at(out, 8, 0), coordinatesPlusOne(30, 7)) << a;
    }
}

TEST_F(DeformationTest, BlockPixelsStepBetweenTheCornerNodes) {
    // Inside block (0, 0) the source steps by (node difference >> 3) per pixel:
    // source column 23.2 + 0.911 x, source row 7.78 + 0.911 y.
    fillCoordinates(in);
    testsupport::fill(out, 512, 256, 0);
    render(out, in, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(at(out, 4, 0), coordinatesPlusOne(26, 7));
    EXPECT_EQ(at(out, 0, 4), coordinatesPlusOne(23, 11));
    EXPECT_EQ(at(out, 3, 5), coordinatesPlusOne(25, 12));
    EXPECT_EQ(at(out, 7, 7), coordinatesPlusOne(29, 14));
}

TEST_F(DeformationTest, ZeroStrengthGridHasLightOneEverywhere) {
    NodeGrid grid;
    computeDeformationGrid(grid, 1.0, 0.0f, 1.0f);
    for (int n = 0; n < NodeGrid::kNodes; ++n) ASSERT_EQ(grid.gridLight[n], 256) << n;
}

TEST_F(DeformationTest, FullStrengthAddsZeroTo104) {
    NodeGrid grid;
    computeDeformationGrid(grid, 0.0, 1.0f, 1.0f);
    int lo = 255, hi = 0;
    for (int n = 0; n < NodeGrid::kNodes; ++n) {
        // w is 0.02 .. 1.02, so w*w*100 stays within 0.04 .. 104.04 (k = 0).
        ASSERT_GE(grid.gridLight[n], 0);
        ASSERT_LT(grid.gridLight[n], 105 * 256);
        lo = std::min(lo, grid.gridLight[n] >> 8);
        hi = std::max(hi, grid.gridLight[n] >> 8);
    }
    EXPECT_LE(lo, 4);
    EXPECT_GE(hi, 100);
    // On a black source the light is all there is: grey levels within that range.
    testsupport::fill(in, 512, 256, 0);
    testsupport::fill(out, 512, 256, 0);
    render(out, in, 0.0f, 1.0f, 1.0f);
    for (size_t i = 0; i < out.pixelCount(); ++i) {
        const uint32_t p = out.pixels[i];
        ASSERT_EQ(p, grey(p & 0xFF)) << i;
        ASSERT_LE(p & 0xFF, 104u) << i;
    }
}

// Over a black source: red and green show bits 8..15 of the light; blue shows the
// signed light >> 8, or 255 when that is negative or above 255.
void expectLightRule(const Surface& out) {
    for (size_t i = 0; i < out.pixelCount(); ++i) {
        const uint32_t p = out.pixels[i], r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
        ASSERT_EQ(p >> 24, 0u);
        ASSERT_EQ(r, g) << i;
        ASSERT_TRUE(b == r || b == 255) << i;
    }
}

TEST_F(DeformationTest, LightOutsideItsRangeWrapsRedGreenAndSaturatesBlue) {
    testsupport::fill(in, 512, 256, 0);
    for (float b : {10.0f, -0.5f}) {
        testsupport::fill(out, 512, 256, 0);
        render(out, in, 0.3f, b, 1.0f);
        expectLightRule(out);
        const bool wrapped = std::any_of(out.pixels, out.pixels + out.pixelCount(),
                                         [](uint32_t p) { return (p & 0xFF) == 255 && (p >> 16) != 255; });
        EXPECT_TRUE(wrapped) << b;
    }
}

TEST_F(DeformationTest, NaNPhaseCollapsesEveryNodeToTheIndefiniteValue) {
    // Every node is INT32_MIN: source pixel (0, 0), no light on red and green,
    // blue saturated by the negative light.
    fillCoordinates(in);
    at(in, 0, 0) = 0x405060u;
    testsupport::fill(out, 512, 256, 0);
    render(out, in, kNaN, 0.5f, 1.0f);
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], 0x4050FFu) << i;
}

TEST_F(DeformationTest, NaNStrengthKeepsColoursAndSaturatesBlue) {
    testsupport::fill(in, 512, 256, 0x123456u);
    testsupport::fill(out, 512, 256, 0);
    render(out, in, 0.0f, kNaN, 1.0f);
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], 0x1234FFu) << i;
}

TEST_F(DeformationTest, HugeScaleAndInfiniteValuesStayWellFormed) {
    testsupport::fill(in, 512, 256, 0);
    const float cases[][3] = {{0.0f, 1.0f, 1.0e30f}, {kInf, 1.0f, 1.0f}, {1.0f, -kInf, 2.0f},
                              {1.0f, 3.0e9f, 1.0f}, {1.0f, 0.5f, -kInf}};
    for (auto& c : cases) {
        testsupport::fill(out, 512, 256, 0);
        render(out, in, c[0], c[1], c[2]);
        expectLightRule(out);
    }
}

TEST_F(DeformationTest, InPlaceReadsWhatEarlierBlocksWrote) {
    fillCoordinates(in);
    testsupport::fill(out, 512, 256, 0);
    render(out, in, 0.0f, 0.0f, 1.0f);
    const std::vector<uint32_t> separate = snapshot(out);
    render(in, in, 0.0f, 0.0f, 1.0f);
    // (23, 7) lies in a later block than (0, 0): still the original picture.
    EXPECT_EQ(at(in, 0, 0), separate[0]);
    // (256, 124) lies in the block row above (256, 128): already drawn, so its
    // drawn value is read and gets the light a second time.
    const uint32_t drawn = at(in, 256, 124);
    EXPECT_EQ(at(in, 256, 128), drawn + 0x010101u);
    EXPECT_NE(at(in, 256, 128), separate[128 * 512 + 256]);
}

TEST_F(DeformationTest, GatesAreReadFirstAndOffDrawsNothing) {
    fillCoordinates(in);
    testsupport::fill(out, 512, 256, grey(9));
    std::string log;
    FixedFunction a(0.0f, '0', &log), b(0.0f, '1', &log), c(1.0f, '2', &log);
    FixedFunction on3(1.0f, '3', &log), on4(1.0f, '4', &log), off3(0.0f, '3', &log), off4(-2.0f, '4', &log);
    std::vector<Surface*> inputs{&in};
    std::vector<Function*> firstOff{&a, &b, &c, &off3, &on4}, secondOff{&a, &b, &c, &on3, &off4},
        all{&a, &b, &c, &on3, &on4};
    box.render(out, firstOff, inputs);
    box.render(out, secondOff, inputs);
    EXPECT_EQ(log, "334");
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], grey(9));
    log.clear();
    box.render(out, all, inputs);
    EXPECT_EQ(log, "34210");
    EXPECT_EQ(at(out, 0, 0), coordinatesPlusOne(23, 7));
}

TEST_F(DeformationTest, OtherSizesDrawNothing) {
    FixedFunction zero(0.0f), one(1.0f);
    std::vector<Function*> five{&zero, &zero, &one, &one, &one};
    Surface small;
    testsupport::fill(small, 256, 256, grey(50));
    fillCoordinates(in);
    std::vector<Surface*> good{&in}, wrongInput{&small};

    testsupport::fill(out, 512, 256, grey(9));
    box.render(out, five, wrongInput);
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], grey(9));

    for (auto [w, h] : {std::pair{512, 255}, std::pair{256, 512}}) {
        testsupport::fill(out, w, h, grey(9));
        box.render(out, five, good);
        for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], grey(9));
    }
}

}  // namespace
}  // namespace velmora
