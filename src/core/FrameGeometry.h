// The size of the frame the wiring calls "OUT" and the display shows: the one
// place it is written down.
#pragma once

#include <cstdint>

namespace velmora {

inline constexpr int32_t kFrameWidth = 512;
inline constexpr int32_t kFrameHeight = 256;
inline constexpr int32_t kFramePixels = kFrameWidth * kFrameHeight;

}  // namespace velmora
