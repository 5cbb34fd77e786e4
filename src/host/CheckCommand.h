// `velmora check`: the script's problems, one line each, without a display or music.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Reads `--script FILE`; false after a one-line error.
bool parseCheckOptions(const std::vector<std::string>& args, std::string& script);
// Prints every problem as FILE:LINE: message on standard error and returns 1, or
// a one-line summary on standard output and returns 0.
int runCheck(const std::string& script);

}  // namespace velmora
