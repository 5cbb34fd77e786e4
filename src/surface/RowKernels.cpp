// Row kernels: the per-pixel rules, and SSE2 bodies that give the same bits
// four pixels at a time for the values the show uses (factors and amounts
// 0..255). The per-pixel rules finish each run and handle everything else.
#include "surface/RowKernels.h"

#include <algorithm>

#include "core/PixelMath.h"
#include "core/Cpu.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if VELMORA_X86
#include <immintrin.h>
#endif

namespace velmora::rows {

namespace {

constexpr uint32_t kRed = 0xFF0000u;
constexpr uint32_t kGreen = 0xFF00u;
constexpr uint32_t kBlue = 0xFFu;
constexpr uint32_t kColour = 0xFFFFFFu;

bool isByte(int64_t v) { return v >= 0 && v <= 255; }

#if defined(__SSE2__)

inline __m128i load(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i colourMask() { return _mm_set1_epi32(static_cast<int>(kColour)); }

// Lanes where s is 0 (all ones) or not (all zeros).
inline __m128i isZero(__m128i s) { return _mm_cmpeq_epi32(s, _mm_setzero_si128()); }
// Lanes where s is above 0 as a signed value.
inline __m128i isPositive(__m128i s) { return _mm_cmpgt_epi32(s, _mm_setzero_si128()); }

inline __m128i select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Each byte times its lane's factor, shifted right by 8; the top byte's factor
// is 0. Widening each byte to byte * 256 makes the high half of the 16-bit
// product exactly (byte * factor) >> 8.
inline __m128i scaleBytes(__m128i v, __m128i factors) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, v), factors);
    const __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, v), factors);
    return _mm_packus_epi16(lo, hi);
}

inline __m128i channelFactors(uint32_t f) {
    const auto w = static_cast<short>(f);
    return _mm_set_epi16(0, w, w, w, 0, w, w, w);
}

// An operation on each pixel of a run in place, four at a time; returns how
// many were done. Sixteen pixels a step: the frame fits in the second-level
// cache, so with one vector a step the loop's own bookkeeping, not memory,
// sets the pace.
template <typename Op>
size_t mapRunSse2(uint32_t* p, size_t n, const Op& op) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v0 = load(p + i), v1 = load(p + i + 4), v2 = load(p + i + 8), v3 = load(p + i + 12);
        store(p + i, op(v0));
        store(p + i + 4, op(v1));
        store(p + i + 8, op(v2));
        store(p + i + 12, op(v3));
    }
    for (; i + 4 <= n; i += 4) store(p + i, op(load(p + i)));
    return i;
}

#endif

// --- Rules ----------------------------------------------------------------
// `one` applies a rule to one pixel; `four` gives the same bits for four
// pixels at once.

// Scaled: per channel (c * f) >> 8 with unsigned 32-bit products; blue is not
// masked, which matters only for factors above 255.
inline uint32_t scalePixel(uint32_t s, uint32_t f) {
    const uint32_t r = (((s & kRed) * f) >> 8) & kRed;
    const uint32_t g = (((s & kGreen) * f) >> 8) & kGreen;
    const uint32_t b = ((s & kBlue) * f) >> 8;
    return r + g + b;
}

inline uint32_t addScaledPixel(uint32_t d, uint32_t s, uint32_t f) {
    const uint32_t r = std::min((d & kRed) + ((((s & kRed) * f) >> 8) & kRed), kRed);
    const uint32_t g = std::min((d & kGreen) + ((((s & kGreen) * f) >> 8) & kGreen), kGreen);
    const uint32_t b = std::min((d & kBlue) + (((s & kBlue) * f) >> 8), kBlue);
    return r + g + b;
}

struct PutNonZero {
    uint32_t one(uint32_t d, uint32_t s) const { return s != 0 ? s : d; }
#if defined(__SSE2__)
    __m128i four(__m128i d, __m128i s) const { return select(isZero(s), d, s); }
#endif
};

struct PutPositive {
    uint32_t one(uint32_t d, uint32_t s) const { return static_cast<int32_t>(s) > 0 ? s : d; }
#if defined(__SSE2__)
    __m128i four(__m128i d, __m128i s) const { return select(isPositive(s), s, d); }
#endif
};

