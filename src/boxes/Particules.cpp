// Particles box: seeding from the generator and the per-frame particle step.
#include "boxes/Particules.h"

#include <cmath>
#include <cstdio>

#include "core/PixelMath.h"

namespace velmora {

namespace {
// The single-precision value nearest to 1/32767.
const double kInvRandMax = static_cast<double>(3.0518509e-05f);
}  // namespace

void BoxParticules::configure(const char* text, ErrorReporter&) {
    int n = 0;
    if (std::sscanf(text ? text : "", "%d", &n) != 1 || n < 0) n = 0;
    if (n > kMaxCount) n = kMaxCount;
    count = n;
    CRandom& generator = random();
    posX.assign(n, 0.0f);
    posY.assign(n, 0.0f);
    velX.assign(n, 0.0f);
    velY.assign(n, 0.0f);
    for (int i = 0; i < n; ++i) {
        posX[i] = static_cast<float>(generator.next() % 512);
        posY[i] = static_cast<float>(generator.next() % 200);
        const double p = static_cast<float>(generator.next() * kInvRandMax - 0.5);
        const double q = generator.next() * kInvRandMax - 0.5;
        const double len = std::sqrt(q * q + p * p);
        velX[i] = static_cast<float>(p / len * 0.4);
        velY[i] = static_cast<float>(q / len * 0.4);
    }
}

void BoxParticules::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool*) {
    if (!isOn(*functions[2]) || !isOn(*functions[3])) return;
    const Surface& sprite = *inputs[0];
    if (sprite.pixelCount() == 0 || output.pixelCount() == 0) return;
    const float b = functions[1]->value();
    const float a = functions[0]->value();
    step(output, sprite, a, b);
}

void BoxParticules::step(Surface& output, const Surface& sprite, float a, float b) {
    const int64_t hw = sprite.width / 2, hh = sprite.height / 2;
    // The edges compare as floats, as an int beside a float does.
    const float left = static_cast<float>(-hw);
    const float right = static_cast<float>(output.width + hw - 1);
    const float top = static_cast<float>(-hh);
    const float bottom = static_cast<float>(output.height + hh - 1);
    const int n = static_cast<int>(posX.size());
    for (int i = 0; i < n; ++i) {
        const double xi = posX[i], yi = posY[i];
        double fx = 0.0, fy = 0.0;
        auto repel = [&](int j) {
            const double dx = posX[j] - xi;
            const double dy = posY[j] - yi;
            const double d2 = dx * dx + dy * dy;
            const double w = 1.0 / (d2 * d2);
            fx = fx - dx * w;
            fy = fy - dy * w;
        };
        for (int j = 0; j < i; ++j) repel(j);
        for (int j = i + 1; j < n; ++j) repel(j);

        // No other particle (F = 0) or a coincident one (0 * inf): no direction to
        // steer in, so the velocity is left as it was.
        const double f = std::sqrt(fx * fx + fy * fy);
        if (f != 0.0 && std::isfinite(f)) {
            velX[i] = static_cast<float>(velX[i] + fx / f * 0.2);
            velY[i] = static_cast<float>(velY[i] + fy / f * 0.2);
        }
        const double s = std::sqrt(static_cast<double>(velX[i]) * velX[i] +
                                   static_cast<double>(velY[i]) * velY[i]);
        const double k = s * 0.7;
        if (k > 0.0 && std::isfinite(k)) {
            velX[i] = static_cast<float>(velX[i] / k);
            velY[i] = static_cast<float>(velY[i] / k);
        }
        posX[i] += velX[i];
        posY[i] += velY[i];

        // Written as "not at or past the edge" so that a NaN position wraps too.
        if (!(posX[i] >= left)) posX[i] = right;
        if (posX[i] > right) posX[i] = left;
        if (!(posY[i] >= top)) posY[i] = bottom;
        if (posY[i] > bottom) posY[i] = top;

        const float zoom = static_cast<float>(
            b * (std::sin(static_cast<double>(static_cast<float>(i)) + a) + 1.1));
        output.drawZoomed(sprite, truncToInt(posX[i]), truncToInt(posY[i]), zoom, Blend::Add);
    }
}

}  // namespace velmora
