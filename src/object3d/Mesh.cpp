// Face and vertex normals of a loaded mesh, in 32-bit float arithmetic.
#include "object3d/Mesh.h"

#include <cmath>

namespace velmora {

namespace {

// v / |v|, or (0, 0, 0) when the length is zero.
Float3 unitOrZero(Float3 v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0f) return Float3{};
    return Float3{v.x / length, v.y / length, v.z / length};
}

}  // namespace

void computeFaceNormals(Mesh& mesh) {
    mesh.faceNormals.assign(static_cast<size_t>(mesh.triangleCount), Float3{});
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const MeshTriangle& tri = mesh.triangles[static_cast<size_t>(t)];
        const Float3& p0 = mesh.points[static_cast<size_t>(tri.corner[0])];
        const Float3& p1 = mesh.points[static_cast<size_t>(tri.corner[1])];
        const Float3& p2 = mesh.points[static_cast<size_t>(tri.corner[2])];
        const Float3 e1{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
        const Float3 e2{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
        const Float3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z,
                       e1.x * e2.y - e1.y * e2.x};
        mesh.faceNormals[static_cast<size_t>(t)] = unitOrZero(n);
    }
}

void computeVertexNormals(Mesh& mesh) {
    // Walking the triangles once in file order adds, for every point, the same
    // normals in the same order as a per-point scan of all triangles would.
    std::vector<Float3> sums(static_cast<size_t>(mesh.pointCount));
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const MeshTriangle& tri = mesh.triangles[static_cast<size_t>(t)];
        const Float3& n = mesh.faceNormals[static_cast<size_t>(t)];
        for (int32_t corner : tri.corner) {
            Float3& sum = sums[static_cast<size_t>(corner)];
            sum.x += n.x;
            sum.y += n.y;
            sum.z += n.z;
        }
    }
    mesh.vertexNormals.resize(sums.size());
    for (size_t i = 0; i < sums.size(); ++i) mesh.vertexNormals[i] = unitOrZero(sums[i]);
}

}  // namespace velmora
