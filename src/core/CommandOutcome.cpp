// The one printer of a command's outcome.
#include "core/CommandOutcome.h"

#include <cstdio>

namespace velmora {

int reportOutcome(const char* command, const CommandOutcome& outcome) {
    if (!outcome.message.empty()) {
        std::fflush(stdout);  // the command's own lines first
        if (!outcome.file.empty()) std::fprintf(stderr, "%s: %s\n", outcome.file.c_str(), outcome.message.c_str());
        else if (*command) std::fprintf(stderr, "velmora %s: %s\n", command, outcome.message.c_str());
        else std::fprintf(stderr, "velmora: %s\n", outcome.message.c_str());
        std::fflush(stderr);
    }
    return outcome.status;
}

}  // namespace velmora
