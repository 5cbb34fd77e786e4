// The sprite box draws input 0 centred on the output, zoomed and faded by
// functions; the animator shows one frame of a vertical strip through a sprite,
// reading the strip through a view of that frame's rows.
#pragma once

#include <cstdint>

#include "boxes/FxBox.h"

namespace velmora {

// Functions: 0 centre x, 1 centre y, 2 zoom, 3 intensity (and gate), 4 gate.
// Mode word "put" replaces the pixels under the sprite, "add" adds to them.
class BoxSprite : public FxBox {
public:
    static constexpr int32_t kPut = 0;
    static constexpr int32_t kAdd = 1;
    // Unconfigured or rejected: the box draws nothing.
    static constexpr int32_t kNoMode = -1;

    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    using FxBox::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    // Draws `source` as render draws input 0, the line's entries already checked.
    void drawSprite(Surface& output, FunctionList functions, PixelView source);

    int32_t mode = kNoMode;
};

// As the sprite, plus function 5 picking frame trunc(value * 15) of the strip
// in input 0, frames `frameHeight` rows tall. Text "put|add frameHeight".
class BoxAnimator : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    using FxBox::configure;
    void configure(const char* text, ErrorReporter& reporter) override;

    BoxSprite sprite;
    int32_t frameHeight = 0;
};

}  // namespace velmora
