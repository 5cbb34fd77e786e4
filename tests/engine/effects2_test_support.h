// Test helpers for the ray-cast, particle and voxel tunnel boxes: fixed-value
// functions and the wiring lists handed to render.
#pragma once

#include <cstdint>
#include <vector>

#include "TestFunctions.h"
#include "boxes/FxBox.h"

namespace velmora::fx2test {

using Fixed = testsupport::FixedFunction;

// Functions holding the given values, with the lists render takes.
struct Wiring {
    std::vector<Fixed> values;
    std::vector<Function*> functions;
    std::vector<Surface*> inputs;

    Wiring(std::initializer_list<float> fs, std::initializer_list<Surface*> ins)
        : values(fs.begin(), fs.end()), inputs(ins) {
        for (Fixed& f : values) functions.push_back(&f);
    }
    Wiring(const Wiring&) = delete;
    Wiring& operator=(const Wiring&) = delete;
    FunctionList fns() const { return FunctionList(functions.data(), functions.size()); }
    SurfaceList ins() const { return SurfaceList(inputs.data(), inputs.size()); }
};

inline void fill(Surface& s, int32_t w, int32_t h, uint32_t pixel) {
    s.allocate(w, h);
    for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = pixel;
}

inline std::vector<uint32_t> snapshot(const Surface& s) {
    return std::vector<uint32_t>(s.pixels, s.pixels + s.pixelCount());
}

}  // namespace velmora::fx2test
