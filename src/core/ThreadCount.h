// How many threads a show's frames use: from the command line or the
// environment variable VELMORA_THREADS, else one per processor core.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

inline constexpr int kMaxThreads = 64;

// A whole number from 1 to kMaxThreads; anything else is not a thread count.
std::optional<int> parseThreadCount(std::string_view text);

// The number of processor cores, at least 1 and at most kMaxThreads.
int coreCount();

// VELMORA_THREADS when it holds a thread count, else coreCount(). A value
// that is set but not a count is reported on standard error and ignored.
int threadCountFromEnvironment();

// `given` (a --threads option) when above 0, else threadCountFromEnvironment().
int chosenThreadCount(int given);

}  // namespace velmora
