// One JPEG decoding routine for everything that reads pictures: colour surfaces
// and grey-level height maps.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

struct DecodedJpeg {
    int32_t width = 0, height = 0, components = 0;
    // Rows top to bottom, `components` bytes per pixel (3: R, G, B; 1: grey).
    std::vector<uint8_t> samples;
};

// Largest decoded sample block accepted, so that a hostile header cannot make
// us allocate gigabytes.
inline constexpr uint64_t kMaxJpegSampleBytes = uint64_t{1} << 28;

// 0 on success, 1 when the file cannot be opened or a buffer cannot be had
// (including pictures larger than kMaxJpegSampleBytes). A damaged file is
// handled by libjpeg's standard error manager, which prints its message and
// ends the process, unless load failures are recoverable (`check`, fuzzing:
// see setLoadFailuresRecoverable), when it returns 1 instead.
int decodeJpegFile(const char* path, DecodedJpeg& out);

}  // namespace velmora
