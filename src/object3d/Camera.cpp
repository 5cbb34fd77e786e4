// Camera basis of the object box, in 32-bit float arithmetic.
#include "object3d/Camera.h"

#include <cmath>

namespace velmora {

CameraMatrix buildCameraMatrix(Float3 d, float roll) {
    const float a = d.x;
    const float b = d.y;
    const float c = d.z;
    const float g = std::sqrt(a * a + b * b);
    // P and Q: unit vectors at right angles to d and to each other, with P x Q = d.
    Float3 p;
    Float3 q;
    if (g != 0.0f) {
        p = Float3{a * c / g, b * c / g, -g};
        q = Float3{-b / g, a / g, 0.0f};
    } else {
        p = Float3{std::copysign(1.0f, c), 0.0f, 0.0f};
        q = Float3{0.0f, 1.0f, 0.0f};
    }
    const float m = std::sqrt(q.y * q.y + p.y * p.y);
    const float theta0 = m != 0.0f ? std::atan2(p.y, q.y / m) : std::atan2(roll, roll);
    const float theta = theta0 + roll;
    const float cs = std::cos(theta);
    const float sn = std::sin(theta);
    CameraMatrix matrix;
    matrix.row[0] = Float3{p.x * cs - q.x * sn, p.y * cs - q.y * sn, p.z * cs - q.z * sn};
    matrix.row[1] = Float3{p.x * sn + q.x * cs, p.y * sn + q.y * cs, p.z * sn + q.z * cs};
    matrix.row[2] = d;
    return matrix;
}

}  // namespace velmora
