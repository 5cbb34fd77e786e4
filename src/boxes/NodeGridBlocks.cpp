// Block drawing of the node grid with AVX2 (SSE2, and WebAssembly SIMD in the
// page, four pixels at a time): one block row of eight pixels is
// one vector; the interpolation, the source lookup and the light are per lane.
#include "boxes/NodeGridBlocks.h"

#include "boxes/Kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "boxes/WasmGather.h"
#if VELMORA_X86
#include <immintrin.h>
#endif

namespace velmora {

namespace {

// (The page runs drawWasm below instead.)
#if defined(__SSE2__) && !defined(__wasm_simd128__)

// addNodeLight on eight pixels (two vectors). Red and green take a saturating
// byte add of bits 8..15 of l, which is their add limited to 255. Blue adds
// l >> 8 as a 32-bit number and any sum outside 0..255 becomes 255: the sums
// narrowed to 16 bits with signed saturation stay outside 0..255 if they were,
// and read as unsigned 16-bit numbers the negative ones lie above 255, so an
// unsigned minimum with 255 limits them all.
inline void addLightSse2(__m128i& src0, __m128i& src1, __m128i l0, __m128i l1) {
    const auto redGreen = [](__m128i src, __m128i l) {
        const __m128i d = _mm_and_si128(l, _mm_set1_epi32(0xFF00));
        return _mm_and_si128(_mm_adds_epu8(src, _mm_or_si128(d, _mm_slli_epi32(d, 8))), _mm_set1_epi32(0xFFFF00));
    };
    const __m128i byteMax = _mm_set1_epi32(255);
    const __m128i blue = _mm_packs_epi32(_mm_add_epi32(_mm_and_si128(src0, byteMax), _mm_srai_epi32(l0, 8)),
                                         _mm_add_epi32(_mm_and_si128(src1, byteMax), _mm_srai_epi32(l1, 8)));
    const __m128i limited = _mm_sub_epi16(blue, _mm_subs_epu16(blue, _mm_set1_epi16(255)));
    src0 = _mm_or_si128(redGreen(src0, l0), _mm_unpacklo_epi16(limited, _mm_setzero_si128()));
    src1 = _mm_or_si128(redGreen(src1, l1), _mm_unpackhi_epi16(limited, _mm_setzero_si128()));
}

// Lanes start, start + step, start + 2 step, start + 3 step, wrapping as the
// plain running sum does.
inline __m128i ramp4(int32_t start, int32_t step) {
    const uint32_t s = static_cast<uint32_t>(start), d = static_cast<uint32_t>(step);
    return _mm_setr_epi32(static_cast<int>(s), static_cast<int>(s + d), static_cast<int>(s + 2 * d),
                          static_cast<int>(s + 3 * d));
}

// The source pixels of four indices: SSE2 has no gather, so lane by lane.
inline __m128i fetch4(const uint32_t* pixels, __m128i index) {
    alignas(16) uint32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
    return _mm_setr_epi32(static_cast<int>(pixels[at[0]]), static_cast<int>(pixels[at[1]]),
                          static_cast<int>(pixels[at[2]]), static_cast<int>(pixels[at[3]]));
}

void drawSse2(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow, int endBlockRow) {
    const __m128i columnShift = _mm_cvtsi32_si128(source.columnShift);
    const __m128i columnMask = _mm_set1_epi32(static_cast<int>(source.columnMask));
    const __m128i rowMask = _mm_set1_epi32(static_cast<int>(source.rowMask));
    const __m128i rowShift = _mm_cvtsi32_si128(source.rowShift);
    const auto indexOf = [&](__m128i u, __m128i v) {
        const __m128i column = _mm_and_si128(_mm_srl_epi32(u, columnShift), columnMask);
        const __m128i sourceRow = _mm_and_si128(_mm_srli_epi32(v, 16), rowMask);
        return _mm_add_epi32(_mm_sll_epi32(sourceRow, rowShift), column);
    };
    for (int bi = firstBlockRow; bi < endBlockRow; ++bi) {
        for (int bj = 0; bj < 64; ++bj) {
            BlockEdges e(grid, bj, bi);
            uint32_t* row = out + (bi * 8) * kFrameWidth + bj * 8;
            for (int y = 0; y < 8; ++y, row += kFrameWidth, e.nextRow()) {
                const int32_t uStep = wrapSub(e.uR, e.uL) >> 3;
                const int32_t vStep = wrapSub(e.vR, e.vL) >> 3;
                const int32_t lStep = wrapSub(e.lR, e.lL) >> 3;
                const __m128i u0 = ramp4(e.uL, uStep), v0 = ramp4(e.vL, vStep), l0 = ramp4(e.lL, lStep);
                const __m128i u1 = _mm_add_epi32(u0, _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(uStep) * 4)));
                const __m128i v1 = _mm_add_epi32(v0, _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(vStep) * 4)));
                const __m128i l1 = _mm_add_epi32(l0, _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(lStep) * 4)));
                __m128i src0 = fetch4(source.pixels, indexOf(u0, v0));
                __m128i src1 = fetch4(source.pixels, indexOf(u1, v1));
                addLightSse2(src0, src1, l0, l1);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(row), src0);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 4), src1);
            }
        }
    }
}

