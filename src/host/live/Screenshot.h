// Enter in the demo window: the current frame saved as grab_1.bmp, grab_2.bmp...
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "surface/Surface.h"

namespace velmora {

// The screenshots of one run of the show: the first free number from 1, so
// that nothing of an earlier run is overwritten.
class ScreenshotWriter {
public:
    ScreenshotWriter() = default;
    // Screenshots go into `folder` (empty: the working directory).
    explicit ScreenshotWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}
    // Saves the 512 by 256 frame as "grab_N.bmp" (24 bits) in the folder, N the next number whose file does not exist yet, and counts
    // on. The file appears complete or not at all (written under a temporary
    // name and renamed). A file that cannot be written is skipped with a
    // one-line warning on standard error; the number is used up all the same.
    void save(const Surface& frame);
    // The same with the screenshot's bytes already made (empty: the frame was
    // not 512 by 256).
    void save(const std::vector<uint8_t>& bmp);
    // Number the next screenshot tries first.
    int32_t nextNumber() const { return next_; }

private:
    std::filesystem::path folder_;
    int32_t next_ = 1;
};

}  // namespace velmora
