// Polling the script file's modification time and size.
#include "host/live/ScriptWatcher.h"

#include <system_error>
#include <utility>

namespace velmora {

ScriptWatcher::ScriptWatcher(std::string path) : paths_{std::move(path)} { remember(); }

ScriptWatcher::Stamp ScriptWatcher::look(const std::string& path) {
    std::error_code error;
    Stamp stamp;
    stamp.time = std::filesystem::last_write_time(path, error);
    if (error) return Stamp{};
    stamp.size = std::filesystem::file_size(path, error);
    if (error) return Stamp{};
    stamp.exists = true;
    return stamp;
}

void ScriptWatcher::remember() {
    known_.clear();
    for (const std::string& path : paths_) known_.push_back(look(path));
}

void ScriptWatcher::alsoWatch(std::vector<std::string> files) {
    paths_.resize(1);
    for (std::string& file : files) paths_.push_back(std::move(file));
    remember();
}

bool ScriptWatcher::changed(double seconds) {
    if (polled_ && seconds >= lastPoll_ && seconds - lastPoll_ < kPollSeconds) return false;
    polled_ = true;
    lastPoll_ = seconds;
    bool changed = false;
    for (size_t i = 0; i < paths_.size(); ++i) {
        const Stamp now = look(paths_[i]);
        if (!now.exists) continue;  // keep the known state until the file is back
        if (now == known_[i]) continue;
        known_[i] = now;
        changed = true;
    }
    return changed;
}

}  // namespace velmora
