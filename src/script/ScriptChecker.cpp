// The script checker: loading with an observer that collects problems, then a
// pass over the wiring that looks at every word a frame would read, and more.
#include "script/ScriptChecker.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/Limits.h"
#include "core/NearestWord.h"
#include "core/Text.h"
#include "object3d/BoxObjet3D.h"
#include "script/DemoGraph.h"
#include "script/LoadObserver.h"
#include "script/ParameterCheck.h"
#include "script/TypeTable.h"
#include "script/WiringLine.h"

namespace velmora {

namespace {

// Collects every problem of a load: rejected parameter texts and the errors
// that would stop the show, each at the declaration it comes from.
class Checker : public LoadObserver, public ErrorReporter {
public:
    // What stops the show or refuses the script.
    void problem(size_t offset, std::string message) override {
        found.push_back({offset, std::move(message), false});
    }
    // What the show plays with, as it is.
    void warning(size_t offset, std::string message) override {
        found.push_back({offset, std::move(message), true});
    }

    void report(std::string_view message, std::string_view reason) override {
        // The type refusing a text the parameter check has already explained.
        if (parameterProblemAt_ && *parameterProblemAt_ == currentOffset_) return;
        // The show reports the text and goes on with what the type makes of it.
        std::string text(message);
        if (!reason.empty()) text.append(": ").append(reason);
        warning(currentOffset_, std::move(text));
    }

    void configure(size_t offset, const std::function<void()>& call) override {
        currentOffset_ = offset;
        try {
            call();
        } catch (const ShowError& error) {
            const std::string& message = error.checkMessage.empty() ? error.message : error.checkMessage;
            std::string text(withoutTrailingNewlines(message));
            if (!error.reason.empty()) {
                text += ": ";
                if (!error.file.empty() && error.reason.find(error.file) == std::string::npos)
                    text += error.file + ": ";
                text += error.reason;
            }
            problem(offset, std::move(text));
        }
    }

    explicit Checker(DemoGraph& graph) : graph_(graph) {}

    void declared(const Declaration& d) override {
        // What the loader itself reads past: names that cannot be wired as
        // written, and parameter words and texts it cuts.
        const size_t offset = d.offset;
        const std::string_view cut = d.name.substr(0, kMaxNameLength);
        if (d.name.empty() || d.name == sectionEndWord(d.section))
            warning(offset, "declaration " + std::string(d.typeWord) + " has no name");
        else if (isTypeWord(d.name))
            warning(offset, "name " + std::string(cut) + " begins with ZYL_");
        ScriptReader params(d.parameters);
        for (std::string_view w = params.readWord(); !w.empty(); w = params.readWord())
            if (isTypeWord(w)) warning(offset, "parameter word " + std::string(w) + " begins with ZYL_");
        if (d.parametersCut) warning(offset, longParameterTextWarning());
        warnAboutCutName(d.section, d.name, offset);

        std::string wrong = checkParameterText(d.typeWord, cut, d.parameters);
        if (!wrong.empty()) {
            warning(offset, std::move(wrong));
            parameterProblemAt_ = offset;
        }
        // The wiring finds the first of equal names: a later one is never reached.
        // Names equal only once cut are warned about above.
        const bool isBox = d.typeWord.substr(0, 7) == "ZYL_Box";
        const std::string kind = isBox ? "box " : d.typeWord.substr(0, 8) == "ZYL_Fnct" ? "function " : "surface ";
        if (d.name.empty()) return;
        const auto [first, inserted] = firstDeclaration_.emplace(kind + std::string(d.name), offset);
        if (!inserted) duplicates.push_back({offset, first->second, kind + std::string(cut)});
    }

