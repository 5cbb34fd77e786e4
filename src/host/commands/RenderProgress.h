// The progress line of `velmora render` on standard error: frames done of the
// total, frames per second and the time left. On a terminal the line is redrawn
// in place; otherwise one line is written at each tenth of the way.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace velmora {

// "frame 450/9000 (5%), 312.4 frames/s, 0:27 left"
std::string formatProgress(int done, int total, double elapsedSeconds);

class RenderProgress {
public:
    enum class Style { Quiet, Redrawn, Tenths };
    // The style for `stream`: Redrawn on a terminal, Tenths otherwise, Quiet when asked.
    static Style styleFor(std::FILE* stream, bool quiet);

    RenderProgress(int total, Style style, std::FILE* stream = stderr);
    // `done` frames are finished.
    void update(int done);
    // Ends the line on a terminal (after the last update, or an interruption).
    void finish();

private:
    int total_;
    Style style_;
    std::FILE* stream_;
    std::chrono::steady_clock::time_point started_;
    double lastShown_ = -1.0;  // seconds since the start at the last redraw
    int nextTenth_ = 1;
    bool lineOpen_ = false;
};

}  // namespace velmora
