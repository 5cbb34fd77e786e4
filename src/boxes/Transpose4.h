// The 4 by 4 transpose of 32-bit lanes: the 128-bit twin of transpose8, for
// the effects that turn tiles of pixels between rows and columns.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

namespace velmora {

// Rows of four pixels in v[0..3] become columns: v[k] lane r = old v[r] lane k.
inline void transpose4(__m128i v[4]) {
    const __m128i a0 = _mm_unpacklo_epi32(v[0], v[1]), a1 = _mm_unpackhi_epi32(v[0], v[1]);
    const __m128i a2 = _mm_unpacklo_epi32(v[2], v[3]), a3 = _mm_unpackhi_epi32(v[2], v[3]);
    v[0] = _mm_unpacklo_epi64(a0, a2);
    v[1] = _mm_unpackhi_epi64(a0, a2);
    v[2] = _mm_unpacklo_epi64(a1, a3);
    v[3] = _mm_unpackhi_epi64(a1, a3);
}

}  // namespace velmora
#endif
