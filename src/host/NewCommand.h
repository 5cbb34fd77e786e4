// `velmora new DIR`: a new show folder that plays at once.
#pragma once

#include <string>

namespace velmora {

struct NewOptions {
    std::string dir;
};

// Writes the show; 0 when done, 1 (after a one-line error) when the folder is
// not empty or a file cannot be written.
int runNew(const NewOptions& options);

}  // namespace velmora
