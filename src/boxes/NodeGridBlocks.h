// The node grid's 8 by 8 blocks drawn eight pixels at a time where the processor
// allows: the same pixels as drawNodeGridBlocks, for sources addressed by masks.
#pragma once

#include <cstdint>

#include "boxes/NodeGrid.h"

namespace velmora {

// Where the block pixel with coordinates (u, v) reads its source pixel:
// row ((v >> 16) & rowMask), column ((u >> columnShift) & columnMask), rows of
// (1 << rowShift) pixels.
struct BlockSource {
    const uint32_t* pixels;
    int columnShift;
    uint32_t columnMask;
    int rowShift;
    uint32_t rowMask;
};

// The source must not share memory with the 512 by 256 output: a block row
// reads all its source pixels before it writes.
// Block rows [firstBlockRow, endBlockRow) only: distinct ranges write distinct
// pixels, so they can be drawn side by side.
void drawNodeGridBlocksFast(const NodeGrid& grid, uint32_t* out, const BlockSource& source,
                            int firstBlockRow = 0, int endBlockRow = kBlockRows);

}  // namespace velmora
