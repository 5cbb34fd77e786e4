// The default show's pictures: the generators and their drawing helpers.
#include "showkit/DemoPictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>

namespace velmora {

namespace pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r = 0, g = 0, b = 0;
};
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb lerp(Rgb a, Rgb b, double t) { return a + (b - a) * t; }

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
double smoothstep(double e0, double e1, double v) {
    double t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}
// NaN and negatives give 0, so a stray value never becomes garbage.
uint8_t toByte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<uint8_t>(v + 0.5);
}

struct GradientStop {
    double at;
    Rgb colour;
};
// Piecewise-linear colour ramp; stops sorted by `at`.
Rgb gradient(std::span<const GradientStop> stops, double t) {
    if (t <= stops.front().at) return stops.front().colour;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            double k = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return lerp(stops[i - 1].colour, stops[i].colour, k);
        }
    }
    return stops.back().colour;
}

double hashUnit(int32_t x, int32_t y, uint32_t seed) {
    return static_cast<double>(hash3(x, y, seed) >> 8) / 16777216.0;
}

int wrapIndex(int i, int period) {
    int m = i % period;
    return m < 0 ? m + period : m;
}

// 64 gradient directions, none on an axis: with few or axis-aligned ones the
// lattice shows through as straight lines, most of all in ridged noise.
const std::array<std::array<double, 2>, 64>& gradientDirections() {
    static const std::array<std::array<double, 2>, 64> table = [] {
        std::array<std::array<double, 2>, 64> t{};
        for (int k = 0; k < 64; ++k) {
            double a = (k + 0.5) * 2.0 * kPi / 64.0;
            t[k] = {std::cos(a), std::sin(a)};
        }
        return t;
    }();
    return table;
}

// Gradient noise on a lattice that repeats every periodX by periodY cells, so
// a picture sampling exactly one period tiles seamlessly. Roughly -0.7..0.7.
double gradientNoise(double x, double y, int periodX, int periodY, uint32_t seed) {
    const auto& dirs = gradientDirections();
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    auto corner = [&](int cx, int cy) {
        uint32_t h = hash3(wrapIndex(ix + cx, periodX), wrapIndex(iy + cy, periodY), seed);
        const auto& d = dirs[h >> 26];
        return d[0] * (tx - cx) + d[1] * (ty - cy);
    };
    auto fade = [](double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); };
    double u = fade(tx), v = fade(ty);
    double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * u;
    double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * u;
    return top + (bottom - top) * v;
}

// Fractal sum over (u, v) in [0, 1): octave o has period base << o, so every
// octave tiles on the unit square.
double fbm(double u, double v, int baseX, int baseY, int octaves, uint32_t seed) {
    double sum = 0.0, amp = 0.5;
    for (int o = 0; o < octaves; ++o) {
        int px = baseX << o, py = baseY << o;
        // A shift per octave keeps the period but stops lattice lines lining up.
        double shift = 0.31 * o;
        sum += amp * gradientNoise(u * px + shift, v * py + shift * 1.7, px, py,
                                   seed + static_cast<uint32_t>(o) * 101u);
        amp *= 0.5;
    }
    return sum;
}

// Averages ss x ss samples per pixel of shade(x, y) (continuous pixel coords,
// pixel centres at +0.5) into an RGB picture: cheap antialiasing for edges.
template <typename Shade>
Picture shadeRgb(int width, int height, int ss, Shade&& shade) {
    Picture p{width, height, 3, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    const double inv = 1.0 / (ss * ss);
    size_t o = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb acc;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx)
                    acc = acc + shade(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss);
            acc = acc * inv;
            p.samples[o++] = toByte(acc.r);
            p.samples[o++] = toByte(acc.g);
            p.samples[o++] = toByte(acc.b);
        }
    }
    return p;
}

