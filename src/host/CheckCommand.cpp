// The check command: the checker's report, printed.
#include "host/CheckCommand.h"

#include <cstdio>

#include "script/ScriptChecker.h"

namespace velmora {

int runCheck(const CheckOptions& options) {
    const std::string& script = options.script;
    CheckReport report = checkScriptFile(script.c_str());
    for (const ScriptProblem& p : report.problems) {
        if (p.line > 0)
            std::fprintf(stderr, "%s:%d: %s\n", script.c_str(), p.line, p.message.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", script.c_str(), p.message.c_str());
    }
    if (!report.problems.empty()) return 1;
    std::printf("%s: ok: %d boxes, %d functions, %d surfaces, %d wiring lines\n", script.c_str(), report.boxes,
                report.functions, report.surfaces, report.wiringLines);
    return 0;
}

}  // namespace velmora
