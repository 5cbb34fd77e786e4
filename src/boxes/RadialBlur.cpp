// The radial blur sweep. Every pixel takes its colour from pixels already swept
// (toward the centre), so the rays and the quadrant rows run strictly outward.
#include "boxes/RadialBlur.h"

#include <algorithm>

#include "boxes/Kernels.h"
#include "boxes/Transpose4.h"
#include "boxes/Transpose8.h"
#include "core/Cpu.h"
#include "core/FrameGeometry.h"
#include "core/PixelMath.h"
#include "core/WorkerPool.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif
#if VELMORA_X86
#include <immintrin.h>
#endif

namespace velmora {

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;
constexpr int kRaySteps = 511;

// Rays: the inner neighbour keeps 0.996875 (a float), the pixel adds 0.023 of itself.
constexpr float kRayKeep = 0.996875f;
constexpr double kRayOwn = 0.023;
// Quadrants: 0.023 in 16.16.
constexpr uint32_t kQuadrantOwn = 1507;

struct Direction {
    int ex, ey;
};
// Down-right, up-right, up, up-left, left, right, down-left, down.
constexpr Direction kRays[8] = {{1, 1}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}};

// Coordinates are 64-bit so that a centre anywhere in the int32 range cannot overflow.
bool onSurface(int64_t x, int64_t y) { return x >= 0 && x < kWidth && y >= 0 && y < kHeight; }

uint32_t rayMix(uint32_t inner, uint32_t own) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double n = static_cast<double>((inner >> shift) & 0xFFu);
        const double o = static_cast<double>((own >> shift) & 0xFFu);
        const int32_t c = truncToInt(n * static_cast<double>(kRayKeep)) + truncToInt(o * kRayOwn);
        result |= static_cast<uint32_t>(std::min(c, 255)) << shift;
    }
    return result;
}

// a is the diagonal neighbour's 16.16 weight, 0 <= a < 65536.
inline uint32_t quadrantMix(uint32_t d, uint32_t e, uint32_t own, uint32_t a) {
    const uint32_t b = 65536u - a;
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t s = ((own >> shift) & 0xFFu) * kQuadrantOwn +
                           ((((d >> shift) & 0xFFu) * a) & 0xFFFF0000u) +
                           ((((e >> shift) & 0xFFu) * b) & 0xFFFF0000u);
        result |= std::min(s >> 16, 255u) << shift;
    }
    return result;
}

// (near << 16) / far for the octant's shorter and longer distance: below 65536.
inline uint32_t weight(int64_t near, int64_t far) { return static_cast<uint32_t>((near << 16) / far); }

void sweepRays(uint32_t* px, int64_t cx, int64_t cy) {
    for (const Direction& ray : kRays) {
        int64_t ix = cx, iy = cy;  // the inner neighbour of the current step
        for (int k = 1; k <= kRaySteps; ++k) {
            const int64_t x = ix + ray.ex, y = iy + ray.ey;
            if (onSurface(x, y) && onSurface(ix, iy)) {
                uint32_t& pixel = px[y * kWidth + x];
                pixel = rayMix(px[iy * kWidth + ix], pixel);
            }
            ix = x;
            iy = y;
        }
    }
}

// One quadrant: sx, sy = +1 or -1 point away from the centre. Rows and columns are
// clipped so that every pixel computed and both its inner neighbours lie on the
// surface; for a centre on the surface the clipping removes nothing.
void sweepQuadrant(uint32_t* px, int64_t cx, int64_t cy, int sx, int sy) {
    const int64_t firstRow = sy > 0 ? std::max<int64_t>(cy + 1, 1) : std::min<int64_t>(cy - 1, kHeight - 2);
    const int64_t rowCount = sy > 0 ? kHeight - firstRow : firstRow + 1;
    for (int64_t r = 0; r < rowCount; ++r) {
        const int64_t y = firstRow + sy * r;
        const int64_t dy = sy > 0 ? y - cy : cy - y;
        const uint32_t* inner = px + (y - sy) * kWidth;  // the row toward the centre
        uint32_t* row = px + y * kWidth;
        if (sx > 0) {
            const int64_t split = std::min<int64_t>(cx + dy, kWidth);  // the diagonal ray's column
            for (int64_t x = std::max<int64_t>(cx + 1, 1); x < split; ++x) {
                const uint32_t a = weight(x - cx, dy);
                row[x] = quadrantMix(inner[x - 1], inner[x], row[x], a);
            }
            for (int64_t x = std::max<int64_t>(split + 1, 1); x < kWidth; ++x) {
                const uint32_t a = weight(dy, x - cx);
                row[x] = quadrantMix(inner[x - 1], row[x - 1], row[x], a);
            }
        } else {
            const int64_t split = std::max<int64_t>(cx - dy, -1);
            for (int64_t x = std::min<int64_t>(cx - 1, kWidth - 2); x > split; --x) {
                const uint32_t a = weight(cx - x, dy);
                row[x] = quadrantMix(inner[x + 1], inner[x], row[x], a);
            }
            for (int64_t x = std::min<int64_t>(split - 1, kWidth - 2); x >= 0; --x) {
                const uint32_t a = weight(dy, cx - x);
                row[x] = quadrantMix(inner[x + 1], row[x + 1], row[x], a);
            }
        }
    }
}

