// Words for a file a script names that cannot be found: file names are read
// relative to the working directory, which is rarely obvious to the author.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// "not found (the working directory is DIR)".
std::string describeMissingFile();

// When `file` is missing but exists relative to the folder of `scriptPath`:
// "; it exists relative to the script's folder (DIR): run from there or use
// velmora -C DIR". Empty otherwise.
std::string scriptFolderHint(std::string_view file, std::string_view scriptPath);

}  // namespace velmora
