// Strict reading of numbers from command-line text.
#include "show/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace velmora {

std::optional<long long> parseInteger(std::string_view text) {
    long long v = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && text[0] == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
    return v;
}

std::optional<double> parseReal(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    std::string copy(text);
    char* end = nullptr;
    double v = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace velmora
