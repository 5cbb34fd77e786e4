// The radial blur: the worked ray and quadrant values, edge centres, truncation of
// the centre, gates, refused surfaces, and the clipping of a centre off the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "boxes/RadialBlur.h"
#include "TestFunctions.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::at;
using testsupport::FixedFunction;
using testsupport::grey;
using testsupport::kNaN;
using testsupport::snapshot;

void radialBlur(BoxRadialBlur& box, Surface& out, float cx, float cy) {
    testsupport::renderWith(box, out, {cx, cy, 1.0f, 1.0f});
}

void fillPattern(Surface& s) {
    testsupport::fill(s, 512, 256, 0);
    for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = (i * 2654435761u >> 5) & 0xFFFFFFu;
}

// The sweep written out plainly, loop by loop with int arithmetic, for centres
// on the surface only: rays with exact integer division, quadrants with the two
// neighbours read through a coordinate helper.
std::vector<uint32_t> plainSweep(std::vector<uint32_t> p, int cx, int cy) {
    auto px = [&](int x, int y) -> uint32_t& { return p.at(static_cast<size_t>(y) * 512 + x); };
    auto channel = [](uint32_t v, int s) { return (v >> s) & 0xFFu; };
    const int rays[8][2] = {{1, 1}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}};
    for (auto& r : rays) {
        for (int k = 1; k <= 511; ++k) {
            const int x = cx + k * r[0], y = cy + k * r[1];
            if (x < 0 || x > 511 || y < 0 || y > 255) continue;
            uint32_t v = 0;
            for (int s = 0; s <= 16; s += 8) {
                const uint32_t n = channel(px(x - r[0], y - r[1]), s), o = channel(px(x, y), s);
                v |= std::min(n * 319 / 320 + o * 23 / 1000, 255u) << s;
            }
            px(x, y) = v;
        }
    }
    auto mix = [&](int x, int y, int ddx, int ddy, bool steep, int a) {
        const uint32_t d = px(x + ddx, y + ddy), e = steep ? px(x, y + ddy) : px(x + ddx, y);
        uint32_t v = 0;
        for (int s = 0; s <= 16; s += 8) {
            const uint64_t sum = channel(px(x, y), s) * 1507ull + channel(d, s) * a / 65536 * 65536 +
                                 channel(e, s) * (65536 - a) / 65536 * 65536;
            v |= static_cast<uint32_t>(std::min<uint64_t>(sum >> 16, 255)) << s;
        }
        px(x, y) = v;
    };
    const int quadrants[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (auto& q : quadrants) {
        const int sx = q[0], sy = q[1];
        for (int y = cy + sy; y >= 0 && y <= 255; y += sy) {
            const int dy = std::abs(y - cy);
            const int xd = sx > 0 ? std::min(cx + dy, 512) : std::max(cx - dy, -1);
            for (int x = cx + sx; x != xd; x += sx) mix(x, y, -sx, -sy, true, (std::abs(x - cx) << 16) / dy);
            for (int x = xd + sx; x >= 0 && x <= 511; x += sx)
                mix(x, y, -sx, -sy, false, (dy << 16) / std::abs(x - cx));
        }
    }
    return p;
}

class RadialBlurTest : public ::testing::Test {
protected:
    BoxRadialBlur box;
    Surface out;
};

TEST_F(RadialBlurTest, BlackStaysBlack) {
    for (auto [cx, cy] : {std::pair{100.0f, 100.0f}, std::pair{0.0f, 0.0f}, std::pair{511.0f, 17.0f}}) {
        testsupport::fill(out, 512, 256, 0);
        radialBlur(box, out, cx, cy);
        for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], 0u) << i;
    }
}

TEST_F(RadialBlurTest, UniformGreyRisesOnePerStepAlongARay) {
    testsupport::fill(out, 512, 256, grey(100));
    radialBlur(box, out, 100.0f, 100.0f);
    EXPECT_EQ(at(out, 100, 100), grey(100));  // the centre is never changed
    for (int k = 1; k <= 411; ++k)
        ASSERT_EQ(at(out, 100 + k, 100), grey(std::min(100 + k, 255))) << k;
    // Each step reads the step just written: from the unswept neighbour (100)
    // the pixel two steps out would only reach 101.
    EXPECT_EQ(at(out, 102, 100), grey(102));
}

TEST_F(RadialBlurTest, QuadrantPixelsMixDiagonalAndAxisNeighbours) {
    testsupport::fill(out, 512, 256, grey(100));
    radialBlur(box, out, 100.0f, 100.0f);
    EXPECT_EQ(at(out, 101, 101), grey(101));  // on the down-right ray
    EXPECT_EQ(at(out, 102, 101), grey(102));  // shallow: 50 + 50 + 2
    EXPECT_EQ(at(out, 101, 102), grey(102));  // steep: 50 + 50 + 2
    EXPECT_EQ(at(out, 99, 102), grey(102));   // lower left, steep
    EXPECT_EQ(at(out, 98, 99), grey(102));    // upper left, shallow
}

TEST_F(RadialBlurTest, WhiteStaysWhite) {
    testsupport::fill(out, 512, 256, grey(255));
    radialBlur(box, out, 300.0f, 40.0f);
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], grey(255)) << i;
}

// From a uniform 100 every swept pixel rises above 100 (rays add 1 per step;
// quadrant pixels with neighbours of at least 101 get at least 102), so a pixel
// still at 100 was never swept.
void expectEverythingButCentreSwept(Surface& out, int cx, int cy) {
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x)
            if (x == cx && y == cy)
                ASSERT_EQ(at(out, x, y), grey(100));
            else
                ASSERT_GT(at(out, x, y) & 0xFF, 100u) << x << "," << y;
}

