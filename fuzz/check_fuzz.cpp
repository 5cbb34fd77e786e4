// Fuzz target: the checker on a script text, as `velmora check`, F5 and
// --watch run it. It must report, never stop, and take time that grows with
// the text (libFuzzer's -timeout catches a path that does not).
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "script/ScriptChecker.h"

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepareScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const CheckReport report = checkScriptText(text);
        // Problems come in line order, each on a line of the text.
        int previous = 0;
        for (const ScriptProblem& problem : report.problems) {
            if (problem.line < previous || problem.line < 1) std::abort();
            previous = problem.line;
        }
    } catch (const ShowError&) {
        // A loader's own exit (a damaged mesh): the checker passes it on.
    }
    return 0;
}
