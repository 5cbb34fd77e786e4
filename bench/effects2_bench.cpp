// Per-frame cost of the ray-cast grid boxes, the particles box and the voxel tunnel
// on a 512x256 frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "showkit/DemoPictures.h"
#include "boxes/Particules.h"
#include "boxes/RayCastGrid.h"
#include "boxes/VoxelTunnel.h"

namespace velmora {
namespace {

using SettableFunction = bench::FixedFunction;
using bench::fillPattern;

// Renders one frame per iteration, moving the time function by a frame step.
void runBox(benchmark::State& state, FxBox& box, Surface& input, int functionCount, float timeStep) {
    Surface out;
    fillPattern(out, 512, 256);
    SettableFunction time(0.0f);
    SettableFunction on(1.0f);
    std::vector<Function*> functions{&time};
    for (int k = 1; k < functionCount; ++k) functions.push_back(&on);
    std::vector<Surface*> inputs{&input};
    for (auto _ : state) {
        time.v += timeStep;
        box.render(out, functions, inputs);
        benchmark::DoNotOptimize(out.pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 512 * 256);
}

void BM_FDBoule(benchmark::State& state) {
    Surface texture;
    fillPattern(texture, 256, 256);
    BoxFDBoule box;
    runBox(state, box, texture, 3, 0.02f);
}
BENCHMARK(BM_FDBoule);

void BM_FDVoxel(benchmark::State& state) {
    Surface texture;
    fillPattern(texture, 256, 256);
    BoxFDVoxel box;
    runBox(state, box, texture, 3, 0.02f);
}
BENCHMARK(BM_FDVoxel);

// Argument: particle count; the sprite is 32 by 32. Function 0 is the phase,
// function 1 the size factor (held at 1).
void BM_Particules(benchmark::State& state) {
    Surface sprite;
    fillPattern(sprite, 32, 32);
    BoxParticules box;
    box.configure(std::to_string(state.range(0)).c_str());
    runBox(state, box, sprite, 4, 0.05f);
}
BENCHMARK(BM_Particules)->Arg(40)->Arg(200);  // 40: the show's swarm

// The show's own maps (the height field and colour map the build makes), and
// a noisy map whose wall jumps at every step, the worst case for the fills.
void BM_VoxelTunnel(benchmark::State& state) {
    Surface colour;
    colour.allocate(512, 512);
    BoxVoxelTunnel box;
    box.heightMap.resize(BoxVoxelTunnel::kMapPixels);
    if (state.range(0) == 0) {
        const Picture heights = pictures::makeHeightMap();
        const Picture colours = pictures::makeColorMap();
        for (int i = 0; i < BoxVoxelTunnel::kMapPixels; ++i) {
            box.heightMap[i] = heights.samples[i];
            const uint8_t* rgb = &colours.samples[static_cast<size_t>(i) * 3];
            colour.pixels[i] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
        }
    } else {
        fillPattern(colour, 512, 512);
        for (int i = 0; i < BoxVoxelTunnel::kMapPixels; ++i)
            box.heightMap[i] = static_cast<uint8_t>((i * 7) ^ (i >> 9));
    }
    box.buildTables();
    runBox(state, box, colour, 3, 0.02f);
}
BENCHMARK(BM_VoxelTunnel)->Arg(0)->Arg(1)->ArgName("noisy");

void BM_FDTunnel(benchmark::State& state) {
    Surface texture;
    fillPattern(texture, 256, 256);
    BoxFDTunnel box;
    runBox(state, box, texture, 3, 0.02f);
}
BENCHMARK(BM_FDTunnel);

}  // namespace
}  // namespace velmora
