// The platform layer's one-time set-up and tear-down.
#pragma once

#include <cstdint>

namespace velmora {

// Starts the SDL subsystems named by their SDL_INIT_* flags; false on failure.
bool platformInit(uint32_t subsystems);
void platformQuit();

}  // namespace velmora