#endif

#if defined(__wasm_simd128__)

// The node grid's blocks for WebAssembly SIMD, four rows of a block in the
// lanes: the rows' edges and steps come from the block's corners in a few
// vector operations (row y's edge is the top one plus y times its step, as
// the running sums of the plain loop wrap), each column of four pixels steps
// from the last by one add, and a 4 by 4 turn puts the columns back into
// rows. This needs fewer operations than lanes along a row, which set up
// three ramps a row; the source pixels are still read lane by lane, each
// straight into its lane from an address formed in the vector.
inline v128_t addLightWasm(v128_t src, v128_t l) {
    const v128_t d = wasm_v128_and(l, wasm_i32x4_splat(0xFF00));
    const v128_t redGreen =
        wasm_v128_and(wasm_u8x16_add_sat(src, wasm_v128_or(d, wasm_i32x4_shl(d, 8))), wasm_i32x4_splat(0xFFFF00));
    const v128_t byteMax = wasm_i32x4_splat(255);
    const v128_t blue =
        wasm_u32x4_min(wasm_i32x4_add(wasm_v128_and(src, byteMax), wasm_i32x4_shr(l, 8)), byteMax);
    return wasm_v128_or(redGreen, blue);
}

// Columns of four pixels in v[0..3] become rows.
inline void transposeWasm(v128_t v[4]) {
    const v128_t a0 = wasm_i32x4_shuffle(v[0], v[1], 0, 4, 1, 5), a1 = wasm_i32x4_shuffle(v[0], v[1], 2, 6, 3, 7);
    const v128_t a2 = wasm_i32x4_shuffle(v[2], v[3], 0, 4, 1, 5), a3 = wasm_i32x4_shuffle(v[2], v[3], 2, 6, 3, 7);
    v[0] = wasm_i64x2_shuffle(a0, a2, 0, 2);
    v[1] = wasm_i64x2_shuffle(a0, a2, 1, 3);
    v[2] = wasm_i64x2_shuffle(a1, a3, 0, 2);
    v[3] = wasm_i64x2_shuffle(a1, a3, 1, 3);
}

