// The show on screen: launch dialog, window or full screen, music, main loop.
#pragma once

#include <string>

namespace velmora {

struct ShowOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    int mode = -1;  // 0: 512x384 full screen, 1: 640x480 full screen, 2: window; -1: ask
    bool watch = false;  // reload the script whenever its file changes
};

// Runs the whole show and returns the process exit code; an error that stops
// the show is presented here (text, message box) and gives its exit status.
int runShow(const ShowOptions& options);

}  // namespace velmora
