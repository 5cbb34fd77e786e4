// Per-frame cost of the simple boxes, the sprite and the animator on a 512x256 frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchSupport.h"
#include "boxes/SimpleBoxes.h"
#include "boxes/SpriteBoxes.h"
#include "core/PixelMath.h"

namespace velmora {
namespace {

using bench::FixedFunction;

void fillPattern(Surface& s, int32_t w, int32_t h) { bench::fillPattern(s, w, h, true); }

// Items are the pixels the box covers: the whole frame unless given.
void runBox(benchmark::State& state, FxBox& box, std::vector<Function*> functions,
            std::vector<Surface*> inputs = {}, int64_t pixelsCovered = 512 * 256) {
    Surface out;
    fillPattern(out, 512, 256);
    for (auto _ : state) {
        box.render(out, functions, inputs);
        benchmark::DoNotOptimize(out.pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * pixelsCovered);
}

FixedFunction on{1.0f};
FixedFunction half{0.5f};

void BM_ClearSurface(benchmark::State& state) {
    BoxClearSurface box;
    runBox(state, box, {&on, &on});
}
BENCHMARK(BM_ClearSurface);

void BM_Copier(benchmark::State& state) {
    BoxCopier box;
    Surface in;
    fillPattern(in, 512, 256);
    runBox(state, box, {&on, &on}, {&in});
}
BENCHMARK(BM_Copier);

void BM_InverseVideo(benchmark::State& state) {
    BoxInverseVideo box;
    runBox(state, box, {&on, &on});
}
BENCHMARK(BM_InverseVideo);

// Arg: 0 sub, 1 add, 2 mul; level 0.5.
void BM_Fader(benchmark::State& state) {
    static const char* const words[] = {"sub", "add", "mul"};
    BoxFader box;
    box.configure(words[state.range(0)]);
    runBox(state, box, {&half, &on, &on});
}
BENCHMARK(BM_Fader)->Arg(0)->Arg(1)->Arg(2);

// Args: sprite size, mode (0 put, 1 add), zoom in tenths.
void BM_Sprite(benchmark::State& state) {
    const int32_t size = static_cast<int32_t>(state.range(0));
    BoxSprite box;
    box.configure(state.range(1) == 0 ? "put" : "add");
    Surface sprite;
    fillPattern(sprite, size, size);
    FixedFunction x{256.0f}, y{128.0f}, zoom{static_cast<float>(state.range(2)) / 10.0f};
    const int64_t side = size * state.range(2) / 10;
    runBox(state, box, {&x, &y, &zoom, &on, &on}, {&sprite}, side * side);
}
BENCHMARK(BM_Sprite)->ArgsProduct({{64, 256}, {0, 1}, {10, 11}});

void BM_Animator(benchmark::State& state) {
    BoxAnimator box;
    box.configure("add 32");
    Surface strip;
    fillPattern(strip, 64, 512);
    FixedFunction x{256.0f}, y{128.0f}, zoom{1.0f};
    runBox(state, box, {&x, &y, &zoom, &on, &on, &half}, {&strip}, 64 * 32);
}
BENCHMARK(BM_Animator);

void BM_Zoomer(benchmark::State& state) {
    BoxZoomer box;
    runBox(state, box, {});
}
BENCHMARK(BM_Zoomer);

}  // namespace
}  // namespace velmora
