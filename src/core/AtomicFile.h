// A file that appears under its name only when it is complete: it is written
// to a temporary file in the same folder and given its name at the end, so a
// failed or interrupted write never leaves a half file behind. Only a regular
// file (or nothing) is ever replaced.
#pragma once

#include <optional>
#include <string>

namespace velmora {

// Why `target` may not be replaced by an output, when it exists and is not a
// regular file (a directory, a device, a FIFO, a socket): "it is a FIFO, not
// a regular file". Nothing when it is a regular file, a link to one, or
// absent. Commands ask before any work.
std::optional<std::string> replaceProblem(const std::string& target);

class AtomicFile {
public:
    // Creates the temporary file beside `target` (same folder, so the final
    // rename cannot cross file systems). Where the file system allows it the
    // file has no name until commit, so a killed process leaves nothing;
    // elsewhere it gets a fresh random name ".NAME.velmora.RANDOM.part",
    // created exclusively (never through a link). Either way the file is
    // locked (flock) until it is committed or discarded. Temporaries of that
    // naming left by an ended writer of the same target are removed first.
    explicit AtomicFile(std::string target);
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& target() const { return target_; }
    // A name that opens the temporary file itself (through its open
    // descriptor where /proc has one), for writers that open by name.
    // Empty when the temporary file could not be created (see openError).
    const std::string& tempPath() const { return temp_; }
    // The system's reason when the temporary file could not be created.
    const std::string& openError() const { return openError_; }

    // Gives the finished temporary file the target's name. False, with the
    // system's reason in `error`, when that fails or the target has become
    // something other than a regular file (the temporary file is removed).
    bool commit(std::string& error);
    // Removes the temporary file now.
    void discard();

private:
    std::string target_;
    std::string temp_;
    std::string named_;  // the temporary file's own name in the folder, if it has one
    std::string openError_;
    int fd_ = -1;
    bool committed_ = false;
};

// Removes the temporaries an ended writer of `target` left beside it: regular
// files of this user named ".NAME.velmora.RANDOM.part" after the target's own
// name, that no process holds locked. Nothing else, never a folder, never
// through a link. Returns how many were removed.
int removeStaleTemporaries(const std::string& target);

}  // namespace velmora
