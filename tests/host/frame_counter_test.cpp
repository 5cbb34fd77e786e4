// The frame counter: frames per second over the last second, the music position
// and the frame-rate cap; the boxes drawn
// into a copy of the frame with any row pitch, touching nothing else.
#include <gtest/gtest.h>

#include <vector>

#include "host/live/FrameCounter.h"

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


TEST(FrameCounterDrawing, MusicPositionGoesInASecondBoxUnderTheCounter) {
    Copy copy(600);
    drawMusicPosition(copy.pixels.data(), 600, 3, 17, 65.5);
    int text = 0, changedOutside = 0, inCounterBox = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 600; ++x) {
            const uint32_t v = copy.at(x, y);
            const bool inBox = y >= kPositionY && y < kPositionY + kCounterHeight && x >= kCounterX && x < 512;
            if (!inBox) changedOutside += v != kBackground;
            else text += v == kCounterColour;
            inCounterBox += y < kPositionY && v != kBackground;
        }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_EQ(inCounterBox, 0);
    EXPECT_GT(text, 200);  // "order 3 row 17 01:05.50"
    // Longer numbers give a wider box, which stays in the frame.
    Copy wide(512);
    drawMusicPosition(wide.pixels.data(), 512, 65535, 255, 5999.0);
    int widest = 0;
    while (kCounterX + widest < 512 && wide.at(kCounterX + widest, kPositionY) != kBackground) ++widest;
    int narrow = 0;
    while (copy.at(kCounterX + narrow, kPositionY) != kBackground) ++narrow;
    EXPECT_GT(widest, narrow);
}

TEST(FrameCounterDrawing, ShowTimeIsMinutesSecondsAndHundredths) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0.0, "00:00.00"},   {65.5, "01:05.50"}, {7.25, "00:07.25"},  {599.999, "09:59.99"},
                 {-3.0, "00:00.00"},  {1e9, "99:59.99"},  {3600.5, "60:00.50"}};
    for (const auto& c : cases) EXPECT_EQ(formatShowTime(c.seconds), c.text) << c.seconds;
}

TEST(FramePacer, FramesStartAPeriodApartAndLateFramesAreNotMadeUp) {
    FramePacer pacer(50.0);  // 20 ms
    EXPECT_DOUBLE_EQ(pacer.delayAfterFrame(10.0), 0.0);        // the first frame starts the measure
    EXPECT_NEAR(pacer.delayAfterFrame(10.005), 0.015, 1e-9);   // 5 ms of work: wait 15
    EXPECT_NEAR(pacer.delayAfterFrame(10.030), 0.010, 1e-9);   // next started at 10.020
    EXPECT_DOUBLE_EQ(pacer.delayAfterFrame(10.100), 0.0);      // late: go at once
    EXPECT_NEAR(pacer.delayAfterFrame(10.101), 0.019, 1e-9);   // measured from the late start, no burst
    // A display that waits for its refresh itself: frames a period apart need no wait.
    FramePacer vsynced(60.0);
    double t = 5.0;
    vsynced.delayAfterFrame(t);
    for (int i = 0; i < 10; ++i) EXPECT_LT(vsynced.delayAfterFrame(t += 1.0 / 59.5), 1e-9) << i;
    // A clock that goes back never asks for more than one period.
    EXPECT_LE(pacer.delayAfterFrame(1.0), 0.02);
}
