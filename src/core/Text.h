// Small text helpers shared by the loaders and the reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The text without the line feeds at its end: messages that carry their own
// line feed get exactly one when printed as a line.
std::string_view withoutTrailingNewlines(std::string_view text);

// What reading a file within a size limit found.
enum class FileReadOutcome { Read, CannotOpen, Directory, Device, Pipe, Socket, TooLarge };

// Reads a regular file of at most `maxBytes` bytes into `bytes`. Directories,
// devices, pipes and sockets are refused without reading (a pipe is never
// waited on), and so is a file that holds more than `maxBytes`.
FileReadOutcome readRegularFile(const char* path, uint64_t maxBytes, std::string& bytes);

// 1-based number of the line holding `offset` in `text`.
int lineNumberAt(std::string_view text, size_t offset);

// Line numbers of many offsets in one text: the line feeds are found once, and
// each lookup is a binary search.
class LineIndex {
public:
    explicit LineIndex(std::string_view text);
    // 1-based number of the line holding `offset` (offsets past the end count
    // as the end).
    int lineAt(size_t offset) const;

private:
    std::vector<size_t> lineFeeds_;
};

}  // namespace velmora
