// Block drawing of the node grid with AVX2: one block row of eight pixels is
// one vector; the interpolation, the source lookup and the light are per lane.
#include "boxes/NodeGridBlocks.h"

#include "surface/SimdLevel.h"

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

[[gnu::target("avx2")]] void drawAvx2(const NodeGrid& grid, uint32_t* out, const BlockSource& source) {
    const __m128i columnShift = _mm_cvtsi32_si128(source.columnShift);
    const __m256i columnMask = _mm256_set1_epi32(static_cast<int>(source.columnMask));
    const __m256i rowMask = _mm256_set1_epi32(static_cast<int>(source.rowMask));
    const __m128i rowShift = _mm_cvtsi32_si128(source.rowShift);
    const int* pixels = reinterpret_cast<const int*>(source.pixels);
    for (int bi = 0; bi < 32; ++bi) {
        for (int bj = 0; bj < 64; ++bj) {
            const int tl = NodeGrid::index(bj, bi), bl = NodeGrid::index(bj, bi + 1);
            const int tr = NodeGrid::index(bj + 1, bi), br = NodeGrid::index(bj + 1, bi + 1);
            int32_t uL = grid.gridU[tl], uLs = wrapSub(grid.gridU[bl], uL) >> 3;
            int32_t uR = grid.gridU[tr], uRs = wrapSub(grid.gridU[br], uR) >> 3;
            int32_t vL = grid.gridV[tl], vLs = wrapSub(grid.gridV[bl], vL) >> 3;
            int32_t vR = grid.gridV[tr], vRs = wrapSub(grid.gridV[br], vR) >> 3;
            int32_t lL = grid.gridLight[tl], lLs = wrapSub(grid.gridLight[bl], lL) >> 3;
            int32_t lR = grid.gridLight[tr], lRs = wrapSub(grid.gridLight[br], lR) >> 3;
            uint32_t* row = out + (bi * 8) * 512 + bj * 8;
            for (int y = 0; y < 8; ++y, row += 512) {
                const __m256i u = ramp(uL, wrapSub(uR, uL) >> 3);
                const __m256i v = ramp(vL, wrapSub(vR, vL) >> 3);
                const __m256i l = ramp(lL, wrapSub(lR, lL) >> 3);
                const __m256i column = _mm256_and_si256(_mm256_srl_epi32(u, columnShift), columnMask);
                const __m256i sourceRow = _mm256_and_si256(_mm256_srli_epi32(v, 16), rowMask);
                const __m256i index = _mm256_add_epi32(_mm256_sll_epi32(sourceRow, rowShift), column);
                const __m256i src = _mm256_i32gather_epi32(pixels, index, 4);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), addLight(src, l));
                uL = wrapAdd(uL, uLs);
                uR = wrapAdd(uR, uRs);
                vL = wrapAdd(vL, vLs);
                vR = wrapAdd(vR, vRs);
                lL = wrapAdd(lL, lLs);
                lR = wrapAdd(lR, lRs);
            }
        }
    }
}

#endif

}  // namespace

void drawNodeGridBlocksFast(const NodeGrid& grid, uint32_t* out, const BlockSource& source) {
#if VELMORA_X86
    if (useAvx2()) return drawAvx2(grid, out, source);
#endif
    drawNodeGridBlocks(grid, out, [&source](int32_t u, int32_t v) {
        const uint32_t column = (static_cast<uint32_t>(u) >> source.columnShift) & source.columnMask;
        const uint32_t row = (static_cast<uint32_t>(v) >> 16) & source.rowMask;
        return source.pixels[(row << source.rowShift) + column];
    });
}

}  // namespace velmora
