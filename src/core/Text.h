// Small text helpers shared by the loaders and the reports.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The text without the line feeds at its end: messages that carry their own
// line feed get exactly one when printed as a line.
std::string_view withoutTrailingNewlines(std::string_view text);

// Reads every byte of a file, whatever its size, into `bytes`. False when the
// file cannot be opened; a read error keeps what was read before it.
bool readWholeFile(const char* path, std::string& bytes);

// 1-based number of the line holding `offset` in `text`.
int lineNumberAt(std::string_view text, size_t offset);

}  // namespace velmora
