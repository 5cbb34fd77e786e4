// The 65 by 33 node grid shared by the deformation and the ray-cast boxes: per node
// a source coordinate pair and a light value, drawn as 8 by 8 blocks whose pixels
// interpolate the four corner nodes in 32-bit integers.
#pragma once

#include <cstdint>

#include "core/FrameGeometry.h"
#include "core/PixelMath.h"

namespace velmora {

struct NodeGrid {
    static constexpr int kColumns = 65;  // j = 0..64, node j stands for pixel column 8j
    static constexpr int kRows = 33;     // i = 0..32, node i stands for pixel row 8i
    static constexpr int kNodes = kColumns * kRows;
    // Column by column, as the node loops of the effects index them.
    static constexpr int index(int j, int i) { return j * kRows + i; }

    int32_t gridU[kNodes];
    int32_t gridV[kNodes];
    int32_t gridLight[kNodes];
};

// Adds the 8.8 light l to a source pixel: red and green get bits 8..15 of l with a
// limit of 255; blue adds l >> 8 as a signed number and a sum that reads as a large
// unsigned number (negative, or above 255) becomes 255.
inline uint32_t addNodeLight(uint32_t src, int32_t l) {
    uint32_t d = static_cast<uint32_t>(l >> 8) & 0xFFu;
    uint32_t r = ((src >> 16) & 0xFFu) + d;
    uint32_t g = ((src >> 8) & 0xFFu) + d;
    uint32_t b = static_cast<uint32_t>(wrapAdd(static_cast<int32_t>(src & 0xFFu), l >> 8));
    if (r > 255) r = 255;
    if (g > 255) g = 255;
    if (b > 255) b = 255;
    return packRgb(r, g, b);
}

// The left and right edges of one 8 by 8 block: u, v and light at the block's
// top corners, and their steps from one pixel row to the next (arithmetic
// shifts by 3 of the corner differences).
struct BlockEdges {
    int32_t uL, uLs, uR, uRs, vL, vLs, vR, vRs, lL, lLs, lR, lRs;

    BlockEdges(const NodeGrid& grid, int bj, int bi) {
        const int tl = NodeGrid::index(bj, bi), bl = NodeGrid::index(bj, bi + 1);
        const int tr = NodeGrid::index(bj + 1, bi), br = NodeGrid::index(bj + 1, bi + 1);
        uL = grid.gridU[tl], uLs = wrapSub(grid.gridU[bl], uL) >> 3;
        uR = grid.gridU[tr], uRs = wrapSub(grid.gridU[br], uR) >> 3;
        vL = grid.gridV[tl], vLs = wrapSub(grid.gridV[bl], vL) >> 3;
        vR = grid.gridV[tr], vRs = wrapSub(grid.gridV[br], vR) >> 3;
        lL = grid.gridLight[tl], lLs = wrapSub(grid.gridLight[bl], lL) >> 3;
        lR = grid.gridLight[tr], lRs = wrapSub(grid.gridLight[br], lR) >> 3;
    }

    void nextRow() {
        uL = wrapAdd(uL, uLs);
        uR = wrapAdd(uR, uRs);
        vL = wrapAdd(vL, vLs);
        vR = wrapAdd(vR, vRs);
        lL = wrapAdd(lL, lLs);
        lR = wrapAdd(lR, lRs);
    }
};

inline constexpr int kBlockRows = 32;

// Draws the 64 by 32 blocks into a 512 by 256 output, block rows outermost
// (those from firstBlockRow up to endBlockRow). `fetch(u, v)` returns the
// source pixel for the interpolated coordinates.
template <class Fetch>
void drawNodeGridBlocks(const NodeGrid& grid, uint32_t* out, Fetch fetch, int firstBlockRow = 0,
                        int endBlockRow = kBlockRows) {
    for (int bi = firstBlockRow; bi < endBlockRow; ++bi) {
        for (int bj = 0; bj < 64; ++bj) {
            BlockEdges e(grid, bj, bi);
            uint32_t* row = out + (bi * 8) * kFrameWidth + bj * 8;
            for (int y = 0; y < 8; ++y, row += kFrameWidth, e.nextRow()) {
                const int32_t uStep = wrapSub(e.uR, e.uL) >> 3;
                const int32_t vStep = wrapSub(e.vR, e.vL) >> 3;
                const int32_t lStep = wrapSub(e.lR, e.lL) >> 3;
                int32_t u = e.uL, v = e.vL, l = e.lL;
                for (int x = 0; x < 8; ++x) {
                    row[x] = addNodeLight(fetch(u, v), l);
                    u = wrapAdd(u, uStep);
                    v = wrapAdd(v, vStep);
                    l = wrapAdd(l, lStep);
                }
            }
        }
    }
}

}  // namespace velmora
