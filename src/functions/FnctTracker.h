// FnctTracker: a 64-step level pattern that follows the music row, stepping
// from row to row or gliding toward the next row's level.
#pragma once

#include <cstdint>

#include "functions/Function.h"

namespace velmora {

class FnctTracker : public Function {
public:
    // Text "mode amplitude offset word": the word's first 64 characters are
    // hexadecimal levels 0..F, one per row.
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void update(const FrameInput& frame) override;

    static constexpr int kRows = 64;

    float amplitude = 0.0f;  // value of level F
    float offset = 0.0f;  // added while gliding, rows 0..62 only
    int8_t rowLevels[kRows] = {};
    int32_t mode = 0;  // 0 stepping, 1 gliding, anything else: frozen
};

}  // namespace velmora