// Lower right, lower left, upper right, upper left: the written order.
constexpr int kQuadrants[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};

// The plain sweep. Rays first, in order: every quadrant pixel next to a ray
// reads it. A quadrant writes only its own pixels and reads only those and the
// rays, so the four can then run side by side.
void sweep(uint32_t* pixels, int64_t cx, int64_t cy, WorkerPool* workers) {
    sweepRays(pixels, cx, cy);
    runTasks(workers, 4, [&](int q) { sweepQuadrant(pixels, cx, cy, kQuadrants[q][0], kQuadrants[q][1]); });
}

#if defined(__SSE2__)

// --- Vector sweep -----------------------------------------------------------
// Each quadrant pixel reads two inner neighbours that are final before it: in
// the steep octant both lie in the row nearer the centre, in the shallow
// octant both lie in the column nearer the centre. The steep octant therefore
// goes row by row with the pixels of a row side by side in a vector, and the
// shallow octant column by column, in a turned copy of the surface where
// columns are rows. Every pixel still sees exactly the neighbours it would see
// in the written order, so the result is the same.

constexpr int kTurnedStride = kHeight;  // the turned copy: 512 rows of 256

// The pixels of a run [first, first + count) of one row: D at inner[m - out],
// E at inner[m], weight ((|m - centre|) << 16) / far. `out` (+1 or -1) points
// away from the centre along the row.
struct MixRun {
    uint32_t* row;
    const uint32_t* inner;
    int first;
    int count;
    int out;
    int centre;
    int far;
};

// The bodies of the sweep at one width: a run of a row, and a turn.
using MixRunFn = void (*)(const MixRun&);
using TurnFn = void (*)(const uint32_t* from, int fromStride, uint32_t* to, int toStride, int rows,
                        int firstColumn, int endColumn);

#if defined(__wasm_simd128__)
// quadrantMix on four pixels for WebAssembly SIMD, one channel of the four in
// 32-bit lanes at a time. It has no 16-bit high multiply: SSE2's becomes two
// widening multiplies and a shuffle each, several times slower than these
// 32-bit multiplies (each product is below 2^24).
inline __m128i mixFour(__m128i own, __m128i d, __m128i e, __m128i a) {
    const v128_t byteMax = wasm_i32x4_splat(255), ownWeight = wasm_i32x4_splat(static_cast<int32_t>(kQuadrantOwn));
    // b in 16 bits, as the SSE2 lanes hold it.
    const v128_t b = wasm_v128_and(wasm_i32x4_sub(wasm_i32x4_splat(65536), a), wasm_i32x4_splat(0xFFFF));
    v128_t result = wasm_i32x4_splat(0);
    for (int shift = 0; shift <= 16; shift += 8) {
        const auto channel = [&](v128_t p) { return wasm_v128_and(wasm_u32x4_shr(p, shift), byteMax); };
        const v128_t sum = wasm_i32x4_add(
            wasm_i32x4_add(wasm_u32x4_shr(wasm_i32x4_mul(channel(d), a), 16),
                           wasm_u32x4_shr(wasm_i32x4_mul(channel(e), b), 16)),
            wasm_u32x4_shr(wasm_i32x4_mul(channel(own), ownWeight), 16));
        result = wasm_v128_or(result, wasm_i32x4_shl(wasm_u32x4_min(sum, byteMax), shift));
    }
    return result;
}
#else
// quadrantMix on four pixels, the channels in 16-bit lanes as in mixEight.
inline __m128i half4(__m128i o16, __m128i d16, __m128i e16, __m128i a16, __m128i b16) {
    const __m128i ownWeight = _mm_set1_epi16(static_cast<short>(kQuadrantOwn));
    return _mm_add_epi16(_mm_add_epi16(_mm_mulhi_epu16(d16, a16), _mm_mulhi_epu16(e16, b16)),
                         _mm_mulhi_epu16(o16, ownWeight));
}

