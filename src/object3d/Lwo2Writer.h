// LWO2 writer: a FORM/LWO2 file built chunk by chunk, in the usual single-layer
// order or with hand-made chunks. Used by the mesh generators, the mesh
// converter and the tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "object3d/Mesh.h"

namespace velmora {

class Lwo2Writer {
public:
    // A chunk written exactly as given: four-character id, big-endian size, body
    // (no pad byte, so odd sizes stay odd).
    Lwo2Writer& chunk(std::string_view id, std::span<const uint8_t> body);
    // TAGS: the surface names.
    Lwo2Writer& tags(std::span<const std::string> names);
    // LAYR: layer `number`, no flags, pivot at the origin, no name.
    Lwo2Writer& layer(uint16_t number = 0);
    Lwo2Writer& points(std::span<const Float3> list);
    // BBOX: the corners of the box around the points.
    Lwo2Writer& boundingBox(std::span<const Float3> list);
    // POLS of triangles; indices of 0xFF00 and above take the four-byte form.
    Lwo2Writer& polygons(std::span<const MeshTriangle> list, std::string_view type = "FACE");
    // PTAG SURF: every polygon gets surface tag 0.
    Lwo2Writer& polygonTags(size_t polygonCount);
    // SURF: a named surface with a grey base colour.
    Lwo2Writer& surface(const std::string& name);

    // The whole file, the FORM size counting "LWO2" and every chunk.
    std::vector<uint8_t> bytes() const;
    // The same with a chosen FORM size (for damaged files).
    std::vector<uint8_t> bytesWithFormSize(uint32_t formSize) const;

    // A single-layer mesh file: TAGS, LAYR, PNTS, BBOX, POLS, PTAG, SURF.
    static std::vector<uint8_t> meshFile(std::span<const Float3> pointList,
                                         std::span<const MeshTriangle> triangleList);
    static bool save(const std::string& path, std::span<const uint8_t> data);

private:
    std::vector<uint8_t> chunks_;
};

}  // namespace velmora
