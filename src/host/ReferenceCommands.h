// `velmora list` and `velmora help TYPE`: the type reference on the command line,
// and the same entries as Markdown for the reference page.
#pragma once

#include <string>
#include <vector>

#include "script/TypeReference.h"

namespace velmora {

// Every type, one line each, grouped by the section that declares it.
std::string typeListText();
// The full entry of one type: parameters, slots in order, sizes, modes, example.
std::string typeHelpText(const TypeReference& type);
// The type section of docs/script.md: an index and every entry with its picture.
std::string referenceMarkdown();

// `velmora list` (no arguments) and `velmora help TYPE` / `velmora help --markdown`.
// Both return the exit status: 0, or 2 for an unknown type or a bad argument.
int runList(const std::vector<std::string>& args);
int runHelp(const std::vector<std::string>& args);

}  // namespace velmora
