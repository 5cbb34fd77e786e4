// OfflineModule: the module stream with its rows kept for position look-ups.
#include "platform/OfflineModule.h"

#include <algorithm>
#include <cmath>

namespace velmora {

bool OfflineModule::load(const char* path) {
    timeline_.clear();
    const bool loaded = stream_.load(path) == ModuleStream::kLoaded && stream_.playable();
    orderStartRows_ = loaded ? stream_.orderStartRows() : std::vector<int64_t>();
    return loaded;
}

bool readSongRows(const char* path, std::vector<RowStart>& rows, int64_t& endFrame) {
    constexpr double kMaxSongSeconds = 6 * 3600.0;
    rows.clear();
    ModuleStream stream;
    if (stream.load(path) != ModuleStream::kLoaded || !stream.playable()) return false;
    const double seconds = stream.durationSeconds();
    if (!(seconds > 0.0) || seconds > kMaxSongSeconds) return false;
    endFrame = std::llround(seconds * kMusicRate);
    std::vector<int16_t> chunk(2 * 4096);
    while (stream.framesRendered() < endFrame) {
        const int64_t n = std::min<int64_t>(4096, endFrame - stream.framesRendered());
        stream.render(chunk.data(), static_cast<size_t>(n), [&rows](const RowStart& start) { rows.push_back(start); });
    }
    return true;
}

void OfflineModule::render(int16_t* out, size_t frames) {
    stream_.render(out, frames, [this](const RowStart& start) { timeline_.add(start); });
}

}  // namespace velmora
