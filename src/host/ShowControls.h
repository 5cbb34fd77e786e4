// The keys for authoring a running show: Left and Right jump an order of the
// music, Space pauses; the clock always follows the music.
#pragma once

#include "platform/ModulePlayer.h"
#include "script/DemoGraph.h"

namespace velmora {

// Row 0 of the previous (direction -1) or next (+1) order; the first order
// stays itself going back and the last going on. The clock is set to the
// module's time there (time 0 is the module's start, as when the show began).
void jumpOrder(DemoGraph& graph, ModulePlayer& player, int direction);
// Pauses the music and the clock together, or resumes them together.
void togglePause(DemoGraph& graph, ModulePlayer& player);

}  // namespace velmora
