// Anchors and targets of the benchmarks, and the summary table.
#include "PerfSummary.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>

namespace velmora::perf {

namespace {

// What a benchmark family is measured against. An empty anchor means the
// frame budget of 1 ms (1000 frames per second); `withArgs` appends the
// benchmark's own arguments to the anchor's name.
struct AnchorRule {
    std::string_view family;
    std::string_view anchor;
    bool withArgs;
    double target;                 // the ratio must be at most this (0: no target)
    std::string_view targetArgs;   // the target holds only for these arguments ("" for all)
};

constexpr double kNoTarget = 0.0;

constexpr AnchorRule kRules[] = {
    {"BM_Clear", "BM_Memset", false, 2.0, ""},
    {"BM_CopyFrom", "BM_Memcpy", false, 2.0, ""},
    {"BM_Invert", "BM_Memcpy", false, 2.0, ""},
    {"BM_Darken", "BM_Memcpy", false, 2.0, ""},
    {"BM_Brighten", "BM_Memcpy", false, 2.0, ""},
    {"BM_Multiply", "BM_Memcpy", false, 2.0, ""},
    {"BM_Blit", "BM_PixmanAdd", false, kNoTarget, ""},
    {"BM_BlitAdd", "BM_PixmanAdd", false, 1.0, ""},
    {"BM_BlitScaled", "BM_PixmanAdd", false, kNoTarget, ""},
    {"BM_BlitAddScaled", "BM_PixmanAdd", false, kNoTarget, ""},
    {"BM_StretchBlit", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_StretchBlitAdd", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_StretchBlitScaled", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_StretchBlitAddScaled", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_DrawZoomed", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_DrawZoomedAdd", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_DrawZoomedScaled", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_DrawZoomedAddScaled", "BM_PixmanAddNearest", true, 0.5, "/11"},
    {"BM_SpriteCentered", "BM_PixmanAddSprite", true, kNoTarget, ""},
    {"BM_SpriteCenteredAdd", "BM_PixmanAddSprite", true, kNoTarget, ""},
    {"BM_SpriteCenteredScaled", "BM_PixmanAddSprite", true, kNoTarget, ""},
    {"BM_SpriteCenteredAddScaled", "BM_PixmanAddSprite", true, kNoTarget, ""},
    {"BM_SpriteZoomed", "BM_PixmanAddNearestSprite", true, kNoTarget, ""},
    {"BM_SpriteZoomedAdd", "BM_PixmanAddNearestSprite", true, kNoTarget, ""},
    {"BM_SpriteZoomedScaled", "BM_PixmanAddNearestSprite", true, kNoTarget, ""},
    {"BM_SpriteZoomedAddScaled", "BM_PixmanAddNearestSprite", true, kNoTarget, ""},
};

// The anchors themselves are listed without a ratio.
bool isAnchor(std::string_view name) {
    return name == "BM_Memcpy" || name == "BM_Memset" || name.substr(0, 9) == "BM_Pixman";
}

constexpr double kFrameBudgetMicroseconds = 1000.0;

// The default show's orders on one and on two threads, side by side, with the
// memcpy anchor of the same run.
void printThreadTable(const std::map<std::string, double, std::less<>>& byName) {
    const auto frameTime = [&](int order, int threads) -> std::optional<double> {
        const auto found = byName.find("BM_ShowFrame/order:" + std::to_string(order) +
                                       "/threads:" + std::to_string(threads) + "/real_time");
        if (found == byName.end()) return std::nullopt;
        return found->second;
    };
    bool header = false;
    for (int order = 0; order < 7; ++order) {
        const std::optional<double> one = frameTime(order, 1), two = frameTime(order, 2);
        if (!one || !two) continue;
        if (!header) {
            std::printf("\nDefault show, wall-clock time per frame on %s\n", processorModel().c_str());
            std::printf("%-8s %12s %12s %9s %14s\n", "order", "1 thread us", "2 threads us", "speed-up",
                        "frames/s (2)");
            header = true;
        }
        std::printf("%-8d %12.1f %12.1f %8.2fx %14.0f\n", order, *one, *two, *one / *two, 1e6 / *two);
    }
    const auto memcpyTime = byName.find("BM_Memcpy");
    if (header && memcpyTime != byName.end())
        std::printf("memcpy of one frame (anchor): %.1f us\n", memcpyTime->second);
    const auto copyOne = byName.find("BM_MemcpyOnThreads/threads:1/real_time");
    const auto copyTwo = byName.find("BM_MemcpyOnThreads/threads:2/real_time");
    if (header && copyOne != byName.end() && copyTwo != byName.end())
        std::printf("the same copy in two halves on 2 threads: %.1f us (%.2fx): what a second thread gives at best\n",
                    copyTwo->second, copyOne->second / copyTwo->second);
}

}  // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
        const std::string name = run.benchmark_name();
        const bool wallClock = name.size() >= 10 && name.compare(name.size() - 10, 10, "/real_time") == 0;
        const double time = wallClock ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
        const double microseconds = time / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
        times_.emplace_back(run.benchmark_name(), microseconds);
    }
}

