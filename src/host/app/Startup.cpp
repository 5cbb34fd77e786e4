// Start-up steps shared by the show and the headless commands.
#include "host/app/Startup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <string>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/MissingFile.h"
#include "platform/ModuleStream.h"
#include "script/ScriptChecker.h"

namespace velmora {

void loadScriptOrDie(ShowSession& session, const std::string& path, uint64_t surfaceBudgetBytes, ErrorReporter& reporter,
                     StopCheck stop) {
    ShowLoad load = session.load(path, surfaceBudgetBytes, reporter, std::move(stop));
    if (load.fatal) throw *load.fatal;
    // What `check` would say, once, on standard error; the show goes on as it is.
    for (const std::string& warning : load.warnings) std::fprintf(stderr, "%s\n", warning.c_str());
    std::fflush(stderr);
}

std::vector<ScriptProblem> moduleFindings(const std::string& music) {
    std::string why = moduleRefusal(music.c_str());
    if (why.empty()) return {};
    return {ScriptProblem{0, std::move(why)}};
}

std::string enterDirectory(const std::string& dir) {
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    if (!ec) return {};
    return "cannot change to the directory '" + dir + "': " + ec.message();
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

std::string enterDemoFolder(const std::filesystem::path& folder) {
    std::string looked;
    for (const std::filesystem::path& candidate : demoFolderCandidates(folder)) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate / "script.zyl", ec)) {
            std::filesystem::current_path(candidate, ec);
            if (!ec) return {};
        }
        looked += (looked.empty() ? "" : " and ") + candidate.string();
    }
    return "the default show is not installed (looked in " + looked + ")";
}

}  // namespace velmora
