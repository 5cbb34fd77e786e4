// Sprite and animator boxes: placement, zoom, intensity, gates, and the
// animator's frame choice, restoring of its strip and drawing onto it.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "TestFunctions.h"
#include "TestSupport.h"
#include "boxes/SpriteBoxes.h"
#include "core/PixelMath.h"

namespace velmora {
namespace {

using testsupport::fill;
using testsupport::FixedFunction;
using testsupport::kNaN;

testsupport::RecordingReporter reporter;

constexpr uint32_t kBackground = 0x204060u;

class SpriteBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        out.allocate(512, 256);
        fill(out, kBackground);
        reporter = {};
    }

    uint32_t at(int x, int y) const { return out.pixels[y * out.width + x]; }
    // Pixels of the output that differ from the background.
    int changedCount() const {
        int n = 0;
        for (size_t i = 0; i < out.pixelCount(); ++i) n += out.pixels[i] != kBackground;
        return n;
    }

    // Sprite functions: x, y, zoom, intensity, gate; the animator adds its frame selector.
    void draw(FxBox& box, Surface& input, float x, float y, float zoom, float intensity,
              float gate = 1.0f, float frame = 0.0f) {
        FixedFunction f0{x}, f1{y}, f2{zoom}, f3{intensity}, f4{gate}, f5{frame};
        std::vector<Function*> functions{&f0, &f1, &f2, &f3, &f4, &f5};
        std::vector<Surface*> inputs{&input};
        box.render(out, functions, inputs);
    }

    Surface out;
};

// A 64x64 sprite with distinct opaque pixels and a black (transparent) column 5.
void makeSprite(Surface& s) {
    s.allocate(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            s.pixels[y * 64 + x] = x == 5 ? 0u : packRgb(x * 4 + 1, y * 4 + 1, 200);
}

TEST_F(SpriteBoxTest, PutPlacesUnscaledSpriteTopLeftAt224x96) {
    Surface sprite;
    makeSprite(sprite);
    BoxSprite box;
    ASSERT_EQ(testsupport::rejectionsOf(box, "put", reporter), 0);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, 1.0f);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 512; ++x) {
            const bool inside = x >= 224 && x < 288 && y >= 96 && y < 160;
            const uint32_t src = inside ? sprite.pixels[(y - 96) * 64 + (x - 224)] : 0u;
            ASSERT_EQ(at(x, y), src ? src : kBackground) << x << "," << y;
        }
    }
}

TEST_F(SpriteBoxTest, ZoomTwoCoversTheDoubledRectangle) {
    Surface sprite;
    sprite.allocate(64, 64);
    fill(sprite, 0x112233u);
    BoxSprite box;
    box.configure("put", reporter);
    draw(box, sprite, 256.0f, 128.0f, 2.0f, 1.0f);
    EXPECT_EQ(changedCount(), 128 * 128);
    EXPECT_EQ(at(192, 64), 0x112233u);
    EXPECT_EQ(at(319, 191), 0x112233u);
    EXPECT_EQ(at(191, 64), kBackground);
    EXPECT_EQ(at(320, 191), kBackground);
    EXPECT_EQ(at(192, 192), kBackground);
}

TEST_F(SpriteBoxTest, AddAtHalfIntensityScalesBy127) {
    Surface sprite;
    sprite.allocate(64, 64);
    fill(sprite, packRgb(255, 100, 2));
    BoxSprite box;
    box.configure("add", reporter);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, 0.5f);
    // 255*127>>8 = 126, 100*127>>8 = 49, 2*127>>8 = 0; added to 0x20, 0x40, 0x60.
    EXPECT_EQ(at(256, 128), packRgb(0x20 + 126, 0x40 + 49, 0x60));
    EXPECT_EQ(changedCount(), 64 * 64);
}

TEST_F(SpriteBoxTest, AddSaturatesAtFullIntensity) {
    Surface sprite;
    sprite.allocate(8, 8);
    fill(sprite, packRgb(250, 10, 0xA0));
    BoxSprite box;
    box.configure("add", reporter);
    draw(box, sprite, 100.0f, 100.0f, 1.0f, 1.0f);
    EXPECT_EQ(at(100, 100), packRgb(255, 0x40 + 10, 255));
}

TEST_F(SpriteBoxTest, IntensityJustBelowOneUsesFactor254) {
    Surface sprite;
    sprite.allocate(8, 8);
    fill(sprite, packRgb(200, 100, 50));
    BoxSprite box;
    box.configure("put", reporter);
    draw(box, sprite, 100.0f, 100.0f, 1.0f, 0.999f);
    EXPECT_EQ(at(100, 100), packRgb(200 * 254 >> 8, 100 * 254 >> 8, 50 * 254 >> 8));
}

