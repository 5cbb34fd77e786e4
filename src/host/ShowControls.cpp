// Order jumps and pause, music and clock together.
#include "host/ShowControls.h"

namespace velmora {

void jumpOrder(DemoGraph& graph, ModulePlayer& player, int direction) {
    const double seconds = player.jumpOrder(direction);
    if (seconds >= 0.0) graph.clock.setSeconds(seconds);
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
