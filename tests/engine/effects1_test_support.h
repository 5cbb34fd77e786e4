// Test helpers for the in-place effect boxes: fixed-value functions that can log
// the order they are read in, and quick surface set-up and pixel access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TestFunctions.h"
#include "functions/Function.h"
#include "surface/Surface.h"

namespace velmora::fxtest {

using testsupport::FixedFunction;

inline void fill(Surface& s, int32_t w, int32_t h, uint32_t pixel) {
    s.allocate(w, h);
    for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = pixel;
}

inline uint32_t& at(Surface& s, int x, int y) {
    return s.pixels[static_cast<size_t>(y) * s.width + x];
}

inline std::vector<uint32_t> snapshot(const Surface& s) {
    return std::vector<uint32_t>(s.pixels, s.pixels + s.pixelCount());
}

inline uint32_t grey(uint32_t level) { return level * 0x010101u; }

}  // namespace velmora::fxtest
