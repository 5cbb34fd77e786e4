// Flushing standard output and telling why it failed, once.
#include "host/app/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velmora {

bool flushedStandardOutput(const char* who) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    if (errno == EPIPE) std::fprintf(stderr, "%s: the output closed (the reader went away)\n", who);
    else std::fprintf(stderr, "%s: cannot write the output: %s\n", who, std::strerror(errno ? errno : EIO));
    return false;
}

}  // namespace velmora
