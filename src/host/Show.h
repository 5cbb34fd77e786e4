// The show on screen: launch dialog, window or full screen, music, main loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/Limits.h"

namespace velmora {

// A place in the music: an order and a row of its pattern.
struct OrderRow {
    uint32_t order = 0, row = 0;
};

struct ShowOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    int mode = -1;  // 0: 512x384 full screen, 1: 640x480 full screen, 2: window; -1: ask
    bool watch = false;  // reload the script whenever its file or a track file it reads changes
    bool integerScale = true;  // whole scale factors only; false: fit the screen at any factor
    int frameRateCap = 0;      // in a window without vsync: 0 the display's refresh rate, else frames per second
    bool uncapped = false;     // in a window: neither vsync nor a cap
    std::optional<OrderRow> startPosition;  // start the music (and the clock) there
    int threads = 0;  // threads per frame; 0: VELMORA_THREADS, else one per core
    std::filesystem::path screenshotFolder;  // where grab_N.bmp goes; empty: the working directory
    uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes;  // for every load, reloads too
    bool mute = false;          // no audio device: the music is followed without its sound
    bool noMessageBox = false;  // errors on standard error only, never in a box
};

// Runs the whole show and returns the process exit code; an error that stops
// the show is presented here (text, message box) and gives its exit status.
int runShow(const ShowOptions& options);

}  // namespace velmora
