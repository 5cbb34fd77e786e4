// `velmora info`: what an author needs of the music to place --start, --position
// and order intervals: title, format, length, channels, and each order's
// pattern, rows and start time.
#pragma once

#include <string>

#include "core/CommandOutcome.h"

namespace velmora {

struct InfoOptions {
    std::string music = "data/zik.mo3";
};

// Prints the module's description on standard output; the outcome names the
// module and why it cannot be read when it cannot.
CommandOutcome runInfo(const InfoOptions& options);

}  // namespace velmora
