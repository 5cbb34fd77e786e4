// Start-up steps shared by the show and the headless commands.
#include "host/Startup.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <filesystem>
#include <system_error>
#include <string>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/MissingFile.h"
#include "platform/ModuleStream.h"
#include "script/ScriptChecker.h"

namespace velmora {

void loadScriptOrDie(DemoGraph& graph, const char* path, ErrorReporter& reporter) {
    const WarnedLoad load = loadWithWarnings(graph, path, reporter);
    if (load.result == LoadResult::ScriptNotFound) fatalError("Script non trouvé!!", describeMissingFile(), path);
    if (load.result == LoadResult::ScriptInvalid) {
        ShowError error(ErrorPresentation::FatalBox, 9999, "Script non valide!!");
        if (!load.fileRefusal.empty()) {
            error.reason = load.fileRefusal;  // names the file itself
        } else {
            error.script = path;
            error.scriptLine = graph.firstProblem().line;
            error.reason = graph.firstProblem().message;
        }
        throw error;
    }
    // The warnings `check` would print, once, on standard error, in its words;
    // the show goes on as it is. A problem found here is the frame's fatal error.
    std::vector<ScriptProblem> warnings;
    std::copy_if(load.warnings.begin(), load.warnings.end(), std::back_inserter(warnings),
                 [](const ScriptProblem& p) { return p.warning; });
    printProblems(stderr, path, warnings);
    std::fflush(stderr);
}

std::vector<ScriptProblem> moduleFindings(const std::string& music) {
    std::string why = moduleRefusal(music.c_str());
    if (why.empty()) return {};
    return {ScriptProblem{0, std::move(why)}};
}

bool enterDirectory(const std::string& dir) {
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    if (!ec) return true;
    std::fprintf(stderr, "velmora: cannot change to the directory '%s': %s\n", dir.c_str(), ec.message().c_str());
    return false;
}

std::unique_ptr<Surface> makeOutputSurface() {
    auto output = std::make_unique<Surface>();
    output->configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));  // "512 256"
    output->clear();
    return output;
}

std::vector<std::filesystem::path> demoFolderCandidates(const std::filesystem::path& programFolder) {
    return {(programFolder / ".." / "share" / "velmora" / "demo").lexically_normal(),
            (programFolder / "show").lexically_normal()};
}

std::filesystem::path programFolder(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) self = std::filesystem::absolute(argv0 ? argv0 : "", ec);
    return self.parent_path();
}

bool enterDemoFolder(const std::filesystem::path& folder) {
    std::string looked;
    for (const std::filesystem::path& candidate : demoFolderCandidates(folder)) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate / "script.zyl", ec)) {
            std::filesystem::current_path(candidate, ec);
            if (!ec) return true;
        }
        looked += (looked.empty() ? "" : " and ") + candidate.string();
    }
    std::fprintf(stderr, "velmora: the default show is not installed (looked in %s)\n", looked.c_str());
    return false;
}

}  // namespace velmora
