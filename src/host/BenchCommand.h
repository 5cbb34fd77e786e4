// `velmora bench`: frames per second of a show headless, and what each wiring line costs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct BenchOptions {
    std::string script = "script.zyl";
    int frames = 500;
    double fps = 50.0;
    uint32_t order = 0, row = 0, rowFraction = 0;
    int threads = 0;  // 0: VELMORA_THREADS, else one per core
};

// false after a one-line error.
bool parseBenchOptions(const std::vector<std::string>& args, BenchOptions& options);
// Runs the frames and prints the table; returns the exit code.
int runBench(const BenchOptions& options);

}  // namespace velmora
