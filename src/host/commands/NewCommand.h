// `velmora new DIR`: a new show folder that plays at once.
#pragma once

#include <string>

#include "core/CommandOutcome.h"

namespace velmora {

struct NewOptions {
    std::string dir;
};

// What the closing hint starts the show with: a window at once, and no sound
// device needed, so that it plays where no one can click a dialog or a box.
inline constexpr const char* kNewShowArguments = "--mode window --mute";
// The closing hint: the commands that play the new show in `dir`.
std::string newShowHint(const std::string& dir);

// Writes the show; a failed outcome, with its one line, when the folder is
// not empty or a file cannot be written.
CommandOutcome runNew(const NewOptions& options);

}  // namespace velmora
