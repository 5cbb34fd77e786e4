// Every vector path against the plain code it replaces, on random surfaces and
// random parameters: both must give the same bits in every pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "boxes/Deformation.h"
#include "boxes/DirectionalBlur.h"
#include "boxes/Kernels.h"
#include "boxes/NodeGridBlocks.h"
#include "boxes/RadialBlur.h"
#include "boxes/RayCastGrid.h"
#include "boxes/VoxelTunnel.h"
#include "surface/RowKernels.h"
#include "TestFunctions.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::snapshot;
using testsupport::Wiring;

// Every test runs once for each level above Plain; a level this processor
// lacks is skipped rather than compared with the plain code again.
class FastPaths : public ::testing::TestWithParam<SimdLevel> {
protected:
    void SetUp() override {
        if (fastLevel() > supportedSimdLevel()) GTEST_SKIP() << "the processor lacks this level";
    }
    void TearDown() override { chooseKernels(supportedSimdLevel()); }
    SimdLevel fastLevel() const { return GetParam(); }
    std::mt19937 rng{20240607};

    uint32_t colour() { return rng() & 0xFFFFFFu; }
    // Mostly colours, some black, a few with top-byte bits set.
    uint32_t anyPixel() {
        const uint32_t r = rng();
        if (r % 9 == 0) return 0;
        if (r % 13 == 0) return rng();
        return r & 0xFFFFFFu;
    }
    void randomSurface(Surface& s, int32_t w, int32_t h) {
        s.allocate(w, h);
        for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = anyPixel();
    }
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
};

// The comparisons below mean something only if choosing a level really swaps
// the kernels every drawing call goes through.
TEST_P(FastPaths, ChoosingALevelSwitchesTheKernelsInUse) {
    EXPECT_EQ(chooseKernels(SimdLevel::Plain), SimdLevel::Plain);
    EXPECT_EQ(rows::active, &rows::kPlainKernels);
    EXPECT_EQ(boxKernels->radialSweep, nullptr);
    EXPECT_EQ(chooseKernels(fastLevel()), fastLevel());
    EXPECT_EQ(rows::active, fastLevel() == SimdLevel::Avx2 ? &rows::kAvx2Kernels : &rows::kSse2Kernels);
    // Every level above plain has its own box bodies.
    EXPECT_NE(boxKernels->blurRows, &kernels::blurRowsPlain);
    EXPECT_NE(boxKernels->blurColumns, &kernels::blurColumnsPlain);
    EXPECT_NE(boxKernels->gridBlocks, &kernels::gridBlocksPlain);
    EXPECT_NE(boxKernels->radialSweep, nullptr);
    EXPECT_NE(boxKernels->voxelMarch, nullptr);
}

// --- Directional blurs ------------------------------------------------------

// Weights inside 0..1, at its ends and outside it (where sums wrap).
const float kBlurWeights[] = {0.5f, 0.0f, 1.0f, 0.37f, 0.9921f, 2.0f, -0.75f, 17.5f, 0.013f};

template <class Box>
void expectBlurMatchesPlain(SimdLevel level, float weight, const Surface& start) {
    Wiring wiring({weight, 1.0f, 1.0f}, {});
    Surface plain, fast;
    plain.allocate(512, 256);
    fast.allocate(512, 256);
    std::copy(start.pixels, start.pixels + start.pixelCount(), plain.pixels);
    std::copy(start.pixels, start.pixels + start.pixelCount(), fast.pixels);
    chooseKernels(SimdLevel::Plain);
    Box().render(plain, wiring.fns(), wiring.ins());
    chooseKernels(level);
    Box().render(fast, wiring.fns(), wiring.ins());
    ASSERT_EQ(snapshot(fast), snapshot(plain)) << "weight " << weight;
}

TEST_P(FastPaths, XBlurMatchesPlain) {
    Surface start;
    for (float w : kBlurWeights) {
        randomSurface(start, 512, 256);
        expectBlurMatchesPlain<BoxXBlur>(fastLevel(), w, start);
    }
    for (int trial = 0; trial < 4; ++trial) {
        randomSurface(start, 512, 256);
        expectBlurMatchesPlain<BoxXBlur>(fastLevel(), uniform(-3.0f, 3.0f), start);
    }
}

TEST_P(FastPaths, YBlurMatchesPlain) {
    Surface start;
    for (float w : kBlurWeights) {
        randomSurface(start, 512, 256);
        expectBlurMatchesPlain<BoxYBlur>(fastLevel(), w, start);
    }
    for (int trial = 0; trial < 4; ++trial) {
        randomSurface(start, 512, 256);
        expectBlurMatchesPlain<BoxYBlur>(fastLevel(), uniform(-3.0f, 3.0f), start);
    }
}

