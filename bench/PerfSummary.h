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
    // Microseconds of CPU time per iteration, by benchmark name, in run order.
    const std::vector<std::pair<std::string, double>>& times() const { return times_; }

private:
    std::vector<std::pair<std::string, double>> times_;
};

void printSummary(const std::vector<std::pair<std::string, double>>& times);

}  // namespace velmora::perf
