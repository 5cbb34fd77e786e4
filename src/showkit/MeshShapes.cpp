// The shapes' triangles: rings of points joined into closed, outward-facing meshes.
#include "showkit/MeshShapes.h"

#include <cmath>
#include <utility>

namespace velmora {

namespace {

Float3 minus(Float3 a, Float3 b) { return Float3{a.x - b.x, a.y - b.y, a.z - b.z}; }
Float3 crossProduct(Float3 a, Float3 b) {
    return Float3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dotProduct(Float3 a, Float3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Float3 unit(Float3 a) {
    const float length = std::sqrt(dotProduct(a, a));
    return Float3{a.x / length, a.y / length, a.z / length};
}

// Adds the triangle (a, b, c), turned round if its normal points towards `inside`.
void addFacingOut(ShapeMesh& mesh, int32_t a, int32_t b, int32_t c, Float3 inside) {
    const Float3& p0 = mesh.points[static_cast<size_t>(a)];
    const Float3& p1 = mesh.points[static_cast<size_t>(b)];
    const Float3& p2 = mesh.points[static_cast<size_t>(c)];
    const Float3 normal = crossProduct(minus(p1, p0), minus(p2, p0));
    const Float3 centroid{(p0.x + p1.x + p2.x) / 3, (p0.y + p1.y + p2.y) / 3, (p0.z + p1.z + p2.z) / 3};
    if (dotProduct(normal, minus(centroid, inside)) < 0.0f) std::swap(b, c);
    mesh.triangles.push_back(MeshTriangle{{a, b, c}});
}

// A closed tube of `sides` points per ring around `rings` centre points with
// unit frames (n, b) across the tube.
ShapeMesh tube(const std::vector<Float3>& centres, const std::vector<Float3>& normals,
                      const std::vector<Float3>& binormals, float radius, int32_t sides) {
    constexpr float kTwoPi = 6.28318530718f;
    ShapeMesh mesh;
    const int32_t rings = static_cast<int32_t>(centres.size());
    for (int32_t i = 0; i < rings; ++i) {
        for (int32_t j = 0; j < sides; ++j) {
            const float angle = kTwoPi * static_cast<float>(j) / static_cast<float>(sides);
            const float cs = std::cos(angle) * radius;
            const float sn = std::sin(angle) * radius;
            const Float3& c = centres[static_cast<size_t>(i)];
            const Float3& n = normals[static_cast<size_t>(i)];
            const Float3& b = binormals[static_cast<size_t>(i)];
            mesh.points.push_back(Float3{c.x + n.x * cs + b.x * sn, c.y + n.y * cs + b.y * sn,
                                         c.z + n.z * cs + b.z * sn});
        }
    }
    for (int32_t i = 0; i < rings; ++i) {
        const int32_t next = (i + 1) % rings;
        const Float3& c0 = centres[static_cast<size_t>(i)];
        const Float3& c1 = centres[static_cast<size_t>(next)];
        const Float3 inside{(c0.x + c1.x) / 2, (c0.y + c1.y) / 2, (c0.z + c1.z) / 2};
        for (int32_t j = 0; j < sides; ++j) {
            const int32_t k = (j + 1) % sides;
            const int32_t a = i * sides + j, b = next * sides + j;
            const int32_t c = next * sides + k, d = i * sides + k;
            addFacingOut(mesh, a, b, c, inside);
            addFacingOut(mesh, a, c, d, inside);
        }
    }
    return mesh;
}

}  // namespace

// Cube from -half to +half on each axis: 8 points, 12 triangles.
ShapeMesh makeCube(float half) {
    ShapeMesh mesh;
    for (int32_t i = 0; i < 8; ++i)
        mesh.points.push_back(Float3{i & 1 ? half : -half, i & 2 ? half : -half, i & 4 ? half : -half});
    // Each face: four corners in order round the face.
    const int32_t faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (const auto& f : faces) {
        addFacingOut(mesh, f[0], f[1], f[2], Float3{});
        addFacingOut(mesh, f[0], f[2], f[3], Float3{});
    }
    return mesh;
}

// Sphere round the origin: a pole at each end and stacks - 1 rings of `slices`.
ShapeMesh makeSphere(float radius, int32_t stacks, int32_t slices) {
    constexpr float kPi = 3.14159265359f;
    ShapeMesh mesh;
    mesh.points.push_back(Float3{0.0f, radius, 0.0f});
    for (int32_t s = 1; s < stacks; ++s) {
        const float polar = kPi * static_cast<float>(s) / static_cast<float>(stacks);
        for (int32_t k = 0; k < slices; ++k) {
            const float around = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(slices);
            mesh.points.push_back(Float3{radius * std::sin(polar) * std::cos(around),
                                         radius * std::cos(polar),
                                         radius * std::sin(polar) * std::sin(around)});
        }
    }
    const int32_t south = static_cast<int32_t>(mesh.points.size());
    mesh.points.push_back(Float3{0.0f, -radius, 0.0f});
    auto ring = [slices](int32_t s, int32_t k) { return 1 + (s - 1) * slices + (k % slices); };
    for (int32_t k = 0; k < slices; ++k) {
        addFacingOut(mesh, 0, ring(1, k), ring(1, k + 1), Float3{});
        for (int32_t s = 1; s + 1 < stacks; ++s) {
            addFacingOut(mesh, ring(s, k), ring(s + 1, k), ring(s + 1, k + 1), Float3{});
            addFacingOut(mesh, ring(s, k), ring(s + 1, k + 1), ring(s, k + 1), Float3{});
        }
        addFacingOut(mesh, south, ring(stacks - 1, k + 1), ring(stacks - 1, k), Float3{});
    }
    return mesh;
}

// Torus round the y axis: ring radius R, tube radius r.
ShapeMesh makeTorus(float ringRadius, float tubeRadius, int32_t rings, int32_t sides) {
    constexpr float kTwoPi = 6.28318530718f;
    std::vector<Float3> centres, normals, binormals;
    for (int32_t i = 0; i < rings; ++i) {
        const float a = kTwoPi * static_cast<float>(i) / static_cast<float>(rings);
        centres.push_back(Float3{ringRadius * std::cos(a), 0.0f, ringRadius * std::sin(a)});
        normals.push_back(Float3{std::cos(a), 0.0f, std::sin(a)});
        binormals.push_back(Float3{0.0f, 1.0f, 0.0f});
    }
    return tube(centres, normals, binormals, tubeRadius, sides);
}

// Trefoil knot tube: centre line scale * (sin t + 2 sin 2t, cos t - 2 cos 2t,
// -sin 3t), Frenet frames across it.
ShapeMesh makeKnot(float scale, float tubeRadius, int32_t segments, int32_t sides) {
    constexpr float kTwoPi = 6.28318530718f;
    std::vector<Float3> centres, normals, binormals;
    for (int32_t i = 0; i < segments; ++i) {
        const float t = kTwoPi * static_cast<float>(i) / static_cast<float>(segments);
        centres.push_back(Float3{scale * (std::sin(t) + 2 * std::sin(2 * t)),
                                 scale * (std::cos(t) - 2 * std::cos(2 * t)), scale * -std::sin(3 * t)});
        const Float3 velocity{std::cos(t) + 4 * std::cos(2 * t), -std::sin(t) + 4 * std::sin(2 * t),
                              -3 * std::cos(3 * t)};
        const Float3 acceleration{-std::sin(t) - 8 * std::sin(2 * t), -std::cos(t) + 8 * std::cos(2 * t),
                                  9 * std::sin(3 * t)};
        const Float3 tangent = unit(velocity);
        const Float3 binormal = unit(crossProduct(velocity, acceleration));
        normals.push_back(crossProduct(binormal, tangent));
        binormals.push_back(binormal);
    }
    return tube(centres, normals, binormals, tubeRadius, sides);
}

}  // namespace velmora
