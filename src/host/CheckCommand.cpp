// The check command: the checker's report, printed.
#include "host/CheckCommand.h"

#include <cstdio>

#include "host/CommandLine.h"
#include "script/ScriptChecker.h"

namespace velmora {

bool parseCheckOptions(const std::vector<std::string>& args, std::string& script) {
    script = "script.zyl";
    OptionReader reader("check", args);
    for (std::string_view name = reader.next(); !name.empty(); name = reader.next()) {
        if (name != "--script") {
            reader.unknown();
            break;
        }
        auto v = reader.value();
        if (!v) break;
        if (v->empty()) {
            reader.malformed("a file name");
            break;
        }
        script = *v;
    }
    return !reader.failed();
}

int runCheck(const std::string& script) {
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
