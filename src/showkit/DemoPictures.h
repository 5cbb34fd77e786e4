// Procedural artwork of the default show: every picture the show script loads,
// generated deterministically (integer hashing, no global random state).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "showkit/JpegWriter.h"

namespace velmora {

// 8-bit samples, rows top to bottom, RGB interleaved (3) or grey (1).
struct Picture {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<uint8_t> samples;

    bool operator==(const Picture&) const = default;
};

namespace pictures {

// An integer hash of a lattice point and a seed: the pictures' only randomness.
inline uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// A 5x7 bitmap font (capitals, digits and a little punctuation).
struct Glyph {
    char ch;
    const char* rows[7];
};

// The font's glyph of `ch`; null for a character it lacks.
const Glyph* findGlyph(char ch);

// Stamps text into a coverage field (1 inside a lit font cell), each font
// pixel becoming a cell x cell square; an advance is 6 font columns.
void stampText(std::vector<double>& coverage, int w, int h, const std::string& text, int left, int top,
               int cell);

// Dusk landscape, 512x256: sky with stars and streaks of cloud, a striped
// setting sun, three ranges of hills fading into haze.
Picture makeBackdrop();
// Title "VELMORA" on black, 512x256, in a glow that fades to exactly black.
Picture makeLogo();
// Tileable marble tiles, 256x256.
Picture makeTexture();
// Environment map, 256x256: a mirror sphere's view of a dusk sky and a neon grid.
Picture makeEnvMap();
// Glowing ball, 64x64, transparent corners and edges.
Picture makeSprite();
// Particle glow, 32x32, black beyond radius 13.
Picture makeStar();
// Flip-book strip, 64x1024: 16 frames of 64x64 of a turning wire cube.
Picture makeStrip();
// Grey height map, 512x512, tileable (the tunnel reads one byte per pixel).
Picture makeHeightMap();
// Colour map, 512x512, texel for texel with the height map.
Picture makeColorMap();

}  // namespace pictures
struct DemoPicture {
    const char* fileName;
    Picture (*make)();
};

// Every picture of the default show, by the file name the script uses.
inline constexpr DemoPicture kDemoPictures[] = {
    {"backdrop.jpg", pictures::makeBackdrop}, {"logo.jpg", pictures::makeLogo},
    {"texture.jpg", pictures::makeTexture},   {"envmap.jpg", pictures::makeEnvMap},
    {"sprite.jpg", pictures::makeSprite},     {"star.jpg", pictures::makeStar},
    {"strip.jpg", pictures::makeStrip},       {"heightmap.jpg", pictures::makeHeightMap},
    {"colormap.jpg", pictures::makeColorMap},
};

constexpr int kDemoPictureQuality = 90;

bool writePicture(const std::string& path, const Picture& p, int quality = kDemoPictureQuality);

}  // namespace velmora
