// Block drawing of the node grid with AVX2: one block row of eight pixels is
// one vector; the interpolation, the source lookup and the light are per lane.
#include "boxes/NodeGridBlocks.h"

#include "boxes/Kernels.h"

#if VELMORA_X86
#include <immintrin.h>
#endif

namespace velmora {

namespace {

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