inline __m128i mixFour(__m128i own, __m128i d, __m128i e, __m128i a) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i b = _mm_sub_epi32(_mm_set1_epi32(65536), a);
    const __m128i aPair = _mm_or_si128(a, _mm_slli_epi32(a, 16));
    const __m128i bPair = _mm_or_si128(b, _mm_slli_epi32(b, 16));
    const __m128i lo = half4(_mm_unpacklo_epi8(own, zero), _mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(e, zero),
                             _mm_unpacklo_epi32(aPair, aPair), _mm_unpacklo_epi32(bPair, bPair));
    const __m128i hi = half4(_mm_unpackhi_epi8(own, zero), _mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(e, zero),
                             _mm_unpackhi_epi32(aPair, aPair), _mm_unpackhi_epi32(bPair, bPair));
    return _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0xFFFFFF));
}
#endif

// (near << 16) / far for one near: see weightsOf below for why the bump and
// the truncation give the quotient.
inline int32_t weightOf(int32_t near, double step) {
    return static_cast<int32_t>(near * step + 1.0 / 1048576.0);
}

// The weights go as quotients and remainders of (near << 16) by far, stepped
// by whole vectors with integer steps only: converting doubles to integers in
// vectors is not one instruction of WebAssembly SIMD. Along a run near moves
// by `out` a pixel (every run lies on one side of the centre).
void mixRunSse2(const MixRun& run) {
    if (run.count <= 0) return;
    const double step = 65536.0 / run.far;
    const int end = run.first + run.count;
    const int32_t firstNear = run.out * (run.first - run.centre);
    alignas(16) int32_t lanes[4], rests[4];
    for (int k = 0; k < 4; ++k) {
        const int32_t near = firstNear + run.out * k;
        lanes[k] = weightOf(near, step);
        rests[k] = (near << 16) - lanes[k] * run.far;  // 0 <= rest < far
    }
    // Four pixels on: (4 << 16) = fourQuotient * far + fourRest, or four back.
    const int32_t fourQuotient = weightOf(4, step), fourRest = (4 << 16) - fourQuotient * run.far;
    const __m128i quotientStep = _mm_set1_epi32(run.out > 0 ? fourQuotient : -fourQuotient - 1);
    const __m128i restStep = _mm_set1_epi32(run.out > 0 ? fourRest : run.far - fourRest);
    const __m128i far = _mm_set1_epi32(run.far), lastRest = _mm_set1_epi32(run.far - 1);
    __m128i weights = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    __m128i rest = _mm_load_si128(reinterpret_cast<const __m128i*>(rests));
    int m = run.first;
    for (; m + 4 <= end; m += 4) {
        const __m128i own = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run.row + m));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run.inner + m - run.out));
        const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run.inner + m));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(run.row + m), mixFour(own, d, e, weights));
        // The rest stays below twice far: one carry at most.
        rest = _mm_add_epi32(rest, restStep);
        const __m128i carry = _mm_cmpgt_epi32(rest, lastRest);
        rest = _mm_sub_epi32(rest, _mm_and_si128(carry, far));
        weights = _mm_sub_epi32(_mm_add_epi32(weights, quotientStep), carry);
    }
    // The last few pixels one by one, with the weights of their lanes.
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), weights);
    for (int k = 0; m < end; ++m, ++k)
        run.row[m] = quadrantMix(run.inner[m - run.out], run.inner[m], run.row[m], static_cast<uint32_t>(lanes[k]));
}

// The 4 by 4 twin of turnAvx2: column strips of four outermost, four tiles
// stacked so that each store run fills 64 bytes of a row of `to`.
void turnSse2(const uint32_t* from, int fromStride, uint32_t* to, int toStride, int rows, int firstColumn,
              int endColumn) {
    for (int x0 = firstColumn; x0 < endColumn; x0 += 4) {
        for (int y0 = 0; y0 < rows; y0 += 16) {
            __m128i tiles[4][4];
            for (int t = 0; t < 4; ++t) {
                for (int j = 0; j < 4; ++j)
                    tiles[t][j] =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + (y0 + 4 * t + j) * fromStride + x0));
                transpose4(tiles[t]);
            }
            for (int j = 0; j < 4; ++j) {
                uint32_t* line = to + (x0 + j) * toStride + y0;
                for (int t = 0; t < 4; ++t)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(line + 4 * t), tiles[t][j]);
            }
        }
    }
}

#endif

#if VELMORA_X86

