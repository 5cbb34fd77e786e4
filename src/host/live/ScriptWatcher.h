// `--watch`: notices that the script file, or a file the show reads its values
// from (a track file), was written, by looking at their modification times and
// sizes a few times a second from the main loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

class ScriptWatcher {
public:
    // How often the file is looked at, at most.
    static constexpr double kPollSeconds = 0.25;

    // Takes the file as it is now as the known state.
    explicit ScriptWatcher(std::string path);

    // True once when the file differs from the known state, looked at no more
    // often than kPollSeconds apart (`seconds` on any monotonic clock). A file
    // that cannot be looked at (an editor between deleting and writing) is no
    // change; it is one when it comes back.
    bool changed(double seconds);
    // Takes the files as they are now as the known state (after a reload by hand).
    void remember();
    // Watches `files` too from now on, beside the script (those the show
    // loaded now reads), taking them as they are now.
    void alsoWatch(std::vector<std::string> files);

private:
    struct Stamp {
        std::filesystem::file_time_type time{};
        uintmax_t size = 0;
        bool exists = false;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp look(const std::string& path);

    std::vector<std::string> paths_;  // the script first
    std::vector<Stamp> known_;
    bool polled_ = false;
    double lastPoll_ = 0.0;
};

}  // namespace velmora
