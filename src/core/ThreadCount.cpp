// Thread counts from text, the environment and the processor.
#include "core/ThreadCount.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace velmora {

std::optional<int> parseThreadCount(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    if (value < 1 || value > kMaxThreads) return std::nullopt;
    return value;
}

int coreCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return cores > static_cast<unsigned>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

int threadCountFromEnvironment() {
    const char* text = std::getenv("VELMORA_THREADS");
    if (!text) return coreCount();
    if (const std::optional<int> count = parseThreadCount(text)) return *count;
    std::fprintf(stderr, "VELMORA_THREADS: expected a whole number from 1 to %d, not \"%s\"; using %d\n",
                 kMaxThreads, text, coreCount());
    return coreCount();
}

int chosenThreadCount(int given) { return given > 0 ? given : threadCountFromEnvironment(); }

}  // namespace velmora
