// The object box's rasterisers: exact pixels of lines and triangles, the empty
// and degenerate cases, clipping at the frame's edges and garbage corners.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "object3d/Rasterisers.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::kNaN;

constexpr int kW = 512;
constexpr int kH = 256;
constexpr uint32_t kGuardValue = 0xDEADBEEF;
constexpr uint32_t kInk = 0x00ABCDEF;

// A 512 x 256 frame of zeros between two guard zones no drawing may touch.
class Frame {
public:
    Frame() : memory_(kW * kH + 2 * kGuard, kGuardValue) {
        std::fill(pixels(), pixels() + kW * kH, 0u);
    }
    uint32_t* pixels() { return memory_.data() + kGuard; }
    uint32_t at(int x, int y) const { return memory_[kGuard + static_cast<size_t>(y) * kW + x]; }
    bool guardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (memory_[i] != kGuardValue || memory_[memory_.size() - 1 - i] != kGuardValue) return false;
        return true;
    }
    int count() const {
        int n = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) n += at(x, y) != 0;
        return n;
    }
    // Lit pixels of row y as "x0-x1 x2-x3 ..." runs.
    std::string row(int y) const {
        std::string runs;
        for (int x = 0; x < kW; ++x) {
            if (!at(x, y)) continue;
            int end = x;
            while (end + 1 < kW && at(end + 1, y)) ++end;
            if (!runs.empty()) runs += ' ';
            runs += std::to_string(x);
            runs += '-';
            runs += std::to_string(end);
            x = end;
        }
        return runs;
    }

private:
    static constexpr size_t kGuard = 4096;
    std::vector<uint32_t> memory_;
};

std::string run(int from, int to) { return std::to_string(from) + "-" + std::to_string(to); }

// Texel (u, v) holds a value that names it (never 0).
std::vector<uint32_t> namingTexture() {
    std::vector<uint32_t> texture(256 * 256);
    for (uint32_t v = 0; v < 256; ++v)
        for (uint32_t u = 0; u < 256; ++u) texture[v * 256 + u] = 0x1000000u | (v << 8) | u;
    return texture;
}
uint32_t texel(int u, int v) { return 0x1000000u | (static_cast<uint32_t>(v) << 8) | static_cast<uint32_t>(u); }

// Row y of `shifted` equals row y - dy of `frame` moved dx to the right, wherever both are in frame.
void expectShifted(const Frame& frame, const Frame& shifted, int dx, int dy) {
    for (int y = std::max(0, dy); y < kH; ++y)
        for (int x = std::max(0, dx); x < kW; ++x)
            ASSERT_EQ(shifted.at(x, y), frame.at(x - dx, y - dy)) << "at " << x << "," << y;
}

TEST(DrawLine, HorizontalLineRoundsItsEnds) {
    Frame frame;
    drawLine(frame.pixels(), 10.2f, 20.4f, 15.7f, 20.4f, kInk);
    EXPECT_EQ(frame.row(20), run(10, 16));
    EXPECT_EQ(frame.count(), 7);
    EXPECT_EQ(frame.at(12, 20), kInk);
}

TEST(DrawLine, XMajorStepsTheMinorAxisInFixedPoint) {
    Frame frame;
    drawLine(frame.pixels(), 0.0f, 0.0f, 10.0f, 5.0f, kInk);  // slope 0x8000, start 0x8000
    for (int k = 0; k <= 10; ++k) EXPECT_EQ(frame.at(k, (k + 1) / 2), kInk) << k;
    EXPECT_EQ(frame.count(), 11);
}

TEST(DrawLine, YMajorWhenEqualAndDrawnFromTheSmallerEnd) {
    Frame frame;
    drawLine(frame.pixels(), 5.0f, 9.0f, 2.0f, 1.0f, kInk);  // slope trunc(3 * 65536 / 8) = 24576
    const int expectedX[] = {2, 2, 3, 3, 4, 4, 4, 5, 5};
    for (int y = 1; y <= 9; ++y) EXPECT_EQ(frame.row(y), run(expectedX[y - 1], expectedX[y - 1])) << y;
    EXPECT_EQ(frame.count(), 9);

    Frame diagonal;
    drawLine(diagonal.pixels(), 0.0f, 0.0f, 3.0f, 3.0f, kInk);
    for (int k = 0; k <= 3; ++k) EXPECT_EQ(diagonal.row(k), run(k, k));
}

TEST(DrawLine, CoincidentEndsDrawOnePixel) {
    Frame frame;
    drawLine(frame.pixels(), 7.3f, 4.6f, 7.3f, 4.6f, kInk);
    EXPECT_EQ(frame.count(), 1);
    EXPECT_EQ(frame.at(7, 5), kInk);
}

