// Closed triangle meshes for the default show, the tests and the benchmarks:
// cube, sphere, torus and trefoil knot, every face wound so that its normal
// (p1 - p0) x (p2 - p0) points out of the solid.
#pragma once

#include <cstdint>
#include <vector>

#include "object3d/Mesh.h"

namespace velmora {

struct ShapeMesh {
    std::vector<Float3> points;
    std::vector<MeshTriangle> triangles;
};

// Cube from -half to +half on each axis: 8 points, 12 triangles.
ShapeMesh makeCube(float half);

// Sphere round the origin: a pole at each end and stacks - 1 rings of `slices`.
ShapeMesh makeSphere(float radius, int32_t stacks, int32_t slices);

// Torus round the y axis: ring radius R, tube radius r.
ShapeMesh makeTorus(float ringRadius, float tubeRadius, int32_t rings, int32_t sides);

// Trefoil knot tube: centre line scale * (sin t + 2 sin 2t, cos t - 2 cos 2t,
// -sin 3t), Frenet frames across it.
ShapeMesh makeKnot(float scale, float tubeRadius, int32_t segments, int32_t sides);

}  // namespace velmora
