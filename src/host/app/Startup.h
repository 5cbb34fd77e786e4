// The start-up steps shared by the show and the headless commands.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/ErrorReporter.h"
#include "show/ShowSession.h"
#include "surface/Surface.h"

namespace velmora {

// Loads the script; a missing script or an invalid one is a fatal error.
// Rejected parameter texts go to `reporter`; what `velmora check` would find
// besides is printed once on standard error as warnings, and changes nothing.
void loadScriptOrDie(ShowSession& session, const std::string& path, uint64_t surfaceBudgetBytes,
                     ErrorReporter& reporter = standardErrorReporter(), StopCheck stop = {});
// The module as one more file the show names: a finding (a problem, line 0)
// when the show would stop on it, printed under the module's path; none when it plays.
std::vector<ScriptProblem> moduleFindings(const std::string& music);
// For `-C DIR`: the script and every file it names are then read relative to
// DIR, as if the program had been started there. Empty when entered, else
// the one line that says why not.
std::string enterDirectory(const std::string& dir);
// The 512 by 256 frame, made from the text "512 256" and cleared.
std::unique_ptr<Surface> makeOutputSurface();

// Where `velmora --demo` finds the default show: installed beside the program
// (PREFIX/bin/velmora and PREFIX/share/velmora/demo), or in the build tree
// (build/velmora and build/show): the folders looked at, in order, for a
// program in `programFolder`.
std::vector<std::filesystem::path> demoFolderCandidates(const std::filesystem::path& programFolder);
// The running program's own folder (from /proc/self/exe, else from argv0).
std::filesystem::path programFolder(const char* argv0);
// Makes the first candidate that holds a script.zyl the working directory.
// Empty when done, else the one line naming the places looked at.
std::string enterDemoFolder(const std::filesystem::path& programFolder);

}  // namespace velmora
