// The JPEG writer round-tripped through the engine's decoder, and the default
// show's generated pictures: sizes, determinism, transparency and tiling.
#include <gtest/gtest.h>


#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "showkit/DemoPictures.h"
#include "showkit/JpegWriter.h"
#include "TestSupport.h"
#include "surface/JpegDecode.h"
#include "surface/Surface.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

using testsupport::ScratchDirectory;

void loadSurface(Surface& s, const std::string& path) { s.configure(" \"" + path + "\""); }

uint8_t channel(uint32_t pixel, int c) { return static_cast<uint8_t>(pixel >> (16 - 8 * c)); }

// The generated pictures, built once for the whole binary.
const std::map<std::string, Picture>& demoPictures() {
    static const std::map<std::string, Picture> all = [] {
        std::map<std::string, Picture> m;
        for (const DemoPicture& entry : kDemoPictures) m.emplace(entry.fileName, entry.make());
        return m;
    }();
    return all;
}

const Picture& demoPicture(const std::string& name) {
    auto it = demoPictures().find(name);
    EXPECT_NE(it, demoPictures().end()) << name;
    return it->second;
}

// ---------------------------------------------------------------------------

TEST(JpegWriter, ColourRoundTripKeepsSizeChannelOrderAndColours) {
    // Four flat quadrants, each a whole number of 8x8 blocks, so their insides
    // come back almost exactly; distinct channels catch a swapped order.
    const uint8_t colours[4][3] = {{200, 30, 60}, {20, 180, 40}, {30, 60, 220}, {18, 52, 86}};
    const int w = 64, h = 48;
    std::vector<uint8_t> samples(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* c = colours[(y >= h / 2) * 2 + (x >= w / 2)];
            std::copy(c, c + 3, samples.begin() + (static_cast<size_t>(y) * w + x) * 3);
        }
    ScratchDirectory dir("jpeg");
    const std::string path = dir.file("quadrants.jpg");
    ASSERT_TRUE(writeJpeg(path.c_str(), w, h, 3, samples.data(), 90));

    Surface s;
    loadSurface(s, path);
    ASSERT_TRUE(s.isSize(w, h));
    for (int q = 0; q < 4; ++q) {
        const int cx = (q & 1) ? 48 : 16, cy = (q & 2) ? 36 : 12;
        const uint32_t pixel = s.pixels[cy * w + cx];
        EXPECT_EQ(pixel >> 24, 0u);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(channel(pixel, c), colours[q][c], 4) << "quadrant " << q << " channel " << c;
    }
}

