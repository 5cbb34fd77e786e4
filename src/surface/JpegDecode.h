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
// (including pictures larger than kMaxJpegSampleBytes). A file libjpeg refuses
// raises ShowError{StandardError, 1} with the library's message, the line its
// standard error manager would have printed before ending the process.
int decodeJpegFile(const char* path, DecodedJpeg& out);

}  // namespace velmora