// --- Voxel tunnel ------------------------------------------------------------

// A box with the given height map and built tables, as configure leaves it.
std::unique_ptr<BoxVoxelTunnel> tunnelWith(const std::vector<uint8_t>& map) {
    auto box = std::make_unique<BoxVoxelTunnel>();
    box->heightMap = map;
    box->buildTables();
    return box;
}

// Several frames in a row, so that rows kept from earlier frames count too.
TEST_P(FastPaths, VoxelTunnelMatchesPlainOverSeveralFrames) {
    std::vector<uint8_t> smooth(BoxVoxelTunnel::kMapPixels), noisy(BoxVoxelTunnel::kMapPixels);
    for (int i = 0; i < BoxVoxelTunnel::kMapPixels; ++i) {
        const int x = i & 511, y = i >> 9;
        smooth[i] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.05) * std::cos(y * 0.03));
        noisy[i] = static_cast<uint8_t>(rng());
    }
    Surface colours;
    randomSurface(colours, 512, 512);
    Surface plainOut, fastOut;
    for (const auto* map : {&smooth, &noisy}) {
        auto plain = tunnelWith(*map), fast = tunnelWith(*map);
        plainOut.allocate(512, 256);
        fastOut.allocate(512, 256);
        // Times that scroll both ways and reach the wrap of the maps.
        for (float t : {0.0f, 0.5f, -3.25f, 1.37f, 26.2f, 1310.7f, -0.004f}) {
            Wiring wiring({t, 1.0f, 1.0f}, {&colours});
            chooseKernels(SimdLevel::Plain);
            plain->render(plainOut, wiring.fns(), wiring.ins());
            chooseKernels(fastLevel());
            fast->render(fastOut, wiring.fns(), wiring.ins());
            ASSERT_EQ(fast->polarImage, plain->polarImage) << "t " << t;
            ASSERT_EQ(snapshot(fastOut), snapshot(plainOut)) << "t " << t;
        }
    }
}

// Every step's shade, with red values that carry a top byte, and every column
// crossing the end of the maps: a colour map of arbitrary 32-bit values and
// bends that push the index over the edge.
TEST_P(FastPaths, VoxelTunnelMarchShadesAndWrapsLikePlain) {
    std::vector<uint8_t> map(BoxVoxelTunnel::kMapPixels);
    for (auto& h : map) h = static_cast<uint8_t>(rng() % 64);
    Surface colours;
    colours.allocate(512, 512);
    for (size_t i = 0; i < colours.pixelCount(); ++i) colours.pixels[i] = rng();
    auto plain = tunnelWith(map), fast = tunnelWith(map);
    for (int trial = 0; trial < 6; ++trial) {
        const float t = uniform(-40.0f, 40.0f);
        const double fb = uniform(-1.0f, 1.0f), fa = uniform(-200.0f, 200.0f);
        chooseKernels(SimdLevel::Plain);
        plain->marchColumns(t, colours.pixels, fb, fa);
        chooseKernels(fastLevel());
        fast->marchColumns(t, colours.pixels, fb, fa);
        ASSERT_EQ(fast->polarImage, plain->polarImage) << "t " << t << " fb " << fb << " fa " << fa;
    }
}


// --- Radial blur --------------------------------------------------------------

// Centres on the surface, corners and edges included: the corners alone give
// every pair of distances a weight is formed from.
TEST_P(FastPaths, RadialBlurMatchesPlainForEveryKindOfCentre) {
    std::vector<std::pair<float, float>> centres = {{0, 0},     {511, 255}, {0, 255}, {511, 0},   {256, 128},
                                                    {255, 0},   {0, 128},   {1, 1},   {510, 254}, {7.9f, 200.5f},
                                                    {300, 255}, {511, 100}, {100, 3}};
    for (int k = 0; k < 12; ++k) centres.emplace_back(uniform(0.0f, 511.99f), uniform(0.0f, 255.99f));
    // Off the surface: both take the plain clipped sweep.
    centres.emplace_back(-20.0f, 100.0f);
    centres.emplace_back(600.0f, 300.0f);
    Surface start, plain, fast;
    for (const auto& [cx, cy] : centres) {
        randomSurface(start, 512, 256);
        plain.allocate(512, 256);
        std::copy(start.pixels, start.pixels + start.pixelCount(), plain.pixels);
        Wiring wiring({cx, cy, 1.0f, 1.0f}, {});
        chooseKernels(SimdLevel::Plain);
        BoxRadialBlur().render(plain, wiring.fns(), wiring.ins());
        fast.allocate(512, 256);
        std::copy(start.pixels, start.pixels + start.pixelCount(), fast.pixels);
        chooseKernels(fastLevel());
        BoxRadialBlur box;
        box.render(fast, wiring.fns(), wiring.ins());
        ASSERT_EQ(snapshot(fast), snapshot(plain)) << "centre " << cx << "," << cy;
        // A second frame on the same box reuses its scratch surface.
        box.render(fast, wiring.fns(), wiring.ins());
        chooseKernels(SimdLevel::Plain);
        BoxRadialBlur().render(plain, wiring.fns(), wiring.ins());
        ASSERT_EQ(snapshot(fast), snapshot(plain)) << "second frame, centre " << cx << "," << cy;
    }
}

