// The native host's show session: the music, the clock and the worker pool,
// which live as long as the show, and the demo graph of the script loaded now.
// Each frame it builds the graph's input (time, music position, channel levels);
// a reload swaps the graph and keeps the rest; the show's keys adjust the music
// and the clock together here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Limits.h"
#include "core/WorkerPool.h"
#include "functions/Function.h"
#include "script/DemoGraph.h"
#include "script/FrameTimer.h"
#include "script/Music.h"
#include "surface/Surface.h"

namespace velmora {

class ModulePlayer;

class ShowSession {
public:
    // `threadCount` 1: frames on the calling thread. `music` null: a fixed position 0.
    explicit ShowSession(int threadCount = 1, std::unique_ptr<MusicPlayer> music = nullptr);
    // The show's own module: the keys then move it.
    ShowSession(int threadCount, std::unique_ptr<ModulePlayer> module);
    ~ShowSession();  // stops the music if it started
    ShowSession(const ShowSession&) = delete;
    ShowSession& operator=(const ShowSession&) = delete;

    // The graph frames are evaluated with; it gets the session's threads. The
    // one it replaces goes without touching the music or the clock.
    void setGraph(std::unique_ptr<DemoGraph> graph);
    // Live reload: checks and loads `path` in one pass, as `velmora check` does;
    // on any problem prints each as FILE:LINE: message on standard error and
    // keeps the graph. Otherwise the new graph (its boxes in their start state)
    // takes its place; the music, the clock and the threads go on. An error
    // raised on the way is one more problem, never an exit or a message box.
    // Returns true when the new show took over; otherwise `firstProblem` (when
    // given) gets the first line printed.
    bool reload(const std::string& path, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes,
                std::string* firstProblem = nullptr);
    bool hasGraph() const { return graph_ != nullptr; }
    DemoGraph& graph() { return *graph_; }

    // The threads every box renders with; a new count makes a new pool.
    void setThreadCount(int count);
    int threadCount() const { return workers_ ? workers_->threadCount() : 1; }

    // Starts the music, then resets the clock.
    void start();
    bool started() const { return musicStarted_; }

    // This frame's input: the clock's seconds, the music's position, and its
    // channel levels when the graph reads them.
    FrameInput frameInput();
    // One frame of the show as it plays now into `output`.
    void runFrame(Surface& output);
    // The music's position now (order in bits 0..15, row in bits 24..31).
    uint32_t channelPosition() { return music_->channelPosition(); }
    FrameTimer& clock() { return clock_; }

    // The show's keys; without a module they change nothing. Row 0 of the
    // previous (-1) or next (+1) order, the first order staying itself going
    // back and the last going on; the clock is set to the module's time there
    // (time 0 being the module's start, as when the show began).
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

    std::unique_ptr<MusicPlayer> music_;
    ModulePlayer* module_ = nullptr;  // music_ when it is the show's module
    bool musicStarted_ = false;
    FrameTimer clock_;
    std::unique_ptr<WorkerPool> workers_;
    std::unique_ptr<DemoGraph> graph_;
};

}  // namespace velmora
