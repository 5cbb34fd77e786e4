// AtomicFile: a temporary file nobody else can name or plant, given its name
// only when complete, and only over a regular file.
#include "core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

namespace velmora {

namespace {

constexpr int kRandomDigits = 16;

std::string folderOf(const std::string& target) {
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

std::string randomHex() {
    static std::mutex lock;
    static std::random_device device;
    static std::mt19937_64 generator(
        (static_cast<uint64_t>(device()) << 32) ^ device() ^ static_cast<uint64_t>(::getpid()));
    const std::lock_guard<std::mutex> hold(lock);
    char text[kRandomDigits + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
    return text;
}

// ".NAME.PID.RANDOM.part" beside the target.
std::string freshTempName(const std::string& target) {
    const std::filesystem::path path(target);
    std::string name(".");
    name.append(path.filename().string()).append(".").append(std::to_string(::getpid())).append(".");
    name.append(randomHex()).append(".part");
    return (path.parent_path() / name).string();
}

std::string descriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

bool allDigits(const std::string& s, bool hex) {
    if (s.empty()) return false;
    for (char c : s)
        if (!(c >= '0' && c <= '9') && !(hex && c >= 'a' && c <= 'f')) return false;
    return true;
}

// The process id in a temporary's name, or 0 when the name is not of our making.
long ownerOf(const std::string& name) {
    const std::string suffix = ".part";
    if (name.size() < 1 + suffix.size() + 4 || name[0] != '.' ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    std::string rest = name.substr(1, name.size() - 1 - suffix.size());  // NAME.PID[.RANDOM]
    size_t dot = rest.rfind('.');
    if (dot == std::string::npos) return 0;
    std::string last = rest.substr(dot + 1);
    if (last.size() == kRandomDigits && allDigits(last, true)) {
        rest.resize(dot);
        dot = rest.rfind('.');
        if (dot == std::string::npos) return 0;
        last = rest.substr(dot + 1);
    }
    if (dot == 0 || last.size() > 9 || !allDigits(last, false)) return 0;
    return std::stol(last);
}

// ".NAME.PID.RANDOM.part", not the older form without RANDOM.
bool hasRandomPart(const std::string& name) {
    const size_t end = name.size() - 5;  // before ".part"
    return end > kRandomDigits + 1 && name[end - kRandomDigits - 1] == '.' &&
           allDigits(name.substr(end - kRandomDigits, kRandomDigits), true);
}

bool processIsAlive(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// Each folder is swept once a run: a render writes thousands of frames into one.
void sweepOnce(const std::string& folder) {
    static std::mutex lock;
    static std::set<std::string> swept;
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (!swept.insert(folder).second) return;
    }
    removeStaleTemporaries(folder);
}

}  // namespace

std::optional<std::string> replaceProblem(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return std::nullopt;  // absent: the write tells
    const char* kind = S_ISDIR(info.st_mode)    ? "a directory"
                       : S_ISCHR(info.st_mode)  ? "a character device"
                       : S_ISBLK(info.st_mode)  ? "a block device"
                       : S_ISFIFO(info.st_mode) ? "a FIFO"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "something else";
    return std::string("it is ") + kind + ", not a regular file";
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    const std::string folder = folderOf(target_);
    sweepOnce(folder);
    // No name at all until commit: nothing can be planted, nothing is left.
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0 && ::access(descriptorPath(fd_).c_str(), F_OK) != 0) {
        ::close(fd_);  // no /proc to reopen it by: a named file instead
        fd_ = -1;
    }
    if (fd_ < 0) {
        // A random name, created here and now, never through an existing link.
        for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
            named_ = freshTempName(target_);
            fd_ = ::open(named_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) {
            openError_ = std::strerror(errno);
            named_.clear();
            return;
        }
    }
    temp_ = ::access(descriptorPath(fd_).c_str(), F_OK) == 0 ? descriptorPath(fd_) : named_;
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
    if (!committed_ && !named_.empty()) ::unlink(named_.c_str());
    named_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool AtomicFile::commit(std::string& error) {
    if (committed_) return true;
    if (fd_ < 0) {
        error = openError_.empty() ? std::string("the temporary file is gone") : openError_;
        return false;
    }
    if (const std::optional<std::string> problem = replaceProblem(target_)) {
        error = *problem;
        discard();
        return false;
    }
    if (named_.empty()) {
        // A new name appears whole; an existing file is replaced by a rename
        // from a fresh name, as link() never replaces.
        const std::string self = descriptorPath(fd_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            committed_ = true;
            discard();
            return true;
        }
        if (errno != EEXIST) {
            error = std::strerror(errno);
            discard();
            return false;
        }
        for (int attempt = 0; attempt < 16 && named_.empty(); ++attempt) {
            const std::string name = freshTempName(target_);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) named_ = name;
            else if (errno != EEXIST) break;
        }
        if (named_.empty()) {
            error = std::strerror(errno);
            discard();
            return false;
        }
    }
    if (::rename(named_.c_str(), target_.c_str()) != 0) {
        error = std::strerror(errno);
        discard();
        return false;
    }
    committed_ = true;
    discard();
    return true;
}

int removeStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const long pid = ownerOf(name);
        if (pid <= 0 || pid == ::getpid() || processIsAlive(pid)) continue;
        struct stat info {};
        // Only our own files and folders: never a link, never another user's.
        if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_uid != ::geteuid()) continue;
        if (S_ISREG(info.st_mode)) {
            if (::unlinkat(dirFd, name.c_str(), 0) == 0) ++removed;
        } else if (S_ISDIR(info.st_mode) && hasRandomPart(name)) {
            // A show folder that `new` was building.
            std::error_code ec;
            if (std::filesystem::remove_all(std::filesystem::path(folder) / name, ec) > 0 && !ec) ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

}  // namespace velmora
