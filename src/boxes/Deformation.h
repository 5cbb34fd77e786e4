// The deformation: a 512 by 256 input drawn through a rippling lens, computed on
// the 65 by 33 node grid and drawn in interpolated 8 by 8 blocks.
#pragma once

#include "boxes/FxBox.h"
#include "boxes/NodeGrid.h"

namespace velmora {

// Fills every node of the grid for phase a, strength b and scale c.
void computeDeformationGrid(NodeGrid& grid, double a, float b, float c);

// Functions: 0 phase, 1 strength, 2 scale, 3 and 4 gates. Input 0 and output:
// 512 by 256 (they may be the same surface).
class BoxDeformation : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;

private:
    NodeGrid grid_;  // held here so that a frame allocates nothing
};

}  // namespace velmora
