// Numbers read from command-line text strictly: the whole text must be the
// number, decimal only (so "010" is ten), and a real must be finite.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

std::optional<long long> parseInteger(std::string_view text);
std::optional<double> parseReal(std::string_view text);

}  // namespace velmora