    struct Found {
        size_t offset;
        std::string message;
        bool warning;
    };
    std::vector<Found> found;
    struct Duplicate {
        size_t offset;
        size_t firstOffset;
        std::string what;  // "box NAME", "function NAME", "surface NAME"
    };
    std::vector<Duplicate> duplicates;

private:
    static bool isTypeWord(std::string_view word) { return word.substr(0, 4) == "ZYL_"; }
    static std::string_view sectionEndWord(int section) {
        static constexpr std::string_view kEnds[] = {kBoxSectionEnd, kFunctionSectionEnd, kSurfaceSectionEnd};
        return kEnds[section];
    }

    // A name cut to kMaxNameLength, and two names of a section that the cut makes one.
    void warnAboutCutName(int section, std::string_view name, size_t offset) {
        static constexpr const char* kKindNames[] = {"box", "function", "surface"};
        const char* kindName = kKindNames[section];
        const std::string_view cut = name.substr(0, kMaxNameLength);
        if (cut.size() < name.size()) warning(offset, cutNameWarning(kindName, name));
        const auto [first, added] = declaredNames_[section].emplace(cut, DeclaredName{name, offset});
        if (!added && first->second.fullName != name) {
            if (!lineIndex_) lineIndex_ = std::make_unique<LineIndex>(graph_.scriptText());
            warning(offset, nameCollisionWarning(kindName, name, lineIndex_->lineAt(first->second.offset)));
        }
    }

