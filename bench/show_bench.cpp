// One frame of the default show, headless and without music: the tracker held
// at the start of one order, the clock stepping by 1/50 s from frame to frame,
// every function updated and every wiring line rendered (the graph evaluated
// from an input the benchmark builds), on one thread and on two. Wall-clock time:
// the CPU time of the calling thread leaves out the other threads' share.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "core/WorkerPool.h"
#include "script/DemoGraph.h"
#include "show/MusicTransport.h"

namespace velmora {
namespace {

// What a second thread can give on this machine at best: one frame copied as
// two halves, one per thread, next to the same copy on one thread.
void BM_MemcpyOnThreads(benchmark::State& state) {
    const auto threads = static_cast<int>(state.range(0));
    constexpr size_t kBytes = 512 * 256 * 4;
    std::vector<unsigned char> from(kBytes, 1), to(kBytes);
    WorkerPool pool(threads);
    for (auto _ : state) {
        runInParts(&pool, static_cast<int>(kBytes / 64), [&](int first, int end) {
            std::memcpy(to.data() + size_t(first) * 64, from.data() + size_t(first) * 64, size_t(end - first) * 64);
        });
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyOnThreads)->Arg(1)->Arg(2)->ArgName("threads")->UseRealTime();

// One hand-off and join with nothing to do: what a step of a frame pays to
// be split between the threads, against one thread that only loops.
void BM_PoolHandOff(benchmark::State& state) {
    WorkerPool pool(static_cast<int>(state.range(0)));
    int touched[2] = {};
    for (auto _ : state) {
        runInParts(&pool, 2, [&](int first, int end) {
            for (int i = first; i < end; ++i) ++touched[i];
        });
        benchmark::DoNotOptimize(touched);
    }
}
BENCHMARK(BM_PoolHandOff)->Arg(1)->Arg(2)->ArgName("threads")->UseRealTime();

#ifdef VELMORA_SHOW_DIR

void BM_ShowFrame(benchmark::State& state) {
    const auto order = static_cast<uint32_t>(state.range(0));
    const auto threads = static_cast<int>(state.range(1));
    const std::filesystem::path showDir = VELMORA_SHOW_DIR;
    std::error_code error;
    if (!std::filesystem::exists(showDir / "script.zyl", error)) {
        state.SkipWithError("the default show has not been built");
        return;
    }
    // Every file name in the script is relative to the show's folder.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(showDir);
    // As the show's session: no pool for one thread.
    std::unique_ptr<WorkerPool> workers = threads > 1 ? std::make_unique<WorkerPool>(threads) : nullptr;
    auto graph = std::make_unique<DemoGraph>();
    graph->useWorkers(workers.get());
    const LoadResult loaded = graph->load("script.zyl");
    std::filesystem::current_path(before);
    if (loaded != LoadResult::Loaded) {
        state.SkipWithError("the default show does not load");
        return;
    }
    const TrackerPosition position = trackerPositionOf(makeChannelPosition(order, 0, 0));
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    int k = 0;
    for (auto _ : state) {
        graph->evaluate(FrameInput{static_cast<float>(k) / 50.0f, position}, frame);
        k = (k + 1) % 500;  // ten seconds of show time, then again
        benchmark::DoNotOptimize(frame.pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShowFrame)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {1, 2}})
    ->ArgNames({"order", "threads"})
    ->UseRealTime();

#endif

}  // namespace
}  // namespace velmora