// Pictures whose black is transparent fade to black through glows. Dim tails
// are snapped to exactly 0 so the background around the shape is true black:
// an 8x8 block that is all black comes back from JPEG as exactly 0. Blocks
// that the glow reaches get ringing of a few levels around the shape; since
// the glow itself fades to black there, those near-black pixels cannot be
// seen when the picture is added, and look like the glow's own dark edge
// when it is put.
void blackenFaint(Picture& p, int threshold) {
    for (size_t i = 0; i + 2 < p.samples.size(); i += 3) {
        uint8_t* s = &p.samples[i];
        if (std::max({s[0], s[1], s[2]}) < threshold) s[0] = s[1] = s[2] = 0;
    }
}

// Separable Gaussian blur of a single-channel field; outside counts as 0.
std::vector<double> gaussianBlur(const std::vector<double>& src, int w, int h, double sigma) {
    const int radius = static_cast<int>(std::ceil(sigma * 3.0));
    std::vector<double> kernel(2 * radius + 1);
    double total = 0.0;
    for (int i = -radius; i <= radius; ++i)
        total += kernel[i + radius] = std::exp(-0.5 * (i * i) / (sigma * sigma));
    for (double& k : kernel) k /= total;

    std::vector<double> tmp(src.size(), 0.0), out(src.size(), 0.0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double acc = 0.0;
            for (int i = -radius; i <= radius; ++i) {
                int sx = x + i;
                if (sx >= 0 && sx < w) acc += kernel[i + radius] * src[static_cast<size_t>(y) * w + sx];
            }
            tmp[static_cast<size_t>(y) * w + x] = acc;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double acc = 0.0;
            for (int i = -radius; i <= radius; ++i) {
                int sy = y + i;
                if (sy >= 0 && sy < h) acc += kernel[i + radius] * tmp[static_cast<size_t>(sy) * w + x];
            }
            out[static_cast<size_t>(y) * w + x] = acc;
        }
    return out;
}

constexpr Glyph kFont[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};

}  // namespace

const Glyph* findGlyph(char ch) {
    for (const Glyph& g : kFont)
        if (g.ch == ch) return &g;
    return nullptr;
}

void stampText(std::vector<double>& coverage, int w, int h, const std::string& text,
                      int left, int top, int cell) {
    for (size_t n = 0; n < text.size(); ++n) {
        const Glyph* g = findGlyph(text[n]);
        if (g == nullptr) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col) {
                if (g->rows[row][col] != '#') continue;
                int x0 = left + (static_cast<int>(n) * 6 + col) * cell, y0 = top + row * cell;
                for (int y = std::max(y0, 0); y < std::min(y0 + cell, h); ++y)
                    for (int x = std::max(x0, 0); x < std::min(x0 + cell, w); ++x)
                        coverage[static_cast<size_t>(y) * w + x] = 1.0;
            }
    }
}

namespace {

int textWidth(const std::string& text, int cell) {
    return text.empty() ? 0 : (static_cast<int>(text.size()) * 6 - 1) * cell;
}

}  // namespace

// --- The pictures. ---

