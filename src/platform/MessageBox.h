// Error message boxes with no owner window, for fatal and non-fatal reports.
#pragma once

namespace velmora {

// False when boxes must not be shown: --no-message-box (disableMessageBoxes) or
// VELMORA_NO_MESSAGE_BOX (automated runs), or no display a box could appear on.
bool messageBoxesAllowed();
// From now on no box is shown: the text on standard error is all.
void disableMessageBoxes();

// Shows a modal box with the error icon and waits for it to be dismissed.
// Does nothing when boxes are not allowed or cannot be shown.
void showErrorBox(const char* title, const char* message);

}  // namespace velmora
