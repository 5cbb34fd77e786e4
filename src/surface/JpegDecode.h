// One JPEG decoding routine for everything that reads pictures: colour surfaces
// and grey-level height maps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Limits.h"
#include "core/StopCheck.h"

namespace velmora {

struct DecodedJpeg {
    int32_t width = 0, height = 0, components = 0;
    // Rows top to bottom, `components` bytes per pixel (3: R, G, B; 1: grey).
    std::vector<uint8_t> samples;
};

// 0 on success, 1 when the file cannot be opened, a buffer cannot be had, or
// the picture is larger than the limits allow (kMaxPicturePixels, and with a
// budget what the show's surfaces have left): that is seen from the header,
// before any pixel is decoded, and `refusal` says why. A file libjpeg refuses
// raises ShowError{StandardError, 1} with the library's message, the line its
// standard error manager would have printed before ending the process. A
// path that is not a regular file (a FIFO, a device) is refused without
// waiting. `stop` is asked as the file is read: LoadInterrupted when it says so.
int decodeJpegFile(const char* path, DecodedJpeg& out, const SurfaceBudget* budget = nullptr,
                   std::string* refusal = nullptr, const StopCheck* stop = nullptr);

}  // namespace velmora
