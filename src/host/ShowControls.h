// The keys for authoring a running show: Left and Right jump an order of the
// music, Up and Down step a row, L loops an order, Space pauses; the clock
// always follows the music.
#pragma once

#include <cstdint>

#include "platform/ModulePlayer.h"
#include "script/DemoGraph.h"

namespace velmora {

// Row 0 of the previous (direction -1) or next (+1) order; the first order
// stays itself going back and the last going on. The clock is set to the
// module's time there (time 0 is the module's start, as when the show began).
void jumpOrder(DemoGraph& graph, ModulePlayer& player, int direction);
// One row back (-1) or on (+1), the clock set to the module's time there.
void stepRow(DemoGraph& graph, ModulePlayer& player, int direction);
// Starts the show at `row` of `order`: the music goes there and the clock too.
void startAt(DemoGraph& graph, ModulePlayer& player, uint32_t order, uint32_t row);
// Loops the order playing now, or ends the loop; true while looping.
bool toggleLoop(ModulePlayer& player);
// Once per frame: when the looped order has started again, so does the clock.
void followLoop(DemoGraph& graph, ModulePlayer& player);
// Pauses the music and the clock together, or resumes them together.
void togglePause(DemoGraph& graph, ModulePlayer& player);

}  // namespace velmora
