// Loading the script into the demo graph, and evaluating the wiring every frame.
#include "script/DemoGraph.h"

#include <algorithm>
#include <cstdio>

#include "core/Error.h"
#include "core/MissingFile.h"
#include "core/NearestWord.h"
#include "core/Text.h"
#include "script/LoadObserver.h"
#include "script/TypeTable.h"
#include "script/WiringLine.h"

namespace velmora {

namespace {

enum SectionKind { kBoxSection, kFunctionSection, kSurfaceSection };

bool isTypeWord(std::string_view word) { return word.substr(0, 4) == "ZYL_"; }

// Names longer than a name buffer are cut to its length.
std::string_view cutName(std::string_view word) { return word.substr(0, kMaxNameLength); }

// Reads words until `word` is found; false at the end of the text.
bool skipPast(ScriptReader& reader, std::string_view word) {
    for (;;) {
        std::string_view w = reader.readWord();
        if (w.empty()) return false;
        if (w == word) return true;
    }
}

// "unknown box type ZYL_BoxBlur; did you mean ZYL_BoxXBlur? (velmora list shows every type)"
std::string describeUnknownType(std::string_view kind, std::string_view word) {
    std::vector<std::string_view> words;
    for (const ScriptType& type : kind == "box" ? boxTypes() : functionTypes()) words.push_back(type.word);
    std::string text = "unknown " + std::string(kind) + " type " + std::string(word);
    const std::string_view nearest = nearestWord(word, words, std::max<int>(3, word.size() / 3));
    if (!nearest.empty()) text += "; did you mean " + std::string(nearest) + "?";
    return text + " (velmora list shows every type)";
}

}  // namespace

DemoGraph::DemoGraph() : showState_(std::make_unique<ShowState>()) {}

bool DemoGraph::goesOnPastErrors() const { return observer_ && observer_->goesOnPastErrors(); }

DemoGraph::~DemoGraph() {
    functions_ = {};
    surfaces_ = {};
    boxes_ = {};
}

void DemoGraph::useWorkers(WorkerPool* workers) {
    workers_ = workers;
}

LoadResult DemoGraph::load(const char* path, ErrorReporter& reporter) {
    std::string raw;
    const FileReadOutcome outcome = readRegularFile(path, kMaxScriptBytes, raw);
    fileRefusal_.clear();
    scriptPath_ = path;
    if (outcome == FileReadOutcome::CannotOpen) return LoadResult::ScriptNotFound;
    if (outcome != FileReadOutcome::Read) {
        // Found, but no script: refused as an invalid one, with the reason.
        fileRefusal_ = scriptFileRefusal(path, outcome);
        return LoadResult::ScriptInvalid;
    }
    return loadText(raw, reporter);
}

LoadResult DemoGraph::loadText(std::string_view text, ErrorReporter& reporter, LoadObserver* observer) {
    // The observer watches this load only: the graph may outlive it.
    observer_ = observer;
    struct ObserverReset {
        LoadObserver*& observer;
        ~ObserverReset() { observer = nullptr; }
    } reset{observer_};
    // For the show's own load the reasons go to a reader of standard error or a
    // message box: each names its script and line. The checker adds the line itself.
    struct LineReporter : ErrorReporter {
        ErrorReporter& outer;
        const DemoGraph& graph;
        LineReporter(ErrorReporter& o, const DemoGraph& g) : outer(o), graph(g) {}
        void report(std::string_view message, std::string_view reason) override {
            if (reason.empty()) return outer.report(message);
            const std::string where = (graph.scriptPath_.empty() ? std::string("line ") : graph.scriptPath_ + ":") +
                                      std::to_string(lineNumberAt(graph.scriptText_, graph.currentOffset_)) + ": ";
            outer.report(message, where + std::string(reason));
        }
    } lines(reporter, *this);
    return readScript(text, goesOnPastErrors() ? reporter : lines);
}

LoadResult DemoGraph::readScript(std::string_view text, ErrorReporter& reporter) {
    *showState_ = ShowState{};  // a new script is a new show
    surfaceBudget_ = SurfaceBudget(surfaceBudgetBytes_);
    // Text mode: a carriage return directly before a line feed is dropped.
    scriptText_.clear();
    scriptText_.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        scriptText_.push_back(text[i]);
    }
    scriptStream_ = ScriptReader(scriptText_);
    wiringCache_.clear();
    wiringCached_ = false;
    readsChannelLevels_ = false;

