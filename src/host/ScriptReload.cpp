// Reloading the script while the show runs.
#include "host/ScriptReload.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "core/Error.h"
#include "core/Text.h"
#include "script/ScriptChecker.h"

namespace velmora {

namespace {

void keepRunningShow(const std::string& path) {
    std::fprintf(stderr, "%s: not reloaded; the running show goes on\n", path.c_str());
    std::fflush(stderr);
}

}  // namespace

bool reloadScript(ShowSession& session, const std::string& path, uint64_t surfaceBudgetBytes) {
    CheckedScript checked;
    try {
        checked = loadCheckedScript(path.c_str(), surfaceBudgetBytes);
    } catch (const ShowError& error) {
        const std::string_view message = withoutTrailingNewlines(error.checkMessage.empty() ? error.message : error.checkMessage);
        std::fprintf(stderr, "%s: %.*s\n", path.c_str(), static_cast<int>(message.size()), message.data());
        keepRunningShow(path);
        return false;
    }
    if (!checked.report.problems.empty() || !checked.graph) {
        printProblems(stderr, path, checked.report.problems);
        keepRunningShow(path);
        return false;
    }

    session.setGraph(std::move(checked.graph));  // the music and the clock play on
    std::printf("%s: reloaded\n", path.c_str());
    std::fflush(stdout);
    return true;
}

}  // namespace velmora
