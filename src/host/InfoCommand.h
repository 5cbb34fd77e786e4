// `velmora info`: what an author needs of the music to place --start, --position
// and order intervals: title, format, length, channels, and each order's
// pattern, rows and start time.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Parses `[--music FILE]`; false after reporting an error.
bool parseInfoOptions(const std::vector<std::string>& args, std::string& music);
// Prints the module's description on standard output and returns the exit code.
int runInfo(const std::string& music);

}  // namespace velmora
