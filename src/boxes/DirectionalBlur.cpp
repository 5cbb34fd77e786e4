// The directional blurs: black leading column (or row), then every pixel mixed
// with the already filtered pixel before it, in increasing order.
#include "boxes/DirectionalBlur.h"

#include "boxes/Kernels.h"
#include "boxes/Transpose4.h"
#include "boxes/Transpose8.h"
#include "core/Cpu.h"
#include "core/FrameGeometry.h"
#include "core/PixelMath.h"
#include "core/WorkerPool.h"

#if VELMORA_X86
#include <immintrin.h>
#endif

namespace velmora {

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;

// The gates (1, then 2) and then the weight (0); false when the output is not
// 512 by 256 or a gate is off.
bool readWeights(const Surface& output, FunctionList functions, BlurWeights& weights) {
    if (!output.isSize(kWidth, kHeight)) return false;
    if (!isOn(*functions[1]) || !isOn(*functions[2])) return false;
    weights = blurWeights(functions[0]->value());
    return true;
}

}  // namespace

BlurWeights blurWeights(float v) {
    const double value = v;
    return {truncToInt(value * 65535.0), truncToInt((1.0 - value) * 65535.0)};
}

namespace {

// The plain filters, pixel by pixel in the written order: the reference for the
// vector paths and the path for processors without vector instructions.
// Rows [firstRow, endRow) and columns [firstColumn, endColumn): a row reads only
// itself, a column only itself, so ranges of them can be filtered side by side.
void xBlurPlain(uint32_t* px, BlurWeights w, int firstRow, int endRow) {
    for (int y = firstRow; y < endRow; ++y) px[y * kWidth] = 0;
    for (int y = firstRow; y < endRow; ++y) {
        uint32_t* row = px + y * kWidth;
        for (int x = 1; x < kWidth; ++x) row[x] = blurMix(row[x - 1], row[x], w);
    }
}

void yBlurPlain(uint32_t* px, BlurWeights w, int firstColumn, int endColumn) {
    for (int x = firstColumn; x < endColumn; ++x) px[x] = 0;
    for (int y = 1; y < kHeight; ++y) {
        const uint32_t* above = px + (y - 1) * kWidth;
        uint32_t* row = px + y * kWidth;
        for (int x = firstColumn; x < endColumn; ++x) row[x] = blurMix(above[x], row[x], w);
    }
}

#if defined(__SSE2__)

// blurMix's channels four lanes at a time with 128-bit integer steps only. A
// lane holds the channel before (p) in its low half and the pixel's own
// channel (c) in its high half, so one multiply-add of 16-bit pairs gives
// p * a + c * b. Each weight w splits as H * 65536 + L with L read as a signed
// 16-bit number (H takes the borrow): then the wrapping sum
// wp * p + wc * c = 65536 * (p * Hp + c * Hc) + (p * Lp + c * Lc), the second
// term exact in 32 bits, and bits 16..31 of the sum are
// (second >> 16) + (first) modulo 65536.
struct Sse2Weights {
    __m128i low, high;
    explicit Sse2Weights(BlurWeights w) {
        const auto lowHalf = [](int32_t v) { return static_cast<uint32_t>(v) & 0xFFFFu; };
        const auto highHalf = [](int32_t v) { return ((static_cast<uint32_t>(v) + 0x8000u) >> 16) & 0xFFFFu; };
        low = _mm_set1_epi32(static_cast<int>(lowHalf(w.wp) | (lowHalf(w.wc) << 16)));
        high = _mm_set1_epi32(static_cast<int>(highHalf(w.wp) | (highHalf(w.wc) << 16)));
    }
};

// p in lanes (0..255), cHigh = c << 16: the mixed channel, limited to 255.
// kWraps false: both weights in 0..65535 and their sum too, so the sum never
// wraps and stays below 255 * 65536, and neither the 16-bit cut nor the limit
// can change it.
template <bool kWraps>
inline __m128i mixPairs(__m128i pc, const Sse2Weights& w) {
    const __m128i s = _mm_add_epi32(_mm_srai_epi32(_mm_madd_epi16(pc, w.low), 16), _mm_madd_epi16(pc, w.high));
    if (!kWraps) return s;
    const __m128i s16 = _mm_and_si128(s, _mm_set1_epi32(0xFFFF));
    return _mm_sub_epi16(s16, _mm_subs_epu16(s16, _mm_set1_epi32(255)));  // unsigned min with 255
}

template <bool kWraps>
inline __m128i mixChannel(__m128i p, __m128i cHigh, const Sse2Weights& w) {
    return mixPairs<kWraps>(_mm_or_si128(p, cHigh), w);
}

bool blurWraps(BlurWeights w) {
    return w.wp < 0 || w.wc < 0 || int64_t{w.wp} + w.wc > 65535;
}

// The channels of c moved to bits 16..23, the place mixChannel takes c from.
inline __m128i redHigh(__m128i c) { return _mm_and_si128(c, _mm_set1_epi32(0xFF0000)); }
inline __m128i greenHigh(__m128i c) { return _mm_and_si128(_mm_slli_epi32(c, 8), _mm_set1_epi32(0xFF0000)); }
inline __m128i blueHigh(__m128i c) { return _mm_and_si128(_mm_slli_epi32(c, 16), _mm_set1_epi32(0xFF0000)); }

inline __m128i packChannels(__m128i r, __m128i g, __m128i b) {
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(r, 16), _mm_slli_epi32(g, 8)), b);
}

