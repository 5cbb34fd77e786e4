// The show session: music, clock and threads around the graph of the moment,
// and the live reload that swaps it.
#include "host/ShowSession.h"

#include <cstdio>
#include <string_view>

#include "core/Error.h"
#include "core/Text.h"
#include "platform/ModulePlayer.h"
#include "script/ScriptChecker.h"

namespace velmora {

namespace {

void keepRunningShow(const std::string& path) {
    std::fprintf(stderr, "%s: not reloaded; the running show goes on\n", path.c_str());
    std::fflush(stderr);
}

}  // namespace

ShowSession::ShowSession(int threadCount, std::unique_ptr<MusicPlayer> music)
    : music_(music ? std::move(music) : std::make_unique<FixedMusicPosition>()) {
    setThreadCount(threadCount);
}

ShowSession::ShowSession(int threadCount, std::unique_ptr<ModulePlayer> module) : ShowSession(threadCount) {
    if (!module) return;
    module_ = module.get();
    music_ = std::move(module);
}

ShowSession::~ShowSession() {
    if (musicStarted_) music_->stop();
    graph_.reset();  // before the pool its boxes use
}

void ShowSession::setGraph(std::unique_ptr<DemoGraph> graph) {
    graph_ = std::move(graph);
    if (graph_) graph_->useWorkers(workers_.get());
}

bool ShowSession::reload(const std::string& path, uint64_t surfaceBudgetBytes, std::string* firstProblem) {
    if (firstProblem) firstProblem->clear();
    CheckedScript checked;
    try {
        checked = loadCheckedScript(path.c_str(), surfaceBudgetBytes);
    } catch (const ShowError& error) {
        const std::string_view message = withoutTrailingNewlines(error.checkMessage.empty() ? error.message : error.checkMessage);
        std::fprintf(stderr, "%s: %.*s\n", path.c_str(), static_cast<int>(message.size()), message.data());
        if (firstProblem) *firstProblem = path + ": " + std::string(message);
        keepRunningShow(path);
        return false;
    }
    if (!checked.report.problems.empty() || !checked.graph) {
        printProblems(stderr, path, checked.report.problems);
        if (firstProblem && !checked.report.problems.empty())
            *firstProblem = problemLine(path, checked.report.problems.front());
        keepRunningShow(path);
        return false;
    }

    setGraph(std::move(checked.graph));  // the music and the clock play on
    std::printf("%s: reloaded\n", path.c_str());
    std::fflush(stdout);
    return true;
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

FrameInput ShowSession::frameInput() {
    FrameInput frame = readMusicInput(*music_, graph_ && graph_->readsChannelLevels());
    frame.seconds = static_cast<float>(clock_.seconds());
    return frame;
}

void ShowSession::runFrame(Surface& output) { graph_->evaluate(frameInput(), output); }

void ShowSession::follow(double seconds) {
    if (seconds >= 0.0) clock_.setSeconds(seconds);
}

void ShowSession::jumpOrder(int direction) {
    if (module_) follow(module_->jumpOrder(direction));
}

void ShowSession::stepRow(int direction) {
    if (module_) follow(module_->stepRow(direction));
}

void ShowSession::startAt(uint32_t order, uint32_t row) {
    if (module_) follow(module_->seek(static_cast<int32_t>(order), static_cast<int32_t>(row)));
}

bool ShowSession::toggleLoop() { return module_ && module_->toggleLoop(); }

void ShowSession::followLoop() {
    double seconds = 0.0;
    if (module_ && module_->takeLoopReturn(seconds)) clock_.setSeconds(seconds);
}

void ShowSession::togglePause() {
    const bool pause = !clock_.paused();
    if (module_) module_->setPaused(pause);
    if (pause)
        clock_.pause();
    else
        clock_.resume();
}

}  // namespace velmora