void printSummary(const std::vector<std::pair<std::string, double>>& times) {
    // With --benchmark_repetitions a benchmark runs several times; its fastest
    // run is the one the rest of a shared machine disturbed least.
    std::map<std::string, double, std::less<>> byName;
    std::vector<std::string> names;  // in the order they ran
    for (const auto& [name, microseconds] : times) {
        const auto [entry, fresh] = byName.emplace(name, microseconds);
        if (fresh)
            names.push_back(name);
        else
            entry->second = std::min(entry->second, microseconds);
    }
    int met = 0, missed = 0;
    std::printf("\nPerformance summary: CPU time per frame, ratio = time / anchor\n");
    std::printf("%-44s %10s  %-30s %7s  %s\n", "benchmark", "us/frame", "anchor", "ratio", "target");
    for (const std::string& name : names) {
        const double microseconds = byName.find(name)->second;
        const std::string_view full = name;
        const std::string_view family = full.substr(0, full.find('/'));
        const std::string_view args = full.substr(family.size());
        // Whole scripts are measured in bytes per second, not against a frame.
        if (family.substr(0, 9) == "BM_Script") continue;
        if (isAnchor(family)) {
            std::printf("%-44s %10.1f  %-30s %7s\n", name.c_str(), microseconds, "(anchor)", "");
            continue;
        }
        std::optional<AnchorRule> rule;
        for (const AnchorRule& r : kRules)
            if (r.family == family) rule = r;
        std::string anchorName = "1 ms frame budget";
        double anchorTime = kFrameBudgetMicroseconds;
        double target = 1.0;
        if (rule) {
            anchorName = std::string(rule->anchor) + (rule->withArgs ? std::string(args) : "");
            const auto found = byName.find(anchorName);
            if (found == byName.end()) {
                std::printf("%-44s %10.1f  %-30s %7s\n", name.c_str(), microseconds, anchorName.c_str(), "-");
                continue;
            }
            anchorTime = found->second;
            target = (rule->targetArgs.empty() || rule->targetArgs == args) ? rule->target : kNoTarget;
        }
        const double ratio = microseconds / anchorTime;
        std::string verdict;
        if (target != kNoTarget) {
            const bool ok = rule ? ratio <= target : ratio < target;
            (ok ? met : missed)++;
            char text[48];
            std::snprintf(text, sizeof text, "%s %.2f  %s", rule ? "<=" : "<", target, ok ? "met" : "MISSED");
            verdict = text;
        }
        if (family == "BM_ShowFrame") {
            char fps[32];
            std::snprintf(fps, sizeof fps, "  (%.0f frames/s)", 1e6 / microseconds);
            verdict += fps;
        }
        std::printf("%-44s %10.1f  %-30s %7.2f  %s\n", name.c_str(), microseconds, anchorName.c_str(), ratio,
                    verdict.c_str());
    }
    std::printf("targets met: %d, missed: %d\n", met, missed);
    printThreadTable(byName);
}

std::string processorModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) != 0) continue;
        const size_t colon = line.find(':');
        if (colon != std::string::npos && colon + 2 <= line.size()) return line.substr(colon + 2);
    }
    return "unknown processor";
}

}  // namespace velmora::perf
