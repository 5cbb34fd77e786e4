// AtomicFile: a temporary file nobody else can name or plant, given its name
// only when complete, and only over a regular file.
#include "core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <vector>

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

// What names a temporary of ours: ".NAME.velmora.RANDOM.part" beside the
// target, RANDOM 16 hexadecimal digits. No process id: it would mean nothing
// to a process in another PID namespace sharing the folder.
constexpr const char* kMark = ".velmora.";
constexpr const char* kSuffix = ".part";

std::string tempPrefix(const std::string& fileName) { return "." + fileName + kMark; }

std::string freshTempName(const std::string& target) {
    const std::filesystem::path path(target);
    return (path.parent_path() / (tempPrefix(path.filename().string()) + randomHex() + kSuffix)).string();
}

std::string descriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// True for ".NAME.velmora.RANDOM.part" with NAME the target's file name.
bool isTempOf(const std::string& name, const std::string& fileName) {
    const std::string prefix = tempPrefix(fileName);
    const size_t suffix = std::strlen(kSuffix);
    if (name.size() != prefix.size() + kRandomDigits + suffix || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return false;
    for (size_t i = prefix.size(); i < prefix.size() + kRandomDigits; ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f'))) return false;
    return true;
}

// The writer holds an exclusive flock on its temporary from creation to
// commit. flock belongs to the open file, not to a process id, so it holds
// across PID namespaces, and the kernel drops it when the writer dies however
// it dies: a lock that can be taken means nobody is writing the file.
bool holdLock(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) return false;
    return true;
}

// The sweep is given each folder's listing once a run: a render writes
// thousands of frames into one folder, each a target of its own.
std::vector<std::string> candidatesFor(const std::string& folder, const std::string& fileName) {
    static std::mutex lock;
    static std::map<std::string, std::vector<std::string>> listings;
    const std::lock_guard<std::mutex> hold(lock);
    auto found = listings.find(folder);
    if (found == listings.end()) {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name.find(kMark) != std::string::npos && name.ends_with(kSuffix)) names.push_back(name);
            }
            ::closedir(dir);
        }
        found = listings.emplace(folder, std::move(names)).first;
    }
    std::vector<std::string> mine;
    for (const std::string& name : found->second)
        if (isTempOf(name, fileName)) mine.push_back(name);
    return mine;
}

// Removes `name` from the folder if it is a regular file of this user that
// nobody holds locked. Opened without following a link and without waiting.
bool removeIfAbandoned(int dirFd, const std::string& name) {
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    struct stat opened {}, named {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        // Still the file under that name, now that it is locked.
        ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino &&
        named.st_dev == opened.st_dev)
        removed = ::unlinkat(dirFd, name.c_str(), 0) == 0;
    ::close(fd);
    return removed;
}

int sweep(const std::string& target, const std::vector<std::string>& names) {
    if (names.empty()) return 0;
    const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return 0;
    int removed = 0;
    for (const std::string& name : names) removed += removeIfAbandoned(dirFd, name);
    ::close(dirFd);
    return removed;
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
    sweep(target_, candidatesFor(folder, std::filesystem::path(target_).filename().string()));
    // No name at all until commit: nothing can be planted, nothing is left.
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0 && (::access(descriptorPath(fd_).c_str(), F_OK) != 0 || !holdLock(fd_))) {
        ::close(fd_);  // no /proc to reopen it by: a named file instead
        fd_ = -1;
    }
    if (fd_ < 0) {
        // A random name, created here and now, never through an existing link,
        // and locked before anything is written to it.
        for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
            named_ = freshTempName(target_);
            fd_ = ::open(named_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd_ < 0) {
                if (errno != EEXIST) break;
                continue;
            }
            // A sweep may have taken the file between its creation and the
            // lock: then the name is gone, and another is tried.
            struct stat info {};
            if (!holdLock(fd_) || ::fstat(fd_, &info) != 0 || info.st_nlink == 0) {
                ::close(fd_);
                fd_ = -1;
                errno = EEXIST;
            }
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

int removeStaleTemporaries(const std::string& target) {
    const std::string fileName = std::filesystem::path(target).filename().string();
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folderOf(target).c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (isTempOf(entry->d_name, fileName)) names.push_back(entry->d_name);
        ::closedir(dir);
    }
    return sweep(target, names);
}

}  // namespace velmora
