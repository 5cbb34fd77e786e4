// Row kernels of the compositing operations: the pixel rules applied to one
// run of destination pixels, several pixels at a time where the processor
// allows. One set per vector width; the set in use is chosen once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/Blend.h"

namespace velmora::rows {

// The source side of one destination run of a stretched draw: destination
// pixel i reads in[column], column = (sx + (i + 1) * step) >> 16 in wrapping
// 16.16 arithmetic (`sx` is the position before the run's first advance).
// Columns outside 0..width-1 are skipped.
struct StretchSource {
    const uint32_t* in;
    uint32_t width;
    uint32_t sx;
    uint32_t step;
    // Set when the source may share memory with the destination: pixels are
    // then read strictly after the ones before them were written.
    bool ordered;
};

// True when a source run starts before its destination run and reaches into
// it, so a pixel would be read after the run has overwritten it: bodies that
// read several pixels ahead must not be used then.
inline bool readsBehindWrites(const uint32_t* out, const uint32_t* in, size_t n) {
    const auto o = reinterpret_cast<uintptr_t>(out);
    const auto s = reinterpret_cast<uintptr_t>(in);
    return s < o && o - s < n * sizeof(uint32_t);
}

// Unscaled drawing of a source run onto a destination run; source 0 is
// transparent. Runs may overlap (a surface drawn onto itself): the result is
// then that of going pixel by pixel from the first. The scaled rules take the
// caller's whole factor (0..255 in the show; others wrap); put and add ignore it.
using DrawRun = void (*)(uint32_t* out, const uint32_t* in, size_t n, uint32_t factor);
// Stretched runs: put and add skip source pixels that are 0 or negative as
// signed values; the scaled ones skip 0 and use `factor` & 0xFF.
using StretchRun = void (*)(uint32_t* out, size_t n, const StretchSource& src, uint32_t factor);

struct Kernels {
    DrawRun draw[kBlendCount];  // indexed by Blend
    StretchRun stretch[kBlendCount];
    // Whole-run colour operations in place.
    void (*invert)(uint32_t* p, size_t n);
    void (*darken)(uint32_t* p, size_t n, int32_t amount);
    void (*brighten)(uint32_t* p, size_t n, int32_t amount);
    void (*multiply)(uint32_t* p, size_t n, int32_t factor);
};

// One pixel at a time; SSE2 four at a time; AVX2 eight, then four. Each gives
// the bits of the first. A set wider than the build allows is the narrower one.
extern const Kernels kPlainKernels;
extern const Kernels kSse2Kernels;
extern const Kernels kAvx2Kernels;
#if defined(__wasm_simd128__)
// The SSE2 set with the channel-scaling rules written for WebAssembly SIMD.
extern const Kernels kWasmKernels;
#endif

// The set in use. Until the engine chooses, the widest set every processor of
// the build has (SSE2 on x86-64).
extern const Kernels* active;

}  // namespace velmora::rows
