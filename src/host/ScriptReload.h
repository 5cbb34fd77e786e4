// Live reload: the script and its data read again into a new demo graph that
// takes over the running music and clock, or the old show kept on any problem.
#pragma once

#include <memory>
#include <string>

#include "script/DemoGraph.h"
#include "core/Errors.h"

namespace velmora {

// The handlers the show runs with, put back after a reload has used its own.
struct ShowErrorHandlers {
    FatalErrorHandler fatal = nullptr;
    ErrorReportHandler report = nullptr;
};

// Checks `path` as `velmora check` does; on any problem prints each as
// FILE:LINE: message on standard error and keeps `graph`. Otherwise loads it
// into a new graph (a fatal error or a damaged file during the load is one more
// problem, never an exit or a message box), hands it the music and the clock
// of `graph` and puts it in its place; the music plays on. Returns true when the
// new show took over.
bool reloadScript(std::unique_ptr<DemoGraph>& graph, const std::string& path, const ShowErrorHandlers& handlers);

}  // namespace velmora
