// How a command ends: its exit status, and the line that says why when it
// failed. Commands return it; the command line's dispatch prints it, once.
#pragma once

#include <string>

namespace velmora {

struct CommandOutcome {
    int status = 0;
    std::string message;  // without the "velmora COMMAND: " prefix; empty: nothing to say
    // The file the message is about when the line starts with it instead of
    // the command ("FILE: message", as a compiler says it); empty otherwise.
    std::string file;

    static CommandOutcome failed(std::string why, int status = 1) { return {status, std::move(why), {}}; }
    static CommandOutcome failedOn(std::string file, std::string why) { return {1, std::move(why), std::move(file)}; }
};

// Prints the outcome's message on standard error, after what the command
// printed on standard output, and returns its status. The line is
// "velmora COMMAND: message", "velmora: message" for the empty command (a
// step before any command), or "FILE: message" for an outcome about a file.
int reportOutcome(const char* command, const CommandOutcome& outcome);

}  // namespace velmora