// The row filter sixteen rows at once, four groups of four (one row per
// lane), through 4 by 4 tiles turned so that a vector holds one column. The
// four groups give the processor independent work while each row waits on
// its pixel before.
// Rows [firstRow, endRow), whole blocks of sixteen.
template <bool kWraps>
void xBlurSse2(uint32_t* px, BlurWeights w, int firstRow, int endRow) {
    const Sse2Weights weights(w);
#if defined(__wasm_simd128__)
    // The page's engine spills the sixteen tile vectors of four groups, and
    // a row waiting on its pixel before costs less than the spills there: one
    // group is fastest (90 us a frame against 140 for four, 130 for two).
    constexpr int kGroups = 1;
#else
    constexpr int kGroups = 4;
#endif
    for (int y0 = firstRow; y0 < endRow; y0 += 4 * kGroups) {
        __m128i r[kGroups], g[kGroups], b[kGroups];
        for (int k = 0; k < kGroups; ++k) r[k] = g[k] = b[k] = _mm_setzero_si128();
        for (int x0 = 0; x0 < kWidth; x0 += 4) {
            __m128i tile[kGroups][4];
            for (int k = 0; k < kGroups; ++k) {
                for (int j = 0; j < 4; ++j)
                    tile[k][j] =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + (y0 + 4 * k + j) * kWidth + x0));
                transpose4(tile[k]);
            }
            for (int j = 0; j < 4; ++j) {
                for (int k = 0; k < kGroups; ++k) {
                    if (x0 + j == 0) {  // the black leading column
                        tile[k][0] = _mm_setzero_si128();
                        continue;
                    }
                    const __m128i c = tile[k][j];
                    r[k] = mixChannel<kWraps>(r[k], redHigh(c), weights);
                    g[k] = mixChannel<kWraps>(g[k], greenHigh(c), weights);
                    b[k] = mixChannel<kWraps>(b[k], blueHigh(c), weights);
                    tile[k][j] = packChannels(r[k], g[k], b[k]);
                }
            }
            for (int k = 0; k < kGroups; ++k) {
                transpose4(tile[k]);
                for (int j = 0; j < 4; ++j)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(px + (y0 + 4 * k + j) * kWidth + x0), tile[k][j]);
            }
        }
    }
}