// (near << 16) / far exactly: near * (65536 / far) in double is within 2^-36
// of the quotient, a quotient that is not whole lies at least 1 / far (> 2^-9)
// from the next whole number, so adding 2^-20 and truncating gives the floor.
[[gnu::target("avx2")]] inline __m256i weightsOf(__m256i near, __m256d step) {
    const __m256d bump = _mm256_set1_pd(1.0 / 1048576.0);
    const __m256d lo = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(near)), step), bump);
    const __m256d hi = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(near, 1)), step), bump);
    return _mm256_set_m128i(_mm256_cvttpd_epi32(hi), _mm256_cvttpd_epi32(lo));
}

// quadrantMix on eight pixels, with the channels in 16-bit lanes: for bytes
// and a weight 1..65535, (c * a) with its low 16 bits cleared, shifted right
// by 16, is the high half of the 16-bit product; the three terms stay below
// 514 and the pack to bytes limits them to 255.
[[gnu::target("avx2")]] inline __m256i half(__m256i o16, __m256i d16, __m256i e16, __m256i a16, __m256i b16) {
    const __m256i ownWeight = _mm256_set1_epi16(static_cast<short>(kQuadrantOwn));
    return _mm256_add_epi16(_mm256_add_epi16(_mm256_mulhi_epu16(d16, a16), _mm256_mulhi_epu16(e16, b16)),
                            _mm256_mulhi_epu16(o16, ownWeight));
}

[[gnu::target("avx2")]] inline __m256i mixEight(__m256i own, __m256i d, __m256i e, __m256i a) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i b = _mm256_sub_epi32(_mm256_set1_epi32(65536), a);
    const __m256i aPair = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
    const __m256i bPair = _mm256_or_si256(b, _mm256_slli_epi32(b, 16));
    const __m256i lo = half(_mm256_unpacklo_epi8(own, zero), _mm256_unpacklo_epi8(d, zero),
                            _mm256_unpacklo_epi8(e, zero), _mm256_unpacklo_epi32(aPair, aPair),
                            _mm256_unpacklo_epi32(bPair, bPair));
    const __m256i hi = half(_mm256_unpackhi_epi8(own, zero), _mm256_unpackhi_epi8(d, zero),
                            _mm256_unpackhi_epi8(e, zero), _mm256_unpackhi_epi32(aPair, aPair),
                            _mm256_unpackhi_epi32(bPair, bPair));
    return _mm256_and_si256(_mm256_packus_epi16(lo, hi), _mm256_set1_epi32(0xFFFFFF));
}

[[gnu::target("avx2")]] void mixRunAvx2(const MixRun& run) {
    const __m256d step = _mm256_set1_pd(65536.0 / run.far);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const int end = run.first + run.count;
    int m = run.first;
    for (; m + 8 <= end; m += 8) {
        const __m256i near = _mm256_abs_epi32(
            _mm256_add_epi32(_mm256_set1_epi32(m - run.centre), lanes));
        const __m256i own = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(run.row + m));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(run.inner + m - run.out));
        const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(run.inner + m));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(run.row + m),
                            mixEight(own, d, e, weightsOf(near, step)));
    }
    if (m < end) {
        // The last few pixels: lanes past the run neither read nor write.
        const __m256i valid = _mm256_cmpgt_epi32(_mm256_set1_epi32(end - m), lanes);
        const __m256i near = _mm256_abs_epi32(
            _mm256_add_epi32(_mm256_set1_epi32(m - run.centre), lanes));
        const __m256i own = _mm256_maskload_epi32(reinterpret_cast<const int*>(run.row + m), valid);
        const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(run.inner + m - run.out), valid);
        const __m256i e = _mm256_maskload_epi32(reinterpret_cast<const int*>(run.inner + m), valid);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(run.row + m), valid,
                               mixEight(own, d, e, weightsOf(near, step)));
    }
}

// One 8 by 8 tile of `from` at (x0, y0) turned about its diagonal: c[j] holds
// column x0 + j.
[[gnu::target("avx2")]] inline void turnTile(const uint32_t* from, int fromStride, int x0, int y0, __m256i c[8]) {
    __m256i v[8];
    for (int j = 0; j < 8; ++j)
        v[j] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + (y0 + j) * fromStride + x0));
    transpose8(v);
    for (int j = 0; j < 8; ++j) c[j] = v[j];
}

