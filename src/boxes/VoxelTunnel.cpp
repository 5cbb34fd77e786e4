// Voxel tunnel box: height-map loading, the polar tables, the column march and the
// remap onto the screen.
#include "boxes/VoxelTunnel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "script/Errors.h"
#include "surface/JpegDecode.h"
#include "surface/PixelMath.h"

namespace velmora {

namespace {

constexpr int kFirstStep = 45;
constexpr int kLastStep = 219;
constexpr int kClearedPixels = 50 * 512;  // rows 0 to 49: the far end stays black

// Colour of ray step i: darkened near the far end, brightened near the viewer.
inline uint32_t shadeStep(uint32_t p, int i) {
    const int s = 2 * i - 220;
    uint32_t red = p >> 16, green = (p >> 8) & 0xFFu, blue = p & 0xFFu;
    if (s < -70) {
        const uint32_t k = static_cast<uint32_t>(std::max(570 - 8 * i, 0));
        red = red > k ? red - k : 0;
        green = green > k ? green - k : 0;
        blue = blue > k ? blue - k : 0;
    } else if (s > 0) {
        red = std::min<uint32_t>(red + s, 255);
        green = std::min<uint32_t>(green + s, 255);
        blue = std::min<uint32_t>(blue + s, 255);
    } else {
        return p;
    }
    return (red << 16) + (green << 8) + blue;
}

}  // namespace

int BoxVoxelTunnel::loadHeightMap(const char* fileName, uint8_t* destination) {
    DecodedJpeg jpeg;
    if (decodeJpegFile(fileName, jpeg) != 0) return 1;
    // One byte per pixel, 512 by 512: colour files and other sizes are refused.
    if (jpeg.components != 1 || jpeg.width != 512 || jpeg.height != 512 ||
        jpeg.samples.size() < static_cast<size_t>(kMapPixels)) {
        return 1;
    }
    std::memcpy(destination, jpeg.samples.data(), kMapPixels);
    return 0;
}

int BoxVoxelTunnel::configure(const char* text) {
    heightMap.assign(kMapPixels, 0);
    char fileName[256] = "";
    if (std::sscanf(text ? text : "", "%255s", fileName) != 1 ||
        loadHeightMap(fileName, heightMap.data()) != 0) {
        fatalError("FICHIER NON TROUVE");
    }
    buildTables();
    return 0;
}

void BoxVoxelTunnel::buildTables() {
    const double pi = 4.0 * std::atan2(1.0, 1.0);
    screenToPolar.assign(kPolarPixels, 0);
    for (int y = 0; y < 256; ++y) {
        const int dy = y - 128;
        for (int x = 0; x < 512; ++x) {
            const int dx = x - 255;
            int32_t dist = truncToInt(std::sqrt(static_cast<double>(dx * dx + dy * dy)) * 0.7);
            if (dist > 255) dist = 255;
            int32_t ang = truncToInt(std::atan2(static_cast<double>(dx), static_cast<double>(dy)) *
                                         256.0 / pi +
                                     256.0);
            ang = std::clamp(ang, 0, 511);
            screenToPolar[y * 512 + x] = dist * 512 + ang;
        }
    }
    // 0.0199999996 is 0.02 as a float.
    const double stepLength = static_cast<double>(0.02f);
    depthRow.assign(512, 0);
    for (int i = 1; i < 512; ++i) {
        depthRow[i] = (truncToInt(2000000.0 * stepLength / i) & 511) * 512;
    }
    polarImage.assign(kPolarPixels, 0xFFFFFFFFu);
}

void BoxVoxelTunnel::render(Surface& output, FunctionList functions, SurfaceList inputs) {
    if (functions.size() < 3 || inputs.empty()) return;
    if (!functions[0] || !functions[1] || !functions[2] || !inputs[0]) return;
    if (!isOn(*functions[1]) || !isOn(*functions[2])) return;
    if (!output.isSize(512, 256) || inputs[0]->pixelCount() < static_cast<size_t>(kMapPixels)) return;
    if (!ready()) return;
    const double t = functions[0]->value();
    const double fa = std::sin(t * 0.53) * 10.0;
    const double fb = std::sin(t) * 0.05 + 0.06;
    marchColumns(static_cast<float>(t), inputs[0]->pixels, fb, fa);
    remapToScreen(output.pixels);
}

bool BoxVoxelTunnel::ready() const {
    return heightMap.size() == kMapPixels && polarImage.size() == kPolarPixels &&
           screenToPolar.size() == kPolarPixels && depthRow.size() == 512;
}

void BoxVoxelTunnel::marchColumns(float t, const uint32_t* colour, double fb, double fa) {
    if (!ready()) return;
    const int32_t scroll = wrapMul(truncToInt(t * 200.0), 512);
    std::fill_n(polarImage.begin(), kClearedPixels, 0u);
    for (int i = kFirstStep; i <= kLastStep; ++i) {
        bend[i] = static_cast<int8_t>(truncToInt(std::cos(i * fb) * fa));
    }
    uint32_t* polar = polarImage.data();
    const uint8_t* map = heightMap.data();
    for (int col = 0; col < 512; ++col) {
        const int32_t base = wrapAdd(col, scroll);
        int prev = kFirstStep;
        for (int i = kFirstStep; i <= kLastStep; ++i) {
            const int32_t idx = wrapAdd(bend[i] + depthRow[i], base) & 0x3FFFF;
            const int h = map[idx];
            const int y = std::clamp(i - ((h * i) >> 9), 0, 255);
            if (y != prev) {
                const uint32_t c = shadeStep(colour[idx], i);
                const int top = std::min(y, prev), end = std::max(y, prev);
                for (int r = top; r < end; ++r) polar[r * 512 + col] = c;
            }
            prev = y;
        }
    }
}

void BoxVoxelTunnel::remapToScreen(uint32_t* out) const {
    if (!ready()) return;
    const uint32_t* polar = polarImage.data();
    const int32_t* table = screenToPolar.data();
    for (int k = 0; k < kPolarPixels; ++k) out[k] = polar[table[k]];
}

}  // namespace velmora
