// DemoGraph: everything the script declares (boxes, functions, surfaces and their
// names) and the script text the wiring is read from. A host loads it from a
// path or from text, then evaluates one frame at a time from the input it builds
// (time, music position, channel levels); the music, the clock and the threads
// stay with the host, so a reload swaps the graph and nothing else.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "boxes/FxBox.h"
#include "core/Error.h"
#include "core/ErrorReporter.h"
#include "core/Limits.h"
#include "core/StopCheck.h"
#include "core/Text.h"
#include "core/WorkerPool.h"
#include "functions/Function.h"
#include "script/ScriptReader.h"
#include "script/ScriptProblem.h"
#include "surface/Surface.h"

namespace velmora {

class LoadObserver;
struct ScriptType;
struct ShowState;

enum class LoadResult { Loaded, ScriptNotFound, ScriptInvalid };

// The section keywords of the script.
inline constexpr std::string_view kBoxSectionOpen = "[ZYL_FX_Generator]";
inline constexpr std::string_view kBoxSectionEnd = "[/ZYL_FX_Generator]";
inline constexpr std::string_view kFunctionSectionOpen = "[ZYL_Fonction]";
inline constexpr std::string_view kFunctionSectionEnd = "[/ZYL_Fonction]";
inline constexpr std::string_view kSurfaceSectionOpen = "[ZYL_Surface]";
inline constexpr std::string_view kSurfaceSectionEnd = "[/ZYL_Surface]";
inline constexpr std::string_view kWiringOpen = "[CABLAGE]";
inline constexpr std::string_view kWiringEnd = "[/CABLAGE]";
inline constexpr std::string_view kOutputName = "OUT";

inline constexpr size_t kMaxNameLength = kMaxNameCharacters;  // instance names and wiring words

// Hashing for names looked up by string_view without making a string.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

// One registry: objects in declaration order with their names. An entry without
// an object (counted but never declared) matches no name; of two entries with
// the same name the first declared is found. Lookups are hashed: every word of
// every wiring line is one.
template <class T>
struct Registry {
    std::vector<std::unique_ptr<T>> objects;
    std::vector<std::string> names;

    int count() const { return static_cast<int>(objects.size()); }
    int find(std::string_view word) const {
        const auto found = firstIndex_.find(word);
        return found == firstIndex_.end() ? -1 : found->second;
    }
    // `count` entries, none holding an object yet.
    void reset(int count) {
        objects.clear();
        objects.resize(count);
        names.assign(count, std::string());
        firstIndex_.clear();
    }
    // Fills entry i; entries are filled in declaration order.
    void set(int i, std::unique_ptr<T> object, std::string name) {
        objects[i] = std::move(object);
        names[i] = std::move(name);
        if (objects[i]) firstIndex_.emplace(names[i], i);  // kept when the name is already there
    }

private:
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> firstIndex_;
};

// One wiring line, resolved: the box, where it draws, what it reads.
struct WiringCall {
    FxBox* box = nullptr;
    int boxIndex = -1;
    Surface* output = nullptr;
    bool outputIsFrame = false;  // "OUT": the surface handed to the frame
    Surface* inputs[kMaxListEntries] = {};
    Function* functions[kMaxListEntries] = {};
    int inputCount = 0;
    int functionCount = 0;
    // The line names fewer functions or inputs than its box reads: it draws nothing.
    bool drawsNothing = false;
    bool firstInputIsFrame = false;
    size_t lineOffset = 0;  // where the line stands in the script text
};


class DemoGraph {
public:
    DemoGraph();
    ~DemoGraph();
    DemoGraph(const DemoGraph&) = delete;
    DemoGraph& operator=(const DemoGraph&) = delete;

    // Reads the script file into the registries: Loaded, ScriptNotFound or
    // ScriptInvalid. Rejected parameter texts go to `reporter`; what stops the
    // show raises ShowError, with the script line of the declaration.
    LoadResult load(const char* path, ErrorReporter& reporter = standardErrorReporter());
    // Why the last load refused the file itself (a directory, a file over the
    // script limit), which load answers with ScriptInvalid; empty otherwise.
    const std::string& fileRefusal() const { return fileRefusal_; }
    // The same from text already in memory. With an observer, every problem is
    // reported and the load goes on where it can (the result still tells),
    // unless the observer only watches.
    LoadResult loadText(std::string_view text, ErrorReporter& reporter = standardErrorReporter(),
                        LoadObserver* observer = nullptr);
    // The script file the text came from (set by load): errors name it, and a
    // missing data file is looked for beside it to say so.
    void setScriptPath(std::string path) { scriptPath_ = std::move(path); }
    const std::string& scriptPath() const { return scriptPath_; }
    // A problem of the text at `offset` of the script being loaded: the first
    // one becomes firstProblem, and every one goes to the load's observer.
    void problem(size_t offset, std::string message);
    // Why the last load was invalid: its first problem.
    const ScriptProblem& firstProblem() const { return firstProblem_; }
    // What all surfaces of the next load may hold together, in bytes.
    void setSurfaceBudget(uint64_t bytes) { surfaceBudgetBytes_ = bytes; }
    // Asked between declarations and while a picture is decoded: a load that
    // should stop raises LoadInterrupted (the host's Ctrl-C).
    void setStopCheck(StopCheck check) { stopCheck_ = std::move(check); }
    // False when a section or the wiring was missing: nothing was declared.
    bool sectionsComplete() const { return sectionsComplete_; }

