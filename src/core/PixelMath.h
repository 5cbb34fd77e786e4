// The arithmetic conventions every effect shares: truncation toward zero,
// 16.16 fixed point with wrapping 32-bit steps, and per-channel saturation.
#pragma once

#include <cmath>
#include <cstdint>

namespace velmora {

// Float-to-integer conversion as the x86 truncating conversion does it:
// toward zero, and 0x80000000 for NaN or anything outside the int32 range.
inline int32_t truncToInt(double v) {
    if (!(v >= -2147483648.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Rounding as the effects use it: truncation of the value plus 0.5.
inline int32_t roundToInt(double v) { return truncToInt(v + 0.5); }

// 32-bit two's-complement arithmetic without undefined behaviour.
inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Integer part of a 16.16 value (arithmetic shift: rounds toward minus infinity).
inline int32_t fixedToInt(int32_t v) { return v >> 16; }

// Per-channel saturating add of two 0x00RRGGBB pixels.
inline uint32_t addSaturate(uint32_t d, uint32_t s) {
    uint32_t r = (d & 0xFF0000u) + (s & 0xFF0000u);
    uint32_t g = (d & 0xFF00u) + (s & 0xFF00u);
    uint32_t b = (d & 0xFFu) + (s & 0xFFu);
    if (r > 0xFF0000u) r = 0xFF0000u;
    if (g > 0xFF00u) g = 0xFF00u;
    if (b > 0xFFu) b = 0xFFu;
    return r | g | b;
}


inline uint32_t packRgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

}  // namespace velmora
