// Compositing on a 512 by 256 frame, against memcpy and memset of one frame
// (and pixman's ADD when it is available) for scale.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

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
    for (size_t i = 0; i < s.pixelCount(); ++i)
        s.pixels[i] = (rng() % 8 == 0) ? 0 : rng() & 0xFFFFFF;
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

void frameBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kFrameBytes));
}

void BM_Memcpy(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        std::memcpy(f.dst.pixels, f.src.pixels, kFrameBytes);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Memcpy);

void BM_Memset(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        std::memset(f.dst.pixels, 0, kFrameBytes);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Memset);

void BM_Clear(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.clear();
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Clear);

void BM_CopyFrom(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.copyFrom(f.src);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_CopyFrom);

void BM_Invert(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.invert();
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Invert);

void BM_Darken(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.darken(3);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Darken);

void BM_Brighten(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.brighten(3);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Brighten);

void BM_Multiply(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.multiply(250);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_Multiply);

void BM_BlitAddFrame(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.blitAdd(f.src, 0, 0);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_BlitAddFrame);

void BM_BlitFrame(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.blit(f.src, 0, 0);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_BlitFrame);

void BM_BlitAddScaledFrame(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.blitAddScaled(f.src, 0, 0, 200);
        benchmark::ClobberMemory();
    }
    frameBytes(state);
}
BENCHMARK(BM_BlitAddScaledFrame);

// Zoom in tenths: 11 -> 1.1, 5 -> 0.5, 20 -> 2.0; the frame-sized source is
// centred on the frame.
void BM_DrawZoomedAddFrame(benchmark::State& state) {
    Frames& f = frames();
    const float zoom = static_cast<float>(state.range(0)) / 10.0f;
    for (auto _ : state) {
        f.dst.drawZoomedAdd(f.src, kWidth / 2, kHeight / 2, zoom);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawZoomedAddFrame)->Arg(11)->Arg(5)->Arg(20);

void BM_StretchBlitAddFrame(benchmark::State& state) {
    Frames& f = frames();
    const int32_t scaledW = static_cast<int32_t>(kWidth * state.range(0) / 10);
    const int32_t scaledH = static_cast<int32_t>(kHeight * state.range(0) / 10);
    const int32_t x0 = (kWidth - scaledW) / 2, y0 = (kHeight - scaledH) / 2;
    for (auto _ : state) {
        f.dst.stretchBlitAdd(f.src, 0, 0, kWidth - 1, kHeight - 1, x0, y0, x0 + scaledW,
                             y0 + scaledH);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StretchBlitAddFrame)->Arg(11)->Arg(5)->Arg(20);

void BM_DrawZoomedAddScaledFrame(benchmark::State& state) {
    Frames& f = frames();
    for (auto _ : state) {
        f.dst.drawZoomedAddScaled(f.src, kWidth / 2, kHeight / 2, 1.1f, 200);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawZoomedAddScaledFrame);

Surface& spriteOfSize(int64_t side) { return side == 64 ? frames().sprite64 : frames().sprite256; }

void BM_SpriteCentered(benchmark::State& state) {
    Frames& f = frames();
    const Surface& sprite = spriteOfSize(state.range(0));
    for (auto _ : state) {
        f.dst.drawCentered(sprite, 200, 120);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpriteCentered)->Arg(64)->Arg(256);

void BM_SpriteCenteredAdd(benchmark::State& state) {
    Frames& f = frames();
    const Surface& sprite = spriteOfSize(state.range(0));
    for (auto _ : state) {
        f.dst.drawCenteredAdd(sprite, 200, 120);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpriteCenteredAdd)->Arg(64)->Arg(256);

void BM_SpriteCenteredAddScaled(benchmark::State& state) {
    Frames& f = frames();
    const Surface& sprite = spriteOfSize(state.range(0));
    for (auto _ : state) {
        f.dst.drawCenteredAddScaled(sprite, 200, 120, 127);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpriteCenteredAddScaled)->Arg(64)->Arg(256);

void BM_SpriteZoomed(benchmark::State& state) {
    Frames& f = frames();
    const Surface& sprite = spriteOfSize(state.range(0));
    for (auto _ : state) {
        f.dst.drawZoomed(sprite, 200, 120, 1.3f);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpriteZoomed)->Arg(64)->Arg(256);

void BM_SpriteZoomedAdd(benchmark::State& state) {
    Frames& f = frames();
    const Surface& sprite = spriteOfSize(state.range(0));
    for (auto _ : state) {
        f.dst.drawZoomedAdd(sprite, 200, 120, 1.3f);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpriteZoomedAdd)->Arg(64)->Arg(256);

void BM_SpriteZoomedScaled(benchmark::State& state) {
    Frames& f = frames();
    const Surface& sprite = spriteOfSize(state.range(0));
    for (auto _ : state) {
        f.dst.drawZoomedScaled(sprite, 200, 120, 0.7f, 127);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpriteZoomedScaled)->Arg(64)->Arg(256);

#ifdef VELMORA_HAVE_PIXMAN
// pixman's saturating ADD of one frame onto another: the yardstick for blitAdd.
void BM_PixmanAddFrame(benchmark::State& state) {
    Frames& f = frames();
    pixman_image_t* src =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, f.src.pixels, kWidth * 4);
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, f.dst.pixels, kWidth * 4);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_ADD, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    frameBytes(state);
}
BENCHMARK(BM_PixmanAddFrame);
#endif

}  // namespace
}  // namespace velmora
