// The box types the script can declare, what each reads, and the factory that makes them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "boxes/FxBox.h"

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

struct BoxType {
    const char* word;  // the script's type word, "ZYL_Box..."
    std::unique_ptr<FxBox> (*create)();
    int functionsRead;  // a wiring line must name at least this many functions
    int inputsRead;     // ... and this many input surfaces (in every mode of the box)
    SurfaceNeed output;
    SurfaceNeed input0;  // meaningful when inputsRead > 0
};

std::span<const BoxType> boxTypes();
// Exact byte comparison with each type word; nullptr when none matches.
const BoxType* findBoxType(std::string_view word);
std::unique_ptr<FxBox> createBox(std::string_view word);

}  // namespace velmora
