// The row kernels for WebAssembly SIMD: the SSE2 set, but the rules that scale
// channels get bodies of their own. SSE2 scales bytes with a 16-bit high
// multiply, which WebAssembly lacks: each one becomes two widening multiplies
// and a shuffle. Here a byte times a factor (at most 255 * 255) is an ordinary
// 16-bit multiply, then a shift. Runs these bodies do not take, and the last
// pixels of every run, go to the SSE2 and plain kernels, which give the bits.
#include "surface/RowKernels.h"

#if defined(__wasm_simd128__)

#include <wasm_simd128.h>

namespace velmora::rows {

namespace {

constexpr int kScaled = static_cast<int>(Blend::Scaled);
constexpr int kAddScaled = static_cast<int>(Blend::AddScaled);

// The factor in the three colour lanes of each pixel's four, 0 in the top one.
inline v128_t channelFactors(uint32_t f) {
    const auto w = static_cast<int16_t>(f);
    return wasm_i16x8_make(w, w, w, 0, w, w, w, 0);
}

// Each byte times its lane's factor, shifted right by 8 (factors 0..255).
inline v128_t scaleBytes(v128_t v, v128_t factors) {
    const v128_t lo = wasm_u16x8_shr(wasm_i16x8_mul(wasm_u16x8_extend_low_u8x16(v), factors), 8);
    const v128_t hi = wasm_u16x8_shr(wasm_i16x8_mul(wasm_u16x8_extend_high_u8x16(v), factors), 8);
    return wasm_u8x16_narrow_i16x8(lo, hi);
}

inline v128_t isZero(v128_t s) { return wasm_i32x4_eq(s, wasm_i32x4_splat(0)); }

// Scaled: 0 keeps the destination, any other source pixel is scaled.
struct Scaled {
    v128_t factors;
    v128_t four(v128_t d, v128_t s) const { return wasm_v128_bitselect(d, scaleBytes(s, factors), isZero(s)); }
};

// AddScaled: the scaled source (0 where s is 0, top byte 0) added with byte
// saturation; a drawn pixel loses its top byte, a transparent one keeps it.
struct AddScaled {
    v128_t factors;
    v128_t four(v128_t d, v128_t s) const {
        const v128_t sum = wasm_u8x16_add_sat(d, scaleBytes(s, factors));
        return wasm_v128_and(sum, wasm_v128_or(isZero(s), wasm_i32x4_splat(0xFFFFFF)));
    }
};

template <int kBlend, typename Rule>
void drawScaled(uint32_t* out, const uint32_t* in, size_t n, uint32_t factor) {
    if (factor > 255 || readsBehindWrites(out, in, n)) return kSse2Kernels.draw[kBlend](out, in, n, factor);
    const Rule rule{channelFactors(factor)};
    size_t i = 0;
    // Four blocks a step, all loaded first: a tenth faster than one.
    for (; i + 16 <= n; i += 16) {
        const v128_t s0 = wasm_v128_load(in + i), s1 = wasm_v128_load(in + i + 4);
        const v128_t s2 = wasm_v128_load(in + i + 8), s3 = wasm_v128_load(in + i + 12);
        const v128_t d0 = wasm_v128_load(out + i), d1 = wasm_v128_load(out + i + 4);
        const v128_t d2 = wasm_v128_load(out + i + 8), d3 = wasm_v128_load(out + i + 12);
        wasm_v128_store(out + i, rule.four(d0, s0));
        wasm_v128_store(out + i + 4, rule.four(d1, s1));
        wasm_v128_store(out + i + 8, rule.four(d2, s2));
        wasm_v128_store(out + i + 12, rule.four(d3, s3));
    }
    for (; i + 4 <= n; i += 4)
        wasm_v128_store(out + i, rule.four(wasm_v128_load(out + i), wasm_v128_load(in + i)));
    if (i < n) kPlainKernels.draw[kBlend](out + i, in + i, n - i, factor);
}

template <int kBlend, typename Rule>
void stretchScaled(uint32_t* out, size_t n, const StretchSource& src, uint32_t factor) {
    if (src.ordered) return kSse2Kernels.stretch[kBlend](out, n, src, factor);
    const Rule rule{channelFactors(factor & 0xFFu)};
    const uint32_t* in = src.in;
    const uint32_t width = src.width, step = src.step;
    uint32_t sx = src.sx;
    // Column of a 16.16 position: its arithmetic shift, read as unsigned, so
    // that positions left of the source fall outside 0..width-1 too.
    const auto column = [](uint32_t position) { return static_cast<uint32_t>(static_cast<int32_t>(position) >> 16); };
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const uint32_t c0 = column(sx += step);
        const uint32_t c1 = column(sx += step);
        const uint32_t c2 = column(sx += step);
        const uint32_t c3 = column(sx += step);
        if ((c0 < width) & (c1 < width) & (c2 < width) & (c3 < width)) {
            const v128_t s = wasm_u32x4_make(in[c0], in[c1], in[c2], in[c3]);
            wasm_v128_store(out + i, rule.four(wasm_v128_load(out + i), s));
        } else {
            const StretchSource four{in, width, sx - 4 * step, step, false};
            kPlainKernels.stretch[kBlend](out + i, 4, four, factor);
        }
    }
    if (i < n) kPlainKernels.stretch[kBlend](out + i, n - i, StretchSource{in, width, sx, step, false}, factor);
}

void multiply(uint32_t* p, size_t n, int32_t factor) {
    if (factor < 0 || factor > 255) return kSse2Kernels.multiply(p, n, factor);
    // With factors up to 255 no channel exceeds 254: the plain clamp never acts.
    const v128_t factors = channelFactors(static_cast<uint32_t>(factor));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) wasm_v128_store(p + i, scaleBytes(wasm_v128_load(p + i), factors));
    if (i < n) kPlainKernels.multiply(p + i, n - i, factor);
}

}  // namespace

const Kernels kWasmKernels{
    {kSse2Kernels.draw[0], kSse2Kernels.draw[1], drawScaled<kScaled, Scaled>, drawScaled<kAddScaled, AddScaled>},
    {kSse2Kernels.stretch[0], kSse2Kernels.stretch[1], stretchScaled<kScaled, Scaled>,
     stretchScaled<kAddScaled, AddScaled>},
    kSse2Kernels.invert,
    kSse2Kernels.darken,
    kSse2Kernels.brighten,
    multiply,
};

}  // namespace velmora::rows

#endif
