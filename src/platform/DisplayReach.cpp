// DisplayReach: SDL's video started once to see whether a screen answers, and
// kept for the show. SDL would otherwise fall back to its off-screen driver, and
// the show would run (and its dialog wait) where nobody sees it.
#include "platform/DisplayReach.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Drivers that draw into memory only: nobody could see the show or the dialog.
bool drawsNowhere(const char* driver) {
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
           std::strcmp(driver, "evdev") == 0;
}

}  // namespace

std::string unreachableDisplay() {
    if (isSet("SDL_VIDEODRIVER")) {
        SDL_InitSubSystem(SDL_INIT_VIDEO);  // held as below; a failure is the window's to report
        return {};
    }
    const bool x11 = isSet("DISPLAY");
    const bool wayland = isSet("WAYLAND_DISPLAY");
    // Only the drivers of the displays named are tried, in SDL's own order;
    // with none named only a console's screen is left (and Wayland's complaint
    // about a missing runtime folder is not printed).
    SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 && wayland ? "x11,wayland" : x11 ? "x11" : wayland ? "wayland" : "KMSDRM");
    const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    const bool visible = started && !drawsNowhere(SDL_GetCurrentVideoDriver()) && SDL_GetNumVideoDisplays() > 0;
    if (visible) return {};  // the start is held for the dialog and the window
    if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!x11 && !wayland)
        return "velmora: no display to show on: DISPLAY and WAYLAND_DISPLAY are not set (run the show on a "
               "desktop or under xvfb-run, or make a video with velmora render)";
    std::string names;
    if (x11) names = std::string("DISPLAY=") + std::getenv("DISPLAY");
    if (wayland) names += std::string(names.empty() ? "" : ", ") + "WAYLAND_DISPLAY=" + std::getenv("WAYLAND_DISPLAY");
    return "velmora: cannot reach the display (" + names + "): no window can be opened there";
}

}  // namespace velmora
