// Fuzz target: a music module from any bytes, as the show, `render` and `info`
// load it: described, played a short while with its rows and channel levels
// noted, sought to an order and a row, and looped. A damaged module must be
// refused or played, never read out of bounds.
#include <cstdint>
#include <vector>

#include "platform/ChannelLevelTimeline.h"
#include "platform/ModuleInfo.h"
#include "platform/ModuleStream.h"

using namespace velmora;

namespace {

// About 46 ms at a time: enough to cross ticks, rows and the levels'
// readings without making each input slow.
constexpr size_t kFrames = 2048;

void play(ModuleStream& stream, std::vector<int16_t>& sound) {
    int64_t lastRowFrame = -1;
    stream.render(sound.data(), kFrames, [&](const RowStart& start) {
        if (start.frame < lastRowFrame) __builtin_trap();  // rows come in order
        lastRowFrame = start.frame;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ModuleStream stream;
    if (stream.loadMemory(data, size) != ModuleStream::kLoaded) return 0;
    const ModuleInfo info = stream.describe();
    if (!stream.playable()) return 0;

    ChannelLevelTimeline levels;
    stream.recordChannelLevels(&levels);
    std::vector<int16_t> sound(2 * kFrames);
    play(stream, sound);
    for (const float level : levels.levelsAt(stream.framesRendered() - 1))
        if (!(level >= 0.0f && level <= 1.0f)) __builtin_trap();

    // The last order with a pattern, at its last row, looped.
    const int32_t order = static_cast<int32_t>(info.orders.size()) - 1;
    if (order >= 0 && info.orders.back().pattern >= 0) {
        RowStart start;
        stream.seekOrderRow(order, info.orders.back().rows - 1, start);
        stream.setLoopOrder(order);
        play(stream, sound);
    }
    int32_t row = 0, at = 0;
    stream.neighbourRow(at, row, 1);
    stream.neighbourOrder(at, -1);
    return 0;
}
