// Camera basis of the object box: double arithmetic and double math functions
// from the float direction; only the finished rows are rounded to float.
#include "object3d/Camera.h"

#include <cmath>

namespace velmora {

CameraMatrix buildCameraMatrix(Float3 d, double roll) {
    const double a = d.x;
    const double b = d.y;
    const double c = d.z;
    const double g = std::sqrt(a * a + b * b);
    // P and Q: unit vectors at right angles to d and to each other, with P x Q = d.
    double p[3];
    double q[3];
    if (g != 0.0) {
        p[0] = a * c / g;
        p[1] = b * c / g;
        p[2] = -g;
        q[0] = -b / g;
        q[1] = a / g;
        q[2] = 0.0;
    } else {
        p[0] = std::copysign(1.0, c);
        p[1] = 0.0;
        p[2] = 0.0;
        q[0] = 0.0;
        q[1] = 1.0;
        q[2] = 0.0;
    }
    const double m = std::sqrt(q[1] * q[1] + p[1] * p[1]);
    const double theta0 = m != 0.0 ? std::atan2(p[1], q[1] / m) : std::atan2(roll, roll);
    const double theta = theta0 + roll;
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    CameraMatrix matrix;
    matrix.row[0] = toFloat3(p[0] * cs - q[0] * sn, p[1] * cs - q[1] * sn, p[2] * cs - q[2] * sn);
    matrix.row[1] = toFloat3(p[0] * sn + q[0] * cs, p[1] * sn + q[1] * cs, p[2] * sn + q[2] * cs);
    matrix.row[2] = d;
    return matrix;
}

}  // namespace velmora
