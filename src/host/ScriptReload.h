// Live reload: the script and its data read again into a new demo graph that
// takes over the running music and clock, or the old show kept on any problem.
#pragma once

#include <memory>
#include <string>

#include "script/DemoGraph.h"

namespace velmora {

// Checks and loads `path` in one pass, as `velmora check` does; on any problem
// prints each as FILE:LINE: message on standard error and keeps `graph`.
// Otherwise the new graph (its boxes in their start state) takes over the
// music and the clock of `graph` and its place; the music plays on. An error
// raised on the way is one more problem, never an exit or a message box.
// Returns true when the new show took over; otherwise `firstProblem` (when
// given) gets the first line printed.
bool reloadScript(std::unique_ptr<DemoGraph>& graph, const std::string& path, std::string* firstProblem = nullptr);

}  // namespace velmora
