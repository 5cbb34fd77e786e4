// FrameConverter: libswscale for the colours, plane copies for the blocks.
#include "video/FrameConverter.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstring>

namespace velmora {

namespace {

constexpr AVPixelFormat kSourceFormat = AV_PIX_FMT_BGR0;  // 0x00RRGGBB words in memory order

// Point sampling at the same size: only the colours change. BT.709 from full
// range RGB to limited range YUV, the matrix the video is tagged with.
SwsContext* colourConverter(int width, int height, AVPixelFormat to, int extraFlags) {
    SwsContext* context =
        sws_getContext(width, height, kSourceFormat, width, height, to, SWS_POINT | extraFlags, nullptr, nullptr, nullptr);
    if (!context) return nullptr;
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(context, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return context;
}

}  // namespace

FrameConverter::~FrameConverter() {
    sws_freeContext(sourceToYuv_);
    sws_freeContext(smoothScaler_);
    sws_freeContext(frameToYuv_);
}

bool FrameConverter::open(int sourceWidth, int sourceHeight, const FrameLayout& layout, bool smooth, Method method) {
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    layout_ = layout;
    // Even scales and even corners: no 2x2 chroma block straddles two source
    // pixels or the picture's edge.
    const bool planes = method == Method::Fastest && !smooth && layout.scale % 2 == 0 && layout.pictureX % 2 == 0 &&
                        layout.pictureY % 2 == 0;
    if (planes) {
        // Full chroma input: each pixel's own chroma, which is what a 2x2 block
        // of equal pixels averages to in the 4:2:0 conversion.
        sourceToYuv_ = colourConverter(sourceWidth, sourceHeight, AV_PIX_FMT_YUV444P, SWS_FULL_CHR_H_INP);
        if (!sourceToYuv_) return false;
        const size_t plane = static_cast<size_t>(sourceWidth) * sourceHeight;
        sourceYuv_.assign(3 * plane, 0);
        // The border's colour, converted the same way.
        const std::vector<uint32_t> black(plane, 0);
        convertPlanes(black.data(), nullptr, nullptr);
        for (int p = 0; p < 3; ++p) black_[p] = sourceYuv_[p * plane];
        return true;
    }
    canvas_.assign(static_cast<size_t>(layout.width) * layout.height, 0);
    if (smooth) {
        smoothScaler_ = sws_getContext(sourceWidth, sourceHeight, kSourceFormat, layout.pictureWidth,
                                       layout.pictureHeight, kSourceFormat, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr,
                                       nullptr, nullptr);
        if (!smoothScaler_) return false;
    }
    frameToYuv_ = colourConverter(layout.width, layout.height, AV_PIX_FMT_YUV420P, 0);
    return frameToYuv_ != nullptr;
}

void FrameConverter::convert(const uint32_t* pixels, uint8_t* const planes[3], const int strides[3]) {
    if (sourceToYuv_) convertPlanes(pixels, planes, strides);
    else convertWhole(pixels, planes, strides);
}

void FrameConverter::convertPlanes(const uint32_t* pixels, uint8_t* const planes[3], const int strides[3]) {
    const size_t plane = static_cast<size_t>(sourceWidth_) * sourceHeight_;
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(pixels)};
    const int inStride[1] = {sourceWidth_ * 4};
    uint8_t* yuv[3] = {sourceYuv_.data(), sourceYuv_.data() + plane, sourceYuv_.data() + 2 * plane};
    const int yuvStride[3] = {sourceWidth_, sourceWidth_, sourceWidth_};
    sws_scale(sourceToYuv_, in, inStride, 0, sourceHeight_, yuv, yuvStride);
    if (!planes) return;

    // Luma in scale x scale blocks, chroma in (scale / 2) x (scale / 2) blocks.
    for (int p = 0; p < 3; ++p) {
        const int block = p == 0 ? layout_.scale : layout_.scale / 2;
        const int shift = p == 0 ? 0 : 1;
        const int width = layout_.width >> shift, height = layout_.height >> shift;
        const int left = layout_.pictureX >> shift, top = layout_.pictureY >> shift;
        const int pictureWidth = sourceWidth_ * block;
        const size_t stride = static_cast<size_t>(strides[p]);
        uint8_t* out = planes[p];
        for (int y = 0; y < top; ++y) std::memset(out + y * stride, black_[p], width);
        for (int y = 0; y < sourceHeight_; ++y) {
            const uint8_t* source = yuv[p] + static_cast<size_t>(y) * sourceWidth_;
            uint8_t* row = out + static_cast<size_t>(top + y * block) * stride;
            std::memset(row, black_[p], left);
            std::memset(row + left + pictureWidth, black_[p], width - left - pictureWidth);
            uint8_t* picture = row + left;
            if (block == 1) {
                std::memcpy(picture, source, sourceWidth_);
            } else if (block == 2) {
                for (int x = 0; x < sourceWidth_; ++x) picture[2 * x] = picture[2 * x + 1] = source[x];
            } else {
                for (int x = 0; x < sourceWidth_; ++x) std::memset(picture + x * block, source[x], block);
            }
            for (int i = 1; i < block; ++i) std::memcpy(row + i * stride, row, width);
        }
        for (int y = top + sourceHeight_ * block; y < height; ++y) std::memset(out + y * stride, black_[p], width);
    }
}

void FrameConverter::convertWhole(const uint32_t* pixels, uint8_t* const planes[3], const int strides[3]) {
    if (smoothScaler_) {
        const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(pixels)};
        const int inStride[1] = {sourceWidth_ * 4};
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(canvas_.data() +
                                                      static_cast<size_t>(layout_.pictureY) * layout_.width +
                                                      layout_.pictureX)};
        const int outStride[1] = {layout_.width * 4};
        sws_scale(smoothScaler_, in, inStride, 0, sourceHeight_, out, outStride);
    } else {
        drawNearest(pixels, sourceWidth_, sourceHeight_, layout_, canvas_.data());
    }
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(canvas_.data())};
    const int inStride[1] = {layout_.width * 4};
    sws_scale(frameToYuv_, in, inStride, 0, layout_.height, planes, strides);
}

}  // namespace velmora
