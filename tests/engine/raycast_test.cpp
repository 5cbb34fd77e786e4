// Ray-cast grid boxes: camera basis and its record, sphere and relief node values,
// and what the boxes draw or leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "boxes/RayCastGrid.h"
#include "TestFunctions.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::fill;
using testsupport::snapshot;
using testsupport::kNaN;
using testsupport::renderWith;
using testsupport::Wiring;

bool sameRecord(const CameraRecord& a, const CameraRecord& b) {
    return std::memcmp(&a, &b, sizeof(CameraRecord)) == 0;
}

// A texture whose texel (column, row) is distinct: column in blue, row in green.
void fillTexture(Surface& t) {
    t.allocate(256, 256);
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 256; ++c) t.pixels[r * 256 + c] = (uint32_t(r) << 8) | uint32_t(c);
}

class RayCastTest : public ::testing::Test {
protected:
    void resetCameraRecords() { sphereRecord = reliefRecord = CameraRecord{}; }
    // The records the boxes of one show share, one per type.
    CameraRecord sphereRecord;
    CameraRecord reliefRecord;
};

// --- Camera basis ------------------------------------------------------------------

TEST_F(RayCastTest, SpherePathAtTimeZeroLooksDownMinusX) {
    const CameraPath path = bouleCameraPath(0.0f);
    EXPECT_EQ(path.C[0], 4950.0);
    EXPECT_EQ(path.C[1], 0.0);
    EXPECT_EQ(path.D[0], -1.0f);
    EXPECT_EQ(path.D[1], 0.0f);
    EXPECT_EQ(path.D[2], 0.0f);
    EXPECT_EQ(path.roll, 0.0);

    CameraRecord& rec = sphereRecord;
    const CameraAxes axes = updateCameraBasis(rec, path.D, path.roll);
    EXPECT_EQ(rec.angleRef[0], 0.0);
    EXPECT_EQ(rec.angleRef[1], -1.0);
    // alpha = pi: column axis (0, 0, 1), row axis (0, 1, 0).
    EXPECT_NEAR(axes.X[0], 0.0, 1e-12);
    EXPECT_NEAR(axes.X[1], 0.0, 1e-12);
    EXPECT_NEAR(axes.X[2], 1.0, 1e-12);
    EXPECT_NEAR(axes.W[0], 0.0, 1e-12);
    EXPECT_NEAR(axes.W[1], 1.0, 1e-12);
    EXPECT_NEAR(axes.W[2], 0.0, 1e-12);
    EXPECT_EQ(axes.F[0], -256.0);
}

// Position and target are stored as floats before the direction is formed; an
// optimiser that keeps the doubles shifts every node by a unit or so.
TEST_F(RayCastTest, SpherePathRoundsPositionAndTargetToFloats) {
    const CameraPath path = bouleCameraPath(1.5f);
    EXPECT_EQ(path.C[0], 0x1.168b64p+12);
    EXPECT_EQ(path.C[1], 0x1.0d1acap+11);
    EXPECT_EQ(path.C[2], 0.0);
    EXPECT_EQ(path.D[0], -0x1.e4a778p-1f);
    EXPECT_EQ(path.D[1], -0x1.587206p-3f);
    EXPECT_EQ(path.D[2], 0x1.19b3fcp-2f);

    Surface texture, out;
    fillTexture(texture);
    fill(out, 512, 256, 0);
    Wiring w({1.5f, 1.0f, 1.0f}, {&texture});
    BoxFDBoule box;
    box.render(out, w.fns(), w.ins());
    // Nodes (0, 2), (0, 3), (0, 5), (0, 6).
    const int32_t u[4] = {15887322, 15567150, 14956942, 14666797};
    const int32_t v[4] = {-8535378, -8456935, -8277137, -8175770};
    const int rows[4] = {2, 3, 5, 6};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(box.grid.gridU[NodeGrid::index(0, rows[k])], u[k]) << "row " << rows[k];
        EXPECT_EQ(box.grid.gridV[NodeGrid::index(0, rows[k])], v[k]) << "row " << rows[k];
    }
}