// Dusk landscape, 512x256: sky with stars and streaks of cloud, a striped
// setting sun, three ranges of hills fading into haze.
Picture makeBackdrop() {
    static constexpr GradientStop sky[] = {
        {0.00, {10, 8, 38}}, {0.40, {55, 22, 100}}, {0.72, {170, 55, 115}}, {1.00, {255, 150, 75}}};
    const double horizon = 178.0, sunX = 352.0, sunY = 134.0, sunR = 42.0;
    auto ridge = [](double x, int period, uint32_t seed) {
        return fbm(x / 512.0, 0.37, period, 1, 4, seed);
    };
    // Peaked profile for the far range: ridged noise, 0..about 1.
    auto peaks = [](double x) {
        double sum = 0.0, amp = 0.6;
        for (int o = 0; o < 4; ++o) {
            int period = 3 << o;
            double r = 1.0 - std::abs(1.5 * gradientNoise(x / 512.0 * period + 0.3 * o, 0.41, period, 1, 33 + o));
            sum += amp * r * r;
            amp *= 0.45;
        }
        return sum;
    };
    // Hill profiles depend on x alone: one value per sub-sample column.
    constexpr int ss = 3;
    std::vector<double> farTops(512 * ss), midTops(512 * ss), nearTops(512 * ss);
    for (int i = 0; i < 512 * ss; ++i) {
        const double x = (i + 0.5) / ss;
        farTops[i] = 180.0 - 36.0 * peaks(x);
        midTops[i] = 200.0 - 30.0 * (0.5 + ridge(x, 4, 41));
        nearTops[i] = 228.0 - 26.0 * (0.5 + ridge(x, 5, 51));
    }
    return shadeRgb(512, 256, ss, [&](double x, double y) {
        const int column = std::clamp(static_cast<int>(x * ss), 0, 512 * ss - 1);
        const double farTop = farTops[column], midTop = midTops[column], nearTop = nearTops[column];
        double t = clamp01(y / horizon);
        Rgb c = gradient(sky, t);

        // Streaky clouds lit from below by the sun.
        double band = smoothstep(30.0, 70.0, y) * (1.0 - smoothstep(120.0, 165.0, y));
        double density = 0.0;
        if (band > 0.0) {
            density = smoothstep(0.02, 0.35, fbm(x / 512.0, y / 256.0, 3, 14, 4, 11)) * band;
            c = lerp(c, Rgb{255, 160, 150} * (0.45 + 0.5 * t), density * 0.55);
        }

        // Stars: at most one per 8x8 cell, dimming towards the horizon.
        double starFade = 1.0 - smoothstep(0.2, 0.65, t);
        if (starFade > 0.0) {
            int cx = static_cast<int>(x) / 8, cy = static_cast<int>(y) / 8;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    int gx = cx + i, gy = cy + j;
                    if (hashUnit(gx, gy, 21) > 0.35) continue;
                    double px = gx * 8 + 1 + 6 * hashUnit(gx, gy, 22);
                    double py = gy * 8 + 1 + 6 * hashUnit(gx, gy, 23);
                    double b = 60 + 195 * hashUnit(gx, gy, 24);
                    double d2 = (x - px) * (x - px) + (y - py) * (y - py);
                    c = c + Rgb{1.0, 0.95, 0.9} * (b * starFade * (1.0 - density) * std::exp(-d2 / 0.5));
                }
        }

        // The sun, its lower half cut by widening bands, and its glow.
        double sd = std::hypot(x - sunX, y - sunY);
        double below = y - (sunY - 4.0);
        bool cut = false;
        if (below > 0.0) {
            double period = 11.0;
            double phase = std::fmod(below, period);
            cut = phase < 1.0 + below * 0.12;
        }
        if (sd < sunR && !cut) {
            double k = clamp01((y - (sunY - sunR)) / (2.0 * sunR));
            c = lerp(Rgb{255, 245, 180}, Rgb{255, 90, 95}, k);
        } else if (sd >= sunR) {
            c = c + Rgb{255, 120, 70} * (0.5 * std::exp(-(sd - sunR) / 38.0));
        }

        // Hill ranges, far to near; each adds haze and a rim lit by the sun.
        double sunSide = std::exp(-std::abs(x - sunX) / 120.0);
        if (y >= nearTop) {
            double rim = std::exp(-(y - nearTop) / 2.0) * sunSide;
            c = lerp(Rgb{30, 12, 44}, Rgb{14, 6, 24}, clamp01((y - nearTop) / 30.0)) + Rgb{120, 50, 60} * rim;
        } else if (y >= midTop) {
            double rim = std::exp(-(y - midTop) / 2.5) * sunSide;
            c = lerp(Rgb{62, 26, 78}, Rgb{36, 16, 56}, clamp01((y - midTop) / 40.0)) + Rgb{160, 70, 70} * rim;
        } else if (y >= farTop) {
            double rim = std::exp(-(y - farTop) / 2.5) * sunSide;
            Rgb hill = lerp(Rgb{105, 45, 112}, Rgb{78, 32, 92}, clamp01((y - farTop) / 50.0));
            c = lerp(hill, gradient(sky, 1.0), 0.12) + Rgb{200, 100, 80} * (0.7 * rim);
        }
        return c;
    });
}

