// Polling the script file's modification time and size.
#include "host/ScriptWatcher.h"

#include <system_error>
#include <utility>

namespace velmora {

ScriptWatcher::ScriptWatcher(std::string path) : path_(std::move(path)) { remember(); }

ScriptWatcher::Stamp ScriptWatcher::look() const {
    std::error_code error;
    Stamp stamp;
    stamp.time = std::filesystem::last_write_time(path_, error);
    if (error) return Stamp{};
    stamp.size = std::filesystem::file_size(path_, error);
    if (error) return Stamp{};
    stamp.exists = true;
    return stamp;
}

void ScriptWatcher::remember() { known_ = look(); }

bool ScriptWatcher::changed(double seconds) {
    if (polled_ && seconds >= lastPoll_ && seconds - lastPoll_ < kPollSeconds) return false;
    polled_ = true;
    lastPoll_ = seconds;
    const Stamp now = look();
    if (!now.exists) return false;  // keep the known state until the file is back
    if (now == known_) return false;
    known_ = now;
    return true;
}

}  // namespace velmora
