// The object box's camera: a rotation whose rows are screen right, screen down
// and the view direction.
#pragma once

#include "object3d/Mesh.h"

namespace velmora {

// The rows are kept as floats; whatever is computed from them is done in double.
struct CameraMatrix {
    Float3 row[3];
};

// Rows for the unit view direction d and a roll angle (radians), worked out in
// double and rounded to float. Row 2 is d. A view straight along z (no x or y
// component) gets rows (±1, 0, 0), (0, 1, 0), the sign following d.z: the limit
// of the general basis as d leans towards +x.
CameraMatrix buildCameraMatrix(Float3 d, double roll);

// A double result rounded to float where it is stored.
inline Float3 toFloat3(double x, double y, double z) {
    return Float3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// row · (x, y, z) in double, summed in the order x, y, z.
inline double dot(const Float3& row, double x, double y, double z) {
    return double{row.x} * x + double{row.y} * y + double{row.z} * z;
}
inline double dot(const Float3& a, const Float3& b) { return dot(a, b.x, b.y, b.z); }

}  // namespace velmora