struct AddNonZero {
    uint32_t one(uint32_t d, uint32_t s) const {
        const uint32_t sum = addSaturate(d, s);
        return s != 0 ? sum : d;
    }
#if defined(__SSE2__)
    // Saturating byte add. A drawn pixel loses its top byte; a transparent one
    // (s == 0, so the sum is d) keeps it.
    __m128i four(__m128i d, __m128i s) const {
        return _mm_and_si128(_mm_adds_epu8(d, s), _mm_or_si128(isZero(s), colourMask()));
    }
#endif
};

struct AddPositive {
    uint32_t one(uint32_t d, uint32_t s) const {
        const uint32_t sum = addSaturate(d, s);
        return static_cast<int32_t>(s) > 0 ? sum : d;
    }
#if defined(__SSE2__)
    __m128i four(__m128i d, __m128i s) const {
        const __m128i drawn = isPositive(s);
        const __m128i sum = _mm_adds_epu8(d, _mm_and_si128(s, drawn));  // d where not drawn
        return _mm_and_si128(sum,
                             _mm_or_si128(_mm_xor_si128(drawn, _mm_set1_epi32(-1)), colourMask()));
    }
#endif
};

struct Scaled {
    uint32_t factor;
    uint32_t one(uint32_t d, uint32_t s) const {
        const uint32_t v = scalePixel(s, factor);
        return s != 0 ? v : d;
    }
#if defined(__SSE2__)
    __m128i factors = channelFactors(factor);  // valid when factor is 0..255
    __m128i four(__m128i d, __m128i s) const {
        return select(isZero(s), d, scaleBytes(s, factors));
    }
#endif
};

struct AddScaled {
    uint32_t factor;
    uint32_t one(uint32_t d, uint32_t s) const {
        const uint32_t v = addScaledPixel(d, s, factor);
        return s != 0 ? v : d;
    }
#if defined(__SSE2__)
    __m128i factors = channelFactors(factor);
    // The scaled source has a zero top byte, and is 0 where s is 0.
    __m128i four(__m128i d, __m128i s) const {
        const __m128i sum = _mm_adds_epu8(d, scaleBytes(s, factors));
        return _mm_and_si128(sum, _mm_or_si128(isZero(s), colourMask()));
    }
#endif
};


#if VELMORA_X86

// --- AVX2 rules -------------------------------------------------------------
// The same bits as the four-pixel bodies, eight pixels at a time.

[[gnu::target("avx2")]] inline __m256i load8(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
[[gnu::target("avx2")]] inline void store8(uint32_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
[[gnu::target("avx2")]] inline __m256i zero8(__m256i s) {
    return _mm256_cmpeq_epi32(s, _mm256_setzero_si256());
}
[[gnu::target("avx2")]] inline __m256i colour8() { return _mm256_set1_epi32(static_cast<int>(kColour)); }

[[gnu::target("avx2")]] inline __m256i scaleBytes8(__m256i v, __m256i factors) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, v), factors);
    const __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, v), factors);
    return _mm256_packus_epi16(lo, hi);
}

[[gnu::target("avx2")]] inline __m256i channelFactors8(uint32_t f) {
    const auto w = static_cast<short>(f);
    return _mm256_setr_epi16(w, w, w, 0, w, w, w, 0, w, w, w, 0, w, w, w, 0);
}

struct PutNonZero8 {
    [[gnu::target("avx2")]] __m256i eight(__m256i d, __m256i s) const {
        return _mm256_blendv_epi8(s, d, zero8(s));
    }
};

struct PutPositive8 {
    [[gnu::target("avx2")]] __m256i eight(__m256i d, __m256i s) const {
        return _mm256_blendv_epi8(d, s, _mm256_cmpgt_epi32(s, _mm256_setzero_si256()));
    }
};

struct AddNonZero8 {
    [[gnu::target("avx2")]] __m256i eight(__m256i d, __m256i s) const {
        return _mm256_and_si256(_mm256_adds_epu8(d, s), _mm256_or_si256(zero8(s), colour8()));
    }
};

