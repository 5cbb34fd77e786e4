// A file that appears under its name only when it is complete: it is written
// under a temporary name in the same folder and renamed over the target at the
// end, so a failed or interrupted write never leaves a half file behind.
#pragma once

#include <string>

namespace velmora {

class AtomicFile {
public:
    // The temporary name is beside `target` (same folder, so the rename cannot
    // cross file systems): ".NAME.PID.part".
    explicit AtomicFile(std::string target);
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& target() const { return target_; }
    const std::string& tempPath() const { return temp_; }

    // Renames the finished temporary file to the target. False, with the
    // system's reason in `error`, when that fails (the temporary file is then
    // removed as well).
    bool commit(std::string& error);
    // Removes the temporary file now.
    void discard();

private:
    std::string target_;
    std::string temp_;
    bool committed_ = false;
};

}  // namespace velmora