// addressOf(u, v): the byte addresses of the source pixels of four lanes.
template <class AddressOf>
void drawWasm(const NodeGrid& grid, uint32_t* out, AddressOf addressOf, int firstBlockRow, int endBlockRow) {
    for (int bi = firstBlockRow; bi < endBlockRow; ++bi) {
        for (int bj = 0; bj < 64; ++bj) {
            const int tl = NodeGrid::index(bj, bi), bl = NodeGrid::index(bj, bi + 1);
            const int tr = NodeGrid::index(bj + 1, bi), br = NodeGrid::index(bj + 1, bi + 1);
            for (int half = 0; half < 2; ++half) {
                const v128_t rows = wasm_i32x4_make(4 * half, 4 * half + 1, 4 * half + 2, 4 * half + 3);
                // An edge at rows 4 half .. 4 half + 3: top + row * ((bottom - top) >> 3).
                const auto edge = [&](const int32_t* values, int top, int bottom) {
                    const int32_t step = wrapSub(values[bottom], values[top]) >> 3;
                    return wasm_i32x4_add(wasm_i32x4_splat(values[top]), wasm_i32x4_mul(rows, wasm_i32x4_splat(step)));
                };
                v128_t u = edge(grid.gridU, tl, bl), v = edge(grid.gridV, tl, bl), l = edge(grid.gridLight, tl, bl);
                const v128_t uStep = wasm_i32x4_shr(wasm_i32x4_sub(edge(grid.gridU, tr, br), u), 3);
                const v128_t vStep = wasm_i32x4_shr(wasm_i32x4_sub(edge(grid.gridV, tr, br), v), 3);
                const v128_t lStep = wasm_i32x4_shr(wasm_i32x4_sub(edge(grid.gridLight, tr, br), l), 3);
                uint32_t* row = out + (bi * 8 + 4 * half) * kFrameWidth + bj * 8;
                for (int quarter = 0; quarter < 2; ++quarter) {
                    v128_t columns[4];
                    for (int x = 0; x < 4; ++x) {
                        columns[x] = addLightWasm(gatherLanes(addressOf(u, v)), l);
                        u = wasm_i32x4_add(u, uStep);
                        v = wasm_i32x4_add(v, vStep);
                        l = wasm_i32x4_add(l, lStep);
                    }
                    transposeWasm(columns);
                    for (int y = 0; y < 4; ++y) wasm_v128_store(row + y * kFrameWidth + 4 * quarter, columns[y]);
                }
            }
        }
    }
}

#endif

#if VELMORA_X86

// addNodeLight per lane: red and green add bits 8..15 of l, limited to 255;
// blue adds l >> 8 (arithmetic) and an unsigned sum above 255 becomes 255.
[[gnu::target("avx2")]] inline __m256i addLight(__m256i src, __m256i l) {
    const __m256i byteMax = _mm256_set1_epi32(255);
    const __m256i d = _mm256_and_si256(_mm256_srli_epi32(l, 8), byteMax);
    const __m256i r = _mm256_min_epu32(
        _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(src, 16), byteMax), d), byteMax);
    const __m256i g = _mm256_min_epu32(
        _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(src, 8), byteMax), d), byteMax);
    const __m256i b =
        _mm256_min_epu32(_mm256_add_epi32(_mm256_and_si256(src, byteMax), _mm256_srai_epi32(l, 8)), byteMax);
    return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(r, 16), _mm256_slli_epi32(g, 8)), b);
}

// Lane k of start + k * step, wrapping as the running sum of the plain loop does.
[[gnu::target("avx2")]] inline __m256i ramp(int32_t start, int32_t step) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    return _mm256_add_epi32(_mm256_set1_epi32(start), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(step)));
}

[[gnu::target("avx2")]] void drawAvx2(const NodeGrid& grid, uint32_t* out, const BlockSource& source,
                                      int firstBlockRow, int endBlockRow) {
    const __m128i columnShift = _mm_cvtsi32_si128(source.columnShift);
    const __m256i columnMask = _mm256_set1_epi32(static_cast<int>(source.columnMask));
    const __m256i rowMask = _mm256_set1_epi32(static_cast<int>(source.rowMask));
    const __m128i rowShift = _mm_cvtsi32_si128(source.rowShift);
    const int* pixels = reinterpret_cast<const int*>(source.pixels);
    for (int bi = firstBlockRow; bi < endBlockRow; ++bi) {
        for (int bj = 0; bj < 64; ++bj) {
            BlockEdges e(grid, bj, bi);
            uint32_t* row = out + (bi * 8) * kFrameWidth + bj * 8;
            for (int y = 0; y < 8; ++y, row += kFrameWidth, e.nextRow()) {
                const __m256i u = ramp(e.uL, wrapSub(e.uR, e.uL) >> 3);
                const __m256i v = ramp(e.vL, wrapSub(e.vR, e.vL) >> 3);
                const __m256i l = ramp(e.lL, wrapSub(e.lR, e.lL) >> 3);
                const __m256i column = _mm256_and_si256(_mm256_srl_epi32(u, columnShift), columnMask);
                const __m256i sourceRow = _mm256_and_si256(_mm256_srli_epi32(v, 16), rowMask);
                const __m256i index = _mm256_add_epi32(_mm256_sll_epi32(sourceRow, rowShift), column);
                const __m256i src = _mm256_i32gather_epi32(pixels, index, 4);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), addLight(src, l));
            }
        }
    }
}

