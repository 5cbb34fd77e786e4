// The simple animation functions: parameter scanning and per-frame update.
#include "functions/Generators.h"

#include <cmath>
#include <cstdio>

#include "core/PixelMath.h"

namespace velmora {

namespace {
// A missing text scans like an empty one: no field is reached.
const char* orEmpty(const char* text) { return text ? text : ""; }
}  // namespace

void FnctTime::configure(const char* text, ErrorReporter&) {
    std::sscanf(orEmpty(text), "%f %f %f", &speed, &start, &offset);
    current = 0.0f;
}

void FnctTime::update(const FrameInput& frame) {
    const float seconds = frame.seconds;
    current = static_cast<float>((static_cast<double>(seconds) - start) * speed + offset);
}

void FnctSin::configure(const char* text, ErrorReporter&) {
    std::sscanf(orEmpty(text), "%f %f %f %f", &frequency, &phase, &amplitude, &offset);
}

void FnctSin::update(const FrameInput& frame) {
    const float seconds = frame.seconds;
    const double angle = static_cast<double>(seconds) * frequency + phase;
    current = static_cast<float>(std::sin(angle) * amplitude + offset);
}

void FnctStrobo::configure(const char* text, ErrorReporter&) {
    std::sscanf(orEmpty(text), "%d %d %d", &period, &onRows, &offset);
}

void FnctStrobo::update(const FrameInput& frame) {
    // A period of 0 has no remainder: the strobe stays dark.
    if (period == 0) {
        current = 0.0f;
        return;
    }
    const int32_t d = wrapSub(frame.position.row, offset);
    // Any d divided by -1 leaves 0; computing it would trap for INT32_MIN.
    const int32_t r = period == -1 ? 0 : d % period;
    current = r < onRows ? 1.0f : 0.0f;
}

void FnctIntervale::configure(const char* text, ErrorReporter&) {
    std::sscanf(orEmpty(text), "%d %d", &firstOrder, &lastOrder);
}

void FnctIntervale::update(const FrameInput& frame) {
    const int32_t order = frame.position.order;
    current = (order >= firstOrder && order <= lastOrder) ? 1.0f : 0.0f;
}

}  // namespace velmora
