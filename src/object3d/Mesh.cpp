// Face and vertex normals of a loaded mesh: worked out in double from the
// stored float points, rounded to float only when stored.
#include "object3d/Mesh.h"

#include <cmath>

namespace velmora {

namespace {

struct Sum3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// v / |v| rounded to float, or (0, 0, 0) when the length is zero.
Float3 unitOrZero(const Sum3& v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0) return Float3{};
    return Float3{static_cast<float>(v.x / length), static_cast<float>(v.y / length),
                  static_cast<float>(v.z / length)};
}

}  // namespace

void computeFaceNormals(Mesh& mesh) {
    mesh.faceNormals.assign(static_cast<size_t>(mesh.triangleCount), Float3{});
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const MeshTriangle& tri = mesh.triangles[static_cast<size_t>(t)];
        const Float3& p0 = mesh.points[static_cast<size_t>(tri.corner[0])];
        const Float3& p1 = mesh.points[static_cast<size_t>(tri.corner[1])];
        const Float3& p2 = mesh.points[static_cast<size_t>(tri.corner[2])];
        const Sum3 e1{double{p1.x} - p0.x, double{p1.y} - p0.y, double{p1.z} - p0.z};
        const Sum3 e2{double{p2.x} - p0.x, double{p2.y} - p0.y, double{p2.z} - p0.z};
        const Sum3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        mesh.faceNormals[static_cast<size_t>(t)] = unitOrZero(n);
    }
}

void computeVertexNormals(Mesh& mesh) {
    // Walking the triangles once in file order adds, for every point, the same
    // normals in the same order as a per-point scan of all triangles would.
    std::vector<Sum3> sums(static_cast<size_t>(mesh.pointCount));
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const MeshTriangle& tri = mesh.triangles[static_cast<size_t>(t)];
        const Float3& n = mesh.faceNormals[static_cast<size_t>(t)];
        for (int32_t corner : tri.corner) {
            Sum3& sum = sums[static_cast<size_t>(corner)];
            sum.x += n.x;
            sum.y += n.y;
            sum.z += n.z;
        }
    }
    mesh.vertexNormals.resize(sums.size());
    for (size_t i = 0; i < sums.size(); ++i) mesh.vertexNormals[i] = unitOrZero(sums[i]);
}

}  // namespace velmora
