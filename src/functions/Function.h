// Function: a scalar curve of the clock and the music position, updated once per frame.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/ErrorReporter.h"

namespace velmora {

// Music position of the current frame: order, row, and progress through the row in 1/256.
struct TrackerPosition {
    int32_t order = 0;
    int32_t row = 0;
    int32_t rowFraction = 0;
};

// What a frame hands every function: the clock and the music position, read
// once per frame before the functions are updated. channelLevels holds the
// level (0..1) of each channel of the music heard now, first channel first;
// it is filled only for a show with a function that reads it, and is empty
// without music. orderStartRows holds the song row at which each order of the
// module's order list begins, then the song's total rows: where the rows of
// the song lie, read once from the module (empty without one).
struct FrameInput {
    float seconds = 0.0f;
    TrackerPosition position;
    std::span<const float> channelLevels = {};
    std::span<const int64_t> orderStartRows = {};
};

class Function {
public:
    virtual ~Function() = default;
    // Reads the parameter text; a rejected one is reported to `reporter` (an
    // "Erreur!!!!" box) and the show goes on with what was read.
    virtual void configure(const char* text, ErrorReporter& reporter) {
        (void)text;
        (void)reporter;
    }
    // The same, reporting on standard error.
    void configure(const char* text) { configure(text, standardErrorReporter()); }
    // What the last update stored; no side effects, so every reader of one
    // frame sees the same number.
    virtual float value() const { return current; }
    virtual void update(const FrameInput& frame) { (void)frame; }
    // True for a type that reads FrameInput::channelLevels: only then does the
    // show ask the music for them.
    virtual bool readsChannelLevels() const { return false; }
    // The file the type read its values from (empty when none): `--watch`
    // reloads the show when it changes, as when the script does.
    virtual std::string_view fileRead() const { return {}; }

protected:
    float current = 0.0f;  // a type that never updates it stays at 0.0
};

// Gate convention: on when strictly above 0.0 (NaN is off).
inline bool isOn(const Function& f) { return f.value() > 0.0f; }

}  // namespace velmora
