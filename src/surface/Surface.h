// Surface: the one image type. 32-bit 0x00RRGGBB pixels, row-major, rows back to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Limits.h"
#include "core/StopCheck.h"
#include "surface/Blend.h"

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
    ~Surface() = default;
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
    // `stop` is asked while a picture is decoded (LoadInterrupted when it says so).
    void configure(std::string_view text, SurfaceBudget* budget = nullptr, const StopCheck* stop = nullptr);
    // Decodes a JPEG file into a new pixel array: 0 when read, 1 when refused
    // (missing, too big, neither colour nor grey), `reason` (when given) then
    // saying why. A damaged file throws a ShowError with libjpeg's message.
    int loadJpeg(const char* path, const SurfaceBudget* budget = nullptr, std::string* reason = nullptr,
                 const StopCheck* stop = nullptr);
    void clear();

    // Gives the surface a new array of w*h pixels, all 0 (none for a side of 0
    // or below). Used by the loader and tests.
    void allocate(int32_t w, int32_t h);
    // Pixels addressable from `pixels` as width*height; 0 without pixels.
    size_t pixelCount() const {
        return pixels ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
    }
    // True when the surface is exactly w by h.
    bool isSize(int32_t w, int32_t h) const { return pixels && width == w && height == h; }

    // Drawing: the source is drawn into this surface through `blend`; the
    // scaled blends use `factor`, the others ignore it. Source pixels of value 0
    // are transparent, and for put and add when stretched, negative ones too.

    // The source rectangle (sx0, sy0)-(sx1, sy1) stretched onto the destination
    // rectangle from (dx0, dy0) to (dx1, dy1) exclusive, in 16.16 steps that
    // advance before they read; the scaled blends use the factor's low byte.
    void stretch(PixelView src, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1, int32_t dx0,
                 int32_t dy0, int32_t dx1, int32_t dy1, Blend blend, int32_t factor = 0);
    // The whole source stretched to zoom times its size, centred at (cx, cy).
    // Stretched whatever the zoom: at 1.0 it spreads width - 1 source columns
    // over width pixels, which is how the particles draw.
    void drawZoomed(PixelView src, int32_t cx, int32_t cy, float zoom, Blend blend, int32_t factor = 0);
    // The whole source pixel for pixel with its top-left corner at (x, y); the
    // scaled blends use the whole factor.
    void blit(PixelView src, int32_t x, int32_t y, Blend blend, int32_t factor = 0);
    // The whole source centred at (cx, cy), zoom times its size: a zoom of
    // exactly 1.0 places it pixel for pixel (as blit), any other as drawZoomed.
    void drawCentered(PixelView src, int32_t cx, int32_t cy, float zoom, Blend blend,
                      int32_t factor = 0);

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
