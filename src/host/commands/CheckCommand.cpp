// The check command: the checker's report, printed.
#include "host/commands/CheckCommand.h"

#include <cstdio>

#include "host/app/Startup.h"
#include "host/app/Interruption.h"
#include "script/ScriptChecker.h"

namespace velmora {

CommandOutcome runCheck(const CheckOptions& options) {
    const std::string& script = options.script;
    // Ctrl-C stops a long load between declarations and inside a picture's decode.
    catchInterruptions();
    CheckReport report = checkScriptFile(script.c_str(), options.surfaceBudgetBytes, interruptionStopCheck());
    printProblems(stderr, script, report.problems);
    const std::vector<ScriptProblem> music = moduleFindings(options.music);
    printProblems(stderr, options.music, music);
    // The findings are the failure's lines, printed already.
    if (refuses(report.problems) || refuses(music)) return CommandOutcome::failed({});
    std::printf("%s: ok: %d boxes, %d functions, %d surfaces, %d wiring lines\n", script.c_str(), report.boxes,
                report.functions, report.surfaces, report.wiringLines);
    return {};
}

}  // namespace velmora
