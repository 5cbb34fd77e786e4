// Live reload: the script and its data read again into a new demo graph that
// takes the running graph's place in the session, or the old show kept on any problem.
#pragma once

#include <cstdint>
#include <string>

#include "core/Limits.h"
#include "host/ShowSession.h"

namespace velmora {

// Checks and loads `path` in one pass, as `velmora check` does; on any problem
// prints each as FILE:LINE: message on standard error and keeps the session's
// graph. Otherwise the new graph (its boxes in their start state) takes its
// place; the session's music, clock and threads go on. An error
// raised on the way is one more problem, never an exit or a message box.
// Returns true when the new show took over.
bool reloadScript(ShowSession& session, const std::string& path, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes);

}  // namespace velmora