TEST_F(SpriteBoxTest, IntensityAboveOneIsClampedToFactor255) {
    Surface sprite;
    sprite.allocate(8, 8);
    fill(sprite, packRgb(200, 100, 50));
    BoxSprite box;
    box.configure("put", reporter);
    draw(box, sprite, 100.0f, 100.0f, 1.0f, 1.5f);
    EXPECT_EQ(at(100, 100), packRgb(199, 99, 49));
    draw(box, sprite, 300.0f, 100.0f, 1.5f, 3.0f);
    EXPECT_EQ(at(300, 100), packRgb(199, 99, 49));
}

TEST_F(SpriteBoxTest, CentreTruncatesTowardZero) {
    Surface sprite;
    sprite.allocate(32, 4);
    fill(sprite, 0xFFFFFFu);
    BoxSprite box;
    box.configure("put", reporter);
    // Centre -10 (not -11): columns -26..5 of which 0..5 land.
    draw(box, sprite, -10.7f, 128.0f, 1.0f, 1.0f);
    EXPECT_EQ(changedCount(), 6 * 4);
    EXPECT_EQ(at(5, 127), 0xFFFFFFu);
    EXPECT_EQ(at(6, 127), kBackground);
}

TEST_F(SpriteBoxTest, GatesStopDrawing) {
    Surface sprite;
    makeSprite(sprite);
    BoxSprite box;
    box.configure("add", reporter);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, 1.0f, 0.0f);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, 1.0f, kNaN);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, 0.0f);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, -0.5f);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, kNaN);
    EXPECT_EQ(changedCount(), 0);
    draw(box, sprite, 256.0f, 128.0f, 1.0f, 1.0f, 0.001f);
    EXPECT_GT(changedCount(), 0);
}

TEST_F(SpriteBoxTest, RejectedModeReportsAndDrawsNothing) {
    Surface sprite;
    makeSprite(sprite);
    for (const char* text : {"Put", "ADD", "", "putputputputputputputputputputputput"}) {
        BoxSprite box;
        reporter.last.clear();
        EXPECT_EQ(testsupport::rejectionsOf(box, text, reporter), 1) << text;
        EXPECT_EQ(reporter.last, "ZYL_BoxSprite MODE non valide!!");
        draw(box, sprite, 256.0f, 128.0f, 1.0f, 1.0f);
    }
    EXPECT_EQ(changedCount(), 0);
}

TEST_F(SpriteBoxTest, WildPositionsAndZoomsDoNotCrash) {
    Surface sprite;
    makeSprite(sprite);
    BoxSprite box;
    box.configure("add", reporter);
    const float inf = std::numeric_limits<float>::infinity();
    for (float pos : {kNaN, inf, -inf, 3e9f, -3e9f, 2147483520.0f, -2147483520.0f})
        for (float zoom : {1.0f, 0.0f, -2.0f, kNaN, inf, 1e20f})
            draw(box, sprite, pos, pos, zoom, 0.7f);
    EXPECT_EQ(changedCount(), 0);
}

TEST_F(SpriteBoxTest, HugeZoomFillsTheFrameAndReturns) {
    // The step truncates to 0, so every drawn pixel samples the source's corner.
    Surface sprite;
    sprite.allocate(64, 64);
    fill(sprite, 0x0A0B0Cu);
    BoxSprite box;
    box.configure("put", reporter);
    draw(box, sprite, 256.0f, 128.0f, 1e6f, 1.0f);
    EXPECT_EQ(changedCount(), 512 * 256);
}

// A 64x512 strip of 16 frames, 32 rows each, frame k all of colour frameColor(k).
uint32_t frameColor(int k) { return packRgb(10 + k, 20 + k, 30 + k); }
void makeStrip(Surface& s, int frames = 16, int frameHeight = 32) {
    s.allocate(64, frames * frameHeight);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < 64; ++x) s.pixels[y * 64 + x] = frameColor(y / frameHeight);
}

