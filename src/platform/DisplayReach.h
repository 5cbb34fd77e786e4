// Whether the show has a screen to open its windows on, asked before the
// launch dialog so that a machine without one is told so at once.
#pragma once

#include <string>

namespace velmora {

// Empty when a display can be reached (or SDL_VIDEODRIVER names the driver to
// use, which then succeeds or fails on its own); otherwise one English line
// that names the display and what to do instead.
// SDL's video, once started here, stays started until platformQuit: the dialog
// and the show's window only add to SDL's count of starts, so the connection to
// the display is never dropped between the probe and the window. An X server
// that resets when its last client leaves (Xvfb's default) would otherwise reset
// in that instant and refuse the window.
std::string unreachableDisplay();

}  // namespace velmora
