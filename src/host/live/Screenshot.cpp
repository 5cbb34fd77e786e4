// The screenshot action: pack the frame to 3-byte pixels and write the BMP
// under the next free number, complete or not at all.
#include "host/live/Screenshot.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/AtomicFile.h"
#include "show/ScreenshotBmp.h"

namespace velmora {

namespace {

std::string grabName(const std::filesystem::path& folder, int32_t number) {
    return (folder / ("grab_" + std::to_string(number) + ".bmp")).string();
}

}  // namespace

void ScreenshotWriter::save(const Surface& frame) { save(screenshotBmp(frame)); }

void ScreenshotWriter::save(const std::vector<uint8_t>& bmp) {
    // Never over an earlier screenshot: numbers that exist by now are skipped
    // (the first save of a run starts from 1, so it finds the first free one).
    // A name that cannot be looked at counts as free: the write reports it.
    std::error_code error;
    while (std::filesystem::exists(grabName(folder_, next_), error)) ++next_;
    const std::string name = grabName(folder_, next_);
    ++next_;
    if (bmp.empty()) {
        std::fprintf(stderr, "velmora: %s not saved: the frame is not 512x256\n", name.c_str());
        return;
    }
    // Written under a temporary name and renamed: a failed write never leaves
    // a partial file under the screenshot's name.
    AtomicFile file(name);
    std::string failure;
    std::FILE* out = file.openError().empty() ? std::fopen(file.tempPath().c_str(), "wb") : nullptr;
    bool written = out && std::fwrite(bmp.data(), 1, bmp.size(), out) == bmp.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written || !file.commit(failure))
        std::fprintf(stderr, "velmora: cannot write %s, screenshot skipped\n", name.c_str());
}

}  // namespace velmora