TEST_F(RadialBlurTest, CornerCentresSweepTheWholeSurface) {
    for (auto [cx, cy] : {std::pair{0, 0}, std::pair{511, 255}, std::pair{0, 255}, std::pair{511, 0}}) {
        testsupport::fill(out, 512, 256, grey(100));
        radialBlur(box, out, static_cast<float>(cx), static_cast<float>(cy));
        expectEverythingButCentreSwept(out, cx, cy);
    }
}

TEST_F(RadialBlurTest, MatchesThePlainSweepForCentresOnTheSurface) {
    const int centres[][2] = {{0, 0}, {511, 255}, {0, 255}, {511, 0}, {100, 100},
                              {256, 128}, {3, 250}, {500, 2}, {255, 0}, {0, 128}};
    for (auto& c : centres) {
        fillPattern(out);
        const std::vector<uint32_t> expected = plainSweep(snapshot(out), c[0], c[1]);
        radialBlur(box, out, static_cast<float>(c[0]), static_cast<float>(c[1]));
        ASSERT_EQ(snapshot(out), expected) << c[0] << "," << c[1];
    }
}

TEST_F(RadialBlurTest, CentreIsTruncatedTowardZero) {
    testsupport::fill(out, 512, 256, grey(100));
    radialBlur(box, out, 10.9f, -0.5f);
    const std::vector<uint32_t> truncated = snapshot(out);
    testsupport::fill(out, 512, 256, grey(100));
    radialBlur(box, out, 10.0f, 0.0f);
    EXPECT_EQ(truncated, snapshot(out));
    EXPECT_EQ(at(out, 10, 0), grey(100));
    EXPECT_EQ(at(out, 11, 0), grey(101));
    expectEverythingButCentreSwept(out, 10, 0);
}

TEST_F(RadialBlurTest, GatesAreReadFirstAndOffLeavesSurfaceUntouched) {
    fillPattern(out);
    const std::vector<uint32_t> before = snapshot(out);
    std::string log;
    FixedFunction x(100.0f, '0', &log), y(100.0f, '1', &log), on2(1.0f, '2', &log), on3(1.0f, '3', &log);
    FixedFunction off2(0.0f, '2', &log), off3(-1.0f, '3', &log), nan3(kNaN, '3', &log);
    std::vector<Function*> firstOff{&x, &y, &off2, &on3}, secondOff{&x, &y, &on2, &off3},
        secondNaN{&x, &y, &on2, &nan3}, all{&x, &y, &on2, &on3};
    box.render(out, firstOff, {});
    EXPECT_EQ(log, "2");
    log.clear();
    box.render(out, secondOff, {});
    box.render(out, secondNaN, {});
    EXPECT_EQ(log, "2323");
    EXPECT_EQ(snapshot(out), before);
    log.clear();
    box.render(out, all, {});
    EXPECT_EQ(log, "2310");
    EXPECT_NE(snapshot(out), before);
}

TEST_F(RadialBlurTest, OtherSizesDrawNothing) {
    FixedFunction x(10.0f), y(10.0f), on(1.0f);
    std::vector<Function*> four{&x, &y, &on, &on};
    for (auto [w, h] : {std::pair{256, 512}, std::pair{512, 128}, std::pair{640, 480}}) {
        testsupport::fill(out, w, h, grey(100));
        box.render(out, four, {});
        for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], grey(100));
    }
}

// Off the surface the sweep is clipped: a pixel is computed only when it and the
// neighbours it reads are on the surface, so the first on-surface pixels stay as
// they were and seed the streaks.
TEST_F(RadialBlurTest, CentreLeftOfTheSurfaceStartsStreaksAtColumnZero) {
    testsupport::fill(out, 512, 256, grey(100));
    radialBlur(box, out, -10.0f, 100.0f);
    for (int y = 0; y < 256; ++y) ASSERT_EQ(at(out, 0, y), grey(100)) << y;
    EXPECT_EQ(at(out, 1, 100), grey(101));  // right ray, inner neighbour (0, 100)
    EXPECT_EQ(at(out, 2, 100), grey(102));
    // Shallow, dx 11, dy 1: a = 65536 / 11 = 5957; 9 + 90 + 2.
    EXPECT_EQ(at(out, 1, 101), grey(101));
}

TEST_F(RadialBlurTest, CentreAboveTheSurfaceLeavesRowZeroAsSeed) {
    testsupport::fill(out, 512, 256, grey(100));
    radialBlur(box, out, 200.0f, -3.0f);
    for (int x = 0; x < 512; ++x) ASSERT_EQ(at(out, x, 0), grey(100)) << x;
    EXPECT_EQ(at(out, 200, 1), grey(101));  // down ray, inner neighbour (200, 0)
    EXPECT_GT(at(out, 300, 200) & 0xFF, 100u);
}

TEST_F(RadialBlurTest, FarAndNaNCentresStayInBoundsAndWellFormed) {
    const float centres[][2] = {{kNaN, kNaN}, {3.0e9f, 100.0f}, {-3.0e9f, -3.0e9f},
                                {2147483520.0f, 255.0f}, {600.0f, 300.0f}, {-1.0f, -1.0f}};
    for (auto& c : centres) {
        fillPattern(out);
        const std::vector<uint32_t> before = snapshot(out);
        radialBlur(box, out, c[0], c[1]);
        for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i] >> 24, 0u);
        // Off to the left and above (NaN is INT32_MIN): row 0 and column 0 are seeds.
        if (std::isnan(c[0])) {
            for (int x = 0; x < 512; ++x) ASSERT_EQ(out.pixels[x], before[x]);
            for (int y = 0; y < 256; ++y) ASSERT_EQ(out.pixels[y * 512], before[y * 512]);
            EXPECT_NE(snapshot(out), before);
        }
    }
}

}  // namespace
}  // namespace velmora
