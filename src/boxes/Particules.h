// Particles box: a swarm that repels itself, drifts at constant speed, wraps around
// the output's edges and is drawn as additive zoomed sprites.
#pragma once

#include <cstdint>
#include <vector>

#include "boxes/CRandom.h"
#include "boxes/FxBox.h"

namespace velmora {

class BoxParticules : public FxBox {
public:
    // Larger counts are clamped: the step costs count squared per frame.
    static constexpr int32_t kMaxCount = 16384;

    // A box of its own: its generator starts afresh.
    BoxParticules() = default;
    // A box of a show: it draws from the generator all particle boxes of the show share.
    explicit BoxParticules(CRandom& shared) : sharedRandom_(&shared) {}

    // "%d": the particle count; seeds the swarm from the generator.
    using FxBox::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    // One frame of the swarm: repel, steer, keep the speed, move, wrap, draw.
    void step(Surface& output, const Surface& sprite, float a, float b);

    int32_t count = 0;
    std::vector<float> posX, posY, velX, velY;

private:
    CRandom& random() { return sharedRandom_ ? *sharedRandom_ : ownRandom_; }

    CRandom* sharedRandom_ = nullptr;
    CRandom ownRandom_;
};

}  // namespace velmora