TEST_F(RayCastTest, ReliefPathAtTimeZeroKeepsTheStartAngleReference) {
    const CameraPath path = voxelCameraPath(0.0f);
    EXPECT_EQ(path.D[0], 0.0f);
    EXPECT_EQ(path.D[1], 1.0f);
    EXPECT_EQ(path.D[2], 0.0f);
    CameraRecord& rec = reliefRecord;
    const CameraAxes axes = updateCameraBasis(rec, path.D, path.roll);
    // s = 0 keeps the all-zero pair, so alpha = atan2(0, 0) = 0: X = P, W = Q.
    EXPECT_EQ(rec.angleRef[0], 0.0);
    EXPECT_EQ(rec.angleRef[1], 0.0);
    EXPECT_EQ(axes.X[0], 0.0);
    EXPECT_EQ(axes.X[1], 0.0);
    EXPECT_EQ(axes.X[2], -1.0);
    EXPECT_EQ(axes.W[0], -1.0);
    EXPECT_EQ(axes.W[1], 0.0);
    EXPECT_EQ(axes.W[2], 0.0);
}

TEST_F(RayCastTest, ReliefAtTimeZeroUsesTheAngleReferenceOfAnEarlierFrame) {
    CameraRecord& rec = reliefRecord;
    const CameraPath later = voxelCameraPath(5.0f);
    updateCameraBasis(rec, later.D, later.roll);
    const double stored[2] = {rec.angleRef[0], rec.angleRef[1]};
    ASSERT_NE(stored[0], 0.0);

    const CameraPath start = voxelCameraPath(0.0f);
    const CameraAxes axes = updateCameraBasis(rec, start.D, start.roll);
    EXPECT_EQ(rec.angleRef[0], stored[0]);
    EXPECT_EQ(rec.angleRef[1], stored[1]);
    EXPECT_GT(std::fabs(axes.X[0]), 1e-3);  // rotated away from P = (0, 0, -1)
}

TEST_F(RayCastTest, VerticalDirectionKeepsTheLastBasis) {
    CameraRecord& rec = sphereRecord;
    const float up[3] = {0.0f, 0.0f, 1.0f};
    CameraAxes axes = updateCameraBasis(rec, up, 0.0);
    // Nothing stored yet: the record stays zero and so does the forward vector.
    EXPECT_TRUE(sameRecord(rec, CameraRecord{}));
    EXPECT_EQ(axes.F[2], 0.0);

    const float along[3] = {0.6f, 0.0f, 0.8f};
    updateCameraBasis(rec, along, 0.0);
    const CameraRecord kept = rec;
    axes = updateCameraBasis(rec, up, 0.0);
    EXPECT_TRUE(sameRecord(rec, kept));
    EXPECT_EQ(axes.F[0], 256.0 * 0.6f);
}

TEST_F(RayCastTest, NonFiniteDirectionDoesNotEnterTheRecord) {
    CameraRecord& rec = sphereRecord;
    const CameraPath path = bouleCameraPath(2.0f);
    updateCameraBasis(rec, path.D, path.roll);
    const CameraRecord kept = rec;
    const float bad[3] = {kNaN, 0.5f, 0.5f};
    updateCameraBasis(rec, bad, 0.0);
    EXPECT_TRUE(sameRecord(rec, kept));
    const CameraPath nanPath = bouleCameraPath(kNaN);
    updateCameraBasis(rec, nanPath.D, nanPath.roll);
    EXPECT_TRUE(sameRecord(rec, kept));
}

// --- Sphere --------------------------------------------------------------------------

TEST_F(RayCastTest, SphereCentreNodeAtTimeZeroHitsTheFarSide) {
    const CameraPath path = bouleCameraPath(0.0f);
    const CameraAxes axes = updateCameraBasis(sphereRecord, path.D, path.roll);
    const NodeValue n = bouleNodeValue(nodeRay(axes, 32, 16), path.C);
    // pi rounded up to a float keeps a half turn just below 2^24: texel column 255.
    EXPECT_EQ(n.u, 16777215);
    EXPECT_EQ(n.v, 0);
    EXPECT_EQ(n.light, 0);
}