TEST(JpegWriter, GreyRoundTripStaysOneChannel) {
    const int w = 40, h = 24;  // not a multiple of the block size
    std::vector<uint8_t> samples(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) samples[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(x * 5 + y * 2);
    ScratchDirectory dir("jpeg");
    const std::string path = dir.file("grey.jpg");
    ASSERT_TRUE(writeJpeg(path.c_str(), w, h, 1, samples.data(), 90));

    DecodedJpeg decoded;
    ASSERT_EQ(decodeJpegFile(path.c_str(), decoded), 0);
    EXPECT_EQ(decoded.width, w);
    EXPECT_EQ(decoded.height, h);
    ASSERT_EQ(decoded.components, 1);
    ASSERT_EQ(decoded.samples.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        ASSERT_NEAR(decoded.samples[i], samples[i], 4) << "sample " << i;

    // A surface shows it as equal red, green and blue.
    Surface s;
    loadSurface(s, path);
    ASSERT_TRUE(s.isSize(w, h));
    const uint32_t pixel = s.pixels[10 * w + 20];
    EXPECT_EQ(channel(pixel, 0), channel(pixel, 1));
    EXPECT_EQ(channel(pixel, 1), channel(pixel, 2));
}

TEST(JpegWriter, OddSizesRoundTrip) {
    ScratchDirectory dir("jpeg");
    for (auto [w, h] : {std::pair{1, 1}, std::pair{37, 13}, std::pair{3, 70}}) {
        std::vector<uint8_t> samples(static_cast<size_t>(w) * h * 3, 0);
        for (size_t i = 0; i < samples.size(); i += 3) samples[i] = 180;  // red
        const std::string path = dir.file("odd.jpg");
        ASSERT_TRUE(writeJpeg(path.c_str(), w, h, 3, samples.data(), 90)) << w << "x" << h;
        DecodedJpeg decoded;
        ASSERT_EQ(decodeJpegFile(path.c_str(), decoded), 0);
        EXPECT_EQ(decoded.width, w);
        EXPECT_EQ(decoded.height, h);
        ASSERT_EQ(decoded.components, 3);
        EXPECT_NEAR(decoded.samples[0], 180, 4);
        EXPECT_NEAR(decoded.samples[1], 0, 4);
    }
}

TEST(JpegWriter, RefusesBadArgumentsAndLeavesNoFile) {
    ScratchDirectory dir("jpeg");
    const std::string path = dir.file("bad.jpg");
    std::vector<uint8_t> samples(16 * 16 * 4, 128);
    EXPECT_FALSE(writeJpeg(nullptr, 16, 16, 3, samples.data(), 90));
    EXPECT_FALSE(writeJpeg(path.c_str(), 16, 16, 3, nullptr, 90));
    EXPECT_FALSE(writeJpeg(path.c_str(), 16, 16, 2, samples.data(), 90));
    EXPECT_FALSE(writeJpeg(path.c_str(), 16, 16, 5, samples.data(), 90));
    EXPECT_FALSE(writeJpeg(path.c_str(), 0, 16, 3, samples.data(), 90));
    EXPECT_FALSE(writeJpeg(path.c_str(), 16, -1, 3, samples.data(), 90));
    EXPECT_FALSE(writeJpeg(path.c_str(), 70000, 1, 1, samples.data(), 90));
    EXPECT_FALSE(fs::exists(path));
    const std::string unreachable = dir.file("missing/dir/x.jpg");
    EXPECT_FALSE(writeJpeg(unreachable.c_str(), 16, 16, 3, samples.data(), 90));
}

TEST(JpegWriter, QualityIsHonouredAndClamped) {
    // Noise compresses badly, so the file size follows the quality closely.
    const int w = 64, h = 64;
    std::vector<uint8_t> samples(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(pictures::hash3(int32_t(i), 0, 5));
    ScratchDirectory dir("jpeg");
    auto sizeAt = [&](int quality) {
        const std::string path = dir.file(std::string("q").append(std::to_string(quality)).append(".jpg"));
        EXPECT_TRUE(writeJpeg(path.c_str(), w, h, 3, samples.data(), quality));
        DecodedJpeg decoded;
        EXPECT_EQ(decodeJpegFile(path.c_str(), decoded), 0);
        return fs::file_size(path);
    };
    EXPECT_LT(sizeAt(10), sizeAt(90));
    EXPECT_EQ(sizeAt(-5), sizeAt(1));
    EXPECT_EQ(sizeAt(250), sizeAt(100));
}

// ---------------------------------------------------------------------------

TEST(DemoPictures, GeneratorsAreDeterministic) {
    for (const DemoPicture& entry : kDemoPictures) {
        const Picture& first = demoPicture(entry.fileName);
        const Picture again = entry.make();
        EXPECT_TRUE(first == again) << entry.fileName;
        ASSERT_EQ(first.samples.size(), static_cast<size_t>(first.width) * first.height * first.components)
            << entry.fileName;
        const auto [lo, hi] = std::minmax_element(first.samples.begin(), first.samples.end());
        EXPECT_GT(*hi - *lo, 100) << entry.fileName << " is nearly flat";
    }
}

TEST(DemoPictures, SizesAreThoseTheShowNeeds) {
    struct Expected {
        const char* name;
        int width, height, components;
    };
    const Expected expected[] = {
        {"backdrop.jpg", 512, 256, 3}, {"logo.jpg", 512, 256, 3},    {"texture.jpg", 256, 256, 3},
        {"envmap.jpg", 256, 256, 3},   {"sprite.jpg", 64, 64, 3},    {"star.jpg", 32, 32, 3},
        {"strip.jpg", 64, 1024, 3},    {"heightmap.jpg", 512, 512, 1}, {"colormap.jpg", 512, 512, 3},
    };
    EXPECT_EQ(std::size(kDemoPictures), std::size(expected));
    for (const Expected& e : expected) {
        const Picture& p = demoPicture(e.name);
        EXPECT_EQ(p.width, e.width) << e.name;
        EXPECT_EQ(p.height, e.height) << e.name;
        EXPECT_EQ(p.components, e.components) << e.name;
    }
}

TEST(DemoPictures, SurviveTheEngineDecoderWithinBudget) {
    ScratchDirectory dir("jpeg");
    uintmax_t total = 0;
    for (const auto& [name, picture] : demoPictures()) {
        const std::string path = dir.file(name);
        ASSERT_TRUE(writePicture(path, picture)) << name;
        total += fs::file_size(path);

        DecodedJpeg decoded;
        ASSERT_EQ(decodeJpegFile(path.c_str(), decoded), 0) << name;
        EXPECT_EQ(decoded.width, picture.width) << name;
        EXPECT_EQ(decoded.height, picture.height) << name;
        ASSERT_EQ(decoded.components, picture.components) << name;
        double error = 0.0;
        for (size_t i = 0; i < picture.samples.size(); ++i)
            error += std::abs(int(decoded.samples[i]) - int(picture.samples[i]));
        EXPECT_LT(error / picture.samples.size(), 3.0) << name;
    }
    EXPECT_LT(total, 1024u * 1024u);
}

// Transparency after JPEG: every 8x8 block that is all black in the source
// comes back exactly 0, the border ring (of every strip frame too) is at worst
// near-black ringing, and the middle is lit.
TEST(DemoPictures, TransparentPicturesKeepTheirBlack) {
    ScratchDirectory dir("jpeg");
    struct Sheet {
        const char* name;
        int frameHeight;
    };
    for (const Sheet sheet : {Sheet{"sprite.jpg", 64}, Sheet{"star.jpg", 32}, Sheet{"logo.jpg", 256},
                              Sheet{"strip.jpg", 64}}) {
        const Picture& source = demoPicture(sheet.name);
        const std::string path = dir.file(sheet.name);
        ASSERT_TRUE(writePicture(path, source));
        Surface s;
        loadSurface(s, path);
        ASSERT_TRUE(s.isSize(source.width, source.height)) << sheet.name;
        auto sourceBlack = [&](int x, int y) {
            const uint8_t* p = &source.samples[(static_cast<size_t>(y) * source.width + x) * 3];
            return p[0] == 0 && p[1] == 0 && p[2] == 0;
        };

        int blackBlocks = 0;
        for (int by = 0; by < s.height; by += 8)
            for (int bx = 0; bx < s.width; bx += 8) {
                bool black = true;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) black = black && sourceBlack(x, y);
                if (!black) continue;
                ++blackBlocks;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x)
                        ASSERT_EQ(s.pixels[y * s.width + x], 0u) << sheet.name << " at " << x << "," << y;
            }
        EXPECT_GE(blackBlocks, 4 * (s.height / sheet.frameHeight)) << sheet.name;

        for (int top = 0; top + sheet.frameHeight <= s.height; top += sheet.frameHeight) {
            int lit = 0;
            for (int y = 0; y < sheet.frameHeight; ++y)
                for (int x = 0; x < s.width; ++x) {
                    const uint32_t pixel = s.pixels[(top + y) * s.width + x];
                    const int brightest = std::max({channel(pixel, 0), channel(pixel, 1), channel(pixel, 2)});
                    const bool border = x < 2 || y < 2 || x >= s.width - 2 || y >= sheet.frameHeight - 2;
                    // A few levels of ringing at most: invisible when added.
                    if (border) {
                        ASSERT_LE(brightest, 5) << sheet.name << " at " << x << "," << top + y;
                    }
                    lit += channel(pixel, 0) + channel(pixel, 1) + channel(pixel, 2) > 300;
                }
            EXPECT_GT(lit, 10) << sheet.name << " frame at row " << top;
        }
    }
}

// Mean absolute difference between column a and column b (rows when byRow).
double lineDifference(const Picture& p, int a, int b, bool byRow) {
    const int count = byRow ? p.width : p.height;
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < p.components; ++c) {
            auto at = [&](int line) {
                const int x = byRow ? i : line, y = byRow ? line : i;
                return int(p.samples[(static_cast<size_t>(y) * p.width + x) * p.components + c]);
            };
            sum += std::abs(at(a) - at(b));
        }
    return sum / (count * p.components);
}

