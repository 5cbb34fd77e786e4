// The platform layer's one-time tear-down of SDL.
#include "platform/Platform.h"

#include <SDL.h>

namespace velmora {

void platformQuit() { SDL_Quit(); }

}  // namespace velmora
