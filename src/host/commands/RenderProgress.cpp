// RenderProgress: a throttled redraw on terminals, tenths elsewhere.
#include "host/commands/RenderProgress.h"

#include <unistd.h>

#include <cmath>

namespace velmora {

std::string formatProgress(int done, int total, double elapsedSeconds) {
    const int percent = total > 0 ? static_cast<int>(static_cast<long long>(done) * 100 / total) : 100;
    const double rate = elapsedSeconds > 0.0 ? done / elapsedSeconds : 0.0;
    char line[128];
    if (rate > 0.0) {
        const long long left = std::llround((total - done) / rate);
        std::snprintf(line, sizeof line, "frame %d/%d (%d%%), %.1f frames/s, %lld:%02lld left", done, total, percent,
                      rate, left / 60, left % 60);
    } else {
        std::snprintf(line, sizeof line, "frame %d/%d (%d%%)", done, total, percent);
    }
    return line;
}

RenderProgress::Style RenderProgress::styleFor(std::FILE* stream, bool quiet) {
    if (quiet) return Style::Quiet;
    return ::isatty(::fileno(stream)) ? Style::Redrawn : Style::Tenths;
}

RenderProgress::RenderProgress(int total, Style style, std::FILE* stream)
    : total_(total), style_(style), stream_(stream), started_(std::chrono::steady_clock::now()) {}

void RenderProgress::update(int done) {
    if (style_ == Style::Quiet) return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    if (style_ == Style::Redrawn) {
        // Ten redraws a second are plenty, and the last frame is always shown.
        if (done < total_ && elapsed - lastShown_ < 0.1) return;
        lastShown_ = elapsed;
        std::fprintf(stream_, "\r%s\033[K", formatProgress(done, total_, elapsed).c_str());
        std::fflush(stream_);
        lineOpen_ = true;
        return;
    }
    // One line for each tenth reached (several at once when frames are few).
    bool reached = false;
    while (nextTenth_ <= 10 && static_cast<long long>(done) * 10 >= static_cast<long long>(total_) * nextTenth_) {
        ++nextTenth_;
        reached = true;
    }
    if (reached) std::fprintf(stream_, "%s\n", formatProgress(done, total_, elapsed).c_str());
}

void RenderProgress::finish() {
    if (lineOpen_) std::fputc('\n', stream_);
    lineOpen_ = false;
}

}  // namespace velmora
