// Joining corners by exact position, and the bounding box and sphere.
#include "meshconvert/MeshAssembly.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace velmora {

namespace {

// The bits of a position, with -0.0 taken as 0.0 so that both join.
struct PositionKey {
    uint32_t x, y, z;
    bool operator==(const PositionKey&) const = default;
};

uint32_t bitsOf(float v) {
    if (v == 0.0f) v = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

struct PositionHash {
    size_t operator()(const PositionKey& k) const {
        uint64_t h = k.x;
        h = h * 0x9E3779B97F4A7C15ull ^ k.y;
        h = h * 0x9E3779B97F4A7C15ull ^ k.z;
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

}  // namespace

Mesh joinCorners(std::span<const Float3> corners) {
    Mesh mesh;
    std::unordered_map<PositionKey, int32_t, PositionHash> pointAt;
    pointAt.reserve(corners.size());
    mesh.triangles.resize(corners.size() / 3);
    for (size_t c = 0; c < mesh.triangles.size() * 3; ++c) {
        const Float3& p = corners[c];
        const auto [where, added] =
            pointAt.try_emplace(PositionKey{bitsOf(p.x), bitsOf(p.y), bitsOf(p.z)}, static_cast<int32_t>(mesh.points.size()));
        if (added) mesh.points.push_back(p);
        mesh.triangles[c / 3].corner[c % 3] = where->second;
    }
    mesh.pointCount = static_cast<int32_t>(mesh.points.size());
    mesh.triangleCount = static_cast<int32_t>(mesh.triangles.size());
    return mesh;
}

MeshBounds boundsOf(std::span<const Float3> points) {
    MeshBounds bounds;
    if (points.empty()) return bounds;
    bounds.low = bounds.high = points[0];
    for (const Float3& p : points) {
        bounds.low = Float3{std::min(bounds.low.x, p.x), std::min(bounds.low.y, p.y), std::min(bounds.low.z, p.z)};
        bounds.high = Float3{std::max(bounds.high.x, p.x), std::max(bounds.high.y, p.y), std::max(bounds.high.z, p.z)};
    }
    const double mx = (double{bounds.low.x} + bounds.high.x) / 2;
    const double my = (double{bounds.low.y} + bounds.high.y) / 2;
    const double mz = (double{bounds.low.z} + bounds.high.z) / 2;
    bounds.middle = Float3{static_cast<float>(mx), static_cast<float>(my), static_cast<float>(mz)};
    double farthest = 0.0;
    for (const Float3& p : points) {
        const double dx = p.x - mx, dy = p.y - my, dz = p.z - mz;
        farthest = std::max(farthest, dx * dx + dy * dy + dz * dz);
    }
    bounds.radius = std::sqrt(farthest);
    return bounds;
}

void centreMesh(Mesh& mesh, const MeshBounds& bounds) {
    const double mx = (double{bounds.low.x} + bounds.high.x) / 2;
    const double my = (double{bounds.low.y} + bounds.high.y) / 2;
    const double mz = (double{bounds.low.z} + bounds.high.z) / 2;
    for (Float3& p : mesh.points)
        p = Float3{static_cast<float>(p.x - mx), static_cast<float>(p.y - my), static_cast<float>(p.z - mz)};
}

void fitMesh(Mesh& mesh, const MeshBounds& bounds, double radius) {
    const double scale = radius / bounds.radius;
    for (Float3& p : mesh.points)
        p = Float3{static_cast<float>(p.x * scale), static_cast<float>(p.y * scale), static_cast<float>(p.z * scale)};
}

bool allApart(std::span<const Float3> points) {
    std::unordered_set<PositionKey, PositionHash> seen;
    seen.reserve(points.size());
    for (const Float3& p : points)
        if (!seen.insert(PositionKey{bitsOf(p.x), bitsOf(p.y), bitsOf(p.z)}).second) return false;
    return true;
}

void flipMesh(Mesh& mesh) {
    for (MeshTriangle& t : mesh.triangles) std::swap(t.corner[1], t.corner[2]);
}

}  // namespace velmora
