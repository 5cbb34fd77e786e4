// Where the frame lands: the canvas of each mode and its fit on other screens.
#include <gtest/gtest.h>

#include "host/ModeDialog.h"
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
