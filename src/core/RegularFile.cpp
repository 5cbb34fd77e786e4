// Regular files only, opened without blocking and checked on the open file
// (not by name first, which a swap could defeat).
#include "core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

int openRegularFile(const char* path, FileReadOutcome& outcome) {
    outcome = FileReadOutcome::CannotOpen;
    if (path == nullptr) {
        errno = ENOENT;
        return -1;
    }
    // Non-blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0) outcome = FileReadOutcome::CannotOpen;
    else if (S_ISREG(info.st_mode)) outcome = FileReadOutcome::Read;
    else if (S_ISDIR(info.st_mode)) outcome = FileReadOutcome::Directory;
    else if (S_ISFIFO(info.st_mode)) outcome = FileReadOutcome::Pipe;
    else if (S_ISSOCK(info.st_mode)) outcome = FileReadOutcome::Socket;
    else outcome = FileReadOutcome::Device;
    if (outcome != FileReadOutcome::Read) {
        ::close(fd);
        errno = 0;  // the open worked: the reason is the outcome, not a system error
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::FILE* openRegularStream(const char* path, FileReadOutcome& outcome) {
    const int fd = openRegularFile(path, outcome);
    std::FILE* stream = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (fd >= 0 && !stream) {
        ::close(fd);
        outcome = FileReadOutcome::CannotOpen;
    }
    return stream;
}

std::FILE* openRegularStream(const char* path, std::string* why) {
    FileReadOutcome outcome;
    std::FILE* stream = openRegularStream(path, outcome);
    if (!stream && why) *why = outcome == FileReadOutcome::CannotOpen
                                   ? std::string("cannot be opened: ") + std::strerror(errno)
                                   : describeNotRegular(outcome);
    return stream;
}

std::string describeNotRegular(FileReadOutcome outcome) {
    switch (outcome) {
        case FileReadOutcome::Directory: return "is a directory, not a regular file";
        case FileReadOutcome::Device: return "is a device, not a regular file";
        case FileReadOutcome::Pipe: return "is a FIFO, not a regular file";
        case FileReadOutcome::Socket: return "is a socket, not a regular file";
        default: return {};
    }
}

}  // namespace velmora
