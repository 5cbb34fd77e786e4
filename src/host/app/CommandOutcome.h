// How a command ends: its exit status, and the line that says why when it
// failed. Commands return it; the command line's dispatch prints it, once.
#pragma once

#include <string>

namespace velmora {

struct CommandOutcome {
    int status = 0;
    std::string message;  // without the "velmora COMMAND: " prefix; empty: nothing to say

    static CommandOutcome failed(std::string why, int status = 1) { return {status, std::move(why)}; }
};

// Prints the outcome's message as "velmora COMMAND: message" on standard
// error ("velmora: message" for the empty command: a step before any command)
// and returns its status.
int reportOutcome(const char* command, const CommandOutcome& outcome);

}  // namespace velmora
