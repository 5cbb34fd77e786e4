// AtomicFile: write under a temporary name, rename on success.
#include "core/AtomicFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace velmora {

namespace {
std::string tempNameBeside(const std::string& target) {
    const std::filesystem::path path(target);
    std::string name(".");
    name.append(path.filename().string()).append(".").append(std::to_string(::getpid())).append(".part");
    return (path.parent_path() / name).string();
}
}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)), temp_(tempNameBeside(target_)) {}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
    if (!committed_) std::remove(temp_.c_str());
}

bool AtomicFile::commit(std::string& error) {
    if (committed_) return true;
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error = std::strerror(errno);
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace velmora
