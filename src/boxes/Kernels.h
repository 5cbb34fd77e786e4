// The kernels in use: the surface's row kernels and the boxes' vector bodies,
// chosen together once for the processor, and chosen again for a given level by
// the tests that compare each fast path with the plain one and by the player's
// VELMORA_SIMD variable.
#pragma once

#include <cstdint>
#include <string>

#include "boxes/DirectionalBlur.h"
#include "boxes/NodeGridBlocks.h"
#include "core/SimdLevel.h"

namespace velmora {

class WorkerPool;

struct BoxKernels {
    // The directional blurs: rows [first, end) in whole blocks of sixteen, or
    // columns [first, end) in whole vectors of eight, of a 512 by 256 surface.
    void (*blurRows)(uint32_t* px, BlurWeights w, int first, int end);
    void (*blurColumns)(uint32_t* px, BlurWeights w, int first, int end);
    // The node grid's blocks from a masked source (drawNodeGridBlocksFast).
    void (*gridBlocks)(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                       int endBlockRow);
    // Bodies with no plain twin of the same shape: null when the plain code of
    // the box runs instead.
    // The radial blur of a 512 by 256 surface about a centre on it; `turned`
    // holds 512 * 256 pixels of scratch.
    void (*radialSweep)(uint32_t* px, uint32_t* turned, int cx, int cy, WorkerPool* workers);
    // The voxel tunnel's march of polar columns [first, end), whole groups of
    // sixteen; stepOffset holds 256 entries (steps past the last are read
    // ahead). (Its remap onto the screen is plain at every level: with the
    // polar image in strips, scalar loads beat the AVX2 gather.)
    void (*voxelMarch)(uint32_t* polar, const uint8_t* map, const uint32_t* colour, const int32_t* stepOffset,
                       int32_t scroll, int first, int end);
};

// The box bodies in use.
extern const BoxKernels* boxKernels;

// Uses the kernels of `level`, capped at what the processor supports, for the
// surface rows and the boxes alike; returns the level now in use. Not to be
// called while a frame is drawn.
SimdLevel chooseKernels(SimdLevel level);
// The level whose kernels are in use.
SimdLevel kernelsInUse();
// VELMORA_SIMD=plain|sse2|avx2 caps the kernels (the pixels are the same at
// every level; this is for comparing and measuring). Returns the warning to
// print for any other value, empty when there is none.
std::string chooseKernelsFromEnvironment();

// The bodies the tables are filled from, defined beside their boxes.
namespace kernels {
void blurRowsPlain(uint32_t* px, BlurWeights w, int first, int end);
void blurColumnsPlain(uint32_t* px, BlurWeights w, int first, int end);
void gridBlocksPlain(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                     int endBlockRow);
#if defined(__SSE2__)
void blurRowsSse2(uint32_t* px, BlurWeights w, int first, int end);
void blurColumnsSse2(uint32_t* px, BlurWeights w, int first, int end);
void gridBlocksSse2(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                    int endBlockRow);
void radialSweepSse2(uint32_t* px, uint32_t* turned, int cx, int cy, WorkerPool* workers);
void voxelMarchSse2(uint32_t* polar, const uint8_t* map, const uint32_t* colour, const int32_t* stepOffset,
                    int32_t scroll, int first, int end);
#endif
#if VELMORA_X86
void blurRowsAvx2(uint32_t* px, BlurWeights w, int first, int end);
void blurColumnsAvx2(uint32_t* px, BlurWeights w, int first, int end);
void gridBlocksAvx2(const NodeGrid& grid, uint32_t* out, const BlockSource& source, int firstBlockRow,
                    int endBlockRow);
void radialSweepAvx2(uint32_t* px, uint32_t* turned, int cx, int cy, WorkerPool* workers);
void voxelMarchAvx2(uint32_t* polar, const uint8_t* map, const uint32_t* colour, const int32_t* stepOffset,
                    int32_t scroll, int first, int end);
#endif
}  // namespace kernels

}  // namespace velmora
