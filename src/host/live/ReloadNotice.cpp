// Drawing the reload notice with the dialog's font, one pixel a font pixel.
#include "host/live/ReloadNotice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/FrameGeometry.h"
#include "host/live/DialogArt.h"

namespace velmora {

void ReloadNotice::show(std::string line, double now) {
    // The font has capitals only, besides the counter's few small letters.
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    constexpr size_t kFits = (kFrameWidth - 4) / 6;  // 6 columns a character
    if (line.size() > kFits) line = line.substr(0, kFits - 3) + "...";
    line_ = std::move(line);
    since_ = now;
}

void printReloadOutcome(const std::string& path, const ReloadOutcome& outcome) {
    if (outcome.reloaded) {
        std::printf("%s: reloaded\n", path.c_str());
        std::fflush(stdout);
        return;
    }
    for (const std::string& problem : outcome.problems) std::fprintf(stderr, "%s\n", problem.c_str());
    std::fprintf(stderr, "%s: not reloaded; the running show goes on\n", path.c_str());
    std::fflush(stderr);
}

void ReloadNotice::draw(uint32_t* pixels, int pitch) const {
    if (!pixels || pitch < kFrameWidth || line_.empty()) return;
    const int top = kFrameHeight - kNoticeHeight;
    for (int y = top; y < kFrameHeight; ++y) std::fill_n(pixels + static_cast<size_t>(y) * pitch, kFrameWidth, 0u);
    drawTextAt(pixels, kFrameWidth, kFrameHeight, pitch, 2, top + 2, line_, kNoticeColour, 1);
}

}  // namespace velmora
