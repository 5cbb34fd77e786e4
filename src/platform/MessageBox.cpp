// Message boxes through SDL, kept away from automated and display-less runs.
#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {
bool boxesDisabled = false;
}  // namespace

void disableMessageBoxes() { boxesDisabled = true; }

bool messageBoxesAllowed() {
    if (boxesDisabled || std::getenv("VELMORA_NO_MESSAGE_BOX")) return false;
    // SDL falls back to an X11 box even under the dummy video driver; a driver
    // that shows nothing means nobody could dismiss the box.
    if (const char* driver = std::getenv("SDL_VIDEODRIVER")) {
        if (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0 ||
            std::strcmp(driver, "evdev") == 0)
            return false;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void showErrorBox(const char* title, const char* message) {
    if (!messageBoxesAllowed()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, message, nullptr);
}

}  // namespace velmora