struct AddPositive8 {
    [[gnu::target("avx2")]] __m256i eight(__m256i d, __m256i s) const {
        const __m256i drawn = _mm256_cmpgt_epi32(s, _mm256_setzero_si256());
        const __m256i sum = _mm256_adds_epu8(d, _mm256_and_si256(s, drawn));
        return _mm256_and_si256(sum, _mm256_or_si256(_mm256_xor_si256(drawn, _mm256_set1_epi32(-1)), colour8()));
    }
};

struct Scaled8 {
    uint32_t factor;  // 0..255
    [[gnu::target("avx2")]] __m256i eight(__m256i d, __m256i s) const {
        return _mm256_blendv_epi8(scaleBytes8(s, channelFactors8(factor)), d, zero8(s));
    }
};

struct AddScaled8 {
    uint32_t factor;  // 0..255
    [[gnu::target("avx2")]] __m256i eight(__m256i d, __m256i s) const {
        const __m256i sum = _mm256_adds_epu8(d, scaleBytes8(s, channelFactors8(factor)));
        return _mm256_and_si256(sum, _mm256_or_si256(zero8(s), colour8()));
    }
};

// The leading pixels of a run, eight at a time; returns how many were done.
template <typename Rule8, typename Rule>
[[gnu::target("avx2")]] size_t drawRunAvx2(uint32_t* out, const uint32_t* in, size_t n, const Rule8& rule8,
                                           const Rule& rule) {
    size_t i = 0;
    // Runs start 32-byte aligned where they can: a load or store that
    // straddles two cache lines costs about twice as much.
    const size_t misaligned = (reinterpret_cast<uintptr_t>(out) & 31) / sizeof(uint32_t);
    if (misaligned != 0 && n >= 8) {
        for (const size_t head = 8 - misaligned; i < head; ++i) out[i] = rule.one(out[i], in[i]);
    }
    for (; i + 32 <= n; i += 32) {
        const __m256i s0 = load8(in + i), s1 = load8(in + i + 8);
        const __m256i s2 = load8(in + i + 16), s3 = load8(in + i + 24);
        const __m256i d0 = load8(out + i), d1 = load8(out + i + 8);
        const __m256i d2 = load8(out + i + 16), d3 = load8(out + i + 24);
        store8(out + i, rule8.eight(d0, s0));
        store8(out + i + 8, rule8.eight(d1, s1));
        store8(out + i + 16, rule8.eight(d2, s2));
        store8(out + i + 24, rule8.eight(d3, s3));
    }
    for (; i + 8 <= n; i += 8) store8(out + i, rule8.eight(load8(out + i), load8(in + i)));
    return i;
}

// The leading pixels of a stretched run; `sx` is advanced past them. Eight
// columns are read with one gather when all lie in the source; otherwise the
// eight go through the per-pixel rule.
template <typename Rule8, typename Rule>
[[gnu::target("avx2")]] size_t stretchRunAvx2(uint32_t* out, size_t n, const StretchSource& src, uint32_t& sx,
                                              const Rule8& rule8, const Rule& rule) {
    const __m256i advances = _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 8);
    const __m256i step = _mm256_set1_epi32(static_cast<int>(src.step));
    const __m256i width = _mm256_set1_epi32(static_cast<int>(src.width));
    const __m256i below = _mm256_set1_epi32(-1);
    const int* in = reinterpret_cast<const int*>(src.in);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i position = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(sx)),
                                                  _mm256_mullo_epi32(advances, step));
        const __m256i column = _mm256_srai_epi32(position, 16);
        const __m256i inside = _mm256_and_si256(_mm256_cmpgt_epi32(width, column), _mm256_cmpgt_epi32(column, below));
        if (_mm256_movemask_epi8(inside) == -1) {
            store8(out + i, rule8.eight(load8(out + i), _mm256_i32gather_epi32(in, column, 4)));
            sx += 8 * src.step;
        } else {
            for (size_t k = 0; k < 8; ++k) {
                sx += src.step;
                const uint32_t c = static_cast<uint32_t>(fixedToInt(static_cast<int32_t>(sx)));
                if (c < src.width) out[i + k] = rule.one(out[i + k], src.in[c]);
            }
        }
    }
    return i;
}

[[gnu::target("avx2")]] size_t invertAvx2(uint32_t* p, size_t n) {
    const __m256i colour = colour8();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) store8(p + i, _mm256_sub_epi32(colour, load8(p + i)));
    return i;
}

