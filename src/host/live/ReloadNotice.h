// A refused reload told on the window as well as on standard error: its first
// problem line over the bottom of the on-screen copy of the frame for a few
// seconds (screenshots never see it).
#pragma once

#include <cstdint>
#include <string>

#include "show/ShowSession.h"

namespace velmora {

class ReloadNotice {
public:
    static constexpr double kSeconds = 4.0;
    // Shows `line` from `now` (seconds on any monotonic clock) on.
    void show(std::string line, double now);
    bool visible(double now) const { return !line_.empty() && now >= since_ && now - since_ < kSeconds; }
    // Draws the line, in capitals and cut to the frame's width, in a black band
    // at the bottom of a 512 by 256 copy of the frame whose rows are `pitch`
    // pixels apart. Does nothing without pixels.
    void draw(uint32_t* pixels, int pitch) const;

private:
    std::string line_;
    double since_ = 0.0;
};

// What a reload did, told as the running show tells it: "FILE: reloaded" on
// standard output, or each problem and "FILE: not reloaded; the running show
// goes on" on standard error.
void printReloadOutcome(const std::string& path, const ReloadOutcome& outcome);

// The band's height and colour.
inline constexpr int kNoticeHeight = 11;
inline constexpr uint32_t kNoticeColour = 0xFF6050;

}  // namespace velmora