// --- Node grid blocks -----------------------------------------------------------

// Random node values, light far outside 0..65535 included, through both source
// layouts, against the plain block drawing.
TEST_P(FastPaths, NodeGridBlocksMatchPlainDrawing) {
    Surface picture, texture;
    randomSurface(picture, 512, 256);
    randomSurface(texture, 256, 256);
    auto grid = std::make_unique<NodeGrid>();
    for (int trial = 0; trial < 6; ++trial) {
        for (int n = 0; n < NodeGrid::kNodes; ++n) {
            grid->gridU[n] = static_cast<int32_t>(rng());
            grid->gridV[n] = trial % 2 ? static_cast<int32_t>(rng()) : static_cast<int32_t>(rng() % (256 << 16));
            grid->gridLight[n] = trial < 3 ? static_cast<int32_t>(rng() % 65536) : static_cast<int32_t>(rng());
        }
        chooseKernels(fastLevel());
        std::vector<uint32_t> fast(512 * 256), plain(512 * 256);
        drawNodeGridBlocksFast(*grid, fast.data(), BlockSource{picture.pixels, 15, 511, 9, 255});
        const uint32_t* p = picture.pixels;
        drawNodeGridBlocks(*grid, plain.data(), [p](int32_t u, int32_t v) {
            return p[((v >> 16) & 255) * 512 + ((u >> 15) & 511)];
        });
        ASSERT_EQ(fast, plain) << "picture layout, trial " << trial;
        drawNodeGridBlocksFast(*grid, fast.data(), BlockSource{texture.pixels, 16, 255, 8, 255});
        const uint32_t* t = texture.pixels;
        drawNodeGridBlocks(*grid, plain.data(), [t](int32_t u, int32_t v) {
            return t[((v >> 16) & 255) * 256 + ((u >> 16) & 255)];
        });
        ASSERT_EQ(fast, plain) << "texture layout, trial " << trial;
    }
}

TEST_P(FastPaths, DeformationMatchesPlain) {
    Surface input, plain, fast;
    randomSurface(input, 512, 256);
    for (int trial = 0; trial < 10; ++trial) {
        // Phases, strengths outside 0..1 (negative and huge light), scales.
        const float a = uniform(-20.0f, 20.0f), b = uniform(-0.5f, 3.0f), c = uniform(0.1f, 4.0f);
        randomSurface(plain, 512, 256);
        fast.allocate(512, 256);
        std::copy(plain.pixels, plain.pixels + plain.pixelCount(), fast.pixels);
        Wiring plainLine({a, b, c, 1.0f, 1.0f}, {&input});
        chooseKernels(SimdLevel::Plain);
        auto box = std::make_unique<BoxDeformation>();
        box->render(plain, plainLine.fns(), plainLine.ins());
        chooseKernels(fastLevel());
        box->render(fast, plainLine.fns(), plainLine.ins());
        ASSERT_EQ(snapshot(fast), snapshot(plain)) << a << " " << b << " " << c;
        // Drawn onto itself: blocks read what earlier blocks wrote.
        Wiring selfPlain({a, b, c, 1.0f, 1.0f}, {&plain}), selfFast({a, b, c, 1.0f, 1.0f}, {&fast});
        chooseKernels(SimdLevel::Plain);
        box->render(plain, selfPlain.fns(), selfPlain.ins());
        chooseKernels(fastLevel());
        box->render(fast, selfFast.fns(), selfFast.ins());
        ASSERT_EQ(snapshot(fast), snapshot(plain)) << "in place " << a << " " << b << " " << c;
    }
}