[[gnu::target("avx2")]] size_t darkenAvx2(uint32_t* p, size_t n, uint32_t a) {
    // Saturating byte subtract; 255 from the top byte clears it.
    const __m256i sub = _mm256_set1_epi32(static_cast<int>(0xFF000000u | (a * 0x010101u)));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) store8(p + i, _mm256_subs_epu8(load8(p + i), sub));
    return i;
}

[[gnu::target("avx2")]] size_t brightenAvx2(uint32_t* p, size_t n, uint32_t a) {
    const __m256i add = _mm256_set1_epi32(static_cast<int>(a * 0x010101u));
    const __m256i colour = colour8();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) store8(p + i, _mm256_and_si256(_mm256_adds_epu8(load8(p + i), add), colour));
    return i;
}

[[gnu::target("avx2")]] size_t multiplyAvx2(uint32_t* p, size_t n, uint32_t f) {
    const __m256i factors = channelFactors8(f);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) store8(p + i, scaleBytes8(load8(p + i), factors));
    return i;
}

#else

struct PutNonZero8 {};
struct PutPositive8 {};
struct AddNonZero8 {};
struct AddPositive8 {};
struct Scaled8 {
    uint32_t factor;
};
struct AddScaled8 {
    uint32_t factor;
};

#endif

// --- Runs -----------------------------------------------------------------

// How many pixels the widest body of a kernel set takes at a time: 1 (the
// per-pixel rules alone), 4 (SSE2) or 8 (AVX2, then SSE2 for the rest).
// Each wider body runs only where it gives the same bits (`vectorOk`, and no
// source pixel read after the run overwrote it); the per-pixel rules finish.
template <int kWidest, typename Rule, typename Rule8>
void drawRun(uint32_t* out, const uint32_t* in, size_t n, const Rule& rule, const Rule8& rule8,
             bool vectorOk) {
    size_t i = 0;
    const bool vector = vectorOk && !readsBehindWrites(out, in, n);
#if VELMORA_X86
    if constexpr (kWidest >= 8)
        if (vector) i = drawRunAvx2(out, in, n, rule8, rule);
#endif
    (void)rule8;
#if defined(__SSE2__)
    if constexpr (kWidest >= 4) {
        if (vector) {
            // Four blocks per step: with fewer, the loop's own bookkeeping costs
            // about as much as the work.
            for (; i + 16 <= n; i += 16) {
                const __m128i s0 = load(in + i);
                const __m128i s1 = load(in + i + 4);
                const __m128i s2 = load(in + i + 8);
                const __m128i s3 = load(in + i + 12);
                const __m128i d0 = load(out + i);
                const __m128i d1 = load(out + i + 4);
                const __m128i d2 = load(out + i + 8);
                const __m128i d3 = load(out + i + 12);
                store(out + i, rule.four(d0, s0));
                store(out + i + 4, rule.four(d1, s1));
                store(out + i + 8, rule.four(d2, s2));
                store(out + i + 12, rule.four(d3, s3));
            }
            for (; i + 4 <= n; i += 4) store(out + i, rule.four(load(out + i), load(in + i)));
        }
    }
#endif
    (void)vector;
    for (; i < n; ++i) out[i] = rule.one(out[i], in[i]);
}

template <int kWidest, typename Rule, typename Rule8>
void stretchRun(uint32_t* out, size_t n, const StretchSource& src, const Rule& rule, const Rule8& rule8) {
    const uint32_t* in = src.in;
    const uint32_t width = src.width;
    const uint32_t step = src.step;
    uint32_t sx = src.sx;
    auto column = [](uint32_t position) {
        return static_cast<uint32_t>(fixedToInt(static_cast<int32_t>(position)));
    };
    size_t i = 0;
#if VELMORA_X86
    if constexpr (kWidest >= 8)
        if (!src.ordered) i = stretchRunAvx2(out, n, src, sx, rule8, rule);
#endif
    (void)rule8;
#if defined(__SSE2__)
    if constexpr (kWidest >= 4) {
        if (!src.ordered) {
            for (; i + 4 <= n; i += 4) {
                const uint32_t c0 = column(sx += step);
                const uint32_t c1 = column(sx += step);
                const uint32_t c2 = column(sx += step);
                const uint32_t c3 = column(sx += step);
                if ((c0 < width) & (c1 < width) & (c2 < width) & (c3 < width)) {
                    const __m128i s = _mm_set_epi32(static_cast<int>(in[c3]), static_cast<int>(in[c2]),
                                                    static_cast<int>(in[c1]), static_cast<int>(in[c0]));
                    store(out + i, rule.four(load(out + i), s));
                } else {
                    const uint32_t c[4] = {c0, c1, c2, c3};
                    for (size_t k = 0; k < 4; ++k)
                        if (c[k] < width) out[i + k] = rule.one(out[i + k], in[c[k]]);
                }
            }
        }
    }
#endif
    for (; i < n; ++i) {
        const uint32_t c = column(sx += step);
        if (c < width) out[i] = rule.one(out[i], in[c]);
    }
}

