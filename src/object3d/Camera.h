// The object box's camera: a rotation whose rows are screen right, screen down
// and the view direction.
#pragma once

#include "object3d/Mesh.h"

namespace velmora {

struct CameraMatrix {
    Float3 row[3];
};

// Rows for the unit view direction d and a roll angle (radians). Row 2 is d.
// A view straight along z (no x or y component) gets rows (±1, 0, 0), (0, 1, 0),
// the sign following d.z: the limit of the general basis as d leans towards +x.
CameraMatrix buildCameraMatrix(Float3 d, float roll);

inline float dot(const Float3& a, const Float3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace velmora
