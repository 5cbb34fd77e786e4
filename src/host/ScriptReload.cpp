// Reloading the script while the show runs.
#include "host/ScriptReload.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "core/Error.h"
#include "core/Text.h"
#include "core/ThreadCount.h"
#include "script/ScriptChecker.h"

namespace velmora {

namespace {

void keepRunningShow(const std::string& path) {
    std::fprintf(stderr, "%s: not reloaded; the running show goes on\n", path.c_str());
    std::fflush(stderr);
}

}  // namespace

bool reloadScript(std::unique_ptr<DemoGraph>& graph, const std::string& path, std::string* firstProblem) {
    auto keepFirst = [&](std::string line) {
        if (firstProblem && firstProblem->empty()) *firstProblem = std::move(line);
    };
    if (firstProblem) firstProblem->clear();
    CheckedScript checked;
    try {
        checked = loadCheckedScript(path.c_str());
    } catch (const ShowError& error) {
        const std::string_view message = withoutTrailingNewlines(error.checkMessage.empty() ? error.message : error.checkMessage);
        std::fprintf(stderr, "%s: %.*s\n", path.c_str(), static_cast<int>(message.size()), message.data());
        keepFirst(path + ": " + std::string(message));
        keepRunningShow(path);
        return false;
    }
    if (!checked.report.problems.empty() || !checked.graph) {
        for (const ScriptProblem& p : checked.report.problems) {
            const std::string line =
                p.line > 0 ? path + ":" + std::to_string(p.line) + ": " + p.message : path + ": " + p.message;
            std::fprintf(stderr, "%s\n", line.c_str());
            keepFirst(line);
        }
        keepRunningShow(path);
        return false;
    }

    if (graph) checked.graph->takeOverShow(*graph);
    else checked.graph->setThreadCount(threadCountFromEnvironment());
    graph = std::move(checked.graph);  // the old graph goes without stopping the music
    std::printf("%s: reloaded\n", path.c_str());
    std::fflush(stdout);
    return true;
}

}  // namespace velmora
