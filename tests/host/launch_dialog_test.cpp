// The launch dialog without a window: click areas, mode choice, keys, the dots
// and the three display modes.
#include <gtest/gtest.h>

#include <vector>

#include "host/live/DialogArt.h"
#include "host/live/ModeDialog.h"

using namespace velmora;

namespace {

std::vector<uint32_t> blankPicture() {
    return std::vector<uint32_t>(static_cast<size_t>(kDialogPictureWidth) * kDialogPictureHeight, 0x123456);
}

uint32_t pixel(const std::vector<uint32_t>& p, int x, int y) { return p[static_cast<size_t>(y) * kDialogPictureWidth + x]; }

DialogInput click(DialogInput::Kind kind, int x, int y) {
    DialogInput in;
    in.kind = kind;
    in.x = x;
    in.y = y;
    return in;
}

}  // namespace

TEST(LaunchDialogControls, DialogUnitsMapOntoThePicture) {
    // 134 by 74 units over 200 by 120 pixels: GO! (97,57 25x11) spans pixels 144..181 x 92..109.
    EXPECT_EQ(controlAt(144, 92), kControlGo);
    EXPECT_EQ(controlAt(181, 109), kControlGo);
    EXPECT_EQ(controlAt(143, 100), 0);
    EXPECT_EQ(controlAt(182, 100), 0);
    EXPECT_EQ(controlAt(163, 110), 0);
    // The close box in the top-right corner.
    EXPECT_EQ(controlAt(173, 0), kControlClose);
    EXPECT_EQ(controlAt(197, 18), kControlClose);
    EXPECT_EQ(controlAt(172, 5), 0);
    // The mode buttons lie over the dots and labels.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(controlAt(kModeDotX, kModeDotY[i]), kControlMode0 + i) << i;
        EXPECT_EQ(controlAt(120, kModeDotY[i]), kControlMode0 + i) << i;
    }
    EXPECT_EQ(controlAt(31, 42), kControlMode0);
    EXPECT_EQ(controlAt(30, 42), 0);
    EXPECT_EQ(controlAt(60, 49), 0);  // between two mode buttons
    EXPECT_EQ(controlAt(-1, -1), 0);
}

TEST(LaunchDialogControls, ModesSetTheDisplayFlagsOfTheTable) {
    DisplayMode m0 = displayModeFor(0), m1 = displayModeFor(1), m2 = displayModeFor(2);
    EXPECT_TRUE(m0.fullScreen && m0.lowResolution && m0.pageFlip);
    EXPECT_TRUE(m1.fullScreen && !m1.lowResolution && m1.pageFlip);
    EXPECT_TRUE(!m2.fullScreen && m2.lowResolution && !m2.pageFlip);
}

TEST(LaunchDialogBehaviour, GoWithoutChoosingStartsModeZero) {
    ModeDialog dialog;
    EXPECT_EQ(dialog.modeIndex(), 0);
    EXPECT_EQ(dialog.input(click(DialogInput::Press, 163, 100)), ModeDialog::Open);
    EXPECT_EQ(dialog.input(click(DialogInput::Release, 163, 100)), ModeDialog::Start);
    EXPECT_EQ(dialog.modeIndex(), 0);
}

TEST(LaunchDialogBehaviour, ModeButtonsChooseAndCloseBoxCloses) {
    ModeDialog dialog;
    dialog.input(click(DialogInput::Press, 60, kModeDotY[2]));
    EXPECT_EQ(dialog.input(click(DialogInput::Release, 60, kModeDotY[2])), ModeDialog::Open);
    EXPECT_EQ(dialog.modeIndex(), 2);
    EXPECT_EQ(dialog.command(kControlMode1), ModeDialog::Open);
    EXPECT_EQ(dialog.modeIndex(), 1);
    dialog.input(click(DialogInput::Press, 186, 10));
    EXPECT_EQ(dialog.input(click(DialogInput::Release, 186, 10)), ModeDialog::Closed);
}

TEST(LaunchDialogBehaviour, ClickActsOnlyWhenReleasedOverThePressedControl) {
    ModeDialog dialog;
    dialog.input(click(DialogInput::Press, 186, 10));  // on the close box
    EXPECT_EQ(dialog.input(click(DialogInput::Release, 163, 100)), ModeDialog::Open);  // released on GO!
    EXPECT_EQ(dialog.input(click(DialogInput::Release, 163, 100)), ModeDialog::Open);  // no press before
    EXPECT_EQ(dialog.input(click(DialogInput::Move, 163, 100)), ModeDialog::Open);
}