// A seam counts as seamless when crossing it changes the picture no more than
// stepping between neighbouring lines does on average.
bool wrapsSeamlessly(const Picture& p, bool byRow) {
    const int lines = byRow ? p.height : p.width;
    double neighbours = 0.0;
    for (int i = 0; i + 1 < lines; ++i) neighbours += lineDifference(p, i, i + 1, byRow);
    neighbours /= lines - 1;
    return lineDifference(p, lines - 1, 0, byRow) <= 1.5 * neighbours + 0.5;
}

TEST(DemoPictures, TilingPicturesWrapBothWays) {
    for (const char* name : {"texture.jpg", "heightmap.jpg", "colormap.jpg"}) {
        EXPECT_TRUE(wrapsSeamlessly(demoPicture(name), false)) << name << " left/right";
        EXPECT_TRUE(wrapsSeamlessly(demoPicture(name), true)) << name << " top/bottom";
    }
    // The measure does tell: the backdrop (sky over hills) is no tile.
    EXPECT_FALSE(wrapsSeamlessly(demoPicture("backdrop.jpg"), true));
}

TEST(DemoPictures, ColourMapFollowsTheHeightMap) {
    const Picture& heights = demoPicture("heightmap.jpg");
    const Picture& colours = demoPicture("colormap.jpg");
    ASSERT_EQ(heights.samples.size() * 3, colours.samples.size());
    // Correlation of height with brightness, texel for texel.
    const size_t n = heights.samples.size();
    double sh = 0, sl = 0, shh = 0, sll = 0, shl = 0;
    for (size_t i = 0; i < n; ++i) {
        const double hgt = heights.samples[i];
        const double lum = 0.3 * colours.samples[i * 3] + 0.59 * colours.samples[i * 3 + 1] + 0.11 * colours.samples[i * 3 + 2];
        sh += hgt, sl += lum, shh += hgt * hgt, sll += lum * lum, shl += hgt * lum;
    }
    const double cov = shl / n - (sh / n) * (sl / n);
    const double r = cov / std::sqrt((shh / n - (sh / n) * (sh / n)) * (sll / n - (sl / n) * (sl / n)));
    EXPECT_GT(r, 0.7);
}