// Title "VELMORA" on black, 512x256: bevelled gold letters in a blue glow
// that fades to exactly black well inside the picture (black is transparent).
Picture makeLogo() {
    const int w = 512, h = 256, cell = 11;
    const std::string title = "VELMORA";
    std::vector<double> cells(static_cast<size_t>(w) * h, 0.0);
    const int left = (w - textWidth(title, cell)) / 2, top = (h - 7 * cell) / 2;
    stampText(cells, w, h, title, left, top, cell);
    // Thresholding the blurred cells below one half rounds the corners and
    // makes the strokes bolder; the smooth threshold antialiases the edge.
    std::vector<double> cov = gaussianBlur(cells, w, h, 2.5);
    for (double& v : cov) v = smoothstep(0.22, 0.32, v);
    const std::vector<double> bevel = gaussianBlur(cov, w, h, 2.2);
    const std::vector<double> glow = gaussianBlur(cov, w, h, 7.0);

    static constexpr GradientStop metal[] = {
        {0.00, {255, 255, 225}}, {0.42, {255, 205, 95}}, {0.50, {255, 245, 210}},
        {0.56, {240, 135, 45}}, {1.00, {175, 45, 70}}};
    Picture p{w, h, 3, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            size_t i = static_cast<size_t>(y) * w + x;
            Rgb letter;
            if (cov[i] > 0.0) {
                // Light from the upper left on the blurred coverage as a height field.
                auto at = [&](int xx, int yy) {
                    xx = std::clamp(xx, 0, w - 1);
                    yy = std::clamp(yy, 0, h - 1);
                    return bevel[static_cast<size_t>(yy) * w + xx];
                };
                double gx = at(x + 1, y) - at(x - 1, y), gy = at(x, y + 1) - at(x, y - 1);
                double light = 1.0 + 2.2 * (-gx * 0.6 - gy * 0.8);
                double k = clamp01((y + 0.5 - top) / (7.0 * cell));
                letter = gradient(metal, k) * std::clamp(light, 0.55, 1.35);
            }
            double g = glow[i];
            Rgb halo = Rgb{60, 100, 255} * (g * 1.3) + Rgb{180, 210, 255} * (g * g * 0.4);
            Rgb c = lerp(halo, letter, cov[i]);
            p.samples[i * 3] = toByte(c.r);
            p.samples[i * 3 + 1] = toByte(c.g);
            p.samples[i * 3 + 2] = toByte(c.b);
        }
    blackenFaint(p, 6);
    return p;
}

// Tileable marble tiles, 256x256: bevelled tiles of teal marble with gold
// veins; the noise, the vein waves and the tile grid all repeat exactly once
// across the picture.
Picture makeTexture() {
    return shadeRgb(256, 256, 2, [](double x, double y) {
        double u = x / 256.0, v = y / 256.0;
        double n = fbm(u, v, 4, 4, 5, 61);
        double vein = std::sin(2.0 * kPi * (2.0 * u + v) + 6.0 * n);
        double veinMask = std::pow(1.0 - std::abs(vein), 7.0);
        Rgb base = lerp(Rgb{20, 50, 80}, Rgb{80, 150, 165}, clamp01(0.5 + 1.1 * n));
        base = lerp(base, Rgb{200, 220, 215}, smoothstep(0.15, 0.5, fbm(u, v, 8, 8, 3, 62)) * 0.35);
        Rgb c = lerp(base, Rgb{240, 190, 95}, veinMask);

        // Grooves at 32 + 64k: the picture's own edge falls inside a tile.
        double fx = std::fmod(x + 32.0, 64.0), fy = std::fmod(y + 32.0, 64.0);
        double dl = fx, dt = fy, dr = 64.0 - fx, db = 64.0 - fy;
        double edge = std::min({dl, dt, dr, db});
        double bevelW = 1.0 - smoothstep(1.0, 5.0, edge);
        bool lit = std::min(dl, dt) <= std::min(dr, db);
        double shade = 1.0 + (lit ? 0.35 : -0.35) * bevelW;
        shade *= 0.3 + 0.7 * smoothstep(0.0, 1.2, edge);  // the groove between tiles
        return c * shade;
    });
}

