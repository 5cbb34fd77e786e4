// Large scripts: `velmora check` and a first frame take time that grows with
// the script's size, not with its square. Three shapes: a problem on every
// line (undeclared boxes, up to 10 MB), and 100k declarations with 100k wiring
// lines that use them (every lookup hashed), checked, and evaluated as a
// first frame resolves them. From the small size to the large one the bytes
// per second drop only by what cache misses cost, not by the size ratio.
#include <benchmark/benchmark.h>

#include <string>

#include "script/DemoGraph.h"
#include "script/ScriptChecker.h"

namespace velmora {
namespace {

std::string undeclaredWiring(size_t bytes) {
    std::string text = "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                       "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\n";
    for (int i = 0; text.size() < bytes; ++i) text += "personne" + std::to_string(i) + " OUT\n";
    return text + "[/CABLAGE]\n";
}

// `count` boxes, functions and 1x1 surfaces, and `count` wiring lines naming
// them; the names differ only at their end, as generated names do.
std::string manyDeclarations(int count) {
    auto name = [](const char* kind, int i) { return std::string(kind) + "_declared_" + std::to_string(i); };
    std::string boxes, functions, surfaces, wiring;
    for (int i = 0; i < count; ++i) {
        boxes += "ZYL_BoxInverseVideo " + name("box", i) + "\n";
        functions += "ZYL_FnctConstante " + name("fn", i) + " 1.0\n";
        surfaces += "ZYL_Surface " + name("s", i) + " 1 1\n";
        wiring += name("box", count - 1 - i) + " OUT " + name("fn", i) + " " + name("fn", count - 1 - i) + "\n";
    }
    return "[ZYL_FX_Generator]\n" + boxes + "[/ZYL_FX_Generator]\n[ZYL_Fonction]\n" + functions +
           "[/ZYL_Fonction]\n[ZYL_Surface]\n" + surfaces + "[/ZYL_Surface]\n[CABLAGE]\n" + wiring + "[/CABLAGE]\n";
}

void BM_ScriptCheckUndeclaredWiring(benchmark::State& state) {
    const std::string text = undeclaredWiring(static_cast<size_t>(state.range(0)) << 10);
    size_t problems = 0;
    for (auto _ : state) problems = checkScriptText(text).problems.size();
    state.counters["problems"] = static_cast<double>(problems);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ScriptCheckUndeclaredWiring)->Arg(800)->Arg(10240)->ArgName("KiB")->Unit(benchmark::kMillisecond);

void BM_ScriptCheckManyDeclarations(benchmark::State& state) {
    const std::string text = manyDeclarations(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(checkScriptText(text).problems.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ScriptCheckManyDeclarations)->Arg(10000)->Arg(100000)->ArgName("names")->Unit(benchmark::kMillisecond);

void BM_ScriptFirstFrameManyDeclarations(benchmark::State& state) {
    const std::string text = manyDeclarations(static_cast<int>(state.range(0)));
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    for (auto _ : state) {
        state.PauseTiming();
        DemoGraph graph;
        graph.loadText(text);
        state.ResumeTiming();
        graph.evaluate(FrameInput{}, frame);  // resolves every wiring line
        benchmark::DoNotOptimize(graph.resolvedWiring().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ScriptFirstFrameManyDeclarations)->Arg(10000)->Arg(100000)->ArgName("names")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
