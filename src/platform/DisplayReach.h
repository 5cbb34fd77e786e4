// Whether the show has a screen to open its windows on, asked before the
// launch dialog so that a machine without one is told so at once.
#pragma once

#include <string>

namespace velmora {

// Empty when a display can be reached (or SDL_VIDEODRIVER names the driver to
// use, which then succeeds or fails on its own); otherwise one English line
// that names the display and what to do instead.
std::string unreachableDisplay();

}  // namespace velmora
