// `velmora check`: the script's problems, one line each, without a display or music.
#pragma once

#include <string>

#include "core/Limits.h"
#include "core/CommandOutcome.h"

namespace velmora {

struct CheckOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes;
};

// Prints every finding of the script and its module on standard error, a
// warning as FILE:LINE: warning: message, a problem as FILE:LINE: message.
// Fails (status 1, the findings its lines) when there is a problem, else
// prints a one-line summary on standard output.
CommandOutcome runCheck(const CheckOptions& options);

}  // namespace velmora
