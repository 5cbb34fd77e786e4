// The frame counter: frames per second over the last second, and its box drawn
// into a copy of the frame with any row pitch, touching nothing else.
#include <gtest/gtest.h>

#include <vector>

#include "host/FrameCounter.h"

using namespace velmora;

namespace {

constexpr uint32_t kBackground = 0x123456;

// A 512x256 copy whose rows are `pitch` pixels apart.
struct Copy {
    int pitch;
    std::vector<uint32_t> pixels;
    explicit Copy(int p) : pitch(p), pixels(static_cast<size_t>(p) * 256, kBackground) {}
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * pitch + x]; }
    // Columns of the box, measured on its first row.
    int boxWidth() const {
        int w = 0;
        while (at(kCounterX + w, kCounterY) != kBackground) ++w;
        return w;
    }
};

}  // namespace

TEST(FrameRateMeter, CountsTheFramesOfTheLastWholeSecond) {
    FrameRateMeter meter;
    EXPECT_EQ(meter.perSecond(), 0);
    for (int i = 0; i < 50; ++i) meter.frame(100.0 + i * 0.02);
    EXPECT_EQ(meter.perSecond(), 0);  // not a whole second yet
    meter.frame(101.0);
    EXPECT_EQ(meter.perSecond(), 50);

    // The next second is slower: 10 frames.
    for (int i = 1; i <= 9; ++i) meter.frame(101.0 + i * 0.1);
    EXPECT_EQ(meter.perSecond(), 50);  // held until that second is complete
    meter.frame(102.0 + 1e-9);
    EXPECT_EQ(meter.perSecond(), 10);

    // A long stall counts as what it was: 1 frame in 4 seconds rounds to 0.
    meter.frame(106.0);
    EXPECT_EQ(meter.perSecond(), 0);
}

TEST(FrameRateMeter, ClockGoingBackStartsTheMeasureAgain) {
    FrameRateMeter meter;
    meter.frame(50.0);
    meter.frame(10.0);  // back: a new start, not a negative second
    for (int i = 1; i <= 30; ++i) meter.frame(10.0 + i / 30.0);
    EXPECT_EQ(meter.perSecond(), 30);
}

TEST(FrameCounterDrawing, BoxWithTextInTheCornerAndNothingElseTouched) {
    for (int pitch : {512, 640}) {
        Copy copy(pitch);
        drawFrameCounter(copy.pixels.data(), pitch, 60);
        const int width = copy.boxWidth();
        EXPECT_GT(width, 40) << pitch;
        int text = 0, black = 0, changedOutside = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < pitch; ++x) {
                const bool inBox = x >= kCounterX && x < kCounterX + width && y >= kCounterY &&
                                   y < kCounterY + kCounterHeight;
                const uint32_t v = copy.at(x, y);
                if (!inBox) changedOutside += v != kBackground;
                else if (v == 0) ++black;
                else ++text;
            }
        EXPECT_EQ(changedOutside, 0) << pitch;
        EXPECT_GT(text, 60) << pitch;  // "60 fps": four glyphs' worth of doubled pixels
        EXPECT_GT(black, text) << pitch;
    }

    // A huge number is shown as at most 99999 and its box stays in the frame.
    Copy big(512);
    drawFrameCounter(big.pixels.data(), 512, 123456789);
    EXPECT_LE(kCounterX + big.boxWidth(), 512);
    // Without pixels, or with rows shorter than the frame, nothing is drawn.
    drawFrameCounter(nullptr, 512, 60);
    Copy narrow(300);
    drawFrameCounter(narrow.pixels.data(), 300, 60);
    EXPECT_EQ(narrow.boxWidth(), 0);
}

