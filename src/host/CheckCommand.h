// `velmora check`: the script's problems, one line each, without a display or music.
#pragma once

#include <string>

#include "core/Limits.h"

namespace velmora {

struct CheckOptions {
    std::string script = "script.zyl";
    uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes;
};

// Prints every problem as FILE:LINE: message on standard error and returns 1, or
// a one-line summary on standard output and returns 0.
int runCheck(const CheckOptions& options);

}  // namespace velmora