// Environment map, 256x256: the view of a mirror sphere (unit normal n maps
// to texel 127 + 120 n) reflecting a dusk sky with a sun and a neon grid floor.
// Texels outside the circle repeat its rim so there is no seam.
Picture makeEnvMap() {
    static constexpr GradientStop sky[] = {
        {0.00, {255, 185, 140}}, {0.12, {220, 110, 160}}, {0.45, {70, 60, 170}}, {1.00, {12, 14, 60}}};
    const double sl = std::sqrt(0.45 * 0.45 + 0.6 * 0.6 + 0.66 * 0.66);
    const double sunX = -0.45 / sl, sunY = -0.6 / sl, sunZ = -0.66 / sl;
    return shadeRgb(256, 256, 4, [&](double x, double y) {
        double nx = (x - 127.0) / 120.0, ny = (y - 127.0) / 120.0;
        double r2 = nx * nx + ny * ny;
        if (r2 > 1.0) {
            double r = std::sqrt(r2);
            nx /= r;
            ny /= r;
            r2 = 1.0;
        }
        double nz = -std::sqrt(std::max(0.0, 1.0 - r2));
        // Reflect the viewing ray (0, 0, 1); y points down.
        double dot = nz;
        double rx = -2.0 * dot * nx, ry = -2.0 * dot * ny, rz = 1.0 - 2.0 * dot * nz;
        double up = -ry;
        Rgb c;
        if (up >= 0.0) {
            c = gradient(sky, up);
            double s = std::max(0.0, rx * sunX + ry * sunY + rz * sunZ);
            c = c + Rgb{255, 250, 235} * (1.6 * std::pow(s, 300.0)) + Rgb{255, 170, 110} * (0.45 * std::pow(s, 12.0));
        } else {
            double t = 1.0 / ry;  // hit of the floor plane one unit below
            double gx = rx * t, gz = rz * t;
            auto lineDist = [](double a) { return std::abs(a - std::round(a)); };
            double width = 0.04 * t;
            double lines = std::exp(-std::pow(lineDist(gx) / width, 2.0)) + std::exp(-std::pow(lineDist(gz) / width, 2.0));
            double fade = std::exp(-t * 0.12);
            c = lerp(Rgb{35, 18, 60}, Rgb{80, 40, 90}, 1.0 - fade) + Rgb{70, 210, 255} * (std::min(lines, 1.0) * fade);
        }
        c = c + Rgb{255, 140, 120} * (0.7 * std::exp(-std::abs(up) * 14.0));
        return c;
    });
}

// Glowing ball, 64x64: a lit orange sphere inside a halo that reaches black
// at radius 30, so the corners and edges are transparent.
Picture makeSprite() {
    // Towards the light (upper left, in front); view direction is -z.
    const double ll = std::sqrt(0.45 * 0.45 + 0.55 * 0.55 + 0.7 * 0.7);
    const double lx = -0.45 / ll, ly = -0.55 / ll, lz = -0.7 / ll;
    const double hl = std::sqrt(lx * lx + ly * ly + (lz - 1.0) * (lz - 1.0));
    const double hx = lx / hl, hy = ly / hl, hz = (lz - 1.0) / hl;
    Picture p = shadeRgb(64, 64, 4, [&](double x, double y) {
        double dx = x - 32.0, dy = y - 32.0, r = std::hypot(dx, dy);
        double halo = std::pow(std::max(0.0, 1.0 - r / 30.0), 2.2);
        Rgb c = Rgb{255, 110, 30} * (0.9 * halo) + Rgb{255, 220, 150} * (0.35 * std::exp(-(r * r) / 160.0));
        const double br = 13.0;
        if (r < br) {
            double nx = dx / br, ny = dy / br, nz = -std::sqrt(std::max(0.0, 1.0 - (nx * nx + ny * ny)));
            double diff = std::max(0.0, nx * lx + ny * ly + nz * lz);
            double highlight = std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 40.0);
            Rgb ball = Rgb{255, 165, 60} * (0.6 + 0.65 * diff) + Rgb{255, 255, 240} * (0.9 * highlight);
            c = lerp(c, ball, smoothstep(br, br - 1.5, r));
        }
        return c;
    });
    blackenFaint(p, 4);
    return p;
}

