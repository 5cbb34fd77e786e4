// The deformation grid: per node a radial ripple of the source position and a
// light band, all in double except the values kept as floats.
#include "boxes/Deformation.h"

#include <cmath>

#include "boxes/NodeGridBlocks.h"
#include "core/FrameGeometry.h"
#include "core/PixelMath.h"
#include "core/WorkerPool.h"

namespace velmora {

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;
constexpr double kNodeStep = 0.038461538461538464;  // 1/26

// Node rows [firstRow, endRow): every node depends on its position alone.
void computeDeformationRows(NodeGrid& grid, double a, float b, float c, int firstRow, int endRow) {
    const double strength = b, scale = c;
    const double g = truncToInt(strength * 25.0);  // whole-number wave amplitude
    const double k = static_cast<float>(1.0 - strength);
    for (int i = firstRow; i < endRow; ++i) {
        const double Y = (i - 16.5) * kNodeStep;
        for (int j = 0; j < NodeGrid::kColumns; ++j) {
            const double X = (j - 32.5) * kNodeStep;
            const double Xf = static_cast<float>(X);
            // The half-node offsets keep t above 0 at every node.
            const double t = std::sqrt(X * Xf + Y * Y);
            double ux = 0.0, uy = 0.0;
            if (t > 0.0) {
                ux = static_cast<float>(Xf / t);
                uy = static_cast<float>(Y / t);
            }
            const double theta = 7.0 * t + a;
            const double wave = std::cos(theta);
            const double w = 0.5 * std::sin(theta) + 0.52;
            const int n = NodeGrid::index(j, i);
            grid.gridU[n] = truncToInt(((ux * g * wave + 256.0 * Xf) * scale * 0.37 + 130.0) * 65536.0);
            grid.gridV[n] = truncToInt(((uy * g * wave + 256.0 * Y) * scale * 0.74 + 128.0) * 65536.0);
            grid.gridLight[n] = truncToInt((w * w * 100.0 * strength + k) * 256.0);
        }
    }
}

}  // namespace

void computeDeformationGrid(NodeGrid& grid, double a, float b, float c) {
    computeDeformationRows(grid, a, b, c, 0, NodeGrid::kRows);
}

void BoxDeformation::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) {
    const Surface& input = *inputs[0];
    if (!output.isSize(kWidth, kHeight) || !input.isSize(kWidth, kHeight)) return;
    if (!isOn(*functions[3]) || !isOn(*functions[4])) return;
    const float c = functions[2]->value();
    const float b = functions[1]->value();
    const double a = functions[0]->value();
    runInParts(workers, NodeGrid::kRows, [&](int firstRow, int endRow) {
        computeDeformationRows(grid_, a, b, c, firstRow, endRow);
    });
    // The input may be the output: blocks then read what earlier blocks wrote,
    // pixel by pixel, which only the plain drawing in order keeps. Otherwise
    // bands of block rows are drawn side by side.
    const uint32_t* source = input.pixels;
    auto fetch = [source](int32_t u, int32_t v) { return source[((v >> 16) & 255) * kWidth + ((u >> 15) & 511)]; };
    if (source == output.pixels) {
        drawNodeGridBlocks(grid_, output.pixels, fetch);
        return;
    }
    runInParts(workers, kBlockRows, [&](int firstBlockRow, int endBlockRow) {
        drawNodeGridBlocksFast(grid_, output.pixels, BlockSource{source, 15, 511, 9, 255}, firstBlockRow,
                               endBlockRow);
    });
}

}  // namespace velmora
