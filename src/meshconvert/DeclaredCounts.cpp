// DeclaredCounts: the smallest size each declared element can take (a binary
// scalar its width, an ASCII value one digit and one blank, a list its count).
#include "meshconvert/DeclaredCounts.h"

#include <cstdio>
#include <sstream>
#include <string_view>

namespace velmora {

namespace {

int scalarBytes(const std::string& type) {
    if (type == "char" || type == "uchar" || type == "int8" || type == "uint8") return 1;
    if (type == "short" || type == "ushort" || type == "int16" || type == "uint16") return 2;
    if (type == "int" || type == "uint" || type == "float" || type == "int32" || type == "uint32" || type == "float32")
        return 4;
    if (type == "double" || type == "float64") return 8;
    return 1;  // unknown: the importer refuses it
}

std::string tooFew(const std::string& what, unsigned long long count, long double atLeast, uint64_t present) {
    char bytes[64];
    std::snprintf(bytes, sizeof bytes, "%.0Lf", atLeast);
    return "declares " + std::to_string(count) + " " + what + ", at least " + bytes + " bytes, but holds " +
           std::to_string(present) + ": refused before reading";
}

std::optional<std::string> plyProblem(std::string_view text, uint64_t fileSize) {
    const size_t end = text.find("end_header");
    if (end == std::string_view::npos) return std::nullopt;  // a header this long: left to the importer
    const size_t dataStart = text.find('\n', end);
    const uint64_t present = dataStart == std::string_view::npos ? 0 : fileSize - (dataStart + 1);
    std::istringstream lines{std::string(text.substr(0, end))};
    std::string line;
    bool ascii = false;
    std::string element;
    unsigned long long count = 0;
    unsigned long long minimum = 0;  // bytes an element of the current kind takes at least
    long double needed = 0;
    auto closeElement = [&] { needed += static_cast<long double>(count) * minimum; };
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "format") {
            words >> word;
            ascii = word == "ascii";
        } else if (word == "element") {
            closeElement();
            count = 0;
            minimum = 0;
            words >> element >> count;
        } else if (word == "property") {
            words >> word;
            if (ascii) minimum += 2;
            else if (word == "list") words >> word, minimum += static_cast<unsigned long long>(scalarBytes(word));
            else minimum += static_cast<unsigned long long>(scalarBytes(word));
            if (needed + static_cast<long double>(count) * minimum > present)
                return tooFew(element + " elements", count, static_cast<long double>(count) * minimum, present);
        }
    }
    closeElement();
    return std::nullopt;
}

uint32_t le32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::optional<std::string> glbProblem(std::span<const uint8_t> head, uint64_t fileSize) {
    if (head.size() < 20) return std::nullopt;
    const uint64_t declared = le32(head, 8);
    if (declared > fileSize)
        return tooFew("bytes in its GLB header", declared, static_cast<long double>(declared), fileSize);
    const uint64_t chunk = le32(head, 12);
    if (20 + chunk > fileSize)
        return tooFew("bytes in its first GLB chunk", chunk, static_cast<long double>(20 + chunk), fileSize);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> declaredCountProblem(std::span<const uint8_t> head, uint64_t fileSize) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    if (text.starts_with("ply\n") || text.starts_with("ply\r\n")) return plyProblem(text, fileSize);
    if (text.starts_with("glTF")) return glbProblem(head, fileSize);
    return std::nullopt;
}

}  // namespace velmora
