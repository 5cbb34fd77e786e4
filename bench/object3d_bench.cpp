// Per-frame cost of the object box on the 2000-triangle knot, in wireframe,
// flat and environment-mapped modes, on a 512x256 frame.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "BenchSupport.h"
#include "showkit/MeshShapes.h"
#include "object3d/Lwo2Writer.h"
#include "object3d/BoxObjet3D.h"
#include "object3d/Lwo2Loader.h"

namespace velmora {
namespace {

using CameraValue = bench::FixedFunction;

void BM_Objet3DKnot(benchmark::State& state) {
    const ShapeMesh knot = makeKnot(0.4f, 0.16f, 100, 10);
    BoxObjet3D box;
    box.useMesh(parseLwo2(Lwo2Writer::meshFile(knot.points, knot.triangles), "knot.lwo"));
    box.setMode(static_cast<int32_t>(state.range(0)));

    // Eye (2.2, 1.1, -2.6) looking at the origin, both gates on.
    std::array<CameraValue, 8> values = {CameraValue{2.2f}, CameraValue{1.1f}, CameraValue{-2.6f},
                                         CameraValue{0.0f}, CameraValue{0.0f}, CameraValue{0.0f},
                                         CameraValue{1.0f}, CameraValue{1.0f}};
    std::vector<Function*> functions;
    for (CameraValue& v : values) functions.push_back(&v);
    Surface out, texture;
    out.allocate(512, 256);
    out.clear();
    texture.allocate(256, 256);
    for (uint32_t i = 0; i < 65536; ++i) texture.pixels[i] = (i * 2654435761u) & 0xFFFFFFu;
    std::vector<Surface*> inputs = {&texture};

    for (auto _ : state) {
        box.render(out, functions, inputs);
        benchmark::DoNotOptimize(out.pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * knot.triangles.size());
}
BENCHMARK(BM_Objet3DKnot)->Arg(0)->Arg(1)->Arg(2)->ArgName("mode");

}  // namespace
}  // namespace velmora
