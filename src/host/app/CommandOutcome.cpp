// The one printer of a command's outcome.
#include "host/app/CommandOutcome.h"

#include <cstdio>

namespace velmora {

int reportOutcome(const char* command, const CommandOutcome& outcome) {
    if (!outcome.message.empty()) {
        if (*command) std::fprintf(stderr, "velmora %s: %s\n", command, outcome.message.c_str());
        else std::fprintf(stderr, "velmora: %s\n", outcome.message.c_str());
        std::fflush(stderr);
    }
    return outcome.status;
}

}  // namespace velmora
