// The show's frames in the encoders' YUV 4:2:0 (BT.709, limited range) at the
// video's layout. At whole even scales the frame is converted at its own size
// and the planes are scaled: each source pixel then owns whole chroma samples,
// so the result is the conversion of the scaled frame for a quarter of the
// work. Other layouts are scaled in RGB and converted whole.
#pragma once

#include <cstdint>
#include <vector>

#include "video/FrameLayout.h"

struct SwsContext;

namespace velmora {

class FrameConverter {
public:
    enum class Method { Fastest, WholeFrame };

    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Sets up for sourceWidth x sourceHeight frames placed by `layout` (even
    // width and height), scaled smoothly when `smooth`. False when the
    // libraries are out of memory.
    bool open(int sourceWidth, int sourceHeight, const FrameLayout& layout, bool smooth,
              Method method = Method::Fastest);
    // True when open chose the plane scaling.
    bool scalesPlanes() const { return sourceToYuv_ != nullptr; }
    // Writes the frame of 0x00RRGGBB pixels into the Y, U and V planes.
    void convert(const uint32_t* pixels, uint8_t* const planes[3], const int strides[3]);

private:
    void convertPlanes(const uint32_t* pixels, uint8_t* const planes[3], const int strides[3]);
    void convertWhole(const uint32_t* pixels, uint8_t* const planes[3], const int strides[3]);

    int sourceWidth_ = 0, sourceHeight_ = 0;
    FrameLayout layout_;
    SwsContext* sourceToYuv_ = nullptr;   // plane scaling: source to YUV 4:4:4 at its own size
    std::vector<uint8_t> sourceYuv_;      // its three planes, one after the other
    uint8_t black_[3] = {};               // Y, U, V of the border
    SwsContext* smoothScaler_ = nullptr;  // whole frame: source to picture rectangle, bicubic
    SwsContext* frameToYuv_ = nullptr;    // whole frame: frame to 4:2:0
    std::vector<uint32_t> canvas_;        // whole frame: the frame in RGB, black around the picture
};

}  // namespace velmora
