// The manual page velmora.1, written from the command line's own definitions
// (the ones --help is written from), so that the two never disagree.
#pragma once

#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace velmora {

// A roff page (section 1): name, synopsis, description, the program's options
// by group, every command with its arguments and options, then the notes of
// the help's footer.
std::string manPage(const CLI::App& app, std::string_view version);

}  // namespace velmora
