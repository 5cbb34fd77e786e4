// FnctTracker: level pattern parsing and the stepping/gliding update.
#include "functions/FnctTracker.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/PixelMath.h"

namespace velmora {

namespace {

// 0..15 for a hexadecimal digit of either case, -1 for anything else.
int hexLevel(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Why the levels word was refused: too short, or a character that is no digit.
std::string describeBadLevels(const char* word, int at) {
    const size_t length = std::strlen(word);
    if (static_cast<size_t>(at) >= length)
        return "LEVELS has " + std::to_string(length) + " hexadecimal digits, the type reads " +
               std::to_string(64) + " (one per row of a pattern) after MODE AMPLITUDE OFFSET";
    return "LEVELS character " + std::to_string(at + 1) + " '" + std::string(1, word[at]) +
           "' is not a hexadecimal digit (0-9, A-F)";
}

constexpr double kLevelStep = 1.0 / 15.0;
// The glide weight is the single-precision 1/255, widened.
constexpr double kGlideStep = 0.00392156886f;

}  // namespace

void FnctTracker::configure(const char* text, ErrorReporter& reporter) {
    char word[256] = "";
    std::sscanf(text ? text : "", "%d %f %f %255s", &mode, &amplitude, &offset, word);
    // A short word stops at its terminating zero, which is no digit.
    for (int i = 0; i < kRows; ++i) {
        const int level = hexLevel(word[i]);
        if (level < 0) {
            reporter.report("ZYL_FnctTracker non valide!!", describeBadLevels(word, i));
            return;
        }
        rowLevels[i] = static_cast<int8_t>(level);
    }
}

void FnctTracker::update(const FrameInput& frame) {
    const int32_t r = frame.position.row;
    // r mod 64 for the rows the player delivers, and never a negative index.
    const int idx = r & (kRows - 1);
    if (mode == 0) {
        current = static_cast<float>(rowLevels[idx] * kLevelStep * amplitude);
    } else if (mode == 1) {
        if (r == 63) {
            current = static_cast<float>(rowLevels[63] * kLevelStep * amplitude);
            return;
        }
        const int32_t fraction = frame.position.rowFraction;
        const double a = rowLevels[idx] * kLevelStep * amplitude;
        const double b = rowLevels[(idx + 1) & (kRows - 1)] * kLevelStep * amplitude;
        current = static_cast<float>(
            offset + (a * static_cast<double>(wrapSub(255, fraction)) + b * fraction) * kGlideStep);
    }
}

}  // namespace velmora