    // A section without its opening or end word makes the script invalid, before
    // anything is created.
    const std::string_view sections[][2] = {{kBoxSectionOpen, kBoxSectionEnd},
                                            {kFunctionSectionOpen, kFunctionSectionEnd},
                                            {kSurfaceSectionOpen, kSurfaceSectionEnd}};
    firstProblem_ = ScriptProblem{};
    sectionsComplete_ = false;
    // A misspelt section word is reported where it stands; the missing section
    // it leaves behind is the same problem and is not reported again.
    const std::vector<std::string_view> meant = reportUnknownSectionWords();
    auto reportedAlready = [&](std::string_view word) {
        return std::find(meant.begin(), meant.end(), word) != meant.end();
    };
    bool complete = true;
    for (const auto& section : sections) {
        scriptStream_.seek(0);
        if (!skipPast(scriptStream_, section[0])) {
            if (!reportedAlready(section[0])) problem(scriptText_.size(), "no section " + std::string(section[0]));
            complete = false;
        } else if (size_t open = scriptStream_.tell(); !skipPast(scriptStream_, section[1])) {
            if (!reportedAlready(section[1]))
                problem(open, "section " + std::string(section[0]) + " has no end word " + std::string(section[1]));
            complete = false;
        }
    }
    if (!findWiring()) {
        if (!reportedAlready(kWiringOpen) && !reportedAlready(kWiringEnd))
            problem(scriptText_.size(), "no wiring section [CABLAGE] ending with a line [/CABLAGE]");
        complete = false;
    }
    if (!complete) return LoadResult::ScriptInvalid;
    sectionsComplete_ = true;

    bool valid = readDeclarationSection(kBoxSectionOpen, kBoxSectionEnd, kBoxSection, reporter);
    if (!valid && !goesOnPastErrors()) return LoadResult::ScriptInvalid;
    valid = readDeclarationSection(kFunctionSectionOpen, kFunctionSectionEnd, kFunctionSection, reporter) && valid;
    if (!valid && !goesOnPastErrors()) return LoadResult::ScriptInvalid;
    readDeclarationSection(kSurfaceSectionOpen, kSurfaceSectionEnd, kSurfaceSection, reporter);
    return valid ? LoadResult::Loaded : LoadResult::ScriptInvalid;
}

void DemoGraph::problem(size_t offset, std::string message) {
    if (firstProblem_.message.empty()) firstProblem_ = {lineNumberAt(scriptText_, offset), message};
    if (observer_) observer_->problem(offset, std::move(message));
}

std::vector<std::string_view> DemoGraph::reportUnknownSectionWords() {
    static constexpr std::string_view kSectionWords[] = {kBoxSectionOpen,     kBoxSectionEnd, kFunctionSectionOpen,
                                                         kFunctionSectionEnd, kSurfaceSectionOpen,
                                                         kSurfaceSectionEnd,  kWiringOpen,    kWiringEnd};
    std::vector<std::string_view> meant;
    ScriptReader reader(scriptText_);
    while (!reader.atEnd()) {
        const size_t lineStart = reader.tell();
        ScriptReader line(reader.readLine());
        const std::string_view word = line.readWord();
        if (word.empty() || word[0] != '[') continue;
        if (std::find(std::begin(kSectionWords), std::end(kSectionWords), word) != std::end(kSectionWords)) continue;
        const std::string_view nearest = nearestWord(word, kSectionWords, std::max<int>(3, word.size() / 3));
        const size_t offset = lineStart + static_cast<size_t>(word.data() - line.text().data());
        std::string message = "'";
        message.append(word).append("' is no section word");
        if (nearest.empty()) {
            // Most likely a note: it changes nothing, and is not why a load fails.
            if (observer_) observer_->warning(offset, std::move(message));
            continue;
        }
        message += "; did you mean " + std::string(nearest) + "?";
        meant.push_back(nearest);
        problem(offset, std::move(message));
    }
    return meant;
}