#endif

}  // namespace

void drawNodeGridBlocksFast(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                            int endBlockRow) {
    boxKernels->gridBlocks(grid, out, source, firstBlockRow, endBlockRow);
}

namespace kernels {

#if defined(__SSE2__)
void gridBlocksSse2(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                    int endBlockRow) {
#if defined(__wasm_simd128__)
    // The two shapes the boxes use get their shifts and masks as constants,
    // which the page's engine turns into immediate operands (a shift by a
    // variable count costs it a mask and a move each time). The byte address
    // is formed in the lanes: ((x >> s) & m) << k is (x >> (s - k)) & (m << k).
    const v128_t base = wasm_i32x4_splat(static_cast<int32_t>(reinterpret_cast<uintptr_t>(source.pixels)));
    const auto fixed = [&]<int kColumnShift, uint32_t kColumnMask, int kRowShift, uint32_t kRowMask>() {
        static_assert(kColumnShift >= 2 && kRowShift + 2 <= 16, "the shifts by s - k need s >= k");
        drawWasm(
            grid, out,
            [base](v128_t u, v128_t v) {
                const v128_t column =
                    wasm_v128_and(wasm_u32x4_shr(u, kColumnShift - 2), wasm_i32x4_splat(kColumnMask << 2));
                const v128_t row = wasm_v128_and(wasm_u32x4_shr(v, 16 - kRowShift - 2),
                                                 wasm_i32x4_splat(kRowMask << (kRowShift + 2)));
                return wasm_i32x4_add(wasm_i32x4_add(row, column), base);
            },
            firstBlockRow, endBlockRow);
    };
    if (source.columnShift == 16 && source.columnMask == 255 && source.rowShift == 8 && source.rowMask == 255) {
        fixed.operator()<16, 255, 8, 255>();
        return;
    }
    if (source.columnShift == 15 && source.columnMask == 511 && source.rowShift == 9 && source.rowMask == 255) {
        fixed.operator()<15, 511, 9, 255>();
        return;
    }
    const v128_t columnMask = wasm_i32x4_splat(static_cast<int32_t>(source.columnMask));
    const v128_t rowMask = wasm_i32x4_splat(static_cast<int32_t>(source.rowMask));
    const uint32_t columnShift = static_cast<uint32_t>(source.columnShift);
    const uint32_t rowShift = static_cast<uint32_t>(source.rowShift) + 2;
    drawWasm(
        grid, out,
        [&](v128_t u, v128_t v) {
            const v128_t column = wasm_i32x4_shl(wasm_v128_and(wasm_u32x4_shr(u, columnShift), columnMask), 2);
            const v128_t row = wasm_i32x4_shl(wasm_v128_and(wasm_u32x4_shr(v, 16), rowMask), rowShift);
            return wasm_i32x4_add(wasm_i32x4_add(row, column), base);
        },
        firstBlockRow, endBlockRow);
#else
    drawSse2(grid, out, source, firstBlockRow, endBlockRow);
#endif
}
#endif

#if VELMORA_X86
void gridBlocksAvx2(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                    int endBlockRow) {
    drawAvx2(grid, out, source, firstBlockRow, endBlockRow);
}
#endif

void gridBlocksPlain(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                     int endBlockRow) {
    drawNodeGridBlocks(
        grid, out,
        [&source](int32_t u, int32_t v) {
            const uint32_t column = (static_cast<uint32_t>(u) >> source.columnShift) & source.columnMask;
            const uint32_t row = (static_cast<uint32_t>(v) >> 16) & source.rowMask;
            return source.pixels[(row << source.rowShift) + column];
        },
        firstBlockRow, endBlockRow);
}

}  // namespace kernels

}  // namespace velmora
