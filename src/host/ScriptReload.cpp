// Reloading the script while the show runs.
#include "host/ScriptReload.h"

#include <cstdio>
#include <string>

#include "core/ThreadCount.h"
#include "script/ScriptChecker.h"

namespace velmora {

namespace {

struct LoadFailed {
    std::string message;
};

std::string withoutTrailingNewlines(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// While a reload loads, nothing may end the show or wait for a click.
void throwFatal(const char* message) { throw LoadFailed{message}; }
void printReport(const char* message) {
    std::fprintf(stderr, "Erreur!!!!: %s\n", withoutTrailingNewlines(message).c_str());
}

// Puts back the show's handlers and the load mode however the reload ends.
class QuietLoading {
public:
    explicit QuietLoading(const ShowErrorHandlers& show) : show_(show), recoverable_(loadFailuresRecoverable()) {
        setLoadFailuresRecoverable(true);
        quiet();
    }
    ~QuietLoading() {
        setLoadFailuresRecoverable(recoverable_);
        setFatalErrorHandler(show_.fatal);
        setErrorReportHandler(show_.report);
    }
    QuietLoading(const QuietLoading&) = delete;
    QuietLoading& operator=(const QuietLoading&) = delete;
    // The checker leaves no handlers behind it; the load needs these again.
    void quiet() {
        setFatalErrorHandler(throwFatal);
        setErrorReportHandler(printReport);
    }

private:
    ShowErrorHandlers show_;
    bool recoverable_;
};


void keepRunningShow(const std::string& path) {
    std::fprintf(stderr, "%s: not reloaded; the running show goes on\n", path.c_str());
    std::fflush(stderr);
}

}  // namespace

bool reloadScript(std::unique_ptr<DemoGraph>& graph, const std::string& path, const ShowErrorHandlers& handlers) {
    QuietLoading quiet(handlers);

    CheckReport report = checkScriptFile(path.c_str());
    if (!report.problems.empty()) {
        for (const ScriptProblem& p : report.problems) {
            if (p.line > 0)
                std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), p.line, p.message.c_str());
            else
                std::fprintf(stderr, "%s: %s\n", path.c_str(), p.message.c_str());
        }
        keepRunningShow(path);
        return false;
    }

    quiet.quiet();
    auto next = std::make_unique<DemoGraph>();
    next->setThreadCount(graph ? graph->threadCount() : threadCountFromEnvironment());
    try {
        const int result = next->load(path.c_str());
        if (result == kScriptNotFound) throw LoadFailed{"Script non trouvé!!"};
        if (result != kLoaded) throw LoadFailed{"Script non valide!!"};
    } catch (const LoadFailed& failure) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), withoutTrailingNewlines(failure.message).c_str());
        keepRunningShow(path);
        return false;
    }

    if (graph) next->takeOverShow(*graph);
    graph = std::move(next);  // the old graph goes without stopping the music
    std::printf("%s: reloaded\n", path.c_str());
    std::fflush(stdout);
    return true;
}

}  // namespace velmora
