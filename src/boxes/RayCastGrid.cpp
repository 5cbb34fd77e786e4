// Ray-cast grid boxes: camera paths, the shared camera basis, per-node ray hits
// against the sphere and the relief planes, and the textured block drawing.
#include "boxes/RayCastGrid.h"

#include <cmath>

#include "boxes/NodeGridBlocks.h"
#include "core/FrameGeometry.h"
#include "core/PixelMath.h"
#include "core/WorkerPool.h"

namespace velmora {

namespace {

// 4 atan(1) rounded to float: slightly above pi, which keeps gridU below 2^24.
const double kPiF = static_cast<double>(static_cast<float>(4.0 * std::atan(1.0)));

constexpr double kSphereRadius = 5000.0;
constexpr double kPlaneDistance = 1000.0;
constexpr double kReliefPhase = 0.0;
constexpr double kInv330 = 0.0030303030303030303;

// A value stored as a 32-bit float, back in double. Out of line on purpose: GCC 12's
// SLP vectoriser drops a float rounding that sits beside another one (two
// neighbouring fields rounded alike) and keeps the double instead.
[[gnu::noinline]] double asFloat(double x) { return static_cast<float>(x); }

// Surfaces of the wrong geometry draw nothing.
bool canDraw(const Surface& output, SurfaceList inputs) {
    return output.isSize(kFrameWidth, kFrameHeight) && inputs[0]->isSize(256, 256);
}

// Bands of block rows, one task each: a block reads only the texture.
void drawTextured(const NodeGrid& grid, const Surface& texture, Surface& output, WorkerPool* workers) {
    const uint32_t* texels = texture.pixels;
    runInParts(workers, kBlockRows, [&](int firstBlockRow, int endBlockRow) {
        // A 256 by 256 texture is never the 512 by 256 output.
        drawNodeGridBlocksFast(grid, output.pixels, BlockSource{texels, 16, 255, 8, 255}, firstBlockRow,
                               endBlockRow);
    });
}

template <class NodeFn>
void fillGridRows(NodeGrid& grid, const CameraAxes& axes, const double C[3], NodeFn nodeValue, int firstRow,
                  int endRow) {
    for (int i = firstRow; i < endRow; ++i) {
        for (int j = 0; j < NodeGrid::kColumns; ++j) {
            const NodeValue n = nodeValue(nodeRay(axes, j, i), C);
            const int k = NodeGrid::index(j, i);
            grid.gridU[k] = n.u;
            grid.gridV[k] = n.v;
            grid.gridLight[k] = n.light;
        }
    }
}

// Every node is worked out from the camera alone, so rows of nodes are split
// between the tasks.
template <class NodeFn>
void fillGrid(NodeGrid& grid, const CameraAxes& axes, const double C[3], NodeFn nodeValue, WorkerPool* workers) {
    runInParts(workers, NodeGrid::kRows, [&](int firstRow, int endRow) {
        fillGridRows(grid, axes, C, nodeValue, firstRow, endRow);
    });
}

double relief(double x, double z) {
    return 100.0 * std::sin(z * kInv330 + kReliefPhase) * std::cos(x * kInv330 + kReliefPhase);
}

}  // namespace

CameraPath bouleCameraPath(float tau) {
    const double t = tau;
    const double k = std::cos(0.01 * t);
    CameraPath path;
    path.C[0] = asFloat(4950.0 * k * std::cos(0.3 * t));
    path.C[1] = asFloat(4950.0 * k * std::sin(0.3 * t));
    path.C[2] = 0.0;
    const double target[3] = {asFloat(2000.0 * std::cos(0.5 * t)),
                              asFloat(2000.0 * std::sin(0.63 * t)),
                              asFloat(2000.0 * std::sin(0.3 * t))};
    const double gx = target[0] - path.C[0];
    const double gy = target[1] - path.C[1];
    const double gz = target[2] - path.C[2];
    const double length = asFloat(std::sqrt(gx * gx + gy * gy + gz * gz));
    path.D[0] = asFloat(gx / length);
    path.D[1] = asFloat(gy / length);
    path.D[2] = asFloat(gz / length);
    path.roll = 6.28 * std::sin(0.03 * t) * std::cos(0.05 * t);
    return path;
}

CameraPath voxelCameraPath(float tau) {
    const double t = tau;
    CameraPath path;
    path.C[0] = asFloat(1000.0 * std::cos(0.3 * t));
    path.C[1] = 320.0;
    path.C[2] = asFloat(1000.0 * std::sin(0.3 * t));
    const double gx = 1000.0 * std::cos(0.13 * t) - path.C[0];
    const double gy = 4680.0;
    const double gz = 1000.0 * std::sin(0.11 * t) - path.C[2];
    const double n = asFloat(std::sqrt(gx * gx + gz * gz + 21902400.0));
    path.D[0] = asFloat(gx / n);
    path.D[1] = asFloat(gy / n);
    path.D[2] = asFloat(gz / n);
    path.roll = 0.0;
    return path;
}

CameraAxes updateCameraBasis(CameraRecord& record, const float D[3], double roll) {
    const double dx = D[0], dy = D[1], dz = D[2];
    const double r = std::sqrt(dx * dx + dy * dy);
    // A direction that is not finite (from a NaN or infinite time) is treated like
    // r = 0: the record keeps its last good basis instead of holding NaN forever.
    if (r != 0.0 && std::isfinite(dx) && std::isfinite(dy) && std::isfinite(dz)) {
        record.D[0] = D[0];
        record.D[1] = D[1];
        record.D[2] = D[2];
        record.P[0] = asFloat(dx * dz / r);
        record.P[1] = asFloat(dy * dz / r);
        record.P[2] = asFloat(-r);
        record.Q[0] = asFloat(-dy / r);
        record.Q[1] = asFloat(dx / r);
    }
    const double py = record.P[1], qy = record.Q[1];
    const double s = std::sqrt(qy * qy + py * py);
    if (s != 0.0) {
        record.angleRef[0] = py;
        record.angleRef[1] = qy / s;
    }
    const double alpha = std::atan2(record.angleRef[0], record.angleRef[1]) + roll;
    const double ca = std::cos(alpha), sa = std::sin(alpha);
    const double P[3] = {record.P[0], record.P[1], record.P[2]};
    const double Q[3] = {record.Q[0], record.Q[1], 0.0};
    CameraAxes axes;
    for (int k = 0; k < 3; ++k) {
        axes.X[k] = ca * P[k] - sa * Q[k];
        axes.W[k] = sa * P[k] + ca * Q[k];
        axes.F[k] = 256.0 * record.D[k];
    }
    return axes;
}

NodeRay nodeRay(const CameraAxes& axes, int j, int i) {
    const double row = 8 * i - 128;
    const double column = 8 * j - 256;
    const double rx = asFloat(axes.F[0] + row * axes.W[0] + column * axes.X[0]);
    const double ry = asFloat(axes.F[1] + row * axes.W[1] + column * axes.X[1]);
    const double rz = axes.F[2] + row * axes.W[2] + column * axes.X[2];
    const double length = std::sqrt(rx * rx + ry * ry + rz * rz);
    const float dx = static_cast<float>(asFloat(rx / length));
    const float dy = static_cast<float>(asFloat(ry / length));
    return NodeRay{dx, dy, rz / length};
}

NodeValue bouleNodeValue(const NodeRay& d, const double C[3]) {
    const NodeValue miss{0x7F000000, 0x7F000000, 256};
    const double dx = d.x, dy = d.y, dz = d.z;
    const double a2 = dx * dx + dy * dy + dz * dz;
    const double b2 = 2.0 * (dx * C[0] + dy * C[1] + dz * C[2]);
    const double bf = asFloat(b2);
    const double c2 =
        asFloat(C[0] * C[0] + C[1] * C[1] + C[2] * C[2] - kSphereRadius * kSphereRadius);
    const double disc = b2 * bf - 4.0 * c2 * a2;
    if (!(disc > 0.0)) return miss;
    const double root = std::sqrt(disc);
    const double twoA = asFloat(2.0 * a2);
    double t = (-bf - root) / twoA;
    if (t < 0.0) t = (root - bf) / twoA;
    if (!(t > 0.0)) return miss;
    const double hx = C[0] + t * dx;
    const double hy = C[1] + t * dy;
    const double hz = C[2] + t * dz;
    return NodeValue{truncToInt(std::fabs(std::atan2(hy, hx)) * 16777216.0 / kPiF),
                     truncToInt(hz * 9830400.0 / kSphereRadius), 0};
}

NodeValue voxelNodeValue(const NodeRay& d, const double C[3]) {
    if (d.y == 0.0f) return NodeValue{0x7F00, 0x7F00, 0xFF00};
    const double h = d.y > 0.0f ? kPlaneDistance : -kPlaneDistance;
    const double t = (h - C[1]) / d.y;
    const double hx = asFloat(C[0] + t * d.x);
    const double hz = C[2] + t * d.z;
    const double h0 = relief(hx, hz);
    const double q = h0 / C[1];
    const double ex = asFloat(C[0] - hx);
    const double ez = asFloat(C[2] - hz);
    const double h1 = relief(hx + q * ex, hz + q * ez);
    // The secant correction is 0/0 where the relief crosses zero (h0 = 0: no
    // correction is the limit) and undefined where h1 = 2 h0; use the plane hit there.
    double sigma = 0.0;
    if (h0 != 0.0) {
        sigma = asFloat(-q * h0 / (h1 - 2.0 * h0));
        if (!std::isfinite(sigma)) sigma = 0.0;
    }
    const double cx = hx + sigma * ex;
    const double cz = hz + sigma * ez;
    const double fx = asFloat(cx - C[0]);
    const double fz = cz - C[2];
    const double dist = std::sqrt(fx * fx + fz * fz);
    int32_t light = truncToInt(dist * 0.05);
    if (light > 255) light = 255;
    return NodeValue{truncToInt(cx * 10240.0), truncToInt(cz * 10240.0), wrapMul(light, 256)};
}

void BoxFDTunnel::draw(Surface&, FunctionList, SurfaceList, WorkerPool*) {
    // Only the two gates are read and neither value is used; reading a function has
    // no effect, so there is nothing to do whatever the line names.
}

void BoxFDBoule::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) {
    if (!canDraw(output, inputs)) return;
    if (!isOn(*functions[1]) || !isOn(*functions[2])) return;
    const CameraPath path = bouleCameraPath(functions[0]->value());
    const CameraAxes axes = updateCameraBasis(camera.record(), path.D, path.roll);
    fillGrid(grid, axes, path.C, bouleNodeValue, workers);
    drawTextured(grid, *inputs[0], output, workers);
}

void BoxFDVoxel::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) {
    if (!canDraw(output, inputs)) return;
    if (!isOn(*functions[1]) || !isOn(*functions[2])) return;
    const CameraPath path = voxelCameraPath(functions[0]->value());
    const CameraAxes axes = updateCameraBasis(camera.record(), path.D, path.roll);
    fillGrid(grid, axes, path.C, voxelNodeValue, workers);
    drawTextured(grid, *inputs[0], output, workers);
}

}  // namespace velmora
