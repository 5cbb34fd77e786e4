// The platform layer's one-time tear-down.
#pragma once

namespace velmora {

// Ends every part of SDL the show started (the display's hold on the video among them).
void platformQuit();

}  // namespace velmora
