// The radial blur: light streaks swept outward from a centre point over a
// 512 by 256 surface, in place (eight rays first, then four quadrants).
#pragma once

#include <cstdint>
#include <vector>

#include "boxes/FxBox.h"

namespace velmora {

// Functions: 0 centre column, 1 centre row, 2 and 3 gates. Output: 512 by 256.
// A centre off the surface is clipped: only pixels that lie on the surface and
// whose inner neighbours lie on it too are computed; the others stay as they are.
class BoxRadialBlur : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;

private:
    // The surface turned about its diagonal, for the vector sweep; sized on the
    // first frame that takes that path and reused after.
    std::vector<uint32_t> turned_;
};

}  // namespace velmora
