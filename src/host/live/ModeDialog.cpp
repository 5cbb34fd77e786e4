// The launch dialog: controls, mode choice and its modal loop.
#include "host/live/ModeDialog.h"

#include <vector>

namespace velmora {

namespace {

struct Control {
    int id;
    int x, y, w, h;  // dialog units
};
constexpr Control kControls[] = {
    {kControlClose, 116, 0, 17, 12}, {kControlGo, 97, 57, 25, 11},   {kControlMode0, 21, 22, 72, 7},
    {kControlMode1, 21, 32, 72, 7},  {kControlMode2, 21, 41, 72, 7},
};
constexpr int kUnitsWide = 134;
constexpr int kUnitsHigh = 74;

}  // namespace

int controlAt(int x, int y) {
    for (const Control& c : kControls) {
        // Edges in picture pixels, rounded down; the right and bottom are outside.
        const int x0 = c.x * kDialogPictureWidth / kUnitsWide;
        const int x1 = (c.x + c.w) * kDialogPictureWidth / kUnitsWide;
        const int y0 = c.y * kDialogPictureHeight / kUnitsHigh;
        const int y1 = (c.y + c.h) * kDialogPictureHeight / kUnitsHigh;
        if (x >= x0 && x < x1 && y >= y0 && y < y1) return c.id;
    }
    return 0;
}

DisplayMode displayModeFor(int modeIndex) {
    switch (modeIndex) {
    case 0:
        return DisplayMode{true, true, true};
    case 1:
        return DisplayMode{true, false, true};
    default:
        return DisplayMode{false, true, false};
    }
}

ModeDialog::Outcome ModeDialog::command(int control) {
    switch (control) {
    case kControlGo:
        return Start;
    case kControlClose:
        return Closed;
    case kControlMode0:
    case kControlMode1:
    case kControlMode2:
        modeIndex_ = control - kControlMode0;
        return Open;
    default:
        return Open;
    }
}

ModeDialog::Outcome ModeDialog::input(const DialogInput& in) {
    switch (in.kind) {
    case DialogInput::Press:
        pressed_ = controlAt(in.x, in.y);
        return Open;
    case DialogInput::Release: {
        const int control = controlAt(in.x, in.y);
        const bool same = control != 0 && control == pressed_;
        pressed_ = 0;
        return same ? command(control) : Open;
    }
    case DialogInput::Key:
        return key(in.key);
    case DialogInput::Close:
        return Closed;
    default:
        return Open;
    }
}

ModeDialog::Outcome ModeDialog::key(DialogKey key) {
    switch (key) {
    case DialogKey::Enter:
        return Start;
    case DialogKey::Escape:
        return Closed;
    case DialogKey::Up:
        if (modeIndex_ > 0) --modeIndex_;
        return Open;
    case DialogKey::Down:
        if (modeIndex_ < 2) ++modeIndex_;
        return Open;
    case DialogKey::Digit1:
    case DialogKey::Digit2:
    case DialogKey::Digit3:
        modeIndex_ = static_cast<int>(key) - static_cast<int>(DialogKey::Digit1);
        return Open;
    default:
        return Open;
    }
}

void ModeDialog::draw(DialogPicture picture) const {
    drawDialogPicture(picture);
    drawModeDots(picture, modeIndex_);
}

int runLaunchDialog() {
    DialogWindow window;
    if (!window.open("Velmora - Video Mode", kDialogPictureWidth, kDialogPictureHeight)) return 0;
    ModeDialog dialog;
    const size_t size = static_cast<size_t>(kDialogPictureWidth) * kDialogPictureHeight;
    std::vector<uint32_t> background(size);
    drawDialogPicture(background);
    std::vector<uint32_t> picture(background);
    auto redraw = [&] {
        picture = background;
        drawModeDots(picture, dialog.modeIndex());
        window.show(picture.data());
    };
    redraw();
    for (;;) {
        const DialogInput in = window.wait(1000);
        const int before = dialog.modeIndex();
        const ModeDialog::Outcome outcome = dialog.input(in);
        if (outcome == ModeDialog::Start) return dialog.modeIndex();
        if (outcome == ModeDialog::Closed) return -1;
        // The dots follow the mode at once, and every mouse move redraws them.
        if (dialog.modeIndex() != before || in.kind == DialogInput::Move) redraw();
    }
}

}  // namespace velmora
