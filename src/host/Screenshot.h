// Enter in the demo window: the current frame saved as grab_1.bmp, grab_2.bmp...
#pragma once

#include <cstdint>

#include "surface/Surface.h"

namespace velmora {

// Number of the next screenshot file; 1 when the program starts.
extern int32_t screenshotCounter;

// Saves the 512 by 256 frame as "grab_N.bmp" (24 bits) in the working directory
// and counts on. A file that cannot be created is skipped with a one-line
// warning on standard error; the number is used up all the same.
void saveScreenshot(const Surface& frame);

}  // namespace velmora
