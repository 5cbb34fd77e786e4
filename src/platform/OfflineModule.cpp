// OfflineModule: the module stream with its rows kept for position look-ups.
#include "platform/OfflineModule.h"

namespace velmora {

bool OfflineModule::load(const char* path) {
    timeline_.clear();
    const bool loaded = stream_.load(path) == ModuleStream::kLoaded && stream_.playable();
    orderStartRows_ = loaded ? stream_.orderStartRows() : std::vector<int64_t>();
    return loaded;
}

void OfflineModule::render(int16_t* out, size_t frames) {
    stream_.render(out, frames, [this](const RowStart& start) { timeline_.add(start); });
}

}  // namespace velmora
