// The check of one parameter text against the fields its type scans (the type
// table's parameterFields). Only the checker reads it; loading scans as it
// always did.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// What is wrong with `parameters` for the type `typeWord` declared as `name`;
// empty when nothing is (or when the type is unknown).
std::string checkParameterText(std::string_view typeWord, std::string_view name, std::string_view parameters);

}  // namespace velmora
