// The directional blurs: black leading column (or row), then every pixel mixed
// with the already filtered pixel before it, in increasing order.
#include "boxes/DirectionalBlur.h"

#include "surface/PixelMath.h"

namespace velmora {

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 256;

// The gates (1, then 2) and then the weight (0); false when the line is too short,
// the output is not 512 by 256, or a gate is off.
bool readWeights(const Surface& output, FunctionList functions, BlurWeights& weights) {
    if (functions.size() < 3 || !functions[0] || !functions[1] || !functions[2]) return false;
    if (!output.isSize(kWidth, kHeight)) return false;
    if (!isOn(*functions[1]) || !isOn(*functions[2])) return false;
    weights = blurWeights(functions[0]->value());
    return true;
}

}  // namespace

BlurWeights blurWeights(float v) {
    const double value = v;
    return {truncToInt(value * 65535.0), truncToInt((1.0 - value) * 65535.0)};
}

void BoxXBlur::render(Surface& output, FunctionList functions, SurfaceList) {
    BlurWeights w;
    if (!readWeights(output, functions, w)) return;
    uint32_t* px = output.pixels;
    for (int y = 0; y < kHeight; ++y) px[y * kWidth] = 0;
    for (int y = 0; y < kHeight; ++y) {
        uint32_t* row = px + y * kWidth;
        for (int x = 1; x < kWidth; ++x) row[x] = blurMix(row[x - 1], row[x], w);
    }
}

void BoxYBlur::render(Surface& output, FunctionList functions, SurfaceList) {
    BlurWeights w;
    if (!readWeights(output, functions, w)) return;
    uint32_t* px = output.pixels;
    for (int x = 0; x < kWidth; ++x) px[x] = 0;
    for (int y = 1; y < kHeight; ++y) {
        const uint32_t* above = px + (y - 1) * kWidth;
        uint32_t* row = px + y * kWidth;
        for (int x = 0; x < kWidth; ++x) row[x] = blurMix(above[x], row[x], w);
    }
}

}  // namespace velmora
