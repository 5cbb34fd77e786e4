// The directional blurs: black leading column (or row), then every pixel mixed
// with the already filtered pixel before it, in increasing order.
#include "boxes/DirectionalBlur.h"

#include "boxes/Kernels.h"
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
// vector paths and the path for processors without AVX2.
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
#if VELMORA_X86
void blurRowsAvx2(uint32_t* px, BlurWeights w, int first, int end) { xBlurAvx2(px, w, first, end); }
void blurColumnsAvx2(uint32_t* px, BlurWeights w, int first, int end) { yBlurAvx2(px, w, first, end); }
#endif
}  // namespace kernels

// Each task takes a band of whole row blocks (columns of the column blur: whole
// vectors of eight), so the vector and the plain filters split alike.
void BoxXBlur::render(Surface& output, FunctionList functions, SurfaceList) {
    BlurWeights w;
    if (!readWeights(output, functions, w)) return;
    const auto blurRows = boxKernels->blurRows;
    runInParts(workers, kHeight / 16, [&](int firstBlock, int endBlock) {
        blurRows(output.pixels, w, firstBlock * 16, endBlock * 16);
    });
}

void BoxYBlur::render(Surface& output, FunctionList functions, SurfaceList) {
    BlurWeights w;
    if (!readWeights(output, functions, w)) return;
    const auto blurColumns = boxKernels->blurColumns;
    runInParts(workers, kWidth / 8, [&](int firstVector, int endVector) {
        blurColumns(output.pixels, w, firstVector * 8, endVector * 8);
    });
}

}  // namespace velmora
