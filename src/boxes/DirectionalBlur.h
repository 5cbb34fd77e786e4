// The directional blurs: a first-order recursive filter run in place along each
// row (BoxXBlur) or down each column (BoxYBlur) of a 512 by 256 surface.
#pragma once

#include <cstdint>

#include "boxes/FxBox.h"
#include "core/PixelMath.h"

namespace velmora {

// The 16.16 weights of the current pixel (wc) and of the filtered pixel before it (wp).
struct BlurWeights {
    int32_t wc = 0;
    int32_t wp = 0;
};

// Formed in double from the float weight; v outside 0..1 (or NaN) gives weights
// that no longer add up to 65535, which the mix tolerates without UB.
BlurWeights blurWeights(float v);

// Per channel: (wp*p + wc*c) in wrapping 32-bit arithmetic, read as unsigned,
// >> 16 and limited to 255.
inline uint32_t blurMix(uint32_t p, uint32_t c, BlurWeights w) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t pc = static_cast<int32_t>((p >> shift) & 0xFFu);
        const int32_t cc = static_cast<int32_t>((c >> shift) & 0xFFu);
        uint32_t s = static_cast<uint32_t>(wrapAdd(wrapMul(w.wp, pc), wrapMul(w.wc, cc))) >> 16;
        if (s > 255) s = 255;
        result |= s << shift;
    }
    return result;
}

// Functions: 0 weight, 1 and 2 gates. Output: 512 by 256, filtered in place.
class BoxXBlur : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
};

class BoxYBlur : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
};

}  // namespace velmora
