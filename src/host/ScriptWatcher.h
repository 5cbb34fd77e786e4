// `--watch`: notices that the script file was written, by looking at its
// modification time and size a few times a second from the main loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

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
    // Takes the file as it is now as the known state (after a reload by hand).
    void remember();

private:
    struct Stamp {
        std::filesystem::file_time_type time{};
        uintmax_t size = 0;
        bool exists = false;
        bool operator==(const Stamp&) const = default;
    };
    Stamp look() const;

    std::string path_;
    Stamp known_;
    bool polled_ = false;
    double lastPoll_ = 0.0;
};

}  // namespace velmora
