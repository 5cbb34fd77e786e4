// The bench command: the show's frames timed as a whole and line by line.
#include "host/BenchCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "host/CommandLine.h"
#include "host/Startup.h"
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

}  // namespace

bool parseBenchOptions(const std::vector<std::string>& args, BenchOptions& options) {
    OptionReader reader("bench", args);
    for (std::string_view name = reader.next(); !name.empty(); name = reader.next()) {
        auto v = reader.value();
        if (!v) break;
        if (name == "--script" && !v->empty()) {
            options.script = *v;
        } else if (name == "--frames") {
            auto n = parseInteger(*v);
            if (!n || *n < 1 || *n > 1000000) reader.malformed("a whole number of frames from 1 to 1000000");
            else options.frames = static_cast<int>(*n);
        } else if (name == "--fps") {
            auto f = parseReal(*v);
            if (!f || *f <= 0.0) reader.malformed("a number of frames per second above 0");
            else options.fps = *f;
        } else if (name == "--position") {
            if (!parsePosition(*v, options.order, options.row, options.rowFraction))
                reader.malformed("ORDER:ROW:FRACTION (order 0-65535, row and fraction 0-255)");
        } else {
            reader.unknown();
        }
    }
    return !reader.failed();
}

int runBench(const BenchOptions& options) {
    DemoGraph graph;
    loadScriptOrDie(graph, options.script.c_str());
    auto output = makeOutputSurface();
    graph.setMusic(std::make_unique<FixedMusicPosition>(
        makeChannelPosition(options.order, options.row, options.rowFraction)));
    const TrackerPosition position = graph.readTrackerPosition();

    // The first frame reads and resolves the wiring; it is not counted.
    graph.evaluateFrame(*output, FrameInput{0.0f, position});
    std::vector<WiringCall>& calls = graph.resolvedWiring();
    std::vector<double> lineSeconds(calls.size(), 0.0);

    double functionSeconds = 0.0;
    const Clock::time_point start = Clock::now();
    for (int k = 1; k <= options.frames; ++k) {
        const float t = static_cast<float>(k / options.fps);
        Clock::time_point before = Clock::now();
        graph.updateFunctions(FrameInput{t, position});
        functionSeconds += secondsSince(before);
        for (size_t i = 0; i < calls.size(); ++i) {
            before = Clock::now();
            DemoGraph::renderCall(calls[i], *output);
            lineSeconds[i] += secondsSince(before);
        }
    }
    const double total = secondsSince(start);

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
    std::printf("%6s  %-48s  %10s  %6s\n", "line", "wiring", "us/frame", "share");
    for (const LineCost& cost : costs)
        std::printf("%6d  %-48s  %10.1f  %5.1f%%\n", cost.line, cost.text.c_str(), cost.seconds / frames * 1e6,
                    100.0 * cost.seconds / total);
    std::printf("%6s  %-48s  %10.1f  %5.1f%%\n", "", "(functions)", functionSeconds / frames * 1e6,
                100.0 * functionSeconds / total);
    return 0;
}

}  // namespace velmora