TEST(DemoPictures, StripFramesMoveAndStayCentred) {
    const Picture& strip = demoPicture("strip.jpg");
    const size_t frameBytes = 64 * 64 * 3;
    for (int f = 0; f < 16; ++f) {
        const uint8_t* frame = strip.samples.data() + f * frameBytes;
        double mass = 0, mx = 0, my = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint8_t* s = frame + (y * 64 + x) * 3;
                const double v = s[0] + s[1] + s[2];
                mass += v, mx += v * x, my += v * y;
            }
        ASSERT_GT(mass, 0.0);
        EXPECT_NEAR(mx / mass, 31.5, 3.0) << "frame " << f;
        EXPECT_NEAR(my / mass, 31.5, 4.0) << "frame " << f;
        if (f > 0) {
            const uint8_t* prev = frame - frameBytes;
            EXPECT_FALSE(std::equal(prev, prev + frameBytes, frame)) << "frames " << f - 1 << " and " << f;
        }
    }
}

TEST(DemoPictures, FontStampsTheLitCellsOnly) {
    const int cell = 3, w = 40, h = 30;
    std::vector<double> coverage(static_cast<size_t>(w) * h, 0.0);
    pictures::stampText(coverage, w, h, "T?", 2, 1, cell);  // '?' has no glyph
    // T: a full top row of five cells and a stem of six more.
    EXPECT_EQ(std::count(coverage.begin(), coverage.end(), 1.0), 11 * cell * cell);
    EXPECT_EQ(coverage[1 * w + 2], 1.0);                     // top-left of the bar
    EXPECT_EQ(coverage[(1 + 3 * cell) * w + 2], 0.0);        // left of the stem
    EXPECT_EQ(coverage[(1 + 6 * cell) * w + 2 + 2 * cell], 1.0);  // foot of the stem
    // Text running off the field is clipped, not written outside it.
    std::vector<double> small(4 * 4, 0.0);
    pictures::stampText(small, 4, 4, "VELMORA", -2, -2, 3);
    EXPECT_EQ(small[0], 1.0);  // V's top-left cell reaches into the field
    for (char ch : std::string("VELMORA")) EXPECT_NE(pictures::findGlyph(ch), nullptr) << ch;
}

}  // namespace
}  // namespace velmora