TEST_F(RayCastTest, SphereLeftEdgeNodeHitsNearTheMinusZPole) {
    const CameraPath path = bouleCameraPath(0.0f);
    const CameraAxes axes = updateCameraBasis(sphereRecord, path.D, path.roll);
    const NodeValue n = bouleNodeValue(nodeRay(axes, 0, 16), path.C);
    EXPECT_EQ(n.u, 16777215);
    EXPECT_EQ((n.v >> 16) & 255, 106);
    EXPECT_EQ(n.light, 0);
}

TEST_F(RayCastTest, SphereMissesAndSecondRoot) {
    const double outside[3] = {6000.0, 0.0, 0.0};
    const NodeValue miss{0x7F000000, 0x7F000000, 256};
    // Looking away: both roots behind the camera.
    NodeValue n = bouleNodeValue(NodeRay{1.0f, 0.0f, 0.0}, outside);
    EXPECT_EQ(n.u, miss.u);
    EXPECT_EQ(n.v, miss.v);
    EXPECT_EQ(n.light, miss.light);
    // Passing beside the sphere: negative discriminant.
    n = bouleNodeValue(NodeRay{0.0f, 1.0f, 0.0}, outside);
    EXPECT_EQ(n.u, miss.u);
    EXPECT_EQ(n.light, 256);
    // Looking at it: the near root at t = 1000, on the +x axis.
    n = bouleNodeValue(NodeRay{-1.0f, 0.0f, 0.0}, outside);
    EXPECT_EQ(n.u, 0);
    EXPECT_EQ(n.v, 0);
    EXPECT_EQ(n.light, 0);
    // From inside, looking down -x: the negative first root gives way to the second.
    const double inside[3] = {0.0, 0.0, 0.0};
    n = bouleNodeValue(NodeRay{0.0f, 0.0f, -1.0}, inside);
    EXPECT_EQ(n.v, -9830400);
}

TEST_F(RayCastTest, SphereRenderShowsTheCentreTexelAndEveryNodeHits) {
    Surface texture, out;
    fillTexture(texture);
    fill(out, 512, 256, 0x123456);
    Wiring w({0.0f, 1.0f, 1.0f}, {&texture});
    BoxFDBoule box;
    box.render(out, w.fns(), w.ins());
    EXPECT_EQ(out.pixels[128 * 512 + 256], 255u);  // texel (255, 0), no light
    // Node (0, 16): texel column 255, row 106.
    EXPECT_EQ(out.pixels[128 * 512 + 0], (106u << 8) | 255u);
    for (float tau : {0.0f, 1.5f, 37.0f, -300.0f, 1e4f}) {
        w.values[0].set(tau);
        box.render(out, w.fns(), w.ins());
        for (int k = 0; k < NodeGrid::kNodes; ++k) {
            ASSERT_NE(box.grid.gridU[k], 0x7F000000) << "tau " << tau << " node " << k;
            ASSERT_EQ(box.grid.gridLight[k], 0);
        }
    }
}

// --- Relief planes -----------------------------------------------------------------

TEST_F(RayCastTest, ReliefHorizontalRayIsAWhiteMiss) {
    const double C[3] = {1000.0, 320.0, 0.0};
    const NodeValue n = voxelNodeValue(NodeRay{0.6f, 0.0f, 0.8}, C);
    EXPECT_EQ(n.u, 0x7F00);
    EXPECT_EQ(n.v, 0x7F00);
    EXPECT_EQ(n.light, 0xFF00);

    // Drawn over the whole grid: texel (0, 0) plus 255 per channel is white.
    NodeGrid grid;
    for (int k = 0; k < NodeGrid::kNodes; ++k) {
        grid.gridU[k] = n.u;
        grid.gridV[k] = n.v;
        grid.gridLight[k] = n.light;
    }
    Surface out;
    fill(out, 512, 256, 0);
    drawNodeGridBlocks(grid, out.pixels, [](int32_t, int32_t) { return 0x102030u; });
    EXPECT_EQ(out.pixels[0], 0xFFFFFFu);
    EXPECT_EQ(out.pixels[255 * 512 + 511], 0xFFFFFFu);
}

