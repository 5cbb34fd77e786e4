// Reads a 3D file of any format Open Asset Import Library knows into triangle
// corners per layer, in LightWave's axes, and notes what the object box cannot use.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "object3d/Mesh.h"

namespace velmora {

// Polygons as the file holds them, before triangulation.
struct PolygonCounts {
    uint64_t triangles = 0;
    uint64_t quads = 0;
    uint64_t larger = 0;  // five corners or more
    uint64_t lines = 0;   // two corners: dropped
    uint64_t points = 0;  // one corner: dropped
};

inline void addPolygons(PolygonCounts& sum, const PolygonCounts& more) {
    sum.triangles += more.triangles;
    sum.quads += more.quads;
    sum.larger += more.larger;
    sum.lines += more.lines;
    sum.points += more.points;
}

// One node of the scene that holds meshes (an LWO layer, an OBJ object, a glTF
// node), node transforms applied. Layers come in the file order of their first
// mesh (nodes that share it, in depth-first order of the node tree).
struct SceneLayer {
    std::string name;
    unsigned firstMesh = 0;    // the lowest index of its meshes in the file
    uint64_t pointsRead = 0;   // vertices of its meshes as the file gave them
    PolygonCounts polygons;
    std::vector<Float3> corners;  // three a triangle; (p1 - p0) x (p2 - p0) points out of the front face
};

// What is read and not written: the object box draws bare triangles.
struct DroppedParts {
    bool normals = false;
    bool textureCoordinates = false;
    bool vertexColours = false;
    bool bones = false;
    uint32_t materials = 0;  // besides the importer's default one
    uint32_t animations = 0;
    uint32_t cameras = 0;
    uint32_t lights = 0;
    uint32_t textures = 0;  // embedded pictures
};

struct SceneRead {
    std::string format;  // the importer's name for it
    uint32_t meshes = 0;
    std::vector<SceneLayer> layers;
    DroppedParts dropped;
};

// Reads `path`; on failure returns nothing and sets `error` to one line.
// Positions are turned from the library's right-handed axes into LightWave's
// left-handed ones (z negated) with the corner order reversed, so a front face
// keeps its normal pointing out, as the object box's back-face test expects.
// Only regular files inside the folder of `path` are read (see FolderIOSystem).
// Memory running out is thrown on as std::bad_alloc.
std::optional<SceneRead> readScene(const std::string& path, std::string& error);

}  // namespace velmora
