// Values of the show's display and start options, read strictly: the whole
// text must be the value.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// --scale: "integer" (the largest whole factor that fits) or "fit" (fill the
// screen at any factor). True for integer, false for fit.
std::optional<bool> parseScaleMode(std::string_view text);
// --fps-cap: whole frames per second, 1 to 1000.
std::optional<int> parseFrameRateCap(std::string_view text);
// The show's --position: "ORDER:ROW", order 0..65535 and row 0..255.
bool parseOrderRow(std::string_view text, uint32_t& order, uint32_t& row);

}  // namespace velmora
