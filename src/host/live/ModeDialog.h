// The launch dialog's behaviour: its controls and their places on the picture,
// the chosen mode and the three display modes, and the modal loop.
#pragma once

#include "host/live/DialogArt.h"
#include "platform/Display.h"
#include "platform/LaunchDialog.h"

namespace velmora {

// Control ids of the dialog.
inline constexpr int kControlGo = 1;
inline constexpr int kControlMode0 = 1011;
inline constexpr int kControlMode1 = 1012;
inline constexpr int kControlMode2 = 1013;
inline constexpr int kControlClose = 1015;

// The control under a picture pixel (the 134 by 74 unit dialog laid over the
// 200 by 120 picture), 0 for none.
int controlAt(int x, int y);

// fullScreen, lowResolution and pageFlip of mode 0 (512x384 full screen),
// 1 (640x480 full screen) or 2 (windowed).
DisplayMode displayModeFor(int modeIndex);

// The dialog procedure without a window: what commands, clicks and keys do.
class ModeDialog {
public:
    enum Outcome { Open, Start, Closed };

    int modeIndex() const { return modeIndex_; }
    // A control's command: the mode buttons choose, GO! starts, close closes.
    Outcome command(int control);
    // A button acts when released over the control it was pressed on.
    Outcome input(const DialogInput& in);
    // Enter starts, Escape closes, Up/Down and 1/2/3 choose a mode.
    Outcome key(DialogKey key);
    // The picture with the dots of the current mode.
    void draw(DialogPicture picture) const;

private:
    int modeIndex_ = 0;
    int pressed_ = 0;
};

// Runs the dialog: the chosen mode, or -1 when it was closed. Where no dialog
// can be shown the show starts in mode 0 (and the display set-up will report).
int runLaunchDialog();

}  // namespace velmora