TEST_F(SpriteBoxTest, AnimatorStepsThroughFrames) {
    Surface strip;
    makeStrip(strip);
    BoxAnimator box;
    ASSERT_EQ(testsupport::rejectionsOf(box, "put 32", reporter), 0);
    EXPECT_EQ(box.frameHeight, 32);
    EXPECT_EQ(box.sprite.mode, BoxSprite::kPut);
    const struct { float select; int frame; } cases[] = {
        {0.0f, 0}, {0.5f, 7}, {1.0f, 15}, {0.999f, 14}, {1.0f / 15.0f + 1e-6f, 1}};
    for (const auto& c : cases) {
        fill(out, kBackground);
        draw(box, strip, 256.0f, 128.0f, 1.0f, 1.0f, 1.0f, c.select);
        EXPECT_EQ(at(256, 128), frameColor(c.frame)) << c.select;
        // One frame tall: rows 112..143.
        EXPECT_EQ(changedCount(), 64 * 32);
        EXPECT_EQ(at(256, 111), kBackground);
        EXPECT_EQ(at(256, 143), frameColor(c.frame));
    }
}

TEST_F(SpriteBoxTest, AnimatorRestoresItsStrip) {
    Surface strip;
    makeStrip(strip);
    uint32_t* const pixels = strip.pixels;
    BoxAnimator box;
    box.configure("add 32", reporter);
    draw(box, strip, 256.0f, 128.0f, 1.0f, 1.0f, 1.0f, 0.5f);
    EXPECT_EQ(strip.height, 512);
    EXPECT_EQ(strip.width, 64);
    EXPECT_EQ(strip.pixels, pixels);
    // Also when the sprite's gate stops it.
    draw(box, strip, 256.0f, 128.0f, 1.0f, 1.0f, 0.0f, 0.5f);
    EXPECT_EQ(strip.height, 512);
    EXPECT_EQ(strip.pixels, pixels);
}

TEST_F(SpriteBoxTest, AnimatorDrawnOntoItsOwnStripDrawsWithinTheFrame) {
    // Output and input are one surface, narrowed together: frame 7 centred on
    // its own centre adds onto itself, and no other row of the strip changes.
    Surface strip;
    makeStrip(strip);
    BoxAnimator box;
    box.configure("add 32", reporter);
    FixedFunction x{32.0f}, y{16.0f}, one{1.0f}, select{0.5f};
    std::vector<Function*> functions{&x, &y, &one, &one, &one, &select};
    box.render(strip, functions, std::vector<Surface*>{&strip});
    ASSERT_EQ(strip.height, 512);
    for (int row = 0; row < 512; ++row) {
        const int k = row / 32;
        const uint32_t expected = k == 7 ? packRgb(2 * (10 + k), 2 * (20 + k), 2 * (30 + k)) : frameColor(k);
        for (int col = 0; col < 64; ++col) ASSERT_EQ(strip.pixels[row * 64 + col], expected) << col << "," << row;
    }
}

TEST_F(SpriteBoxTest, AnimatorClampsFrameToTheStrip) {
    Surface strip;
    makeStrip(strip, 3, 32);  // only frames 0..2
    BoxAnimator box;
    box.configure("put 32", reporter);
    const struct { float select; int frame; } cases[] = {
        {1.0f, 2}, {50.0f, 2}, {-1.0f, 0}, {kNaN, 0}, {1e30f, 0}, {0.1f, 1}};
    for (const auto& c : cases) {
        fill(out, kBackground);
        draw(box, strip, 256.0f, 128.0f, 1.0f, 1.0f, 1.0f, c.select);
        EXPECT_EQ(at(256, 128), frameColor(c.frame)) << c.select;
    }
}

TEST_F(SpriteBoxTest, AnimatorWithImpossibleFrameHeightDrawsNothing) {
    Surface strip;
    makeStrip(strip);
    for (const char* text : {"put 0", "put -32", "put 513", "put"}) {
        BoxAnimator box;
        EXPECT_EQ(testsupport::rejectionsOf(box, text, reporter), 0) << text;
        draw(box, strip, 256.0f, 128.0f, 1.0f, 1.0f, 1.0f, 0.5f);
        EXPECT_EQ(strip.height, 512);
    }
    EXPECT_EQ(changedCount(), 0);
}

TEST_F(SpriteBoxTest, AnimatorPassesWordToSprite) {
    BoxAnimator box;
    EXPECT_EQ(testsupport::rejectionsOf(box, "mul 32", reporter), 1);
    EXPECT_EQ(reporter.last, "ZYL_BoxSprite MODE non valide!!");
    EXPECT_EQ(box.frameHeight, 32);
    Surface strip;
    makeStrip(strip);
    draw(box, strip, 256.0f, 128.0f, 1.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(changedCount(), 0);
}

}  // namespace
}  // namespace velmora
