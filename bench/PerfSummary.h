// The summary printed after a benchmark run: each benchmark's CPU time per frame
// beside its anchor (memcpy, memset, pixman, or the 1 ms frame budget), the
// ratio between the two, and whether the target ratio is met.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace velmora::perf {

// Shows the usual console output and keeps every benchmark's time.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // Microseconds per iteration, by benchmark name, in run order: CPU time,
    // or wall-clock time for benchmarks that ask for it (threaded ones).
    const std::vector<std::pair<std::string, double>>& times() const { return times_; }

private:
    std::vector<std::pair<std::string, double>> times_;
};

void printSummary(const std::vector<std::pair<std::string, double>>& times);

// The "model name" line of /proc/cpuinfo, or "unknown processor".
std::string processorModel();

}  // namespace velmora::perf
