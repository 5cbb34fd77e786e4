// The type reference on the command line (`velmora list`, `velmora help TYPE`),
// and the same entries as Markdown for the reference page.
#pragma once

#include <string>

#include "script/TypeTable.h"

namespace velmora {

// Every type, one line each, grouped by the section that declares it.
std::string typeListText();
// The full entry of one type: parameters, slots in order, sizes, modes, example.
std::string typeHelpText(const ScriptType& type);
// The entry of ZYL_Surface, the declaration of [ZYL_Surface].
inline constexpr const char* kSurfaceWord = "ZYL_Surface";
std::string surfaceHelpText();
// The type section of docs/script.md: an index and every entry with its picture.
std::string referenceMarkdown();

// `velmora list`: prints the type list; returns the exit status (0). `velmora
// help TYPE` and `help --markdown` are answered with the rest of the help by
// the command line (host/CommandLine).
int runList();

}  // namespace velmora
