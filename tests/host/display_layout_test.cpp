// Where the frame lands: the canvas of each mode and its place, fitted or at
// whole factors, on other screens and windows.
#include <gtest/gtest.h>

#include "host/live/ModeDialog.h"
#include "platform/Display.h"

using namespace velmora;

TEST(DisplayLayout, FrameSitsWhereEachModePutsIt) {
    CanvasLayout big = canvasLayout(displayModeFor(1));
    EXPECT_EQ(big.width, 640);
    EXPECT_EQ(big.height, 480);
    EXPECT_EQ(big.frameX, 64);
    EXPECT_EQ(big.frameY, 112);
    CanvasLayout low = canvasLayout(displayModeFor(0));
    EXPECT_EQ(low.width, 512);
    EXPECT_EQ(low.height, 384);
    EXPECT_EQ(low.frameX, 0);
    EXPECT_EQ(low.frameY, 64);
    CanvasLayout window = canvasLayout(displayModeFor(2));
    EXPECT_EQ(window.width, 512);
    EXPECT_EQ(window.height, 256);
    EXPECT_EQ(window.frameX, 0);
    EXPECT_EQ(window.frameY, 0);
}

TEST(DisplayLayout, ScreenOfTheCanvasSizeShowsItOneToOne) {
    PixelRect r = frameRectOnOutput(canvasLayout(displayModeFor(1)), 640, 480);
    EXPECT_EQ(r.x, 64);
    EXPECT_EQ(r.y, 112);
    EXPECT_EQ(r.w, 512);
    EXPECT_EQ(r.h, 256);
    r = frameRectOnOutput(canvasLayout(displayModeFor(0)), 512, 384);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 64);
    EXPECT_EQ(r.w, 512);
    EXPECT_EQ(r.h, 256);
}

TEST(DisplayLayout, WideScreenGetsBarsLeftAndRight) {
    // 1920x1080: 640x480 scaled by 2.25 to 1440x1080, 240 pixels of bar each side.
    PixelRect r = frameRectOnOutput(canvasLayout(displayModeFor(1)), 1920, 1080);
    EXPECT_EQ(r.x, 240 + 144);
    EXPECT_EQ(r.y, 252);
    EXPECT_EQ(r.w, 1152);
    EXPECT_EQ(r.h, 576);
    // 512x384 doubled on 1024x768 fills it; the frame is rows 128 to 639.
    r = frameRectOnOutput(canvasLayout(displayModeFor(0)), 1024, 768);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 128);
    EXPECT_EQ(r.w, 1024);
    EXPECT_EQ(r.h, 512);
}

TEST(DisplayLayout, ResizedWindowKeepsTheFrameAspect) {
    const CanvasLayout window = canvasLayout(displayModeFor(2));
    PixelRect r = frameRectOnOutput(window, 1024, 1024);  // tall: bars above and below
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.w, 1024);
    EXPECT_EQ(r.h, 512);
    EXPECT_EQ(r.y, 256);
    r = frameRectOnOutput(window, 2000, 256);  // wide: bars left and right
    EXPECT_EQ(r.w, 512);
    EXPECT_EQ(r.h, 256);
    EXPECT_EQ(r.x, 744);
    r = frameRectOnOutput(window, 0, 300);  // minimised: nothing to draw
    EXPECT_EQ(r.w, 0);
    EXPECT_EQ(r.h, 0);
}

// Whole factors: each mode's canvas, and the window's 512x256, on screens and
// windows of several sizes; the frame keeps its place in the canvas, scaled.
TEST(DisplayLayout, IntegerScaleTakesTheLargestWholeFactorThatFitsCentredOnBlack) {
    const struct {
        int mode, outputWidth, outputHeight;
        PixelRect frame;
    } cases[] = {
        // 512x384: canvas at (0,64) doubled, tripled...; leftover split evenly.
        {0, 512, 384, {0, 64, 512, 256}},
        {0, 1024, 768, {0, 128, 1024, 512}},
        {0, 1920, 1080, {448, 284, 1024, 512}},  // 2x: 1024x768 at (448,156), frame 128 rows down
        {0, 2560, 1440, {512, 336, 1536, 768}},  // 3x: 1536x1152 at (512,144)
        // 640x480: frame at (64,112) in the canvas.
        {1, 640, 480, {64, 112, 512, 256}},
        {1, 1024, 768, {256, 256, 512, 256}},  // 1x: canvas at (192,144)
        {1, 1920, 1080, {448, 284, 1024, 512}},  // 2x: canvas at (320,60)
        {1, 3840, 2160, {896, 568, 2048, 1024}},  // 4x: canvas at (640,120)
        // The window: its 512x256 client area, resized or maximised.
        {2, 512, 256, {0, 0, 512, 256}},
        {2, 1024, 512, {0, 0, 1024, 512}},
        {2, 1023, 700, {255, 222, 512, 256}},  // not quite 2x wide: stays 1x
        {2, 1920, 1057, {192, 144, 1536, 768}},
        {2, 700, 300, {94, 22, 512, 256}},
    };
    for (const auto& c : cases) {
        const PixelRect r = integerFrameRect(canvasLayout(displayModeFor(c.mode)), c.outputWidth, c.outputHeight);
        EXPECT_EQ(r.x, c.frame.x) << c.mode << " " << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(r.y, c.frame.y) << c.mode << " " << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(r.w, c.frame.w) << c.mode << " " << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(r.h, c.frame.h) << c.mode << " " << c.outputWidth << "x" << c.outputHeight;
    }
    // Smaller than the canvas: no whole factor fits, so it is fitted as before;
    // nothing at all to draw into stays nothing.
    const CanvasLayout window = canvasLayout(displayModeFor(2));
    const PixelRect shrunk = integerFrameRect(window, 256, 256);
    const PixelRect fitted = frameRectOnOutput(window, 256, 256);
    EXPECT_EQ(shrunk.x, fitted.x);
    EXPECT_EQ(shrunk.y, fitted.y);
    EXPECT_EQ(shrunk.w, 256);
    EXPECT_EQ(shrunk.h, 128);
    EXPECT_EQ(integerFrameRect(window, 0, 300).w, 0);
}
