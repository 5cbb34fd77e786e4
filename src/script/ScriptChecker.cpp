// The script checker: loading with an observer that collects problems, then a
// pass over the wiring that looks at every word a frame would read, and more.
#include "script/ScriptChecker.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "script/BoxTypes.h"
#include "script/DemoGraph.h"
#include "core/Error.h"
#include "core/Text.h"

namespace velmora {

namespace {

// Collects every problem of a load: rejected parameter texts and the errors
// that would stop the show, each at the declaration it comes from.
class Checker : public LoadObserver, public ErrorReporter {
public:
    void problem(size_t offset, std::string message) override {
        found.push_back({offset, std::move(message)});
    }

    void report(std::string_view message) override { problem(currentOffset_, std::string(message)); }

    void configure(size_t offset, const std::function<void()>& call) override {
        currentOffset_ = offset;
        try {
            call();
        } catch (const ShowError& error) {
            const std::string& message = error.checkMessage.empty() ? error.message : error.checkMessage;
            problem(offset, std::string(withoutTrailingNewlines(message)));
        }
    }

    struct Found {
        size_t offset;
        std::string message;
    };
    std::vector<Found> found;

private:
    size_t currentOffset_ = 0;
};

bool isDeclaredName(const DemoGraph& graph, std::string_view word) {
    return graph.findSurface(word) >= 0 || graph.findFunction(word) >= 0 || graph.findBox(word) >= 0;
}

std::string describe(const SurfaceNeed& need) {
    char text[64];
    if (need.kind == SurfaceNeed::Exact)
        std::snprintf(text, sizeof text, "%dx%d", need.width, need.height);
    else
        std::snprintf(text, sizeof text, "at least %dx%d pixels", need.width, need.height);
    return text;
}

// Looks at one wiring line the way a frame reads it.
void checkWiringLine(const DemoGraph& graph, std::string_view line, size_t offset, Checker& checker,
                     int& callingLines) {
    std::vector<std::string_view> words;
    ScriptReader reader(line);
    for (std::string_view w = reader.readWord(); !w.empty(); w = reader.readWord())
        words.push_back(w.substr(0, kMaxNameLength));
    if (words.empty() || words[0][0] == ';') return;
    auto report = [&](std::string message) { checker.problem(offset, std::move(message)); };

    const int box = graph.findBox(words[0]);
    if (box < 0) {
        report("undeclared box " + std::string(words[0]));
        return;
    }
    ++callingLines;
    if (words.size() < 2) {
        report("box " + std::string(words[0]) + " has no output surface");
        return;
    }
    Surface frame;  // stands for "OUT": sized, never drawn
    frame.width = 512;
    frame.height = 256;
    uint32_t framePixel = 0;
    frame.pixels = &framePixel;
    const Surface* output = &frame;
    if (words[1] != kOutputName) {
        int s = graph.findSurface(words[1]);
        if (s < 0) {
            report("undeclared output surface " + std::string(words[1]));
            return;
        }
        output = graph.surfaces().objects[s].get();
    }

    size_t k = 2;
    std::vector<const Surface*> inputs;
    if (k < words.size() && words[k] == kOutputName) inputs.push_back(&frame), ++k;
    for (; k < words.size() && graph.findSurface(words[k]) >= 0 && inputs.size() < kMaxListEntries; ++k)
        inputs.push_back(graph.surfaces().objects[graph.findSurface(words[k])].get());
    int functionCount = 0;
    for (; k < words.size() && graph.findFunction(words[k]) >= 0 && functionCount < kMaxListEntries; ++k)
        ++functionCount;

    // Where the line stopped being read: a name nobody declared, followed by a
    // declared one, is most likely a typo that silently cut the line short.
    bool cutShort = false;
    if (k < words.size()) {
        cutShort = true;
        const std::string_view stop = words[k];
        const bool laterName = std::any_of(words.begin() + static_cast<long>(k) + 1, words.end(),
                                           [&](std::string_view w) { return isDeclaredName(graph, w); });
        if (!isDeclaredName(graph, stop) && laterName)
            report(std::string("'").append(stop).append("' is no declared surface or function; the rest of the line is not read"));
        else if (graph.findSurface(stop) >= 0 && functionCount > 0)
            report("surface " + std::string(stop) + " after the functions is not read (inputs come first)");
        else if (inputs.size() == kMaxListEntries || functionCount == kMaxListEntries)
            report("more than 10 inputs or functions; the rest of the line is not read");
        else
            cutShort = false;  // a plain trailing comment
    }

    const BoxType* type = graph.boxType(box);
    if (!type) return;
    const std::string boxName(words[0]);
    // Too few names after a line that was cut short is the same problem again.
    if (!cutShort && functionCount < type->functionsRead)
        report("box " + boxName + " (" + type->word + ") reads " + std::to_string(type->functionsRead) +
               " functions, the line names " + std::to_string(functionCount));
    if (!cutShort && static_cast<int>(inputs.size()) < type->inputsRead)
        report("box " + boxName + " (" + type->word + ") reads " + std::to_string(type->inputsRead) +
               " input surface" + (type->inputsRead > 1 ? "s" : "") + ", the line names " +
               std::to_string(inputs.size()));
    if (output->pixels && !type->output.accepts(*output))
        report("box " + boxName + " (" + type->word + ") draws into a " + describe(type->output) +
               " surface, " + std::string(words[1]) + " is " + std::to_string(output->width) + "x" +
               std::to_string(output->height));
    if (type->inputsRead > 0 && !inputs.empty() && inputs[0]->pixels && !type->input0.accepts(*inputs[0]))
        report("box " + boxName + " (" + type->word + ") reads a " + describe(type->input0) + " input, " +
               std::string(words[2]) + " is " + std::to_string(inputs[0]->width) + "x" +
               std::to_string(inputs[0]->height));
}

// Loads `text` into `graph` and checks it.
CheckReport check(std::string_view text, DemoGraph& graph) {
    CheckReport report;
    Checker checker;
    const int result = graph.loadText(text, checker, &checker);

    (void)result;  // every problem, the invalid ones included, was reported
    {
        const std::string_view script = graph.scriptText();
        // The wiring is only looked at when the script has one.
        ScriptReader reader(script);
        reader.seek(graph.wiringStart());
        if (graph.wiringStart() > 0) {
            for (;;) {
                const size_t offset = reader.tell();
                std::string_view line = reader.readLine();
                if (line == kWiringEnd) break;
                checkWiringLine(graph, line, offset, checker, report.wiringLines);
                if (reader.atEnd()) break;
            }
        }
        for (const auto& found : checker.found)
            report.problems.push_back({lineNumberAt(script, found.offset), found.message});
    }
    std::stable_sort(report.problems.begin(), report.problems.end(),
                     [](const ScriptProblem& a, const ScriptProblem& b) { return a.line < b.line; });
    report.boxes = graph.boxes().count();
    report.functions = graph.functions().count();
    report.surfaces = graph.surfaces().count();
    return report;
}

}  // namespace

CheckReport checkScriptText(std::string_view text) {
    DemoGraph graph;
    return check(text, graph);
}

CheckedScript loadCheckedScript(const char* path) {
    CheckedScript checked;
    std::string text;
    if (!readWholeFile(path, text)) {
        checked.report.problems.push_back({0, "Script non trouvé!!"});
        return checked;
    }
    checked.graph = std::make_unique<DemoGraph>();
    checked.report = check(text, *checked.graph);
    return checked;
}

CheckReport checkScriptFile(const char* path) { return loadCheckedScript(path).report; }

}  // namespace velmora
