// Making a new show folder from the command line.
#include "host/NewCommand.h"

#include <cstdio>

#include "showkit/NewShow.h"

namespace velmora {

int runNew(const NewOptions& options) {
    const std::string error = writeNewShow(options.dir);
    if (!error.empty()) {
        std::fprintf(stderr, "velmora new: %s\n", error.c_str());
        return 1;
    }
    std::printf("A new show is in %s: cd %s && velmora\n", options.dir.c_str(), options.dir.c_str());
    return 0;
}

}  // namespace velmora
