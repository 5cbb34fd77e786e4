// `velmora check`: every problem of a script, with its line, without running the show.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/DemoGraph.h"

namespace velmora {

struct CheckReport {
    std::vector<ScriptProblem> problems;  // every finding, warnings too, in line order
    int boxes = 0;
    int functions = 0;
    int surfaces = 0;
    int wiringLines = 0;  // lines that call a box
};

// Reads the script as loading does and the wiring as a frame does, reporting
// instead of stopping. Files the script names are read relative to the working
// directory, as at show time. `surfaceBudgetBytes`: what the show's surfaces may hold.
// `stop` is asked as the script loads (LoadInterrupted when it says so).
CheckReport checkScriptFile(const char* path, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes,
                            StopCheck stop = {});
CheckReport checkScriptText(std::string_view text, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes);

// The report and the graph the check loaded, read and decoded once: live
// reload takes the graph when the report is clean (no graph when the file is missing).
struct CheckedScript {
    CheckReport report;
    std::unique_ptr<DemoGraph> graph;
};
CheckedScript loadCheckedScript(const char* path, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes,
                                StopCheck stop = {});

// The show's own load, as DemoGraph::load does it (with the graph's budget; rejected texts to
// `reporter`; what stops the show raises ShowError), with what `check` finds
// beyond that, read in the same pass: warnings that change nothing.
struct WarnedLoad {
    LoadResult result = LoadResult::ScriptNotFound;
    std::vector<ScriptProblem> warnings;  // only when the script loaded
    std::string fileRefusal;              // why a file that is there is no script, when so
};
WarnedLoad loadWithWarnings(DemoGraph& graph, const char* path, ErrorReporter& reporter);

// True when a finding is a problem, not a warning: the show would stop on it,
// so check, render and web refuse the script.
bool refuses(const std::vector<ScriptProblem>& findings);
// One finding as "FILE:LINE: message", or "FILE:LINE: warning: message" for a
// warning (without LINE when 0).
std::string problemLine(std::string_view file, const ScriptProblem& problem);
// Prints each finding's line to `stream`.
void printProblems(std::FILE* stream, std::string_view file, const std::vector<ScriptProblem>& problems);

}  // namespace velmora