// The camera records carry over between frames, so each path runs the same
// sequence of times from the all-zero start.
template <class Box>
void expectRayCastMatchesPlain(SimdLevel level, const std::vector<float>& times, const Surface& texture) {
    std::vector<std::vector<uint32_t>> frames[2];
    for (int pass = 0; pass < 2; ++pass) {
        chooseKernels(pass == 0 ? SimdLevel::Plain : level);
        auto box = std::make_unique<Box>();  // with a camera record of its own
        Surface out;
        out.allocate(512, 256);
        out.clear();
        for (float t : times) {
            Wiring line({t, 1.0f, 1.0f}, {const_cast<Surface*>(&texture)});
            box->render(out, line.fns(), line.ins());
            frames[pass].push_back(snapshot(out));
        }
    }
    for (size_t k = 0; k < times.size(); ++k) ASSERT_EQ(frames[1][k], frames[0][k]) << "time " << times[k];
}

TEST_P(FastPaths, RayCastBoxesMatchPlain) {
    Surface texture;
    randomSurface(texture, 256, 256);
    std::vector<float> times = {0.0f, 0.02f, 3.5f, -12.25f, 400.0f};
    for (int k = 0; k < 5; ++k) times.push_back(uniform(-100.0f, 1000.0f));
    expectRayCastMatchesPlain<BoxFDBoule>(fastLevel(), times, texture);
    expectRayCastMatchesPlain<BoxFDVoxel>(fastLevel(), times, texture);
}

// --- Compositing ------------------------------------------------------------------

// One operation applied at Plain and at `level` to the same start.
template <class Op>
void expectSameAsPlain(SimdLevel level, const Surface& start, Op op, const char* what) {
    Surface plain, fast;
    plain.allocate(start.width, start.height);
    std::copy(start.pixels, start.pixels + start.pixelCount(), plain.pixels);
    fast.allocate(start.width, start.height);
    std::copy(start.pixels, start.pixels + start.pixelCount(), fast.pixels);
    chooseKernels(SimdLevel::Plain);
    op(plain);
    chooseKernels(level);
    op(fast);
    ASSERT_EQ(snapshot(fast), snapshot(plain)) << what;
}

TEST_P(FastPaths, WholeSurfaceOperationsMatchPlain) {
    const SimdLevel level = fastLevel();
    Surface start;
    for (int trial = 0; trial < 6; ++trial) {
        // Odd sizes leave tails after the vector bodies.
        randomSurface(start, 512 - trial * 7, 256 - trial * 3);
        const int32_t amount = trial < 4 ? static_cast<int32_t>(rng() % 256) : static_cast<int32_t>(rng());
        expectSameAsPlain(level, start, [](Surface& s) { s.invert(); }, "invert");
        expectSameAsPlain(level, start, [amount](Surface& s) { s.darken(amount); }, "darken");
        expectSameAsPlain(level, start, [amount](Surface& s) { s.brighten(amount); }, "brighten");
        expectSameAsPlain(level, start, [amount](Surface& s) { s.multiply(amount); }, "multiply");
    }
}

TEST_P(FastPaths, UnscaledDrawingMatchesPlain) {
    const SimdLevel level = fastLevel();
    Surface start, source;
    for (int trial = 0; trial < 40; ++trial) {
        randomSurface(start, 512, 256);
        randomSurface(source, 1 + static_cast<int32_t>(rng() % 600), 1 + static_cast<int32_t>(rng() % 300));
        const int32_t x = static_cast<int32_t>(rng() % 700) - 350, y = static_cast<int32_t>(rng() % 400) - 200;
        const int32_t factor = trial % 5 == 4 ? static_cast<int32_t>(rng() % 1000) : static_cast<int32_t>(rng() % 256);
        const Surface& src = source;
        expectSameAsPlain(level, start, [&](Surface& d) { d.blit(src, x, y, Blend::Put); }, "blit");
        expectSameAsPlain(level, start, [&](Surface& d) { d.blit(src, x, y, Blend::Add); }, "blitAdd");
        expectSameAsPlain(level, start, [&](Surface& d) { d.blit(src, x, y, Blend::Scaled, factor); }, "blitScaled");
        expectSameAsPlain(level, start, [&](Surface& d) { d.blit(src, x, y, Blend::AddScaled, factor); }, "blitAddScaled");
        expectSameAsPlain(level, start, [&](Surface& d) { d.drawCentered(src, x + 256, y + 128, 1.0f, Blend::Add); }, "centred");
    }
}

