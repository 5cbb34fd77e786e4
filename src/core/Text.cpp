// Trimming, whole-file reading and line numbering.
#include "core/Text.h"

#include "core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace velmora {

std::string_view withoutTrailingNewlines(std::string_view text) {
    while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    return text;
}

FileReadOutcome readRegularFile(const char* path, uint64_t maxBytes, std::string& bytes) {
    bytes.clear();
    FileReadOutcome outcome;
    const int fd = openRegularFile(path, outcome);
    if (fd < 0) return outcome;
    struct stat info {};
    if (::fstat(fd, &info) != 0) outcome = FileReadOutcome::CannotOpen;
    else if (static_cast<uint64_t>(info.st_size) > maxBytes) outcome = FileReadOutcome::TooLarge;
    if (outcome == FileReadOutcome::Read) {
        bytes.reserve(static_cast<size_t>(info.st_size));
        // The file may grow while it is read: one byte past the limit is enough to tell.
        char chunk[65536];
        for (;;) {
            const uint64_t room = maxBytes + 1 - bytes.size();
            const ssize_t n = ::read(fd, chunk, static_cast<size_t>(std::min<uint64_t>(sizeof chunk, room)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // a read error keeps what was read before it
            bytes.append(chunk, static_cast<size_t>(n));
            if (bytes.size() > maxBytes) {
                outcome = FileReadOutcome::TooLarge;
                bytes.clear();
                break;
            }
        }
    }
    ::close(fd);
    return outcome;
}

int lineNumberAt(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

LineIndex::LineIndex(std::string_view text) {
    for (size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) lineFeeds_.push_back(i);
}

int LineIndex::lineAt(size_t offset) const {
    // Line feeds before the offset, plus one.
    return 1 + static_cast<int>(std::lower_bound(lineFeeds_.begin(), lineFeeds_.end(), offset) - lineFeeds_.begin());
}

}  // namespace velmora
