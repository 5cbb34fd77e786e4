// The start-up steps shared by the show and the headless commands.
#pragma once

#include <memory>

#include "script/DemoGraph.h"
#include "surface/Surface.h"

namespace velmora {

// Loads the script; a missing script or an invalid one is a fatal error.
// Rejected parameter texts go to `reporter`; what `velmora check` would find
// besides is printed once on standard error as warnings, and changes nothing.
void loadScriptOrDie(DemoGraph& graph, const char* path, ErrorReporter& reporter = standardErrorReporter());
// The 512 by 256 frame, made from the text "512 256" and cleared.
std::unique_ptr<Surface> makeOutputSurface();

}  // namespace velmora
