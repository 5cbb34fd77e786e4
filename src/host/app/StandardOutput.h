// Standard output that may be a pipe: a reader that goes away is told in one
// line, and the command ends, instead of writing on into nothing.
#pragma once

#include <optional>
#include <string>

namespace velmora {

// Flushes standard output. When the write failed, the line that says why
// ("the output closed (the reader went away)", or the system's reason), for
// the command's outcome; SIGPIPE is ignored, so the failure is EPIPE.
std::optional<std::string> standardOutputProblem();

}  // namespace velmora
