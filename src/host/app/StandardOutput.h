// Standard output that may be a pipe: a reader that goes away is told in one
// line, and the command ends, instead of writing on into nothing.
#pragma once

namespace velmora {

// Flushes standard output. False after printing one line on standard error
// ("WHO: the output closed (the reader went away)", or the system's reason)
// when the write failed; SIGPIPE is ignored, so the failure is EPIPE.
bool flushedStandardOutput(const char* who);

}  // namespace velmora