// The column filter: a row depends only on the row above, so its pixels go
// four at a time. Interleaving the bytes of the row above and of the row, then
// widening them, gives each pixel's (p, c) pairs in the lanes blue, green,
// red, alpha; the alpha lane has zero weights and comes out black.
// Columns [firstColumn, endColumn), multiples of 8.
template <bool kWraps>
void yBlurSse2(uint32_t* px, BlurWeights w, int firstColumn, int endColumn) {
    Sse2Weights weights(w);
    const __m128i noAlpha = _mm_setr_epi32(-1, -1, -1, 0);
    weights.low = _mm_and_si128(weights.low, noAlpha);
    weights.high = _mm_and_si128(weights.high, noAlpha);
    const __m128i zero = _mm_setzero_si128();
    for (int x = firstColumn; x < endColumn; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + x), zero);
    for (int y = 1; y < kHeight; ++y) {
        const uint32_t* above = px + (y - 1) * kWidth;
        uint32_t* row = px + y * kWidth;
        for (int x = firstColumn; x < endColumn; x += 4) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + x));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
            const __m128i first = _mm_unpacklo_epi8(p, c), second = _mm_unpackhi_epi8(p, c);
            const __m128i m0 = mixPairs<kWraps>(_mm_unpacklo_epi8(first, zero), weights);
            const __m128i m1 = mixPairs<kWraps>(_mm_unpackhi_epi8(first, zero), weights);
            const __m128i m2 = mixPairs<kWraps>(_mm_unpacklo_epi8(second, zero), weights);
            const __m128i m3 = mixPairs<kWraps>(_mm_unpackhi_epi8(second, zero), weights);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x),
                             _mm_packus_epi16(_mm_packs_epi32(m0, m1), _mm_packs_epi32(m2, m3)));
        }
    }
}

#endif

#if VELMORA_X86

// One channel of blurMix in eight lanes: (wp * p + wc * c) wrapping, read as
// unsigned, >> 16, limited to 255. The 32-bit low products are exactly the
// wrapping products.
[[gnu::target("avx2")]] inline __m256i mixChannel(__m256i p, __m256i c, __m256i wp, __m256i wc) {
    const __m256i s = _mm256_add_epi32(_mm256_mullo_epi32(wp, p), _mm256_mullo_epi32(wc, c));
    return _mm256_min_epu32(_mm256_srli_epi32(s, 16), _mm256_set1_epi32(255));
}

[[gnu::target("avx2")]] inline __m256i channel(__m256i v, int shift) {
    return _mm256_and_si256(_mm256_srli_epi32(v, shift), _mm256_set1_epi32(255));
}

[[gnu::target("avx2")]] inline __m256i packChannels(__m256i r, __m256i g, __m256i b) {
    return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(r, 16), _mm256_slli_epi32(g, 8)), b);
}

// The row filter for sixteen rows at once (two groups of eight, one row per
// lane): each row still goes left to right, and the rows do not touch one
// another. Tiles of 8 by 8 pixels are turned so that a vector holds one column.
constexpr int kRowsPerBlock = 16;  // the rows xBlurAvx2 takes side by side

// Rows [firstRow, endRow), whole blocks of kRowsPerBlock.
[[gnu::target("avx2")]] void xBlurAvx2(uint32_t* px, BlurWeights w, int firstRow, int endRow) {
    const __m256i wp = _mm256_set1_epi32(w.wp), wc = _mm256_set1_epi32(w.wc);
    constexpr int kGroups = kRowsPerBlock / 8;
    for (int y0 = firstRow; y0 < endRow; y0 += 8 * kGroups) {
        __m256i r[kGroups], g[kGroups], b[kGroups];  // the filtered pixel before, per row
        for (int k = 0; k < kGroups; ++k) r[k] = g[k] = b[k] = _mm256_setzero_si256();
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            __m256i tile[kGroups][8];
            for (int k = 0; k < kGroups; ++k) {
                for (int j = 0; j < 8; ++j)
                    tile[k][j] = _mm256_loadu_si256(
                        reinterpret_cast<const __m256i*>(px + (y0 + 8 * k + j) * kWidth + x0));
                transpose8(tile[k]);
            }
            for (int j = 0; j < 8; ++j) {
                for (int k = 0; k < kGroups; ++k) {
                    if (x0 + j == 0) {  // the black leading column
                        tile[k][0] = _mm256_setzero_si256();
                        continue;
                    }
                    const __m256i c = tile[k][j];
                    r[k] = mixChannel(r[k], channel(c, 16), wp, wc);
                    g[k] = mixChannel(g[k], channel(c, 8), wp, wc);
                    b[k] = mixChannel(b[k], channel(c, 0), wp, wc);
                    tile[k][j] = packChannels(r[k], g[k], b[k]);
                }
            }
            for (int k = 0; k < kGroups; ++k) {
                transpose8(tile[k]);
                for (int j = 0; j < 8; ++j)
                    _mm256_storeu_si256(reinterpret_cast<__m256i*>(px + (y0 + 8 * k + j) * kWidth + x0),
                                        tile[k][j]);
            }
        }
    }
}

