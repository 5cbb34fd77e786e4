// The box types the script can declare, what each reads, and the factory that makes them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "boxes/CRandom.h"
#include "boxes/FxBox.h"
#include "boxes/RayCastGrid.h"
#include "object3d/Mesh.h"

namespace velmora {

// What a box needs of a surface it reads or writes.
struct SurfaceNeed {
    enum Kind { Any, Exact, MinPixels };
    Kind kind = Any;
    int32_t width = 0;
    int32_t height = 0;

    bool accepts(const Surface& s) const {
        if (!s.pixels) return false;
        switch (kind) {
            case Exact: return s.width == width && s.height == height;
            case MinPixels:
                return s.pixelCount() >= static_cast<size_t>(width) * static_cast<size_t>(height);
            case Any: break;
        }
        return true;
    }
};

// What the boxes of one show share between them, and nothing else does: every
// show starts from these values, so a reload starts afresh and two shows in one
// process never meet.
struct ShowState {
    CRandom random;             // the particle boxes draw from it in their call order
    CameraRecord sphereCamera;  // every ZYL_BoxFDBoule of the show
    CameraRecord reliefCamera;  // every ZYL_BoxFDVoxel of the show
    Float3 objectDirection{1.0f, 0.0f, 0.0f};  // every ZYL_BoxObjet3D: the last view direction
};

struct BoxType {
    const char* word;  // the script's type word, "ZYL_Box..."
    // Makes a box that shares exactly the part of `show` its type shares.
    std::unique_ptr<FxBox> (*create)(ShowState& show);
    int functionsRead;  // a wiring line must name at least this many functions
    int inputsRead;     // ... and this many input surfaces (in every mode of the box)
    SurfaceNeed output;
    SurfaceNeed input0;  // meaningful when inputsRead > 0
};

std::span<const BoxType> boxTypes();
// Exact byte comparison with each type word; nullptr when none matches.
const BoxType* findBoxType(std::string_view word);
std::unique_ptr<FxBox> createBox(std::string_view word, ShowState& show);

}  // namespace velmora
