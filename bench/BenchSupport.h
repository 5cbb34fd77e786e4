// What the box benchmarks share: a function holding a value, and a surface
// filled with a busy pattern.
#pragma once

#include <cstdint>

#include "functions/Function.h"
#include "surface/Surface.h"

namespace velmora::bench {

struct FixedFunction : Function {
    explicit FixedFunction(float value) : v(value) {}
    float value() const override { return v; }
    float v;  // benchmarks move it between frames
};

// A w by h surface of scattered colours; with `transparent`, every seventh pixel
// is black so the drawing operations meet their transparent colour too.
inline void fillPattern(Surface& s, int32_t w, int32_t h, bool transparent = false) {
    s.allocate(w, h);
    for (size_t i = 0; i < s.pixelCount(); ++i)
        s.pixels[i] = (transparent && i % 7 == 0) ? 0u : static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
}

}  // namespace velmora::bench