TEST_F(RayCastTest, ReliefZeroCrossingUsesThePlaneHit) {
    // tau = 0, node (32, 16): straight up from (1000, 320, 0); the relief is 0 there
    // and the secant correction would be 0/0.
    const CameraPath path = voxelCameraPath(0.0f);
    const CameraAxes axes = updateCameraBasis(reliefRecord, path.D, path.roll);
    NodeValue n = voxelNodeValue(nodeRay(axes, 32, 16), path.C);
    EXPECT_EQ(n.u, 10240000);
    EXPECT_EQ(n.v, 0);
    EXPECT_EQ(n.light, 0);
    // Node (32, 1): the ray leans 120/256 toward +x and meets y = 1000 at x = 1318.75.
    n = voxelNodeValue(nodeRay(axes, 32, 1), path.C);
    EXPECT_NEAR(n.u, 1318.75 * 10240, 2);
    EXPECT_EQ(n.v, 0);
    EXPECT_EQ(n.light, 15 * 256);  // 318.75 * 0.05 = 15.9
}

TEST_F(RayCastTest, ReliefUndefinedCorrectionFallsBackToThePlaneHit) {
    // Camera height 0 makes q infinite and h1 not a number: the correction is dropped.
    const double C[3] = {0.0, 0.0, 500.0};
    const NodeValue n = voxelNodeValue(NodeRay{0.0f, 1.0f, 0.0}, C);
    EXPECT_EQ(n.u, 0);
    EXPECT_EQ(n.v, 500 * 10240);
    EXPECT_EQ(n.light, 0);
}

TEST_F(RayCastTest, ReliefGridAtTimeZeroHasNoUndefinedNodes) {
    Surface texture, out;
    fillTexture(texture);
    fill(out, 512, 256, 0);
    Wiring w({0.0f, 1.0f, 1.0f}, {&texture});
    BoxFDVoxel box;
    box.render(out, w.fns(), w.ins());
    for (int k = 0; k < NodeGrid::kNodes; ++k) {
        ASSERT_NE(box.grid.gridU[k], INT32_MIN) << k;
        ASSERT_NE(box.grid.gridV[k], INT32_MIN) << k;
    }
    // Node (32, 16) maps to texel column (10240000 >> 16) & 255 = 156, row 0.
    EXPECT_EQ(out.pixels[128 * 512 + 256], 156u);
}

// --- What the boxes draw or leave alone ---------------------------------------------

TEST_F(RayCastTest, GatesOffWriteNothingAndLeaveTheRecords) {
    Surface texture, out;
    fillTexture(texture);
    fill(out, 512, 256, 0x00ABCDEF);
    for (float gateA : {0.0f, -1.0f, kNaN, 1.0f}) {
        for (float gateB : {0.0f, -0.5f, kNaN}) {
            Wiring w({3.0f, gateA, gateB}, {&texture});
            BoxFDBoule sphere(sphereRecord);
            BoxFDVoxel relief(reliefRecord);
            sphere.render(out, w.fns(), w.ins());
            relief.render(out, w.fns(), w.ins());
            Wiring swapped({3.0f, gateB, gateA}, {&texture});
            sphere.render(out, swapped.fns(), swapped.ins());
            relief.render(out, swapped.fns(), swapped.ins());
        }
    }
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x00ABCDEF));
    EXPECT_TRUE(sameRecord(sphereRecord, CameraRecord{}));
    EXPECT_TRUE(sameRecord(reliefRecord, CameraRecord{}));
}

