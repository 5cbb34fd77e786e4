// A long load asks, between its steps, whether the user asked it to stop
// (Ctrl-C, a termination signal): the host hands the question in, the loader
// raises LoadInterrupted, and the host ends as it does between frames.
#pragma once

#include <exception>
#include <functional>

namespace velmora {

// True when the load should stop now. An empty check never stops.
using StopCheck = std::function<bool()>;

struct LoadInterrupted : std::exception {
    const char* what() const noexcept override { return "the load was interrupted"; }
};

// Raises LoadInterrupted when `stop` says so.
inline void stopIfAsked(const StopCheck* stop) {
    if (stop && *stop && (*stop)()) throw LoadInterrupted();
}

}  // namespace velmora
