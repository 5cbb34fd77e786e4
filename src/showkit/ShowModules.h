// The tunes of the generated shows, built from the same synthesized instruments.
#pragma once

#include "showkit/ModuleWriter.h"

namespace velmora::xm {

// The default show's music: seven orders of 64 rows (about 54 s), looping to order 1.
Module defaultShowModule();
// The music of `velmora new`: two orders of 64 rows (about 15 s), looping to the start.
Module newShowModule();

}  // namespace velmora::xm
