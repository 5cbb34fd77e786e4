// A problem of a script, with its line.
#pragma once

#include <string>

namespace velmora {

// A problem of a script: the first one a load met (for the words after
// "Script non valide!!"), or one of those `check` finds.
struct ScriptProblem {
    int line = 0;  // 1-based; 0 when none, or when the problem is the file itself
    std::string message;
    bool warning = false;  // the show plays with it as it is; otherwise the show stops on it
};

}  // namespace velmora
