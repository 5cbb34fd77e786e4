// The audio feed's music: rendering on demand, the heard position, the moves.
#include "platform/FeedMusic.h"

namespace velmora {

bool FeedMusic::load(const char* path) {
    if (stream_.load(path) != ModuleStream::kLoaded || !stream_.playable()) return false;
    orderStartRows_ = stream_.orderStartRows();
    return true;
}

void FeedMusic::fill(int16_t* out, size_t frames) {
    stream_.render(out, frames, [this](const RowStart& start) { rows_.add(start); });
    if (stream_.loopReturns() != loopReturnsSeen_) {
        loopReturnsSeen_ = stream_.loopReturns();
        loopReturnFrame_ = stream_.lastLoopReturnFrame();
        loopReturnSeconds_ = stream_.lastLoopReturnSeconds();
    }
}

uint32_t FeedMusic::channelPosition() {
    lastPosition_ = rows_.positionAt(heardNow());
    return lastPosition_;
}

std::span<const float> FeedMusic::channelLevels() { return levels_.levelsAt(heardNow()); }

double FeedMusic::seek(int32_t order, int32_t row) {
    if (!stream_.loaded()) return -1.0;
    RowStart start;
    const double seconds = stream_.seekOrderRow(order, row, start);
    if (stream_.loopOrder() >= 0) stream_.setLoopOrder(order);
    rows_.clear();
    rows_.add(start);
    levels_.clear();
    heardFloor_ = start.frame;
    loopReturnFrame_ = -1;
    lastPosition_ = rows_.positionAt(start.frame);
    return seconds;
}

double FeedMusic::jumpOrder(int direction) {
    if (!stream_.loaded()) return -1.0;
    const int32_t order = static_cast<int32_t>(lastPosition_ & 0xFFFFu);
    return seek(stream_.neighbourOrder(order, direction), 0);
}

double FeedMusic::stepRow(int direction) {
    if (!stream_.loaded()) return -1.0;
    int32_t order = static_cast<int32_t>(lastPosition_ & 0xFFFFu);
    int32_t row = static_cast<int32_t>(lastPosition_ >> 24);
    stream_.neighbourRow(order, row, direction);
    return seek(order, row);
}

bool FeedMusic::toggleLoop() {
    if (!stream_.loaded()) return false;
    const bool looping = stream_.loopOrder() < 0;
    stream_.setLoopOrder(looping ? static_cast<int32_t>(lastPosition_ & 0xFFFFu) : -1);
    return looping;
}

bool FeedMusic::takeLoopReturn(double& seconds) {
    const int64_t at = heardNow();
    if (loopReturnFrame_ < 0 || at < loopReturnFrame_) return false;
    seconds = loopReturnSeconds_ + static_cast<double>(at - loopReturnFrame_) / kMusicRate;
    loopReturnFrame_ = -1;
    return true;
}

}  // namespace velmora
