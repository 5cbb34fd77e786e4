// Surface: the one image type. 32-bit 0x00RRGGBB pixels, row-major, rows back to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Limits.h"

namespace velmora {

// A rectangle of pixels the drawing operations read: `height` rows of `width`
// pixels back to back. It owns nothing. A Surface is one, and so is a band of
// rows of one (a frame of the animator's strip), taken without touching the
// surface.
struct PixelView {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    size_t pixelCount() const {
        return pixels ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
    }
    // Rows first to first + count - 1, which the caller keeps inside the view.
    PixelView rows(int32_t first, int32_t count) const {
        return PixelView{pixels + static_cast<size_t>(first) * static_cast<size_t>(width), width, count};
    }
};

class Surface {
public:
    Surface() = default;
    virtual ~Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;  // points into storage

    operator PixelView() const { return PixelView{pixels, width, height}; }

    // Sizes the surface from a script parameter text: `W H` or a quoted JPEG path.
    // Invalid sizes and unreadable pictures are fatal errors. With a budget the
    // surface takes its bytes from it, and one that does not fit is refused
    // (the same fatal error, with the reason).
    void configure(std::string_view text, SurfaceBudget* budget = nullptr);
    // Decodes a JPEG file into a new pixel array; 0 on success, 1 when the file
    // is missing, too big or not colour or grey. A damaged file raises libjpeg's error.
    // 0 when read, 1 when refused; `reason` (when given) then says why.
    int loadJpeg(const char* path, const SurfaceBudget* budget = nullptr, std::string* reason = nullptr);
    void clear();

    // Gives the surface width*height pixels (not cleared). Used by the loader and tests.
    void allocate(int32_t w, int32_t h);
    // Pixels addressable from `pixels` as width*height; 0 without pixels.
    size_t pixelCount() const {
        return pixels ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
    }
    // True when the surface is exactly w by h.
    bool isSize(int32_t w, int32_t h) const { return pixels && width == w && height == h; }

    // Drawing family: the source is drawn into this surface; 0 is transparent.
    void stretchBlit(PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1,
                     int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1);
    void stretchBlitAdd(PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1,
                        int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1);
    void stretchBlitScaled(PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1,
                           int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1, int32_t factor);
    void stretchBlitAddScaled(PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1,
                              int32_t dx0, int32_t dy0, int32_t dx1, int32_t dy1, int32_t factor);
    void drawZoomed(PixelView src, int32_t cx, int32_t cy, float zoom);
    void drawZoomedAdd(PixelView src, int32_t cx, int32_t cy, float zoom);
    void drawZoomedScaled(PixelView src, int32_t cx, int32_t cy, float zoom, int32_t factor);
    void drawZoomedAddScaled(PixelView src, int32_t cx, int32_t cy, float zoom, int32_t factor);
    void blit(PixelView src, int32_t x, int32_t y);
    void blitAdd(PixelView src, int32_t x, int32_t y);
    void blitScaled(PixelView src, int32_t x, int32_t y, int32_t factor);
    void blitAddScaled(PixelView src, int32_t x, int32_t y, int32_t factor);
    void drawCentered(PixelView src, int32_t cx, int32_t cy);
    void drawCenteredAdd(PixelView src, int32_t cx, int32_t cy);
    void drawCenteredScaled(PixelView src, int32_t cx, int32_t cy, int32_t factor);
    void drawCenteredAddScaled(PixelView src, int32_t cx, int32_t cy, int32_t factor);

    // Whole-surface operations.
    void invert();
    void darken(int32_t amount);
    void brighten(int32_t amount);
    void multiply(int32_t factor);
    void copyFrom(const Surface& src);

private:
    std::vector<uint32_t> storage_;
};

}  // namespace velmora