void DemoGraph::annotate(ShowError& error, size_t offset) const {
    if (error.scriptLine == 0) error.scriptLine = lineNumberAt(scriptText_, offset);
    if (error.script.empty()) error.script = scriptPath_;
    if (!scriptPath_.empty() && error.reason.rfind("not found", 0) == 0)
        error.reason += scriptFolderHint(error.file, scriptPath_);
}

void DemoGraph::runAt(size_t offset, const std::function<void()>& call) {
    currentOffset_ = offset;
    auto annotated = [&] {
        try {
            call();
        } catch (ShowError& error) {
            annotate(error, offset);
            throw;
        }
    };
    if (observer_) observer_->configure(offset, annotated);
    else annotated();
}

bool DemoGraph::readDeclarationSection(std::string_view open, std::string_view end, int kind,
                                       ErrorReporter& reporter) {
    scriptStream_.seek(0);
    if (!skipPast(scriptStream_, open)) return false;
    const size_t sectionStart = scriptStream_.tell();

    // Count pass: every word that begins with "ZYL_" gets an entry.
    int count = 0;
    for (;;) {
        std::string_view w = scriptStream_.readWord();
        if (w.empty()) return false;
        if (w == end) break;
        if (isTypeWord(w)) ++count;
    }
    if (kind == kBoxSection) boxes_.reset(count), boxTypes_.assign(count, nullptr);
    if (kind == kFunctionSection) functions_.reset(count);
    if (kind == kSurfaceSection) surfaces_.reset(count);

    bool valid = true;
    scriptStream_.seek(sectionStart);
    for (int i = 0;;) {
        std::string_view word = scriptStream_.readWord();
        const size_t offset = static_cast<size_t>(word.data() - scriptText_.data());
        if (word.empty()) {
            problem(offset, "the end word " + std::string(end) + " was taken as a name");
            return false;  // the end word went as a name: no end left
        }
        if (word == end) return valid;
        if (!isTypeWord(word)) continue;
        stopIfAsked(&stopCheck_);

        std::string_view nameWord = scriptStream_.readWord();
        std::string name(cutName(nameWord));
        std::string parameters(scriptStream_.readLine());
        // A name that swallowed the end word can make more declarations than
        // the count pass saw; such a script is invalid.
        if (i >= count) {
            problem(offset, "the end word " + std::string(end) + " was taken as a name");
            return false;
        }
        if (observer_)
            observer_->declared({offset, kind, word, nameWord, parameters, scriptStream_.lineWasCut()});

        auto configure = [&](auto& object) { runAt(offset, [&] { object->configure(parameters.c_str(), reporter); }); };
        if (kind == kBoxSection) {
            const ScriptType* type = findBoxType(word);
            if (!type) {
                problem(offset, describeUnknownType("box", word));
                if (!goesOnPastErrors()) return false;
                valid = false;
                ++i;
                continue;
            }
            std::unique_ptr<FxBox> box = type->makeBox(*showState_);
            configure(box);
            boxes_.set(i, std::move(box), std::move(name));
            boxTypes_[i] = type;
        } else if (kind == kFunctionSection) {
            const ScriptType* type = findFunctionType(word);
            if (!type) {
                problem(offset, describeUnknownType("function", word));
                if (!goesOnPastErrors()) return false;
                valid = false;
                ++i;
                continue;
            }
            std::unique_ptr<Function> function = type->makeFunction();
            configure(function);
            readsChannelLevels_ = readsChannelLevels_ || function->readsChannelLevels();
            functions_.set(i, std::move(function), std::move(name));
        } else {
            auto surface = std::make_unique<Surface>();
            runAt(offset, [&] { surface->configure(parameters, &surfaceBudget_, &stopCheck_); });
            surfaces_.set(i, std::move(surface), std::move(name));
        }
        ++i;
    }
}

