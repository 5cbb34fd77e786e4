// Offline decoding in step with headless frames.
#include "platform/OfflineMusic.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {
int64_t moduleFrameAt(double seconds) { return std::llround(seconds * kMusicRate); }
}  // namespace

void OfflineMusic::decodeTo(int64_t frame, int64_t maxFrames) {
    const int64_t rendered = module_.framesRendered();
    const int64_t end = frame - rendered <= maxFrames ? frame : rendered + maxFrames;
    while (module_.framesRendered() < end) {
        const int64_t n = std::min<int64_t>(kChunkFrames, end - module_.framesRendered());
        module_.render(chunk_.data(), static_cast<size_t>(n));
    }
}

bool OfflineMusic::decodeToward(double seconds, int64_t maxFrames) {
    const int64_t target = moduleFrameAt(seconds) + 1;
    decodeTo(target, maxFrames);
    return module_.framesRendered() >= target;
}

uint32_t OfflineMusic::positionAt(double seconds) {
    const int64_t at = moduleFrameAt(seconds);
    if (at < 0) return last_ = 0;
    decodeTo(at + 1, std::numeric_limits<int64_t>::max());
    return last_ = module_.positionAt(at);
}

std::span<const float> OfflineMusic::channelLevelsAt(double seconds) {
    const int64_t at = moduleFrameAt(seconds);
    if (at < 0) return {};
    decodeTo(at + 1, std::numeric_limits<int64_t>::max());
    return module_.channelLevelsAt(at);
}

}  // namespace velmora