TEST(LaunchDialogBehaviour, KeysStartCloseAndChoose) {
    ModeDialog dialog;
    EXPECT_EQ(dialog.key(DialogKey::Up), ModeDialog::Open);
    EXPECT_EQ(dialog.modeIndex(), 0);  // stays at the first mode
    dialog.key(DialogKey::Down);
    dialog.key(DialogKey::Down);
    dialog.key(DialogKey::Down);
    EXPECT_EQ(dialog.modeIndex(), 2);  // stays at the last
    dialog.key(DialogKey::Up);
    EXPECT_EQ(dialog.modeIndex(), 1);
    dialog.key(DialogKey::Digit1);
    EXPECT_EQ(dialog.modeIndex(), 0);
    dialog.key(DialogKey::Digit3);
    EXPECT_EQ(dialog.modeIndex(), 2);
    dialog.key(DialogKey::Digit2);
    EXPECT_EQ(dialog.modeIndex(), 1);
    EXPECT_EQ(dialog.key(DialogKey::Other), ModeDialog::Open);
    EXPECT_EQ(dialog.key(DialogKey::Enter), ModeDialog::Start);
    EXPECT_EQ(dialog.modeIndex(), 1);
    EXPECT_EQ(dialog.key(DialogKey::Escape), ModeDialog::Closed);
    DialogInput close;
    close.kind = DialogInput::Close;
    EXPECT_EQ(dialog.input(close), ModeDialog::Closed);
}

TEST(LaunchDialogPicture, ChosenDotIsBrightAndTheOthersBlack) {
    for (int mode = 0; mode < 3; ++mode) {
        std::vector<uint32_t> p = blankPicture();
        drawModeDots(p, mode);
        for (int i = 0; i < 3; ++i) {
            uint32_t centre = pixel(p, kModeDotX, kModeDotY[i]);
            EXPECT_EQ(centre, i == mode ? 0xC8FFFFu : 0u) << "mode " << mode << " dot " << i;
        }
    }
}

TEST(LaunchDialogPicture, DotFillsItsEightPixelBoxWithABlackRim) {
    std::vector<uint32_t> p = blankPicture();
    drawDot(p, 50, 60, 0xC8FFFF);
    // The ellipse of the box (46,56)..(54,64): right and bottom edges outside.
    EXPECT_EQ(pixel(p, 50, 56), 0u);       // top rim
    EXPECT_EQ(pixel(p, 46, 60), 0u);       // left rim
    EXPECT_EQ(pixel(p, 53, 60), 0u);       // right rim
    EXPECT_EQ(pixel(p, 48, 58), 0xC8FFFFu);
    EXPECT_EQ(pixel(p, 54, 60), 0x123456u);  // outside the box
    EXPECT_EQ(pixel(p, 50, 64), 0x123456u);
    EXPECT_EQ(pixel(p, 46, 56), 0x123456u);  // corner outside the circle
    // Drawn at the picture's edge it stays inside the picture.
    drawDot(p, 0, 0, 0xFFFFFF);
    drawDot(p, kDialogPictureWidth, kDialogPictureHeight, 0xFFFFFF);
}

TEST(LaunchDialogPicture, ArtworkCarriesHeadingLabelsAndButtons) {
    std::vector<uint32_t> p = blankPicture();
    drawDialogPicture(p);
    for (uint32_t v : p) ASSERT_EQ(v & 0xFF000000u, 0u);
    // Nothing of the blank picture is left: the artwork covers it all.
    for (uint32_t v : p) ASSERT_NE(v, 0x123456u);
    // The labels are light text right of each bullet; the GO! face is green.
    for (int i = 0; i < 3; ++i) {
        int light = 0;
        for (int y = kModeDotY[i] - 3; y < kModeDotY[i] + 4; ++y)
            for (int x = 44; x < 104; ++x) light += (pixel(p, x, y) >> 8 & 0xFF) > 0xC0;
        EXPECT_GT(light, 40) << "label " << i;
    }
    const uint32_t face = pixel(p, 150, 95);
    EXPECT_GT(face >> 8 & 0xFF, face >> 16 & 0xFF);
    // Text writing stops at the picture's edge.
    EXPECT_EQ(drawText(p, 195, 115, "GO!", 0xFFFFFF, 2), 195 + 36);
}
