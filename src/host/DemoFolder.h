// Where `velmora --demo` finds the default show: installed beside the program
// (PREFIX/bin/velmora and PREFIX/share/velmora/demo), or in the build tree
// (build/velmora and build/show).
#pragma once

#include <filesystem>
#include <vector>

namespace velmora {

// The folders looked at, in order, for a program in `programFolder`.
std::vector<std::filesystem::path> demoFolderCandidates(const std::filesystem::path& programFolder);
// The running program's own folder (from /proc/self/exe, else from argv0).
std::filesystem::path programFolder(const char* argv0);
// Makes the first candidate that holds a script.zyl the working directory.
// False, after a one-line error naming the places looked at, when there is none.
bool enterDemoFolder(const std::filesystem::path& programFolder);

}  // namespace velmora