// --- Unscaled drawing ---------------------------------------------------------

template <int kWidest>
void put(uint32_t* out, const uint32_t* in, size_t n, uint32_t) {
    drawRun<kWidest>(out, in, n, PutNonZero{}, PutNonZero8{}, true);
}
template <int kWidest>
void add(uint32_t* out, const uint32_t* in, size_t n, uint32_t) {
    drawRun<kWidest>(out, in, n, AddNonZero{}, AddNonZero8{}, true);
}
template <int kWidest>
void scaled(uint32_t* out, const uint32_t* in, size_t n, uint32_t factor) {
    drawRun<kWidest>(out, in, n, Scaled{factor}, Scaled8{factor}, isByte(factor));
}
template <int kWidest>
void addScaled(uint32_t* out, const uint32_t* in, size_t n, uint32_t factor) {
    drawRun<kWidest>(out, in, n, AddScaled{factor}, AddScaled8{factor}, isByte(factor));
}

// --- Stretched drawing ------------------------------------------------------------

template <int kWidest>
void stretchPut(uint32_t* out, size_t n, const StretchSource& src, uint32_t) {
    stretchRun<kWidest>(out, n, src, PutPositive{}, PutPositive8{});
}
template <int kWidest>
void stretchAdd(uint32_t* out, size_t n, const StretchSource& src, uint32_t) {
    stretchRun<kWidest>(out, n, src, AddPositive{}, AddPositive8{});
}
template <int kWidest>
void stretchScaled(uint32_t* out, size_t n, const StretchSource& src, uint32_t factor) {
    stretchRun<kWidest>(out, n, src, Scaled{factor & 0xFFu}, Scaled8{factor & 0xFFu});
}
template <int kWidest>
void stretchAddScaled(uint32_t* out, size_t n, const StretchSource& src, uint32_t factor) {
    stretchRun<kWidest>(out, n, src, AddScaled{factor & 0xFFu}, AddScaled8{factor & 0xFFu});
}

// --- Colour operations --------------------------------------------------------
// Channel arithmetic is signed 32-bit on the masked channel, wrapping, so that
// amounts outside 0..255 behave as fixed-width code would, without overflow.

template <int kWidest>
void invert(uint32_t* p, size_t n) {
    size_t i = 0;
#if VELMORA_X86
    if constexpr (kWidest >= 8) i = invertAvx2(p, n);
#endif
#if defined(__SSE2__)
    if constexpr (kWidest >= 4) {
        const __m128i colour = colourMask();
        i += mapRunSse2(p + i, n - i, [colour](__m128i v) { return _mm_sub_epi32(colour, v); });
    }
#endif
    for (; i < n; ++i) p[i] = kColour - p[i];
}

