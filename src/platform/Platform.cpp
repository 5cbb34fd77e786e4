// The platform layer's one-time set-up and tear-down of SDL.
#include "platform/Platform.h"

#include <SDL.h>

namespace velmora {

bool platformInit(uint32_t subsystems) { return SDL_InitSubSystem(subsystems) == 0; }

void platformQuit() { SDL_Quit(); }

}  // namespace velmora
