// `velmora bench`: frames per second of a show headless, and what each wiring line costs.
#pragma once

#include <cstdint>
#include <string>

#include "core/Limits.h"
#include "core/CommandOutcome.h"

namespace velmora {

struct BenchOptions {
    std::string script = "script.zyl";
    int frames = 500;
    double fps = 50.0;
    uint32_t musicPosition = 0;  // a channel position (see MusicTransport)
    std::string music = "data/zik.mo3";  // read for its song rows only
    int threads = 0;             // 0: VELMORA_THREADS, else one per core
    uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes;
    // Above 0: instead of the line table, orders 0 to orders - 1 from their
    // first row, each timed at every vector level up to the one in use.
    int orders = 0;
};

// Runs the frames and prints the table.
CommandOutcome runBench(const BenchOptions& options);

}  // namespace velmora