TEST_F(RayCastTest, WrongSizesDrawNothing) {
    Surface texture, smallTexture, out, narrow;
    fillTexture(texture);
    fill(smallTexture, 256, 255, 0x111111);
    fill(out, 512, 256, 0x222222);
    fill(narrow, 511, 256, 0x333333);
    BoxFDBoule sphere(sphereRecord);
    BoxFDVoxel relief(reliefRecord);
    auto renderBoth = [&](Surface& target, FunctionList f, SurfaceList in) {
        sphere.render(target, f, in);
        relief.render(target, f, in);
    };
    Wiring badTexture({1.0f, 1.0f, 1.0f}, {&smallTexture});
    renderBoth(out, badTexture.fns(), badTexture.ins());
    Wiring good({1.0f, 1.0f, 1.0f}, {&texture});
    renderBoth(narrow, good.fns(), good.ins());
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x222222));
    EXPECT_EQ(snapshot(narrow), std::vector<uint32_t>(511 * 256, 0x333333));
    EXPECT_TRUE(sameRecord(sphereRecord, CameraRecord{}));
    EXPECT_TRUE(sameRecord(reliefRecord, CameraRecord{}));
}

TEST_F(RayCastTest, TunnelDrawsNothing) {
    Surface texture, out;
    fillTexture(texture);
    fill(out, 512, 256, 0x445566);
    BoxFDTunnel box;
    for (float v : {0.0f, 1.0f, -1.0f, kNaN}) {
        renderWith(box, out, {v, 1.0f, 1.0f, v}, {&texture});
        renderWith(box, out, {}, {});
    }
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x445566));
}

TEST_F(RayCastTest, NotANumberTimeDoesNotPoisonLaterFrames) {
    Surface texture;
    fillTexture(texture);
    Wiring good({7.25f, 1.0f, 1.0f}, {&texture});
    Wiring bad({kNaN, 1.0f, 1.0f}, {&texture});
    Wiring infinite({std::numeric_limits<float>::infinity(), 1.0f, 1.0f}, {&texture});
    // Time 0 looks straight up at the relief: that frame runs on the angle
    // reference stored by the frames before it.
    Wiring degenerate({0.0f, 1.0f, 1.0f}, {&texture});
    auto run = [&](bool withBadFrames) {
        resetCameraRecords();
        Surface a, b;
        fill(a, 512, 256, 0);
        fill(b, 512, 256, 0);
        BoxFDBoule sphere(sphereRecord);
        BoxFDVoxel relief(reliefRecord);
        sphere.render(a, good.fns(), good.ins());
        relief.render(b, good.fns(), good.ins());
        if (withBadFrames) {
            sphere.render(a, bad.fns(), bad.ins());
            relief.render(b, bad.fns(), bad.ins());
            sphere.render(a, infinite.fns(), infinite.ins());
            relief.render(b, infinite.fns(), infinite.ins());
        }
        sphere.render(a, good.fns(), good.ins());
        relief.render(b, degenerate.fns(), degenerate.ins());
        std::vector<uint32_t> frames = snapshot(a);
        const std::vector<uint32_t> second = snapshot(b);
        frames.insert(frames.end(), second.begin(), second.end());
        return frames;
    };
    EXPECT_EQ(run(true), run(false));
}

TEST_F(RayCastTest, TwoRunsGiveIdenticalFrames) {
    Surface texture;
    fillTexture(texture);
    auto run = [&]() {
        resetCameraRecords();
        Surface out;
        fill(out, 512, 256, 0);
        std::vector<uint32_t> frames;
        BoxFDBoule sphere(sphereRecord);
        BoxFDVoxel relief(reliefRecord);
        for (float tau : {0.0f, 12.3f, 250.0f}) {
            Wiring w({tau, 1.0f, 1.0f}, {&texture});
            sphere.render(out, w.fns(), w.ins());
            frames.insert(frames.end(), out.pixels, out.pixels + out.pixelCount());
            relief.render(out, w.fns(), w.ins());
            frames.insert(frames.end(), out.pixels, out.pixels + out.pixelCount());
        }
        return frames;
    };
    const std::vector<uint32_t> first = run();
    EXPECT_EQ(run(), first);
}

}  // namespace
}  // namespace velmora