// The column filter eight columns at a time: each row depends only on the row
// above, so the pixels of a row are independent.
// Columns [firstColumn, endColumn), multiples of 8.
[[gnu::target("avx2")]] void yBlurAvx2(uint32_t* px, BlurWeights w, int firstColumn, int endColumn) {
    const __m256i wp = _mm256_set1_epi32(w.wp), wc = _mm256_set1_epi32(w.wc);
    for (int x = firstColumn; x < endColumn; x += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(px + x), _mm256_setzero_si256());
    for (int y = 1; y < kHeight; ++y) {
        const uint32_t* above = px + (y - 1) * kWidth;
        uint32_t* row = px + y * kWidth;
        for (int x = firstColumn; x < endColumn; x += 8) {
            const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(above + x));
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
            const __m256i r = mixChannel(channel(p, 16), channel(c, 16), wp, wc);
            const __m256i g = mixChannel(channel(p, 8), channel(c, 8), wp, wc);
            const __m256i b = mixChannel(channel(p, 0), channel(c, 0), wp, wc);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), packChannels(r, g, b));
        }
    }
}

#endif

}  // namespace

namespace kernels {
void blurRowsPlain(uint32_t* px, BlurWeights w, int first, int end) { xBlurPlain(px, w, first, end); }
void blurColumnsPlain(uint32_t* px, BlurWeights w, int first, int end) { yBlurPlain(px, w, first, end); }
#if defined(__SSE2__)
void blurRowsSse2(uint32_t* px, BlurWeights w, int first, int end) {
    (blurWraps(w) ? xBlurSse2<true> : xBlurSse2<false>)(px, w, first, end);
}
void blurColumnsSse2(uint32_t* px, BlurWeights w, int first, int end) {
    (blurWraps(w) ? yBlurSse2<true> : yBlurSse2<false>)(px, w, first, end);
}
#endif
#if VELMORA_X86
void blurRowsAvx2(uint32_t* px, BlurWeights w, int first, int end) { xBlurAvx2(px, w, first, end); }
void blurColumnsAvx2(uint32_t* px, BlurWeights w, int first, int end) { yBlurAvx2(px, w, first, end); }
#endif
}  // namespace kernels

// Each task takes a band of whole row blocks (columns of the column blur: whole
// vectors of eight), so the vector and the plain filters split alike.
void BoxXBlur::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool* workers) {
    BlurWeights w;
    if (!readWeights(output, functions, w)) return;
    const auto blurRows = boxKernels->blurRows;
    runInParts(workers, kHeight / 16, [&](int firstBlock, int endBlock) {
        blurRows(output.pixels, w, firstBlock * 16, endBlock * 16);
    });
}

void BoxYBlur::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool* workers) {
    BlurWeights w;
    if (!readWeights(output, functions, w)) return;
    const auto blurColumns = boxKernels->blurColumns;
    runInParts(workers, kWidth / 8, [&](int firstVector, int endVector) {
        blurColumns(output.pixels, w, firstVector * 8, endVector * 8);
    });
}

}  // namespace velmora
