// Every compositing operation on a 512 by 256 frame, and what they are measured
// against: memcpy and memset of one frame, and pixman doing the same work
// (saturating ADD, unscaled and with a nearest-filter scale).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

#include "surface/Surface.h"

#ifdef VELMORA_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace velmora {
namespace {

constexpr int32_t kWidth = 512;
constexpr int32_t kHeight = 256;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * sizeof(uint32_t);

// Random colours with about one pixel in eight transparent.
void fillRandom(Surface& s, int32_t w, int32_t h, uint32_t seed) {
    s.allocate(w, h);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = (rng() % 8 == 0) ? 0 : rng() & 0xFFFFFF;
}

struct Frames {
    Surface dst, src, sprite64, sprite256;
    Frames() {
        fillRandom(dst, kWidth, kHeight, 1);
        fillRandom(src, kWidth, kHeight, 2);
        fillRandom(sprite64, 64, 64, 3);
        fillRandom(sprite256, 256, 256, 4);
    }
};

Frames& frames() {
    static Frames f;
    return f;
}

const Surface& sprite(int64_t side) { return side == 64 ? frames().sprite64 : frames().sprite256; }

// Scales are given in tenths: 11 is 1.1, 5 is 0.5, 20 is 2.0.
float scaleOf(const benchmark::State& state) { return static_cast<float>(state.range(0)) / 10.0f; }

template <class Op>
void run(benchmark::State& state, Op op) {
    for (auto _ : state) {
        op(frames().dst);
        benchmark::ClobberMemory();
    }
}

// --- Anchors -----------------------------------------------------------------

void BM_Memcpy(benchmark::State& state) {
    run(state, [](Surface& d) { std::memcpy(d.pixels, frames().src.pixels, kFrameBytes); });
}
BENCHMARK(BM_Memcpy);

void BM_Memset(benchmark::State& state) {
    run(state, [](Surface& d) { std::memset(d.pixels, 0, kFrameBytes); });
}
BENCHMARK(BM_Memset);

// --- Whole surface -------------------------------------------------------------

void BM_Clear(benchmark::State& state) { run(state, [](Surface& d) { d.clear(); }); }
BENCHMARK(BM_Clear);
void BM_CopyFrom(benchmark::State& state) { run(state, [](Surface& d) { d.copyFrom(frames().src); }); }
BENCHMARK(BM_CopyFrom);
void BM_Invert(benchmark::State& state) { run(state, [](Surface& d) { d.invert(); }); }
BENCHMARK(BM_Invert);
void BM_Darken(benchmark::State& state) { run(state, [](Surface& d) { d.darken(3); }); }
BENCHMARK(BM_Darken);
void BM_Brighten(benchmark::State& state) { run(state, [](Surface& d) { d.brighten(3); }); }
BENCHMARK(BM_Brighten);
void BM_Multiply(benchmark::State& state) { run(state, [](Surface& d) { d.multiply(250); }); }
BENCHMARK(BM_Multiply);

// --- Unscaled, a whole frame ------------------------------------------------------

void BM_Blit(benchmark::State& state) { run(state, [](Surface& d) { d.blit(frames().src, 0, 0, Blend::Put); }); }
BENCHMARK(BM_Blit);
void BM_BlitAdd(benchmark::State& state) { run(state, [](Surface& d) { d.blit(frames().src, 0, 0, Blend::Add); }); }
BENCHMARK(BM_BlitAdd);
void BM_BlitScaled(benchmark::State& state) {
    run(state, [](Surface& d) { d.blit(frames().src, 0, 0, Blend::Scaled, 200); });
}
BENCHMARK(BM_BlitScaled);
void BM_BlitAddScaled(benchmark::State& state) {
    run(state, [](Surface& d) { d.blit(frames().src, 0, 0, Blend::AddScaled, 200); });
}
BENCHMARK(BM_BlitAddScaled);

// --- Stretched, a whole frame scaled about the frame's centre ------------------------

struct StretchRect {
    int32_t x0, y0, x1, y1;
};
StretchRect centredRect(float scale) {
    const auto w = static_cast<int32_t>(kWidth * scale), h = static_cast<int32_t>(kHeight * scale);
    const int32_t x0 = (kWidth - w) / 2, y0 = (kHeight - h) / 2;
    return {x0, y0, x0 + w, y0 + h};
}

void BM_StretchBlit(benchmark::State& state) {
    const StretchRect r = centredRect(scaleOf(state));
    run(state, [r](Surface& d) { d.stretch(frames().src, 0, 0, kWidth - 1, kHeight - 1, r.x0, r.y0, r.x1, r.y1, Blend::Put); });
}
BENCHMARK(BM_StretchBlit)->Arg(11)->Arg(5)->Arg(20);

void BM_StretchBlitAdd(benchmark::State& state) {
    const StretchRect r = centredRect(scaleOf(state));
    run(state,
        [r](Surface& d) { d.stretch(frames().src, 0, 0, kWidth - 1, kHeight - 1, r.x0, r.y0, r.x1, r.y1, Blend::Add); });
}
BENCHMARK(BM_StretchBlitAdd)->Arg(11)->Arg(5)->Arg(20);

void BM_StretchBlitScaled(benchmark::State& state) {
    const StretchRect r = centredRect(scaleOf(state));
    run(state, [r](Surface& d) {
        d.stretch(frames().src, 0, 0, kWidth - 1, kHeight - 1, r.x0, r.y0, r.x1, r.y1, Blend::Scaled, 200);
    });
}
BENCHMARK(BM_StretchBlitScaled)->Arg(11)->Arg(5)->Arg(20);

void BM_StretchBlitAddScaled(benchmark::State& state) {
    const StretchRect r = centredRect(scaleOf(state));
    run(state, [r](Surface& d) {
        d.stretch(frames().src, 0, 0, kWidth - 1, kHeight - 1, r.x0, r.y0, r.x1, r.y1, Blend::AddScaled, 200);
    });
}
BENCHMARK(BM_StretchBlitAddScaled)->Arg(11)->Arg(5)->Arg(20);

// --- Zoomed, a whole frame centred on the frame ---------------------------------------

void BM_DrawZoomed(benchmark::State& state) {
    const float z = scaleOf(state);
    run(state, [z](Surface& d) { d.drawZoomed(frames().src, kWidth / 2, kHeight / 2, z, Blend::Put); });
}
BENCHMARK(BM_DrawZoomed)->Arg(11)->Arg(5)->Arg(20);

void BM_DrawZoomedAdd(benchmark::State& state) {
    const float z = scaleOf(state);
    run(state, [z](Surface& d) { d.drawZoomed(frames().src, kWidth / 2, kHeight / 2, z, Blend::Add); });
}
BENCHMARK(BM_DrawZoomedAdd)->Arg(11)->Arg(5)->Arg(20);

void BM_DrawZoomedScaled(benchmark::State& state) {
    const float z = scaleOf(state);
    run(state, [z](Surface& d) { d.drawZoomed(frames().src, kWidth / 2, kHeight / 2, z, Blend::Scaled, 200); });
}
BENCHMARK(BM_DrawZoomedScaled)->Arg(11)->Arg(5)->Arg(20);

void BM_DrawZoomedAddScaled(benchmark::State& state) {
    const float z = scaleOf(state);
    run(state, [z](Surface& d) { d.drawZoomed(frames().src, kWidth / 2, kHeight / 2, z, Blend::AddScaled, 200); });
}
BENCHMARK(BM_DrawZoomedAddScaled)->Arg(11)->Arg(5)->Arg(20);

// --- Sprites: 64 by 64 and 256 by 256, centred, unscaled and zoomed by 1.1 -----------

void BM_SpriteCentered(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawCentered(s, 200, 120, 1.0f, Blend::Put); });
}
BENCHMARK(BM_SpriteCentered)->Arg(64)->Arg(256);