// `from` (rows of fromStride) turned about the diagonal into `to` (rows of
// toStride); `rows` (a multiple of 16) and `columns` (of 8) count the pixels of
// `from`. Column strips go outermost and two tiles are stacked, so that every
// store fills 64 bytes of a row of `to` in order and the lines read from `from`
// are reused from the first cache level.
// Only the column strips from firstColumn to endColumn (multiples of 8) are
// turned, so strips can be turned side by side.
[[gnu::target("avx2")]] void turnAvx2(const uint32_t* from, int fromStride, uint32_t* to, int toStride, int rows,
                                      int firstColumn, int endColumn) {
    for (int x0 = firstColumn; x0 < endColumn; x0 += 8) {
        for (int y0 = 0; y0 < rows; y0 += 16) {
            __m256i upper[8], lower[8];
            turnTile(from, fromStride, x0, y0, upper);
            turnTile(from, fromStride, x0, y0 + 8, lower);
            for (int j = 0; j < 8; ++j) {
                uint32_t* line = to + (x0 + j) * toStride + y0;
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(line), upper[j]);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(line + 8), lower[j]);
            }
        }
    }
}

#endif

#if defined(__SSE2__)

// The steep octant of one quadrant (sx, sy = +1 or -1 away from the centre),
// rows outward; the centre lies on the surface.
void steepOctant(uint32_t* px, int cx, int cy, int sx, int sy, MixRunFn mixRun) {
    const int columns = sx > 0 ? kWidth - cx : cx + 1;  // the centre's column included
    const int rows = sy > 0 ? kHeight - cy : cy + 1;
    for (int dy = 2; dy < rows; ++dy) {
        const int count = std::min(dy, columns) - 1;
        const int y = cy + sy * dy;
        MixRun run{px + y * kWidth, px + (y - sy) * kWidth, sx > 0 ? cx + 1 : cx - count, count, sx, cx, dy};
        mixRun(run);
    }
}

// The shallow octant of one quadrant in the turned copy: turned row x holds
// column x, so the run of a column is contiguous and its inner column is the
// turned row before it.
void shallowOctant(uint32_t* turned, int cx, int cy, int sx, int sy, MixRunFn mixRun) {
    const int columns = sx > 0 ? kWidth - cx : cx + 1;
    const int rows = sy > 0 ? kHeight - cy : cy + 1;
    for (int dx = 2; dx < columns; ++dx) {
        const int count = std::min(dx, rows) - 1;
        const int x = cx + sx * dx;
        MixRun run{turned + x * kTurnedStride, turned + (x - sx) * kTurnedStride, sy > 0 ? cy + 1 : cy - count,
                   count, sy, cy, dx};
        mixRun(run);
    }
}

// The octants of different quadrants share no pixel, and the turns go by
// column strips: each step after the rays is split between the tasks.
void sweepVector(uint32_t* px, uint32_t* turned, int cx, int cy, WorkerPool* workers, MixRunFn mixRun, TurnFn turn) {
    sweepRays(px, cx, cy);
    runTasks(workers, 4, [&](int q) { steepOctant(px, cx, cy, kQuadrants[q][0], kQuadrants[q][1], mixRun); });
    runInParts(workers, kWidth / 8, [&](int firstStrip, int endStrip) {
        turn(px, kWidth, turned, kTurnedStride, kHeight, firstStrip * 8, endStrip * 8);
    });
    runTasks(workers, 4, [&](int q) { shallowOctant(turned, cx, cy, kQuadrants[q][0], kQuadrants[q][1], mixRun); });
    runInParts(workers, kHeight / 8, [&](int firstStrip, int endStrip) {
        turn(turned, kTurnedStride, px, kWidth, kWidth, firstStrip * 8, endStrip * 8);
    });
}

#endif

}  // namespace

#if defined(__SSE2__)
void kernels::radialSweepSse2(uint32_t* px, uint32_t* turned, int cx, int cy, WorkerPool* workers) {
    sweepVector(px, turned, cx, cy, workers, mixRunSse2, turnSse2);
}
#endif
#if VELMORA_X86
void kernels::radialSweepAvx2(uint32_t* px, uint32_t* turned, int cx, int cy, WorkerPool* workers) {
    sweepVector(px, turned, cx, cy, workers, mixRunAvx2, turnAvx2);
}
#endif

void BoxRadialBlur::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool* workers) {
    if (!output.isSize(kWidth, kHeight)) return;
    if (!isOn(*functions[2]) || !isOn(*functions[3])) return;
    const int32_t cy = truncToInt(functions[1]->value());
    const int32_t cx = truncToInt(functions[0]->value());
    // The vector sweep covers centres on the surface; the plain one clips the rest.
    if (const auto vectorSweep = boxKernels->radialSweep; vectorSweep && onSurface(cx, cy)) {
        if (turned_.size() != static_cast<size_t>(kWidth) * kHeight) turned_.assign(size_t{kWidth} * kHeight, 0);
        vectorSweep(output.pixels, turned_.data(), cx, cy, workers);
        return;
    }
    sweep(output.pixels, cx, cy, workers);
}

}  // namespace velmora