TEST(DrawLine, PixelsOutsideTheFrameAreDropped) {
    Frame frame;
    drawLine(frame.pixels(), -100.0f, 10.0f, 600.0f, 10.0f, kInk);
    EXPECT_EQ(frame.row(10), run(0, 511));
    drawLine(frame.pixels(), 300.0f, -50.0f, 300.0f, 400.0f, kInk);
    EXPECT_EQ(frame.count(), 512 + 255);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(DrawLine, ClippedLineIsTheSameLineShifted) {
    Frame inside, clipped;
    drawLine(inside.pixels(), 150.0f, 140.0f, 400.5f, 20.25f, kInk);
    drawLine(clipped.pixels(), 150.0f - 200.0f, 140.0f - 100.0f, 400.5f - 200.0f, 20.25f - 100.0f, kInk);
    expectShifted(clipped, inside, 200, 100);
}

TEST(DrawLine, GarbageEndsStayInsideTheFrame) {
    const float inf = std::numeric_limits<float>::infinity();
    Frame frame;
    drawLine(frame.pixels(), kNaN, 3.0f, 40.0f, 50.0f, kInk);
    drawLine(frame.pixels(), 3.0f, -inf, 40.0f, inf, kInk);
    drawLine(frame.pixels(), -1e30f, 5.0f, 1e30f, 6.0f, kInk);
    drawLine(frame.pixels(), 2e9f, 2e9f, -2e9f, -2e9f, kInk);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(DrawLine, MajorAxisComesFromTheDifferencesInDouble) {
    // 269.9f - 245.9f is 24 and 28.4f - 4.4f is 23.9999995 in double, so x is the
    // major axis; the float difference 24.0 would tie them and make y major.
    Frame frame;
    drawLine(frame.pixels(), 269.9f, 28.4f, 245.9f, 4.4f, kInk);
    EXPECT_EQ(frame.row(4), "");
    EXPECT_EQ(frame.row(5), run(246, 247));  // slope 65535: w reaches row 6 one step late
    for (int y = 6; y <= 28; ++y) EXPECT_EQ(frame.row(y), run(242 + y, 242 + y)) << y;
    EXPECT_EQ(frame.count(), 25);
}

// Rows 11 to 29 of the triangle (10,10) (30,20) (10,30): 10 to 30 - 2|y - 20|.
void expectArrowRight(const Frame& frame) {
    EXPECT_EQ(frame.row(10), "");
    for (int y = 11; y <= 29; ++y) EXPECT_EQ(frame.row(y), run(10, 30 - 2 * std::abs(y - 20))) << y;
    EXPECT_EQ(frame.row(30), "");
}

TEST(FillTriangleFlat, SpansRunFromTheLongEdgeToTheShortEdge) {
    Frame frame;
    fillTriangleFlat(frame.pixels(), 30.0f, 20.0f, 10.0f, 30.0f, 10.0f, 10.0f, kInk);
    expectArrowRight(frame);
    EXPECT_EQ(frame.at(20, 20), kInk);
}

TEST(FillTriangleFlat, CornerLeftOfTheLongEdgeStartsTheSpans) {
    Frame frame;
    fillTriangleFlat(frame.pixels(), 30.0f, 10.0f, 10.0f, 20.0f, 30.0f, 30.0f, kInk);
    EXPECT_EQ(frame.row(10), "");
    for (int y = 11; y <= 29; ++y) EXPECT_EQ(frame.row(y), run(10 + 2 * std::abs(y - 20), 30)) << y;
    EXPECT_EQ(frame.row(30), "");
}

TEST(FillTriangleFlat, LongEdgeStartsOneRowBelowTheRoundedTopCorner) {
    // Top corner at y = -0.75: the short edge starts at row trunc(0.75) = 0 but
    // the long edge is placed for row r(-0.75) + 1 = 1, so row 0 ends at 102.
    Frame frame;
    fillTriangleFlat(frame.pixels(), 100.0f, -0.75f, 60.0f, 20.0f, 140.0f, 39.25f, kInk);
    EXPECT_EQ(frame.row(0), run(99, 102));
}

TEST(FillTriangleFlat, OnePixelWhereTheRoundedEndsMeet) {
    Frame frame;
    fillTriangleFlat(frame.pixels(), 10.0f, 10.0f, 10.4f, 20.0f, 10.0f, 30.0f, kInk);
    for (int y = 11; y <= 29; ++y) EXPECT_EQ(frame.row(y), run(10, 10)) << y;
    EXPECT_EQ(frame.count(), 19);
}

TEST(FillTriangleFlat, EdgeRunsAreTakenInDouble) {
    // The long edge runs from (119.1, -12.8) to (86.1, 3.7): its height is
    // 16.5000002 in double, giving the step -131071; a float height of 16.5
    // would give -131072 and move the left end of rows 0 to 3 one pixel left.
    Frame frame;
    fillTriangleFlat(frame.pixels(), 86.1f, 3.7f, 119.1f, -12.8f, 112.8f, 0.4f, kInk);
    EXPECT_EQ(frame.row(0), run(94, 113));  // the middle row, ending at r(112.8)
    EXPECT_EQ(frame.row(1), run(92, 108));
    EXPECT_EQ(frame.row(2), run(90, 100));
    EXPECT_EQ(frame.row(3), run(88, 92));
    EXPECT_EQ(frame.count(), 53);
}

TEST(FillTriangleFlat, DegenerateTrianglesDrawNothing) {
    Frame frame;
    fillTriangleFlat(frame.pixels(), 10.0f, 50.0f, 100.0f, 50.0f, 200.0f, 50.0f, kInk);  // one height
    fillTriangleFlat(frame.pixels(), 10.2f, 10.2f, 9.8f, 10.4f, 50.0f, 50.0f, kInk);      // shared pixel
    fillTriangleFlat(frame.pixels(), 0.0f, 10.0f, 50.0f, 11.0f, 20.0f, 12.0f, kInk);      // rows 11 == 11
    EXPECT_EQ(frame.count(), 0);
}

TEST(FillTriangleFlat, ClippedTriangleIsTheSameTriangleShifted) {
    Frame inside, clipped;
    fillTriangleFlat(inside.pixels(), 120.5f, 30.0f, 380.0f, 90.25f, 200.0f, 230.0f, kInk);
    fillTriangleFlat(clipped.pixels(), 120.5f - 300.0f, 30.0f - 120.0f, 380.0f - 300.0f,
                     90.25f - 120.0f, 200.0f - 300.0f, 230.0f - 120.0f, kInk);
    EXPECT_GT(clipped.count(), 0);
    expectShifted(clipped, inside, 300, 120);
}

TEST(FillTriangleFlat, HugeTriangleCoversTheFrameExactly) {
    Frame frame;
    fillTriangleFlat(frame.pixels(), -1000.0f, -1000.0f, 3000.0f, 128.0f, -1000.0f, 1200.0f, kInk);
    EXPECT_EQ(frame.count(), kW * kH);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(FillTriangleFlat, GarbageCornersStayInsideTheFrame) {
    const float inf = std::numeric_limits<float>::infinity();
    Frame frame;
    fillTriangleFlat(frame.pixels(), kNaN, 10.0f, 50.0f, 60.0f, 10.0f, 100.0f, kInk);
    fillTriangleFlat(frame.pixels(), 10.0f, kNaN, 50.0f, 60.0f, 10.0f, 100.0f, kInk);
    fillTriangleFlat(frame.pixels(), 10.0f, -inf, 50.0f, 60.0f, 10.0f, inf, kInk);
    fillTriangleFlat(frame.pixels(), 1e30f, 10.0f, -1e30f, 60.0f, 10.0f, 1e-30f, kInk);
    fillTriangleFlat(frame.pixels(), 10.0f, 10.0f, 20.0f, 10.0f + 1e-6f, 30.0f, 200.0f, kInk);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(FillTriangleTextured, TexturesTheTriangleAffinely) {
    // u = x - 10 and v = y - 10 at the corners, so every pixel shows texel (x - 10, y - 10).
    const std::vector<uint32_t> texture = namingTexture();
    Frame frame;
    fillTriangleTextured(texture.data(), frame.pixels(), 30.0f, 20.0f, 10.0f, 30.0f, 10.0f, 10.0f, 20.0f,
                         10.0f, 0.0f, 20.0f, 0.0f, 0.0f);
    expectArrowRight(frame);
    for (int y = 11; y <= 29; ++y)
        for (int x = 10; x <= 30 - 2 * std::abs(y - 20); ++x)
            ASSERT_EQ(frame.at(x, y), texel(x - 10, y - 10)) << x << "," << y;
}

TEST(FillTriangleTextured, EdgePlacementIsWorkedOutInDouble) {
    // Lower part from row 23: the long edge's u is trunc(50.3 * 65536 - (18.1 - 23) * 226397).
    // The correction is -1109345.21 in double (u 4405805) but -1109345.25 as a
    // float product (u 4405806), which moves pixel (53, 28) to the next texel column.
    const std::vector<uint32_t> texture = namingTexture();
    Frame frame;
    fillTriangleTextured(texture.data(), frame.pixels(), 55.7f, 22.2f, 65.3f, 18.1f, 41.7f, 36.8f, 160.1f,
                         149.0f, 50.3f, 130.5f, 114.9f, 85.3f);
    EXPECT_EQ(frame.row(28), run(50, 53));
    EXPECT_EQ(frame.at(50, 28), texel(0x8E, 0x7C));
    EXPECT_EQ(frame.at(53, 28), texel(0x54, 0x6B));
    EXPECT_EQ(frame.count(), 62);
}

TEST(FillTriangleTextured, RowsWhoseEndsMeetDrawNothing) {
    const std::vector<uint32_t> texture = namingTexture();
    Frame frame;
    fillTriangleTextured(texture.data(), frame.pixels(), 10.0f, 10.0f, 10.4f, 20.0f, 10.0f, 30.0f, 1.0f,
                         2.0f, 3.0f, 4.0f, 5.0f, 6.0f);
    EXPECT_EQ(frame.count(), 0);
}

TEST(FillTriangleTextured, TexelCoordinatesAreClamped) {
    const std::vector<uint32_t> texture = namingTexture();
    Frame frame;
    fillTriangleTextured(texture.data(), frame.pixels(), 10.0f, 10.0f, 30.0f, 20.0f, 10.0f, 30.0f, -100.0f,
                         300.0f, 500.0f, 300.0f, -100.0f, 300.0f);
    EXPECT_EQ(frame.at(10, 20), texel(0, 255));
    EXPECT_EQ(frame.at(30, 20), texel(255, 255));
}

TEST(FillTriangleTextured, DegenerateTrianglesDrawNothing) {
    const std::vector<uint32_t> texture = namingTexture();
    Frame frame;
    fillTriangleTextured(texture.data(), frame.pixels(), 10.0f, 50.0f, 100.0f, 50.0f, 200.0f, 50.0f, 0, 0,
                         50, 50, 100, 100);
    fillTriangleTextured(texture.data(), frame.pixels(), 0.0f, 10.0f, 50.0f, 11.0f, 20.0f, 12.0f, 0, 0, 50,
                         50, 100, 100);
    fillTriangleTextured(texture.data(), frame.pixels(), 10.2f, 10.2f, 9.8f, 10.4f, 50.0f, 50.0f, 0, 0, 50,
                         50, 100, 100);
    EXPECT_EQ(frame.count(), 0);
}

TEST(FillTriangleTextured, ClippedTriangleIsTheSameTriangleShifted) {
    const std::vector<uint32_t> texture = namingTexture();
    Frame inside, clipped;
    fillTriangleTextured(texture.data(), inside.pixels(), 120.5f, 30.0f, 380.0f, 90.25f, 200.0f, 230.0f,
                         7.0f, 7.0f, 247.0f, 100.0f, 60.0f, 240.0f);
    fillTriangleTextured(texture.data(), clipped.pixels(), 120.5f - 300.0f, 30.0f - 120.0f,
                         380.0f - 300.0f, 90.25f - 120.0f, 200.0f - 300.0f, 230.0f - 120.0f, 7.0f, 7.0f,
                         247.0f, 100.0f, 60.0f, 240.0f);
    EXPECT_GT(clipped.count(), 0);
    expectShifted(clipped, inside, 300, 120);
}

TEST(FillTriangleTextured, GarbageCornersStayInsideBothArrays) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<uint32_t> texture = namingTexture();
    Frame frame;
    fillTriangleTextured(texture.data(), frame.pixels(), kNaN, 10.0f, 50.0f, 60.0f, 10.0f, 100.0f, 0, 0, 9,
                         9, 5, 5);
    fillTriangleTextured(texture.data(), frame.pixels(), 10.0f, -inf, 50.0f, 60.0f, 10.0f, inf, 0, 0, 9, 9,
                         5, 5);
    fillTriangleTextured(texture.data(), frame.pixels(), 10.0f, 10.0f, 300.0f, 60.0f, 10.0f, 100.0f, kNaN,
                         -inf, 1e30f, inf, -1e30f, 5);
    fillTriangleTextured(texture.data(), frame.pixels(), -1e30f, -1e30f, 1e30f, 0.0f, -1e30f, 1e30f, 0, 0,
                         9, 9, 5, 5);
    EXPECT_TRUE(frame.guardsIntact());
}

}  // namespace
}  // namespace velmora
