// The bench command: the show's frames timed as a whole and line by line.
#include "host/commands/BenchCommand.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "boxes/Kernels.h"
#include "core/ThreadCount.h"
#include "show/ShowSession.h"
#include "host/app/Startup.h"
#include "platform/ModuleStream.h"
#include "script/DemoGraph.h"

namespace velmora {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct LineCost {
    int line = 0;
    std::string text;
    double seconds = 0.0;
};

// Whole frames k = 1..frames, as the timed loop runs them; seconds per frame.
double secondsPerFrame(ShowSession& session, Surface& output, const BenchOptions& options) {
    const Clock::time_point start = Clock::now();
    for (int k = 1; k <= options.frames; ++k) {
        session.updateFunctionsAt(k / options.fps);
        for (WiringCall& call : session.graph().resolvedWiring())
            DemoGraph::renderCall(call, output, session.graph().workers());
    }
    return secondsSince(start) / options.frames;
}

// The anchor: copying one frame's pixels, best of a few rounds.
double memcpySecondsPerFrame(const Surface& frame) {
    std::vector<uint32_t> copy(frame.pixelCount());
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const Clock::time_point start = Clock::now();
        for (int k = 0; k < 200; ++k) {
            std::memcpy(copy.data(), frame.pixels, copy.size() * sizeof(uint32_t));
            // Keeps the copies from being merged or dropped.
            std::atomic_signal_fence(std::memory_order_seq_cst);
        }
        best = std::min(best, secondsSince(start) / 200);
    }
    return best;
}

const char* levelName(SimdLevel level) {
    return level == SimdLevel::Avx2 ? "avx2" : level == SimdLevel::Sse2 ? "sse2" : "plain";
}

// Per order: milliseconds a frame on one thread at each level, the memcpy
// frames of the best level and its speed-up on `threads`. Each timing is the
// best of two rounds of the frames, so that a moment of load on a shared
// machine counts less.
int runOrderTable(const BenchOptions& options, ShowSession& session, FixedMusicPosition& fixed, Surface& output,
                  int threads) {
    const SimdLevel best = kernelsInUse();
    const double anchor = memcpySecondsPerFrame(output);
    const auto bestOfTwo = [&] {
        const double first = secondsPerFrame(session, output, options);
        return std::min(first, secondsPerFrame(session, output, options));
    };
    std::printf("%s: %d frames from the start of each order, ms per frame; memcpy of a frame: %.1f us\n",
                options.script.c_str(), options.frames, anchor * 1e6);
    std::printf("%5s", "order");
    for (int level = 0; level <= static_cast<int>(best); ++level)
        std::printf("  %7s", levelName(static_cast<SimdLevel>(level)));
    std::printf("  %9s  %13s  %s\n", best == SimdLevel::Avx2 ? "sse2/avx2" : "", "memcpy-frames",
                (std::to_string(threads) + " threads").c_str());
    for (int order = 0; order < options.orders; ++order) {
        fixed.set(makeChannelPosition(static_cast<uint32_t>(order), 0, 0));
        session.setThreadCount(1);
        std::vector<double> seconds;
        for (int level = 0; level <= static_cast<int>(best); ++level) {
            chooseKernels(static_cast<SimdLevel>(level));
            seconds.push_back(bestOfTwo());
        }
        session.setThreadCount(threads);
        const double threaded = threads > 1 ? bestOfTwo() : seconds.back();
        std::printf("%5d", order);
        for (double s : seconds) std::printf("  %7.3f", s * 1e3);
        if (best == SimdLevel::Avx2) std::printf("  %8.2fx", seconds[1] / seconds[2]);
        else std::printf("  %9s", "");
        std::printf("  %13.1f  %.3f ms (%.2fx)\n", seconds.back() / anchor, threaded * 1e3,
                    seconds.back() / threaded);
    }
    chooseKernels(best);
    return 0;
}

}  // namespace

CommandOutcome runBench(const BenchOptions& options) {
    const int threads = chosenThreadCount(options.threads);
    auto position = std::make_unique<FixedMusicPosition>(options.musicPosition);
    position->setOrderStartRows(readOrderStartRows(options.music.c_str()));
    FixedMusicPosition* fixed = position.get();  // the order table moves it
    ShowSession session(threads, std::move(position));
    loadScriptOrDie(session, options.script, options.surfaceBudgetBytes);
    DemoGraph& graph = session.graph();
    auto output = makeOutputSurface();

    // The first frame reads and resolves the wiring; it is not counted.
    session.evaluateAt(0.0, *output);
    if (options.orders > 0) return {runOrderTable(options, session, *fixed, *output, threads), {}, {}};
    std::vector<WiringCall>& calls = graph.resolvedWiring();
    std::vector<double> lineSeconds(calls.size(), 0.0);

    double functionSeconds = 0.0;
    const Clock::time_point start = Clock::now();
    for (int k = 1; k <= options.frames; ++k) {
        Clock::time_point before = Clock::now();
        session.updateFunctionsAt(k / options.fps);
        functionSeconds += secondsSince(before);
        for (size_t i = 0; i < calls.size(); ++i) {
            before = Clock::now();
            DemoGraph::renderCall(calls[i], *output, graph.workers());
            lineSeconds[i] += secondsSince(before);
        }
    }
    const double total = secondsSince(start);

    // The same frames again on one thread and on `threads`, whole frames only,
    // then the memcpy anchor. Boxes that keep state between frames start from
    // where the timed loop left them; the times, not the pixels, are compared.
    session.setThreadCount(1);
    const double single = secondsPerFrame(session, *output, options);
    session.setThreadCount(threads);
    const double threaded = threads > 1 ? secondsPerFrame(session, *output, options) : single;
    const double anchor = memcpySecondsPerFrame(*output);

    std::vector<LineCost> costs;
    const std::string_view text = graph.scriptText();
    for (size_t i = 0; i < calls.size(); ++i) {
        LineCost cost;
        cost.line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(calls[i].lineOffset), '\n'));
        std::string_view rest = text.substr(calls[i].lineOffset);
        cost.text = std::string(rest.substr(0, std::min(rest.find('\n'), size_t{48})));
        cost.seconds = lineSeconds[i];
        costs.push_back(cost);
    }
    std::stable_sort(costs.begin(), costs.end(), [](const LineCost& a, const LineCost& b) { return a.seconds > b.seconds; });

    const double frames = options.frames;
    std::printf("%s: %d frames in %.3f s: %.1f frames per second (%.1f us per frame)\n", options.script.c_str(),
                options.frames, total, frames / total, total / frames * 1e6);
    std::printf("1 thread: %.1f us per frame; %d threads: %.1f us per frame; speed-up %.2fx; "
                "memcpy of a frame: %.1f us (frame / memcpy: %.1f)\n",
                single * 1e6, threads, threaded * 1e6, single / threaded, anchor * 1e6, threaded / anchor);
    std::printf("%6s  %-48s  %10s  %6s\n", "line", "wiring", "us/frame", "share");
    for (const LineCost& cost : costs)
        std::printf("%6d  %-48s  %10.1f  %5.1f%%\n", cost.line, cost.text.c_str(), cost.seconds / frames * 1e6,
                    100.0 * cost.seconds / total);
    std::printf("%6s  %-48s  %10.1f  %5.1f%%\n", "", "(functions)", functionSeconds / frames * 1e6,
                100.0 * functionSeconds / total);
    return {};
}

}  // namespace velmora
