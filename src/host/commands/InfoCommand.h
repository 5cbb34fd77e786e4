// `velmora info`: what an author needs of the music to place --start, --position
// and order intervals: title, format, length, channels, and each order's
// pattern, rows and start time.
#pragma once

#include <string>

namespace velmora {

struct InfoOptions {
    std::string music = "data/zik.mo3";
};

// Prints the module's description on standard output and returns the exit code.
int runInfo(const InfoOptions& options);

}  // namespace velmora