// Particle glow, 32x32: a hot core with four soft spikes, black beyond radius 13.
Picture makeStar() {
    Picture p = shadeRgb(32, 32, 4, [](double x, double y) {
        double dx = x - 16.0, dy = y - 16.0, r = std::hypot(dx, dy);
        double window = std::pow(std::max(0.0, 1.0 - r / 13.0), 2.0);
        double core = std::exp(-(r * r) / 5.0);
        double spikes = std::exp(-(dy * dy) / 0.8) + std::exp(-(dx * dx) / 0.8);
        double glow = std::pow(std::max(0.0, 1.0 - r / 13.0), 3.0);
        return (Rgb{150, 190, 255} * (0.7 * spikes + 0.8 * glow) * window) + Rgb{255, 255, 255} * core;
    });
    blackenFaint(p, 4);
    return p;
}

// Flip-book strip, 64x1024: 16 frames of 64x64 stacked vertically showing a
// glowing wire cube turning a quarter turn, so frame 16 would equal frame 0
// and the animation loops. Each frame fades to black before its border.
Picture makeStrip() {
    const int frames = 16, size = 64;
    Picture p{size, size * frames, 3, std::vector<uint8_t>(static_cast<size_t>(size) * size * frames * 3)};
    static constexpr int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                          {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (int f = 0; f < frames; ++f) {
        const double angle = f * (kPi / 2.0) / frames, tilt = 0.5;
        std::array<double, 8> sx{}, sy{}, sz{};
        for (int v = 0; v < 8; ++v) {
            double x = (v & 1) ? 12.0 : -12.0, y = (v & 2) ? 12.0 : -12.0, z = (v & 4) ? 12.0 : -12.0;
            double x1 = x * std::cos(angle) + z * std::sin(angle), z1 = -x * std::sin(angle) + z * std::cos(angle);
            double y2 = y * std::cos(tilt) - z1 * std::sin(tilt), z2 = y * std::sin(tilt) + z1 * std::cos(tilt);
            double persp = 80.0 / (80.0 + z2);
            sx[v] = 32.0 + x1 * persp;
            sy[v] = 32.0 + y2 * persp;
            sz[v] = z2;
        }
        Picture frame = shadeRgb(size, size, 2, [&](double x, double y) {
            Rgb c;
            for (const auto& e : kEdges) {
                double ax = sx[e[0]], ay = sy[e[0]], bx = sx[e[1]], by = sy[e[1]];
                double ex = bx - ax, ey = by - ay;
                double t = clamp01(((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey));
                double d = std::hypot(x - (ax + t * ex), y - (ay + t * ey));
                double depth = (sz[e[0]] + sz[e[1]]) * 0.5;  // -20..20, negative is near
                double nearness = clamp01(0.5 - depth / 40.0);
                Rgb col = lerp(Rgb{110, 70, 230}, Rgb{120, 235, 255}, nearness);
                double bright = 0.45 + 0.55 * nearness;
                c = c + col * (bright * (std::exp(-(d * d) / 0.8) + 0.35 * std::exp(-d / 2.5)));
            }
            for (int v = 0; v < 8; ++v) {
                double d2 = (x - sx[v]) * (x - sx[v]) + (y - sy[v]) * (y - sy[v]);
                c = c + Rgb{255, 255, 255} * (0.6 * std::exp(-d2 / 1.8));
            }
            double r = std::hypot(x - 32.0, y - 32.0);
            return c * clamp01((27.0 - r) / 4.0);
        });
        blackenFaint(frame, 4);
        std::copy(frame.samples.begin(), frame.samples.end(),
                  p.samples.begin() + static_cast<std::ptrdiff_t>(f) * size * size * 3);
    }
    return p;
}

namespace {

// The tunnel wall's relief, 512x512 values in 0..1, tileable: ridged noise
// over broad swells, stretched to the full range.
std::vector<double> heightField() {
    const int n = 512;
    std::vector<double> h(static_cast<size_t>(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double u = x / static_cast<double>(n), v = y / static_cast<double>(n);
            // A periodic warp bends the ridges without breaking the tiling.
            u += 0.05 * fbm(u, v, 3, 3, 3, 75);
            v += 0.05 * fbm(u, v, 3, 3, 3, 76);
            double ridged = 0.0, amp = 0.5;
            for (int o = 0; o < 5; ++o) {
                int period = 4 << o;
                double shift = 0.29 * o;
                double r = 1.0 - std::abs(1.4 * gradientNoise(u * period + shift, v * period + 1.6 * shift,
                                                              period, period, 71 + o));
                ridged += amp * r * r;
                amp *= 0.5;
            }
            h[static_cast<size_t>(y) * n + x] = 0.65 * ridged + 0.35 * fbm(u, v, 2, 2, 3, 81);
        }
    auto [lo, hi] = std::minmax_element(h.begin(), h.end());
    const double low = *lo, range = *hi - *lo;
    for (double& v : h) v = std::pow((v - low) / range, 1.4);
    return h;
}

}  // namespace

// Grey height map, 512x512, one channel (the tunnel reads one byte per pixel).
Picture makeHeightMap() {
    const std::vector<double> h = heightField();
    Picture p{512, 512, 1, std::vector<uint8_t>(h.size())};
    for (size_t i = 0; i < h.size(); ++i) p.samples[i] = toByte(h[i] * 255.0);
    return p;
}

// Colour map, 512x512, aligned texel for texel with the height map: coloured
// by height, shaded by the slope (wrapping, so it tiles too) plus fine grain.
Picture makeColorMap() {
    static constexpr GradientStop ramp[] = {
        {0.00, {28, 16, 60}}, {0.30, {35, 80, 125}}, {0.50, {40, 140, 120}},
        {0.70, {175, 150, 80}}, {0.85, {228, 192, 140}}, {1.00, {255, 250, 236}}};
    const int n = 512;
    const std::vector<double> h = heightField();
    Picture p{n, n, 3, std::vector<uint8_t>(h.size() * 3)};
    auto at = [&](int x, int y) { return h[static_cast<size_t>(wrapIndex(y, n)) * n + wrapIndex(x, n)]; };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double v = at(x, y);
            double gx = at(x + 1, y) - at(x - 1, y), gy = at(x, y + 1) - at(x, y - 1);
            double light = std::clamp(1.0 + 5.0 * (-gx * 0.6 - gy * 0.8), 0.55, 1.4);
            double grain = fbm(x / static_cast<double>(n), y / static_cast<double>(n), 32, 32, 3, 91);
            Rgb c = gradient(ramp, v) * (light * (1.0 + 0.15 * grain));
            size_t i = (static_cast<size_t>(y) * n + x) * 3;
            p.samples[i] = toByte(c.r);
            p.samples[i + 1] = toByte(c.g);
            p.samples[i + 2] = toByte(c.b);
        }
    return p;
}

}  // namespace pictures

bool writePicture(const std::string& path, const Picture& p, int quality) {
    return writeJpeg(path.c_str(), p.width, p.height, p.components, p.samples.data(), quality);
}

}  // namespace velmora