    // True when a declared function reads the channel levels: only then need a
    // host fill FrameInput::channelLevels (and ask its music for them).
    bool readsChannelLevels() const { return readsChannelLevels_; }
    // The files the declared functions read their values from (track files),
    // once each: `--watch` looks at them beside the script.
    std::vector<std::string> filesRead() const;
    // One frame at the input's time and music position: every function, then
    // every wiring line, drawing into `output`.
    void evaluate(const FrameInput& frame, Surface& output);
    // The two halves of a frame, for measuring: every function updated, then
    // each resolved wiring line rendered (resolved by the first evaluate).
    void updateFunctions(const FrameInput& frame);
    std::vector<WiringCall>& resolvedWiring() { return wiringCache_; }
    static void renderCall(WiringCall& call, Surface& frame, WorkerPool* workers);

    int findBox(std::string_view word) const { return boxes_.find(word); }
    int findSurface(std::string_view word) const { return surfaces_.find(word); }
    int findFunction(std::string_view word) const { return functions_.find(word); }

    const Registry<FxBox>& boxes() const { return boxes_; }
    const Registry<Function>& functions() const { return functions_; }
    const Registry<Surface>& surfaces() const { return surfaces_; }
    // The type of box entry i (nullptr for an entry without a box).
    const ScriptType* boxType(int i) const { return boxTypes_[i]; }
    std::string_view scriptText() const { return scriptText_; }
    size_t wiringStart() const { return wiringStart_; }

    // Splits one wiring line into a call. Returns false for a blank or comment
    // line. An undeclared box or output is a fatal error, as at show time; a
    // line too short for its box's type makes a call that draws nothing.
    bool resolveWiringLine(std::string_view line, Surface& frame, WiringCall& call) const;

    // The threads every box renders with (none: the calling thread alone),
    // passed to each box as it draws. The pool belongs to the host and
    // outlives the graph's use of it.
    void useWorkers(WorkerPool* workers);
    WorkerPool* workers() const { return workers_; }

private:
    LoadResult readScript(std::string_view text, ErrorReporter& reporter);
    bool readDeclarationSection(std::string_view open, std::string_view end, int kind, ErrorReporter& reporter);
    // Runs one configure call of the declaration or wiring line at `offset`;
    // an error it raises gets that line.
    void runAt(size_t offset, const std::function<void()>& call);
    bool goesOnPastErrors() const;
    // Gives an error raised for the text at `offset` its script, line and hint.
    void annotate(ShowError& error, size_t offset) const;
    // Lines that begin with '[' but hold no section word; returns the section
    // words they most likely meant.
    std::vector<std::string_view> reportUnknownSectionWords();
    bool findWiring();

    std::string scriptText_;
    std::string scriptPath_;
    ScriptProblem firstProblem_;
    bool sectionsComplete_ = false;
    size_t currentOffset_ = 0;  // the declaration being configured
    ScriptReader scriptStream_;
    Registry<FxBox> boxes_;
    Registry<Function> functions_;
    Registry<Surface> surfaces_;
    std::vector<const ScriptType*> boxTypes_;
    // What the boxes of this show share; fresh for every graph.
    std::unique_ptr<ShowState> showState_;
    // The bytes this show's surfaces may still take.
    SurfaceBudget surfaceBudget_;
    uint64_t surfaceBudgetBytes_ = kDefaultSurfaceBudgetBytes;
    StopCheck stopCheck_;
    std::string fileRefusal_;
    LoadObserver* observer_ = nullptr;
    size_t wiringStart_ = 0;
    bool readsChannelLevels_ = false;  // a declared function reads the channel levels
    // The wiring resolved once: the text and the registries never change after
    // load, so every frame after the first replays the same calls.
    std::vector<WiringCall> wiringCache_;
    bool wiringCached_ = false;
    WorkerPool* workers_ = nullptr;
};

}  // namespace velmora
