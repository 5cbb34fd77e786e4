// Enter in the demo window: the current frame saved as grab_1.bmp, grab_2.bmp...
#pragma once

#include <cstdint>

#include "surface/Surface.h"

namespace velmora {

// The screenshots of one run of the show: grab_1.bmp first.
class ScreenshotWriter {
public:
    // Saves the 512 by 256 frame as "grab_N.bmp" (24 bits) in the working
    // directory and counts on. A file that cannot be created is skipped with a
    // one-line warning on standard error; the number is used up all the same.
    void save(const Surface& frame);
    // Number of the next screenshot file.
    int32_t nextNumber() const { return next_; }

private:
    int32_t next_ = 1;
};

}  // namespace velmora
