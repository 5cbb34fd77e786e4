// Per-frame cost of the directional blurs, the radial blur and the deformation
// on a 512x256 frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "boxes/Deformation.h"
#include "boxes/DirectionalBlur.h"
#include "boxes/RadialBlur.h"

namespace velmora {
namespace {

using Fixed = bench::FixedFunction;

void fillPattern(Surface& s) { bench::fillPattern(s, 512, 256); }

// The in-place boxes filter their own previous result; refilling would dominate,
// and the cost does not depend on the pixel values.
void runBox(benchmark::State& state, FxBox& box, std::vector<Function*> functions, bool withInput) {
    Surface out, in;
    fillPattern(out);
    fillPattern(in);
    std::vector<Surface*> inputs;
    if (withInput) inputs.push_back(&in);
    for (auto _ : state) {
        box.render(out, functions, inputs);
        benchmark::DoNotOptimize(out.pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 512 * 256);
}

Fixed on{1.0f}, half{0.5f};

void BM_XBlur(benchmark::State& state) {
    BoxXBlur box;
    runBox(state, box, {&half, &on, &on}, false);
}
BENCHMARK(BM_XBlur);

void BM_YBlur(benchmark::State& state) {
    BoxYBlur box;
    runBox(state, box, {&half, &on, &on}, false);
}
BENCHMARK(BM_YBlur);

void BM_RadialBlur(benchmark::State& state) {
    BoxRadialBlur box;
    Fixed cx{256.0f}, cy{128.0f};
    runBox(state, box, {&cx, &cy, &on, &on}, false);
}
BENCHMARK(BM_RadialBlur);

void BM_RadialBlurCorner(benchmark::State& state) {
    BoxRadialBlur box;
    Fixed cx{0.0f}, cy{0.0f};
    runBox(state, box, {&cx, &cy, &on, &on}, false);
}
BENCHMARK(BM_RadialBlurCorner);

void BM_Deformation(benchmark::State& state) {
    auto box = std::make_unique<BoxDeformation>();
    Fixed phase{1.0f};
    runBox(state, *box, {&phase, &half, &on, &on, &on}, true);
}
BENCHMARK(BM_Deformation);

}  // namespace
}  // namespace velmora