TEST_P(FastPaths, StretchedAndZoomedDrawingMatchesPlain) {
    const SimdLevel level = fastLevel();
    Surface start, source;
    for (int trial = 0; trial < 40; ++trial) {
        randomSurface(start, 512, 256);
        randomSurface(source, 1 + static_cast<int32_t>(rng() % 512), 1 + static_cast<int32_t>(rng() % 256));
        auto coordinate = [&](int32_t span) { return static_cast<int32_t>(rng() % (3 * span)) - span; };
        const auto inSource = [&](int32_t span) { return static_cast<int32_t>(rng() % span); };
        // Every other source rectangle reaches past the source: those samples are skipped.
        auto sourceX = [&] { return trial % 2 ? inSource(source.width) : coordinate(source.width / 2 + 1); };
        auto sourceY = [&] { return trial % 2 ? inSource(source.height) : coordinate(source.height / 2 + 1); };
        const int32_t sx0 = sourceX(), sx1 = sourceX(), sy0 = sourceY(), sy1 = sourceY();
        const int32_t dx0 = coordinate(512), dx1 = coordinate(512), dy0 = coordinate(256), dy1 = coordinate(256);
        const int32_t factor = static_cast<int32_t>(rng() % 1000);
        const float zoom = uniform(0.05f, 3.0f);
        const int32_t cx = coordinate(512), cy = coordinate(256);
        const Surface& s = source;
        expectSameAsPlain(level, start, [&](Surface& d) { d.stretch(s, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, Blend::Put); },
                          "stretchBlit");
        expectSameAsPlain(
            level, start, [&](Surface& d) { d.stretch(s, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, Blend::Add); },
            "stretchBlitAdd");
        expectSameAsPlain(
            level, start, [&](Surface& d) { d.stretch(s, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, Blend::Scaled, factor); },
            "stretchBlitScaled");
        auto addScaled = [&](Surface& d) { d.stretch(s, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, Blend::AddScaled, factor); };
        expectSameAsPlain(level, start, addScaled, "stretchBlitAddScaled");
        expectSameAsPlain(level, start, [&](Surface& d) { d.drawZoomed(s, cx, cy, zoom, Blend::Put); }, "drawZoomed");
        expectSameAsPlain(level, start, [&](Surface& d) { d.drawZoomed(s, cx, cy, zoom, Blend::Add); }, "drawZoomedAdd");
        expectSameAsPlain(level, start, [&](Surface& d) { d.drawZoomed(s, cx, cy, zoom, Blend::AddScaled, factor); },
                          "drawZoomedAddScaled");
    }
}

// Slow steps through columns and rows left, right, above and below the source:
// whole vectors of samples fall just outside it and must be skipped.
TEST_P(FastPaths, StretchingAcrossTheSourceEdgesMatchesPlain) {
    const SimdLevel level = fastLevel();
    Surface start, source;
    randomSurface(source, 40, 30);
    const int32_t rects[][4] = {{-3, 0, 10, 29}, {36, -2, 44, 31}, {-6, -6, 45, 35}, {10, 5, -4, -3}, {45, 0, 30, 29}};
    for (const auto& r : rects) {
        randomSurface(start, 512, 256);
        expectSameAsPlain(
            level, start, [&](Surface& d) { d.stretch(source, r[0], r[1], r[2], r[3], 0, 0, 300, 200, Blend::Add); },
            "stretchBlitAdd");
        expectSameAsPlain(
            level, start, [&](Surface& d) { d.stretch(source, r[0], r[1], r[2], r[3], 5, 7, 511, 250, Blend::Put); },
            "stretchBlit");
    }
}

// A surface drawn onto itself: pixels are read after earlier ones were written.
TEST_P(FastPaths, DrawingOntoItselfMatchesPlain) {
    const SimdLevel level = fastLevel();
    Surface start;
    for (int trial = 0; trial < 10; ++trial) {
        randomSurface(start, 512, 256);
        const int32_t x = static_cast<int32_t>(rng() % 40) - 20, y = static_cast<int32_t>(rng() % 6) - 3;
        expectSameAsPlain(level, start, [&](Surface& d) { d.blit(d, x, y, Blend::Add); }, "self blitAdd");
        expectSameAsPlain(level, start, [&](Surface& d) { d.blit(d, x, y, Blend::Put); }, "self blit");
        expectSameAsPlain(level, start, [&](Surface& d) { d.drawZoomed(d, 250 + x, 130 + y, 1.1f, Blend::Add); },
                               "self drawZoomedAdd");
    }
}

std::string levelName(const ::testing::TestParamInfo<SimdLevel>& info) {
    return info.param == SimdLevel::Avx2 ? "Avx2" : "Sse2";
}

INSTANTIATE_TEST_SUITE_P(Levels, FastPaths, ::testing::Values(SimdLevel::Sse2, SimdLevel::Avx2), levelName);

}  // namespace
}  // namespace velmora