void BM_SpriteCenteredAdd(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawCentered(s, 200, 120, 1.0f, Blend::Add); });
}
BENCHMARK(BM_SpriteCenteredAdd)->Arg(64)->Arg(256);

void BM_SpriteCenteredScaled(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawCentered(s, 200, 120, 1.0f, Blend::Scaled, 127); });
}
BENCHMARK(BM_SpriteCenteredScaled)->Arg(64)->Arg(256);

void BM_SpriteCenteredAddScaled(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawCentered(s, 200, 120, 1.0f, Blend::AddScaled, 127); });
}
BENCHMARK(BM_SpriteCenteredAddScaled)->Arg(64)->Arg(256);

void BM_SpriteZoomed(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawZoomed(s, 200, 120, 1.1f, Blend::Put); });
}
BENCHMARK(BM_SpriteZoomed)->Arg(64)->Arg(256);

void BM_SpriteZoomedAdd(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawZoomed(s, 200, 120, 1.1f, Blend::Add); });
}
BENCHMARK(BM_SpriteZoomedAdd)->Arg(64)->Arg(256);

void BM_SpriteZoomedScaled(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawZoomed(s, 200, 120, 1.1f, Blend::Scaled, 127); });
}
BENCHMARK(BM_SpriteZoomedScaled)->Arg(64)->Arg(256);

