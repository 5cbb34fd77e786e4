// The five simple animation functions: clock ramp, sine, constant zero,
// row strobe and order interval.
#pragma once

#include <cstdint>

#include "functions/Function.h"

namespace velmora {

// current = (t - start) * speed + offset; text "speed start offset".
class FnctTime : public Function {
public:
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void update(const FrameInput& frame) override;

    float speed = 1.0f;
    float start = 0.0f;
    float offset = 0.0f;
};

// current = sin(t * frequency + phase) * amplitude + offset;
// text "frequency phase amplitude offset".
class FnctSin : public Function {
public:
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void update(const FrameInput& frame) override;

    float phase = 0.0f;
    float frequency = 0.0f;
    float amplitude = 0.0f;
    float offset = 0.0f;
};

// Constantly zero whatever its text: the base behaviour is all it needs.
class FnctConstante : public Function {};

// 1.0 on the first `onRows` rows of every `period` rows from `offset`;
// text "period onRows offset".
class FnctStrobo : public Function {
public:
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void update(const FrameInput& frame) override;

    int32_t offset = 0;
    int32_t period = 0;
    int32_t onRows = 0;
};

// 1.0 while the music order lies in [firstOrder, lastOrder]; text "first last".
class FnctIntervale : public Function {
public:
    using Function::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void update(const FrameInput& frame) override;

    int32_t firstOrder = 0;
    int32_t lastOrder = 0;
};

}  // namespace velmora
