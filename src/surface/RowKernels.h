// Row kernels of the compositing operations: the pixel rules applied to one
// run of destination pixels, four pixels at a time where the processor allows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::rows {

// Unscaled drawing of a source run onto a destination run; source 0 is
// transparent. Runs may overlap (a surface drawn onto itself): the result is
// then that of going pixel by pixel from the first.
void put(uint32_t* out, const uint32_t* in, size_t n);
void add(uint32_t* out, const uint32_t* in, size_t n);
// `factor` is the caller's whole value (0..255 in the show; others wrap).
void scaled(uint32_t* out, const uint32_t* in, size_t n, uint32_t factor);
void addScaled(uint32_t* out, const uint32_t* in, size_t n, uint32_t factor);

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

// Unscaled stretched rules skip source pixels that are 0 or negative as signed
// values; the scaled ones skip 0 and use `factor` & 0xFF.
void stretchPut(uint32_t* out, size_t n, const StretchSource& src);
void stretchAdd(uint32_t* out, size_t n, const StretchSource& src);
void stretchScaled(uint32_t* out, size_t n, const StretchSource& src, uint32_t factor);
void stretchAddScaled(uint32_t* out, size_t n, const StretchSource& src, uint32_t factor);

// Whole-run colour operations in place.
void invert(uint32_t* p, size_t n);
void darken(uint32_t* p, size_t n, int32_t amount);
void brighten(uint32_t* p, size_t n, int32_t amount);
void multiply(uint32_t* p, size_t n, int32_t factor);

}  // namespace velmora::rows
