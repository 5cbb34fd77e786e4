// The one entry point of the benchmark program: the usual run, then a summary
// of every benchmark against its anchor.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "PerfSummary.h"
#include "boxes/Kernels.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (const std::string warning = velmora::chooseKernelsFromEnvironment(); !warning.empty())
        std::fprintf(stderr, "%s\n", warning.c_str());
    std::printf("Processor: %s\n", velmora::perf::processorModel().c_str());
    velmora::perf::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    velmora::perf::printSummary(reporter.times());
    benchmark::Shutdown();
    return 0;
}
