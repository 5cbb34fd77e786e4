// A triangle mesh as the object box draws it: points, triangles and their unit
// normals, all in the object file's own coordinates.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

struct Float3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Point indices of one triangle, in the file's corner order.
struct MeshTriangle {
    int32_t corner[3] = {0, 0, 0};
};

struct Mesh {
    int32_t pointCount = 0;
    int32_t triangleCount = 0;
    std::vector<Float3> points;           // pointCount entries
    std::vector<MeshTriangle> triangles;  // triangleCount entries, indices < pointCount
    std::vector<Float3> faceNormals;      // triangleCount entries
    std::vector<Float3> vertexNormals;    // pointCount entries
};

// Unit normal of each triangle, (p1 - p0) x (p2 - p0); (0, 0, 0) when degenerate.
void computeFaceNormals(Mesh& mesh);
// Unit sum of the face normals around each point; (0, 0, 0) when unused or cancelled.
void computeVertexNormals(Mesh& mesh);

}  // namespace velmora