void BM_SpriteZoomedAddScaled(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    run(state, [&s](Surface& d) { d.drawZoomed(s, 200, 120, 1.1f, Blend::AddScaled, 127); });
}
BENCHMARK(BM_SpriteZoomedAddScaled)->Arg(64)->Arg(256);

#ifdef VELMORA_HAVE_PIXMAN

// pixman's saturating ADD of `source` onto the frame over the destination
// rectangle, the source scaled by `scale` with nearest sampling (none at 1).
// a8r8g8b8 on both sides is the format of pixman's fastest ADD paths.
void pixmanAdd(benchmark::State& state, const Surface& source, double scale, int32_t x, int32_t y,
               int32_t w, int32_t h) {
    Frames& f = frames();
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, source.width, source.height,
                                                   source.pixels, source.width * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, f.dst.pixels, kWidth * 4);
    if (scale != 1.0) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(1.0 / scale), pixman_double_to_fixed(1.0 / scale));
        pixman_image_set_transform(src, &t);
        pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_ADD, src, nullptr, dst, 0, 0, 0, 0, x, y, w, h);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

void BM_PixmanAdd(benchmark::State& state) { pixmanAdd(state, frames().src, 1.0, 0, 0, kWidth, kHeight); }
BENCHMARK(BM_PixmanAdd);

// The part of the scaled frame that lands on the frame, as the stretched
// operations draw it.
void BM_PixmanAddNearest(benchmark::State& state) {
    const float scale = scaleOf(state);
    const StretchRect r = centredRect(scale);
    const int32_t x0 = std::max(r.x0, 0), y0 = std::max(r.y0, 0);
    pixmanAdd(state, frames().src, scale, x0, y0, std::min(r.x1, kWidth) - x0, std::min(r.y1, kHeight) - y0);
}
BENCHMARK(BM_PixmanAddNearest)->Arg(11)->Arg(5)->Arg(20);

void BM_PixmanAddSprite(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    pixmanAdd(state, s, 1.0, 200 - s.width / 2, 120 - s.height / 2, s.width, std::min(s.height, kHeight));
}
BENCHMARK(BM_PixmanAddSprite)->Arg(64)->Arg(256);

void BM_PixmanAddNearestSprite(benchmark::State& state) {
    const Surface& s = sprite(state.range(0));
    const auto w = static_cast<int32_t>(s.width * 1.1), h = static_cast<int32_t>(s.height * 1.1);
    const int32_t x0 = std::max(200 - w / 2, 0), y0 = std::max(120 - h / 2, 0);
    pixmanAdd(state, s, 1.1, x0, y0, std::min(200 + w / 2, kWidth) - x0, std::min(120 + h / 2, kHeight) - y0);
}
BENCHMARK(BM_PixmanAddNearestSprite)->Arg(64)->Arg(256);

#endif

}  // namespace
}  // namespace velmora