    DemoGraph& graph_;
    // Each section's names as cut, with the whole word and where it was first
    // declared; and the script's lines, once needed.
    struct DeclaredName {
        std::string_view fullName;
        size_t offset;
    };
    std::unordered_map<std::string_view, DeclaredName> declaredNames_[3];
    std::unique_ptr<LineIndex> lineIndex_;
    size_t currentOffset_ = 0;
    std::optional<size_t> parameterProblemAt_;  // the last declaration whose text was found wrong
    std::map<std::string, size_t> firstDeclaration_;
};

bool isDeclaredName(const DemoGraph& graph, std::string_view word) {
    return graph.findSurface(word) >= 0 || graph.findFunction(word) >= 0 || graph.findBox(word) >= 0;
}

// "; did you mean NAME?" for the declared name of `kinds` nearest to `word`
// (OUT among the surfaces when `withFrame`), or nothing when none is near.
template <class... Kinds>
std::string nearestNameHint(std::string_view word, bool withFrame, const Kinds&... kinds) {
    std::vector<std::string_view> names;
    if (withFrame) names.push_back(kOutputName);
    auto add = [&](const auto& registry) {
        for (size_t i = 0; i < registry.names.size(); ++i)
            if (registry.objects[i] && !registry.names[i].empty()) names.push_back(registry.names[i]);
    };
    (add(kinds), ...);
    const int maxDistance = std::max(2, static_cast<int>(word.size() / 3));
    const std::string_view nearest = nearestWord(word, names, maxDistance);
    return nearest.empty() ? std::string() : "; did you mean " + std::string(nearest) + "?";
}

// The word where a line stopped being read, when it names nothing declared:
// " ('unn', where the line stops, is no declared function; did you mean un?)".
template <class Kind>
std::string stopWordNote(const WiringLine& read, const DemoGraph& graph, const char* what, const Kind& kind) {
    const std::string_view stop = read.stopWord;
    if (stop.empty() || isDeclaredName(graph, stop.substr(0, kMaxNameLength))) return {};
    return " ('" + std::string(stop) + "', where the line stops, is no declared " + what +
           nearestNameHint(stop, false, kind) + ")";
}

// Spaces the reading keeps although they look like nothing: after a section
// word (the word is then not found) and after a closing quote (it becomes
// part of the file name). The reading stays as it is; the line gets a warning.
void checkLayout(std::string_view script, Checker& checker) {
    constexpr std::string_view kSections[] = {kBoxSectionOpen,     kBoxSectionEnd,     kFunctionSectionOpen,
                                              kFunctionSectionEnd, kSurfaceSectionOpen, kSurfaceSectionEnd,
                                              kWiringOpen,         kWiringEnd};
    size_t start = 0;
    while (start < script.size()) {
        size_t end = script.find('\n', start);
        if (end == std::string_view::npos) end = script.size();
        const std::string_view line = script.substr(start, end - start);
        size_t kept = line.size();
        while (kept > 0 && (line[kept - 1] == ' ' || line[kept - 1] == '\t')) --kept;
        if (kept < line.size() && kept > 0) {
            const std::string_view word = line.substr(0, kept);
            if (std::find(std::begin(kSections), std::end(kSections), word) != std::end(kSections))
                checker.warning(start, "spaces after " + std::string(word) +
                                           ": the section word must end its line, or it is not found");
            else if (word.back() == '"' && word.find('"') < kept - 1)
                checker.warning(start, "spaces after the closing quote are read as part of the file name: end "
                                       "the line at the quote");
        }
        start = end + 1;
    }
}

std::string describe(const SurfaceNeed& need) {
    char text[64];
    if (need.kind == SurfaceNeed::Exact)
        std::snprintf(text, sizeof text, "%dx%d", need.width, need.height);
    else
        std::snprintf(text, sizeof text, "at least %dx%d pixels", need.width, need.height);
    return text;
}

// The words of the line that a frame reads (up to the one where it stopped)
// that are longer than a name and so are read cut.
void checkWordLengths(std::string_view line, const WiringLine& read, Checker& checker, size_t offset) {
    std::string_view last = read.kind == WiringLine::Kind::UndeclaredBox ? read.boxWord : read.outputWord;
    if (read.kind == WiringLine::Kind::Call) last = read.stopWord.empty() ? line.substr(line.size()) : read.stopWord;
    size_t end = static_cast<size_t>(last.data() - line.data()) + last.size();
    while (end < line.size() && !isScriptSpace(line[end])) ++end;
    ScriptReader words(line.substr(0, end));
    for (std::string_view w = words.readWord(); !w.empty(); w = words.readWord())
        if (w.size() > kMaxNameLength) checker.warning(offset, longWiringWordWarning(w));
}

// Looks at one wiring line the way a frame reads it.
void checkWiringLine(const DemoGraph& graph, std::string_view line, size_t offset, Checker& checker,
                     int& callingLines) {
    const WiringLine read = readWiringLine(line, graph);
    if (read.kind == WiringLine::Kind::Blank) return;
    checkWordLengths(line, read, checker, offset);
    // A line the frame cannot resolve stops the show at its first frame; the
    // rest draws less than meant, or nothing, and the show plays on.
    auto refuse = [&](std::string message) { checker.problem(offset, std::move(message)); };
    auto report = [&](std::string message) { checker.warning(offset, std::move(message)); };
    const std::string boxName(read.boxWord);
    if (read.kind == WiringLine::Kind::UndeclaredBox) {
        refuse("undeclared box " + boxName + nearestNameHint(read.boxWord, false, graph.boxes()));
        return;
    }
    ++callingLines;
    if (read.outputWord.empty()) {
        refuse("box " + boxName + " has no output surface");
        return;
    }
    if (read.kind == WiringLine::Kind::UndeclaredOutput) {
        refuse("undeclared output surface " + std::string(read.outputWord) +
               nearestNameHint(read.outputWord, true, graph.surfaces()));
        return;
    }
    Surface frame;  // stands for "OUT": sized, never drawn
    frame.width = kFrameWidth;
    frame.height = kFrameHeight;
    uint32_t framePixel = 0;
    frame.pixels = &framePixel;
    const Surface* output = read.outputIsFrame ? &frame : graph.surfaces().objects[read.outputSurface].get();
    const Surface* input0 = nullptr;
    if (read.inputCount > 0) input0 = read.inputs[0] < 0 ? &frame : graph.surfaces().objects[read.inputs[0]].get();

    // Where the line stopped being read: a name nobody declared, followed by a
    // declared one, is most likely a typo that silently cut the line short.
    bool cutShort = false;
    if (!read.stopWord.empty()) {
        cutShort = true;
        const std::string_view stop = read.stopWord;
        bool laterName = false;
        ScriptReader rest(read.rest);
        for (std::string_view w = rest.readWord(); !w.empty() && !laterName; w = rest.readWord())
            laterName = isDeclaredName(graph, w.substr(0, kMaxNameLength));
        if (!isDeclaredName(graph, stop) && laterName)
            report(std::string("'").append(stop).append("' is no declared surface or function; the rest of the line is not read") +
                   nearestNameHint(stop, true, graph.surfaces(), graph.functions()));
        else if (graph.findSurface(stop) >= 0 && read.functionCount > 0)
            report("surface " + std::string(stop) + " after the functions is not read (inputs come first)");
        else if (read.listFull)
            report(longListWarning());
        else
            cutShort = false;  // a plain trailing comment
    }

    const ScriptType* type = graph.boxType(read.box);
    if (!type) return;
    // Too few names after a line that was cut short is the same problem again.
    if (!cutShort && read.functionCount < type->functionsRead())
        report("box " + boxName + " (" + type->word + ") reads " + std::to_string(type->functionsRead()) +
               " functions, the line names " + std::to_string(read.functionCount) +
               stopWordNote(read, graph, "function", graph.functions()));
    if (!cutShort && read.inputCount < type->inputsRead())
        report("box " + boxName + " (" + type->word + ") reads " + std::to_string(type->inputsRead()) +
               " input surface" + (type->inputsRead() > 1 ? "s" : "") + ", the line names " +
               std::to_string(read.inputCount) +
               (read.functionCount == 0 ? stopWordNote(read, graph, "surface", graph.surfaces()) : std::string()));
    if (output->pixels && !type->output.accepts(*output))
        report("box " + boxName + " (" + type->word + ") draws into a " + describe(type->output) +
               " surface, " + std::string(read.outputWord) + " is " + std::to_string(output->width) + "x" +
               std::to_string(output->height));
    // The object box reads its environment map only when it textures its faces.
    const auto* object = dynamic_cast<const BoxObjet3D*>(graph.boxes().objects[read.box].get());
    const bool texturedObject = object && object->drawingMode() != 0 && object->drawingMode() != 1;
    if (texturedObject && read.inputCount == 0 && !cutShort)
        report("box " + boxName + " (" + type->word + ") in mode " + std::to_string(object->drawingMode()) +
               " reads an environment map (" + describe(type->input0) + "), the line names none");
    if ((type->inputsRead() > 0 || texturedObject) && input0 && input0->pixels && !type->input0.accepts(*input0))
        report("box " + boxName + " (" + type->word + ") reads a " + describe(type->input0) + " input, " +
               std::string(read.firstInputWord) + " is " + std::to_string(input0->width) + "x" +
               std::to_string(input0->height));
}

// Watches a show's own load: what stops the show still stops it, and the
// rejected texts go to the show's reporter; the rest is collected as warnings.
class LoadWatcher : public Checker {
public:
    using Checker::Checker;
    bool goesOnPastErrors() const override { return false; }
    void configure(size_t offset, const std::function<void()>& call) override {
        (void)offset;
        call();
    }
};

// The wiring pass and the problems the load collected, in line order.
CheckReport collect(const DemoGraph& graph, Checker& checker) {
    CheckReport report;
    {
        const std::string_view script = graph.scriptText();
        // The wiring is only looked at when the script has every section: without
        // one, every name of the wiring would be reported again as undeclared.
        ScriptReader reader(script);
        reader.seek(graph.wiringStart());
        if (graph.wiringStart() > 0 && graph.sectionsComplete()) {
            for (;;) {
                const size_t offset = reader.tell();
                std::string_view line = reader.readLine();
                if (line == kWiringEnd) break;
                if (reader.lineWasCut()) checker.warning(offset, longWiringLineWarning());
                checkWiringLine(graph, line, offset, checker, report.wiringLines);
                if (reader.atEnd()) break;
            }
        }
        checkLayout(script, checker);
        // Line numbers from one index: a script with a problem on every line
        // is checked in time that grows with its size, not with its square.
        const LineIndex lines(script);
        for (const auto& found : checker.found)
            report.problems.push_back({lines.lineAt(found.offset), found.message, found.warning});
        for (const auto& twice : checker.duplicates)
            report.problems.push_back({lines.lineAt(twice.offset),
                                       twice.what + " is declared again (first on line " +
                                           std::to_string(lines.lineAt(twice.firstOffset)) +
                                           "); the wiring never reaches this one",
                                       true});
    }
    std::stable_sort(report.problems.begin(), report.problems.end(),
                     [](const ScriptProblem& a, const ScriptProblem& b) { return a.line < b.line; });
    report.boxes = graph.boxes().count();
    report.functions = graph.functions().count();
    report.surfaces = graph.surfaces().count();
    return report;
}

// Loads `text` into `graph` and checks it.
CheckReport check(std::string_view text, DemoGraph& graph) {
    Checker checker(graph);
    graph.loadText(text, checker, &checker);  // every problem, the invalid ones included, is reported
    return collect(graph, checker);
}

}  // namespace

WarnedLoad loadWithWarnings(DemoGraph& graph, const char* path, ErrorReporter& reporter) {
    WarnedLoad load;
    std::string text;
    const FileReadOutcome outcome = readRegularFile(path, kMaxScriptBytes, text);
    if (outcome != FileReadOutcome::Read) {
        load.result = outcome == FileReadOutcome::CannotOpen ? LoadResult::ScriptNotFound : LoadResult::ScriptInvalid;
        if (outcome != FileReadOutcome::CannotOpen) load.fileRefusal = scriptFileRefusal(path, outcome);
        return load;
    }
    graph.setScriptPath(path);
    LoadWatcher watcher(graph);
    load.result = graph.loadText(text, reporter, &watcher);
    if (load.result == LoadResult::Loaded) load.warnings = collect(graph, watcher).problems;
    return load;
}

CheckReport checkScriptText(std::string_view text, uint64_t surfaceBudgetBytes) {
    DemoGraph graph;
    graph.setSurfaceBudget(surfaceBudgetBytes);
    return check(text, graph);
}

CheckedScript loadCheckedScript(const char* path, uint64_t surfaceBudgetBytes, StopCheck stop) {
    CheckedScript checked;
    std::string text;
    const FileReadOutcome outcome = readRegularFile(path, kMaxScriptBytes, text);
    if (outcome == FileReadOutcome::CannotOpen) {
        checked.report.problems.push_back({0, "Script non trouvé!!"});
        return checked;
    }
    if (outcome != FileReadOutcome::Read) {
        checked.report.problems.push_back({0, "Script non valide!!: " + scriptFileRefusal(path, outcome)});
        return checked;
    }
    checked.graph = std::make_unique<DemoGraph>();
    checked.graph->setScriptPath(path);
    checked.graph->setSurfaceBudget(surfaceBudgetBytes);
    checked.graph->setStopCheck(std::move(stop));
    checked.report = check(text, *checked.graph);
    return checked;
}

CheckReport checkScriptFile(const char* path, uint64_t surfaceBudgetBytes, StopCheck stop) {
    return loadCheckedScript(path, surfaceBudgetBytes, std::move(stop)).report;
}

bool refuses(const std::vector<ScriptProblem>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const ScriptProblem& p) { return !p.warning; });
}

std::string problemLine(std::string_view file, const ScriptProblem& problem) {
    std::string line(file);
    if (problem.line > 0) line += ":" + std::to_string(problem.line);
    line += ": ";
    if (problem.warning) line += "warning: ";
    return line + problem.message;
}

void printProblems(std::FILE* stream, std::string_view file, const std::vector<ScriptProblem>& problems) {
    for (const ScriptProblem& p : problems) std::fprintf(stream, "%s\n", problemLine(file, p).c_str());
}

}  // namespace velmora
