// The simple boxes: clear, copy, invert and fade the output under two gates,
// and the zoomer, which draws nothing.
#pragma once

#include <cstdint>

#include "boxes/FxBox.h"

namespace velmora {

// Functions 0 and 1 are gates; sets the output to black.
class BoxClearSurface : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
};

// Functions 0 and 1 are gates; copies input 0 into the output.
class BoxCopier : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
};

// Functions 0 and 1 are gates; inverts every channel of the output.
class BoxInverseVideo : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
};

// Function 0 is the level (0.0..1.0), functions 1 and 2 are gates; the mode
// word "sub", "add" or "mul" darkens, brightens or multiplies the output.
class BoxFader : public FxBox {
public:
    static constexpr int32_t kSub = 0;
    static constexpr int32_t kAdd = 1;
    static constexpr int32_t kMul = 2;
    // Unconfigured or rejected: the box draws nothing.
    static constexpr int32_t kNoMode = -1;

    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    using FxBox::configure;
    void configure(const char* text, ErrorReporter& reporter) override;

    int32_t mode = kNoMode;
};

// Accepts any text and draws nothing on any wiring line.
class BoxZoomer : public FxBox {};

}  // namespace velmora
