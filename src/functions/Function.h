// Function: a scalar curve of the clock and the music position, updated once per frame.
#pragma once

#include <cstdint>

#include "core/ErrorReporter.h"

namespace velmora {

// Music position of the current frame: order, row, and progress through the row in 1/256.
struct TrackerPosition {
    int32_t order = 0;
    int32_t row = 0;
    int32_t rowFraction = 0;
};

// What a frame hands every function: the clock and the music position, read
// once per frame before the functions are updated.
struct FrameInput {
    float seconds = 0.0f;
    TrackerPosition position;
};

class Function {
public:
    virtual ~Function() = default;
    // 0 accepted, 1 rejected (after an "Erreur!!!!" report to `reporter`).
    virtual int configure(const char* text, ErrorReporter& reporter) {
        (void)text;
        (void)reporter;
        return 0;
    }
    // The same, reporting on standard error.
    int configure(const char* text) { return configure(text, standardErrorReporter()); }
    // What the last update stored; no side effects.
    virtual float value() const { return 0.0f; }
    virtual void update(const FrameInput& frame) { (void)frame; }
};

// Gate convention: on when strictly above 0.0 (NaN is off).
inline bool isOn(const Function& f) { return f.value() > 0.0f; }

}  // namespace velmora
