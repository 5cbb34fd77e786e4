// FnctCanal: parameter text and the level-following update.
#include "functions/FnctCanal.h"

#include <cstdio>

namespace velmora {

void FnctCanal::configure(const char* text, ErrorReporter& reporter) {
    const int scanned = std::sscanf(text ? text : "", "%d %f %f", &channel, &amplitude, &offset);
    if (scanned != 3 || channel < 1) {
        reporter.report("ZYL_FnctCanal non valide!!",
                        "the parameter text must be CHANNEL AMPLITUDE OFFSET, CHANNEL a whole number from 1");
        return;
    }
}

void FnctCanal::update(const FrameInput& frame) {
    float level = 0.0f;
    if (channel >= 1 && static_cast<size_t>(channel) <= frame.channelLevels.size())
        level = frame.channelLevels[static_cast<size_t>(channel) - 1];
    // Kept to 0..1 whatever the player hands over (NaN reads 0).
    if (!(level > 0.0f)) level = 0.0f;
    if (level > 1.0f) level = 1.0f;
    current = static_cast<float>(static_cast<double>(level) * amplitude + offset);
}

}  // namespace velmora
