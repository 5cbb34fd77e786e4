// Start-up steps shared by the show and the headless commands.
#include "host/Startup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <string>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/MissingFile.h"
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
    // What `check` would say, once, on standard error; the show goes on as it is.
    printProblems(stderr, path, load.warnings, "warning");
    std::fflush(stderr);
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

}  // namespace velmora
