// Trimming, whole-file reading and line numbering.
#include "core/Text.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

std::string_view withoutTrailingNewlines(std::string_view text) {
    while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    return text;
}

bool readWholeFile(const char* path, std::string& bytes) {
    bytes.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return true;
}

int lineNumberAt(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

}  // namespace velmora
