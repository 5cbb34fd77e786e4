// Where the show's clock reads the time: a monotonic count of nanoseconds.
// The native show reads the steady clock, the page the time its frames are
// called at, tests a count of their own.
#pragma once

#include <cstdint>
#include <functional>

namespace velmora {

using TickSource = std::function<int64_t()>;

// Nanoseconds of std::chrono::steady_clock.
int64_t steadyNanoseconds();

}  // namespace velmora
