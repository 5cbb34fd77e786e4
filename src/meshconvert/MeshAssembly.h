// From a list of triangle corners to the mesh the object box reads: equal
// positions joined into one point, then the optional centring, fitting and
// turning of the faces.
#pragma once

#include <span>

#include "object3d/Mesh.h"

namespace velmora {

// The object box reads two-byte point indices: LWO2 writes indices from 0xFF00
// on in a four-byte form.
inline constexpr int32_t kMaxObjectBoxPoints = 0xFF00;  // 65280, excluded

// Three corners a triangle, in order. Corners at exactly the same position
// (0.0 and -0.0 alike) become one point; points come in order of first use.
Mesh joinCorners(std::span<const Float3> corners);

struct MeshBounds {
    Float3 low, high;
    Float3 middle;        // of the box
    double radius = 0.0;  // of the sphere around `middle` that holds every point
};
MeshBounds boundsOf(std::span<const Float3> points);

// Moves the box's middle to the origin.
void centreMesh(Mesh& mesh, const MeshBounds& bounds);
// Scales about the origin so that the bounding radius becomes `radius`
// (the bounds are those of the mesh as it is now; their radius is not 0).
void fitMesh(Mesh& mesh, const MeshBounds& bounds, double radius);
// True when no two points share a position (0.0 and -0.0 alike).
bool allApart(std::span<const Float3> points);
// Turns every triangle round: the faces that pointed in point out.
void flipMesh(Mesh& mesh);

}  // namespace velmora
