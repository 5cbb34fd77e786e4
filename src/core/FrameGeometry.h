// The size of the frame the wiring calls "OUT" and the display shows: the one
// place it is written down. And where that frame lands on a larger picture (a
// window, a screen, a video frame): the one placement every output uses.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

inline constexpr int32_t kFrameWidth = 512;
inline constexpr int32_t kFrameHeight = 256;
inline constexpr int32_t kFramePixels = kFrameWidth * kFrameHeight;

struct PixelArea {
    int x = 0, y = 0, width = 0, height = 0;
};

// How a canvas is scaled and centred on an output. The outputs round
// differently, and each keeps its own rounding.
struct PlacementRules {
    // The largest whole factor at which the canvas fits (every pixel a k by k
    // block); otherwise the largest size of the canvas's shape that fits.
    bool wholeFactor = true;
    // The canvas's corner on even coordinates, so that 4:2:0 chroma blocks
    // never straddle two picture pixels (not with floorScaledEdges).
    bool evenCorner = false;
    // At any factor: a double scale, with the corner and the area's edges each
    // rounded down (the display). Otherwise whole sizes from exact integer
    // division, the long side filling the output (video).
    bool floorScaledEdges = false;
};

struct Placement {
    PixelArea area;  // where `area` of the canvas lands on the output
    int factor = 0;  // the whole factor; 0 when placed at any factor
};

// Places a canvasWidth x canvasHeight canvas centred on an outputWidth x
// outputHeight output and returns where `area` (in canvas pixels) lands.
// nullopt when a size is not positive, when not even factor 1 fits a whole
// factor, or when an exact fit leaves no pixel.
std::optional<Placement> placeOnOutput(int canvasWidth, int canvasHeight, const PixelArea& area, int outputWidth,
                                       int outputHeight, const PlacementRules& rules);

}  // namespace velmora
