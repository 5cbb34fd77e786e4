// The manual page velmora.1, written from the program's own help text so that
// the two never disagree.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// A roff page (section 1): name, synopsis and the help text verbatim.
std::string manPageFromHelp(std::string_view helpText, std::string_view version);

}  // namespace velmora
