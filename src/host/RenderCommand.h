// `velmora render`: the show evaluated headless, frame by frame, into BMP files.
#pragma once

#include "host/CommandLine.h"

namespace velmora {

// Renders the frames and returns the exit code.
int runRender(const RenderOptions& options);

}  // namespace velmora
