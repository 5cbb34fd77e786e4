// MeshUpAxis: each turn maps the input's axes (x, y, z), which the reader has
// put at (x, y, -z), to a rotation of them with `up` on the object box's -y.
// From the reader's axes each is a mirror image, so the corners turn round too.
#include "meshconvert/MeshUpAxis.h"

#include "meshconvert/MeshAssembly.h"

namespace velmora {

std::optional<UpAxis> parseUpAxis(std::string_view text) {
    if (text == "y") return UpAxis::PlusY;
    if (text == "z") return UpAxis::PlusZ;
    if (text == "-y") return UpAxis::MinusY;
    if (text == "-z") return UpAxis::MinusZ;
    return std::nullopt;
}

const char* upAxisName(UpAxis axis) {
    switch (axis) {
    case UpAxis::PlusY:
        return "y";
    case UpAxis::PlusZ:
        return "z";
    case UpAxis::MinusY:
        return "-y";
    case UpAxis::MinusZ:
        return "-z";
    }
    return "";
}

void turnUp(Mesh& mesh, UpAxis up) {
    for (Float3& p : mesh.points) {
        const Float3 d = p;  // the input's (x, y, -z)
        switch (up) {
        case UpAxis::PlusY:  // (x, -y, -z)
            p = Float3{d.x, -d.y, d.z};
            break;
        case UpAxis::MinusY:  // (x, y, z)
            p = Float3{d.x, d.y, -d.z};
            break;
        case UpAxis::PlusZ:  // (x, -z, y)
            p = Float3{d.x, d.z, d.y};
            break;
        case UpAxis::MinusZ:  // (x, z, -y)
            p = Float3{d.x, -d.z, -d.y};
            break;
        }
    }
    flipMesh(mesh);
}

}  // namespace velmora
