// The start-up steps shared by the show and the headless commands.
#pragma once

#include <memory>
#include <string>

#include "script/DemoGraph.h"
#include "surface/Surface.h"

namespace velmora {

// Loads the script; a missing script or an invalid one is a fatal error.
// Rejected parameter texts go to `reporter`; what `velmora check` would find
// besides is printed once on standard error as warnings, and changes nothing.
void loadScriptOrDie(DemoGraph& graph, const char* path, ErrorReporter& reporter = standardErrorReporter());
// For `-C DIR`: the script and every file it names are then read relative to
// DIR, as if the program had been started there. False, after one line on
// standard error, when DIR cannot be entered.
bool enterDirectory(const std::string& dir);
// The 512 by 256 frame, made from the text "512 256" and cleared.
std::unique_ptr<Surface> makeOutputSurface();

}  // namespace velmora