std::vector<std::string> DemoGraph::filesRead() const {
    std::vector<std::string> files;
    for (const std::unique_ptr<Function>& function : functions_.objects) {
        if (!function || function->fileRead().empty()) continue;
        const std::string file(function->fileRead());
        if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    }
    return files;
}

bool DemoGraph::findWiring() {
    scriptStream_.seek(0);
    if (!skipPast(scriptStream_, kWiringOpen)) return false;
    wiringStart_ = scriptStream_.tell();
    // The wiring ends at a line that is exactly "[/CABLAGE]"; without one the
    // frame evaluation would never end.
    scriptStream_.readLine();
    while (!scriptStream_.atEnd())
        if (scriptStream_.readLine() == kWiringEnd) return true;
    return false;
}

bool DemoGraph::resolveWiringLine(std::string_view line, Surface& frame, WiringCall& call) const {
    const WiringLine read = readWiringLine(line, *this);
    if (read.kind == WiringLine::Kind::Blank) return false;
    if (read.kind == WiringLine::Kind::UndeclaredBox)
        fatalError("variable de type FXBOX non définie!!!!!!!",
                   "the wiring line begins with '" + std::string(read.boxWord) + "', which no box declaration names");
    if (read.kind == WiringLine::Kind::UndeclaredOutput)
        fatalError("Surface de sortie non définie!!!!!!!",
                   "the output '" + std::string(read.outputWord) + "' of box " + std::string(read.boxWord) +
                       " is neither OUT nor a declared surface");

    call = WiringCall();
    call.boxIndex = read.box;
    call.box = boxes_.objects[read.box].get();
    call.outputIsFrame = read.outputIsFrame;
    call.output = read.outputIsFrame ? &frame : surfaces_.objects[read.outputSurface].get();
    call.firstInputIsFrame = read.firstInputIsFrame;
    for (int i = 0; i < read.inputCount; ++i)
        call.inputs[i] = read.inputs[i] < 0 ? &frame : surfaces_.objects[read.inputs[i]].get();
    for (int f = 0; f < read.functionCount; ++f) call.functions[f] = functions_.objects[read.functions[f]].get();
    call.inputCount = read.inputCount;
    call.functionCount = read.functionCount;
    // The one place the slot counts are checked: a box renders only with the
    // entries its type reads.
    const ScriptType& type = *boxTypes_[read.box];
    call.drawsNothing = read.functionCount < type.functionsRead() || read.inputCount < type.inputsRead();
    return true;
}

void DemoGraph::updateFunctions(const FrameInput& frame) {
    for (auto& function : functions_.objects)
        if (function) function->update(frame);
}

void DemoGraph::renderCall(WiringCall& call, Surface& frame, WorkerPool* workers) {
    if (call.outputIsFrame) call.output = &frame;
    if (call.firstInputIsFrame) call.inputs[0] = &frame;
    call.box->render(*call.output, FunctionList(call.functions, call.functionCount),
                     SurfaceList(call.inputs, call.inputCount), workers);
}

void DemoGraph::evaluate(const FrameInput& frame, Surface& output) {
    updateFunctions(frame);
    if (wiringCached_) {
        for (WiringCall& call : wiringCache_) renderCall(call, output, workers_);
        return;
    }

    // First frame: read the wiring text line by line, as written; a line that
    // names an undeclared box or output stops the show when it is reached.
    ScriptReader reader(scriptText_);
    reader.seek(wiringStart_);
    WiringCall call;
    std::vector<WiringCall> calls;
    for (;;) {
        const size_t offset = reader.tell();
        std::string_view line = reader.readLine();
        if (line == kWiringEnd) break;
        bool callsBox = false;
        runAt(offset, [&] { callsBox = resolveWiringLine(line, output, call); });
        if (callsBox && !call.drawsNothing) {
            call.lineOffset = offset;
            renderCall(call, output, workers_);
            calls.push_back(call);
        }
        if (reader.atEnd()) break;
    }
    wiringCache_ = std::move(calls);
    wiringCached_ = true;
}

}  // namespace velmora
