// Strict readers for the show's display and start options.
#include "host/ShowOptionParsers.h"

#include "host/CommandLine.h"

namespace velmora {

std::optional<bool> parseScaleMode(std::string_view text) {
    if (text == "integer") return true;
    if (text == "fit") return false;
    return std::nullopt;
}

std::optional<int> parseFrameRateCap(std::string_view text) {
    const auto n = parseInteger(text);
    if (!n || *n < 1 || *n > 1000) return std::nullopt;
    return static_cast<int>(*n);
}

bool parseOrderRow(std::string_view text, uint32_t& order, uint32_t& row) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    const auto o = parseInteger(text.substr(0, colon));
    const auto r = parseInteger(text.substr(colon + 1));
    if (!o || !r || *o < 0 || *o > 65535 || *r < 0 || *r > 255) return false;
    order = static_cast<uint32_t>(*o);
    row = static_cast<uint32_t>(*r);
    return true;
}

}  // namespace velmora