template <int kWidest>
void darken(uint32_t* p, size_t n, int32_t amount) {
    const uint32_t a = static_cast<uint32_t>(amount);
    size_t i = 0;
#if VELMORA_X86
    if constexpr (kWidest >= 8)
        if (isByte(amount)) i = darkenAvx2(p, n, a);
#endif
#if defined(__SSE2__)
    if constexpr (kWidest >= 4) {
        if (isByte(amount)) {
            // Saturating byte subtract; 255 from the top byte clears it.
            const __m128i sub = _mm_set1_epi32(static_cast<int>(0xFF000000u | (a * 0x010101u)));
            i += mapRunSse2(p + i, n - i, [sub](__m128i v) { return _mm_subs_epu8(v, sub); });
        }
    }
#endif
    for (; i < n; ++i) {
        const uint32_t v = p[i];
        const int32_t r = std::max(static_cast<int32_t>((v & kRed) - (a << 16)), 0);
        const int32_t g = std::max(static_cast<int32_t>((v & kGreen) - (a << 8)), 0);
        const int32_t b = std::max(static_cast<int32_t>((v & kBlue) - a), 0);
        p[i] = static_cast<uint32_t>(r) + static_cast<uint32_t>(g) + static_cast<uint32_t>(b);
    }
}

template <int kWidest>
void brighten(uint32_t* p, size_t n, int32_t amount) {
    const uint32_t a = static_cast<uint32_t>(amount);
    size_t i = 0;
#if VELMORA_X86
    if constexpr (kWidest >= 8)
        if (isByte(amount)) i = brightenAvx2(p, n, a);
#endif
#if defined(__SSE2__)
    if constexpr (kWidest >= 4) {
        if (isByte(amount)) {
            const __m128i add = _mm_set1_epi32(static_cast<int>(a * 0x010101u));
            const __m128i colour = colourMask();
            i += mapRunSse2(p + i, n - i,
                            [add, colour](__m128i v) { return _mm_and_si128(_mm_adds_epu8(v, add), colour); });
        }
    }
#endif
    for (; i < n; ++i) {
        const uint32_t v = p[i];
        const int32_t r = std::min(static_cast<int32_t>((v & kRed) + (a << 16)), int32_t{0xFF0000});
        const int32_t g = std::min(static_cast<int32_t>((v & kGreen) + (a << 8)), int32_t{0xFF00});
        const int32_t b = std::min(static_cast<int32_t>((v & kBlue) + a), int32_t{0xFF});
        p[i] = static_cast<uint32_t>(r) + static_cast<uint32_t>(g) + static_cast<uint32_t>(b);
    }
}

template <int kWidest>
void multiply(uint32_t* p, size_t n, int32_t factor) {
    const uint32_t f = static_cast<uint32_t>(factor);
    size_t i = 0;
#if VELMORA_X86
    if constexpr (kWidest >= 8)
        if (isByte(factor)) i = multiplyAvx2(p, n, f);
#endif
#if defined(__SSE2__)
    if constexpr (kWidest >= 4) {
        if (isByte(factor)) {
            // With factors up to 255 no channel exceeds 254: the clamp never acts.
            const __m128i factors = channelFactors(f);
            i += mapRunSse2(p + i, n - i, [factors](__m128i v) { return scaleBytes(v, factors); });
        }
    }
#endif
    auto channel = [f](uint32_t c) {
        return static_cast<uint32_t>(std::clamp(static_cast<int32_t>(c * f) >> 8, 0, 255));
    };
    for (; i < n; ++i) {
        const uint32_t v = p[i];
        p[i] = packRgb(channel((v >> 16) & 0xFFu), channel((v >> 8) & 0xFFu), channel(v & 0xFFu));
    }
}

// The set whose widest bodies take kWidest pixels, in Blend order.
template <int kWidest>
constexpr Kernels kernelsOf() {
    return Kernels{
        {put<kWidest>, add<kWidest>, scaled<kWidest>, addScaled<kWidest>},
        {stretchPut<kWidest>, stretchAdd<kWidest>, stretchScaled<kWidest>, stretchAddScaled<kWidest>},
        invert<kWidest>,
        darken<kWidest>,
        brighten<kWidest>,
        multiply<kWidest>,
    };
}

static_assert(static_cast<int>(Blend::Put) == 0 && static_cast<int>(Blend::Add) == 1 &&
              static_cast<int>(Blend::Scaled) == 2 && static_cast<int>(Blend::AddScaled) == 3);

}  // namespace

const Kernels kPlainKernels = kernelsOf<1>();
const Kernels kSse2Kernels = kernelsOf<4>();
const Kernels kAvx2Kernels = kernelsOf<8>();

#if defined(__SSE2__)
const Kernels* active = &kSse2Kernels;
#else
const Kernels* active = &kPlainKernels;
#endif

}  // namespace velmora::rows
