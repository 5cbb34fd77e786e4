// The show session every host drives: the music, the clock and the worker
// pool, which live as long as the show, and the demo graph of the script
// loaded now. Each frame's input (time, music position, channel levels) is
// built here and nowhere else; a reload swaps the graph and keeps the rest;
// the show's keys move the music and the clock together here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/ErrorReporter.h"
#include "core/Limits.h"
#include "core/StopCheck.h"
#include "core/WorkerPool.h"
#include "script/ScriptProblem.h"
#include "show/FrameTimer.h"
#include "show/MusicTransport.h"
#include "show/ShowKeys.h"
#include "surface/Surface.h"

namespace velmora {

class DemoGraph;

// The outcome of loading a show's script: a fatal error as the show reports
// it (the message and box of a script not found or not valid), or the
// warnings `check` would give on a script the player plays.
struct ShowLoad {
    std::optional<ShowError> fatal;
    std::vector<std::string> warnings;  // "FILE:LINE: warning: ..." lines
};

// The outcome of a live reload: taken, or the problems that kept the running show.
struct ReloadOutcome {
    bool reloaded = false;
    std::vector<std::string> problems;  // "FILE:LINE: message" lines, the first the one to show
    std::vector<ScriptProblem> refusals;  // the same problems as values (the page marks their lines)
};

class ShowSession {
public:
    // `threadCount` 1: frames on the calling thread. `music` null: a fixed
    // position 0. `ticks`: the clock's counter (empty: the steady clock).
    explicit ShowSession(int threadCount = 1, std::unique_ptr<MusicTransport> music = nullptr, TickSource ticks = {});
    ~ShowSession();  // stops the music if it started
    ShowSession(const ShowSession&) = delete;
    ShowSession& operator=(const ShowSession&) = delete;

    // Loads `path` as the show's start does (rejected parameter texts to
    // `reporter`); the graph takes over when the player plays it.
    ShowLoad load(const std::string& path, uint64_t surfaceBudgetBytes, ErrorReporter& reporter, StopCheck stop = {});
    // The graph frames are evaluated with; it gets the session's threads. The
    // one it replaces goes without touching the music or the clock.
    void setGraph(std::unique_ptr<DemoGraph> graph);
    DemoGraph& graph() { return *graph_; }
    // Live reload: checks and loads `path` in one pass, as `velmora check`
    // does; on any problem keeps the graph and returns the problems. Otherwise
    // the new graph (its boxes in their start state) takes its place; the
    // music, the clock and the threads go on. Never prints, never exits.
    ReloadOutcome reload(const std::string& path, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes);

    // Replaces the music (before start): a headless command loads the script
    // first, then the music it follows.
    void setMusic(std::unique_ptr<MusicTransport> music) { music_ = std::move(music); }

    // The threads every box renders with; a new count makes a new pool.
    void setThreadCount(int count);
    int threadCount() const { return workers_ ? workers_->threadCount() : 1; }

    // Starts the music, then resets the clock.
    void start();
    bool started() const { return musicStarted_; }

    // The frame at the show's time `seconds` into `output` (render, bench, the
    // page's headless modes): the music's position there, its levels when the
    // graph reads them.
    void evaluateAt(double seconds, Surface& output);
    // The functions alone at `seconds` (bench times the wiring line by line).
    void updateFunctionsAt(double seconds);
    // One frame of the show as it plays now, at the clock's time.
    void runFrame(Surface& output);
    // The input of the last frame evaluated.
    uint32_t lastPosition() const { return lastPosition_; }
    double lastSeconds() const { return lastSeconds_; }

    FrameTimer& clock() { return clock_; }
    MusicTransport& music() { return *music_; }

    // The transport's and the clock's commands (order jump, row step, loop,
    // pause); false for any other command.
    bool apply(ShowCommand command);
    // Row 0 of the previous (-1) or next (+1) order; the clock goes to the
    // module's time there (time 0 being the module's start, as when the show began).
    void jumpOrder(int direction);
    // One row back (-1) or on (+1), the clock set to the module's time there.
    void stepRow(int direction);
    // Starts the show at `row` of `order`: the music goes there and the clock too.
    void startAt(uint32_t order, uint32_t row);
    // Loops the order playing now, or ends the loop; true while looping.
    bool toggleLoop();
    // Once per frame: when the looped order has started again, so does the clock.
    void followLoop();
    // Pauses the music and the clock together, or resumes them together.
    void togglePause();

private:
    // Moves the clock to the module's time when the music moved (seconds >= 0).
    void follow(double seconds);
    // The one place a frame's input is made.
    FrameInput inputAt(double seconds);

    std::unique_ptr<MusicTransport> music_;
    bool musicStarted_ = false;
    FrameTimer clock_;
    std::unique_ptr<WorkerPool> workers_;
    std::unique_ptr<DemoGraph> graph_;
    uint32_t lastPosition_ = 0;
    double lastSeconds_ = 0.0;
};

}  // namespace velmora
