// Order jumps, row steps, the order loop and pause: music and clock together.
#include "host/ShowControls.h"

namespace velmora {

void jumpOrder(DemoGraph& graph, ModulePlayer& player, int direction) {
    const double seconds = player.jumpOrder(direction);
    if (seconds >= 0.0) graph.clock.setSeconds(seconds);
}

void stepRow(DemoGraph& graph, ModulePlayer& player, int direction) {
    const double seconds = player.stepRow(direction);
    if (seconds >= 0.0) graph.clock.setSeconds(seconds);
}

void startAt(DemoGraph& graph, ModulePlayer& player, uint32_t order, uint32_t row) {
    const double seconds = player.seek(static_cast<int32_t>(order), static_cast<int32_t>(row));
    if (seconds >= 0.0) graph.clock.setSeconds(seconds);
}

bool toggleLoop(ModulePlayer& player) { return player.toggleLoop(); }

void followLoop(DemoGraph& graph, ModulePlayer& player) {
    double seconds = 0.0;
    if (player.takeLoopReturn(seconds)) graph.clock.setSeconds(seconds);
}

void togglePause(DemoGraph& graph, ModulePlayer& player) {
    const bool pause = !graph.clock.paused();
    player.setPaused(pause);
    if (pause)
        graph.clock.pause();
    else
        graph.clock.resume();
}

}  // namespace velmora
