// Error message boxes with no owner window, for fatal and non-fatal reports.
#pragma once

namespace velmora {

// False when boxes must not be shown: VELMORA_NO_MESSAGE_BOX is set (automated
// runs), or there is no display a box could appear on.
bool messageBoxesAllowed();

// Shows a modal box with the error icon and waits for it to be dismissed.
// Does nothing when boxes are not allowed or cannot be shown.
void showErrorBox(const char* title, const char* message);

}  // namespace velmora
