// Finding the default show and moving into it.
#include "host/DemoFolder.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace velmora {

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
