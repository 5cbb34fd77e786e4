// The show session: music, clock and threads around the graph of the moment,
// and the live reload that swaps it.
#include "show/ShowSession.h"

#include <string_view>

#include "core/MissingFile.h"
#include "core/Text.h"
#include "script/DemoGraph.h"
#include "script/ScriptChecker.h"

namespace velmora {

ShowSession::ShowSession(int threadCount, std::unique_ptr<MusicTransport> music, TickSource ticks)
    : music_(music ? std::move(music) : std::make_unique<FixedMusicPosition>()), clock_(std::move(ticks)) {
    setThreadCount(threadCount);
}

ShowSession::~ShowSession() {
    if (musicStarted_) music_->stop();
    graph_.reset();  // before the pool its boxes use
}

ShowLoad ShowSession::load(const std::string& path, uint64_t surfaceBudgetBytes, ErrorReporter& reporter,
                           StopCheck stop) {
    ShowLoad outcome;
    auto graph = std::make_unique<DemoGraph>();
    graph->setSurfaceBudget(surfaceBudgetBytes);
    graph->setStopCheck(std::move(stop));
    try {
        const WarnedLoad load = loadWithWarnings(*graph, path.c_str(), reporter);
        if (load.result == LoadResult::ScriptNotFound)
            fatalError("Script non trouvé!!", describeMissingFile(), path);
        if (load.result == LoadResult::ScriptInvalid) {
            ShowError error(ErrorPresentation::FatalBox, 9999, "Script non valide!!");
            if (!load.fileRefusal.empty()) {
                error.reason = load.fileRefusal;  // names the file itself
            } else {
                error.script = path;
                error.scriptLine = graph->firstProblem().line;
                error.reason = graph->firstProblem().message;
            }
            throw error;
        }
        for (const ScriptProblem& finding : load.warnings)
            if (finding.warning) outcome.warnings.push_back(problemLine(path, finding));
    } catch (const ShowError& error) {
        outcome.fatal = error;
        return outcome;
    }
    setGraph(std::move(graph));
    return outcome;
}

void ShowSession::setGraph(std::unique_ptr<DemoGraph> graph) {
    graph_ = std::move(graph);
    if (graph_) graph_->useWorkers(workers_.get());
}

ReloadOutcome ShowSession::reload(const std::string& path, uint64_t surfaceBudgetBytes) {
    ReloadOutcome outcome;
    CheckedScript checked;
    try {
        checked = loadCheckedScript(path.c_str(), surfaceBudgetBytes);
    } catch (const ShowError& error) {
        const std::string_view message = withoutTrailingNewlines(error.checkMessage.empty() ? error.message : error.checkMessage);
        outcome.problems.push_back(path + ": " + std::string(message));
        outcome.refusals.push_back({0, std::string(message)});
        return outcome;
    }
    // Warnings alone do not keep the running show: the player plays such a script.
    if (refuses(checked.report.problems) || !checked.graph) {
        for (const ScriptProblem& problem : checked.report.problems) {
            outcome.problems.push_back(problemLine(path, problem));
            if (!problem.warning) outcome.refusals.push_back(problem);
        }
        if (outcome.problems.empty()) {
            outcome.problems.push_back(path + ": not loaded");
            outcome.refusals.push_back({0, "not loaded"});
        }
        return outcome;
    }
    setGraph(std::move(checked.graph));  // the music and the clock play on
    outcome.reloaded = true;
    return outcome;
}

void ShowSession::setThreadCount(int count) {
    if (count == threadCount()) return;
    if (graph_) graph_->useWorkers(nullptr);
    workers_.reset();
    if (count > 1) workers_ = std::make_unique<WorkerPool>(count);
    if (graph_) graph_->useWorkers(workers_.get());
}

void ShowSession::start() {
    music_->start();
    musicStarted_ = true;
    clock_.reset();
}

FrameInput ShowSession::inputAt(double seconds) {
    FrameInput frame;
    frame.seconds = static_cast<float>(seconds);
    lastPosition_ = music_->positionAt(seconds);
    lastSeconds_ = seconds;
    frame.position = trackerPositionOf(lastPosition_);
    // After the position: the levels belong to the place it reported.
    if (graph_ && graph_->readsChannelLevels()) frame.channelLevels = music_->channelLevelsAt(seconds);
    frame.orderStartRows = music_->orderStartRows();
    return frame;
}

void ShowSession::evaluateAt(double seconds, Surface& output) { graph_->evaluate(inputAt(seconds), output); }

void ShowSession::updateFunctionsAt(double seconds) { graph_->updateFunctions(inputAt(seconds)); }

void ShowSession::runFrame(Surface& output) { evaluateAt(clock_.seconds(), output); }

void ShowSession::follow(double seconds) {
    if (seconds >= 0.0) clock_.setSeconds(seconds);
}

bool ShowSession::apply(ShowCommand command) {
    switch (command) {
    case ShowCommand::OrderBack: jumpOrder(-1); return true;
    case ShowCommand::OrderOn: jumpOrder(+1); return true;
    case ShowCommand::RowBack: stepRow(-1); return true;
    case ShowCommand::RowOn: stepRow(+1); return true;
    case ShowCommand::Loop: toggleLoop(); return true;
    case ShowCommand::Pause: togglePause(); return true;
    default: return false;
    }
}

void ShowSession::jumpOrder(int direction) { follow(music_->jumpOrder(direction)); }

void ShowSession::stepRow(int direction) { follow(music_->stepRow(direction)); }

void ShowSession::startAt(uint32_t order, uint32_t row) {
    follow(music_->seek(static_cast<int32_t>(order), static_cast<int32_t>(row)));
}

bool ShowSession::toggleLoop() { return music_->toggleLoop(); }

void ShowSession::followLoop() {
    double seconds = 0.0;
    if (music_->takeLoopReturn(seconds)) clock_.setSeconds(seconds);
}

void ShowSession::togglePause() {
    const bool pause = !clock_.paused();
    music_->setPaused(pause);
    if (pause)
        clock_.pause();
    else
        clock_.resume();
}

}  // namespace velmora
