// The screenshot action: pack the frame to 3-byte pixels and write the BMP
// under the next free number, complete or not at all.
#include "host/Screenshot.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/FrameGeometry.h"
#include "surface/Bmp.h"

namespace velmora {

namespace {

std::string grabName(int32_t number) { return "grab_" + std::to_string(number) + ".bmp"; }

// Writes the BMP under a temporary name beside `name`, then renames it: a
// failed write never leaves a partial file under the screenshot's name.
bool writeBmpThenRename(const std::string& name, const uint8_t* data) {
    const std::string partial = name + ".part";
    if (writeBmp(partial.c_str(), data, kFrameWidth, kFrameHeight, 24, nullptr) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    if (std::rename(partial.c_str(), name.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace

void ScreenshotWriter::save(const Surface& frame) {
    std::vector<uint8_t> buffer(0x80000);
    // Only a frame of the screenshot's size is packed; anything else would be
    // read past its end.
    const bool whole = frame.isSize(kFrameWidth, kFrameHeight);
    if (whole) packPixels24(frame.pixels, buffer.data(), kFramePixels);

    // Never over an earlier screenshot: numbers that exist by now are skipped
    // (the first save of a run starts from 1, so it finds the first free one).
    // A name that cannot be looked at counts as free: the write reports it.
    std::error_code error;
    while (std::filesystem::exists(grabName(next_), error)) ++next_;
    const std::string name = grabName(next_);
    ++next_;
    if (!whole) {
        std::fprintf(stderr, "velmora: %s not saved: the frame is not 512x256\n", name.c_str());
        return;
    }
    if (!writeBmpThenRename(name, buffer.data()))
        std::fprintf(stderr, "velmora: cannot write %s, screenshot skipped\n", name.c_str());
}

}  // namespace velmora
