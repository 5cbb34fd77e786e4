// Flushing standard output and telling why it failed, once.
#include "host/app/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velmora {

std::optional<std::string> standardOutputProblem() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return std::nullopt;
    if (errno == EPIPE) return "the output closed (the reader went away)";
    return std::string("cannot write the output: ") + std::strerror(errno ? errno : EIO);
}

}  // namespace velmora
