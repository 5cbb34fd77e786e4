// How the program ends on a ShowError: its text where the show always put it,
// then its exit status. Used only by the entry code.
#pragma once

#include "core/Error.h"

namespace velmora {

// Prints the error as the show always did ("FATAL ERROR: ..." on standard
// error, the mesh loader's text on standard output and then its reason, if
// any, on standard error, libjpeg's line on standard error); with
// `messageBox` a fatal error also hides the display and shows its box.
// Returns the process exit status.
int presentShowError(const ShowError& error, bool messageBox);

}  // namespace velmora
