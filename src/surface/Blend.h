// How a drawn source pixel s meets the destination pixel d it lands on.
#pragma once

#include <cstdint>

namespace velmora {

// The four rules of the drawing operations; f is the caller's factor, the
// scaled rules give f/256 of each channel (255 is not the full colour).
enum class Blend : uint8_t {
    Put,        // s
    Add,        // per channel: min(d + s, 255)
    Scaled,     // per channel: (s * f) >> 8
    AddScaled,  // per channel: min(d + ((s * f) >> 8), 255)
};

constexpr int kBlendCount = 4;

}  // namespace velmora
