// Particles box and the shared C-library generator: seeding, the particle step,
// wrap-around, degenerate swarms and what the gates leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "boxes/CRandom.h"
#include "boxes/Particules.h"
#include "TestFunctions.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::fill;
using testsupport::snapshot;
using testsupport::kNaN;
using testsupport::renderWith;
using testsupport::Wiring;
constexpr double kSpeed = 1.0 / 0.7;

// The generator written out by hand: state * 214013 + 2531011, bits 16 to 30.
struct HandRandom {
    uint32_t state = 1;
    int32_t next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    }
};

double speed(const BoxParticules& box, int i) {
    return std::sqrt(double(box.velX[i]) * box.velX[i] + double(box.velY[i]) * box.velY[i]);
}

class ParticulesTest : public ::testing::Test {
protected:
    void resetCRandom() { random = CRandom{}; }
    CRandom random;  // the generator the boxes of one show share
};

// --- Generator ------------------------------------------------------------------------

TEST_F(ParticulesTest, GeneratorFollowsTheCLibrarySequence) {
    HandRandom hand;
    EXPECT_EQ(random.next(), 41);
    EXPECT_EQ(random.next(), 18467);
    hand.next();
    hand.next();
    for (int k = 0; k < 1000; ++k) ASSERT_EQ(random.next(), hand.next()) << k;
    resetCRandom();
    EXPECT_EQ(random.next(), 41);
}

// --- Seeding ------------------------------------------------------------------------

TEST_F(ParticulesTest, SeedingDrawsFourNumbersPerParticle) {
    BoxParticules box(random);
    EXPECT_EQ(testsupport::rejectionsOf(box, "2"), 0);
    ASSERT_EQ(box.count, 2);
    // Draws 41, 18467, 6334, 26500 for particle 0.
    EXPECT_EQ(box.posX[0], 41.0f);
    EXPECT_EQ(box.posY[0], 67.0f);  // 18467 mod 200
    EXPECT_NEAR(box.velX[0], (6334 / 32767.0 - 0.5) / std::hypot(6334 / 32767.0 - 0.5, 26500 / 32767.0 - 0.5) * 0.4, 1e-6);
    EXPECT_NEAR(box.velY[0], (26500 / 32767.0 - 0.5) / std::hypot(6334 / 32767.0 - 0.5, 26500 / 32767.0 - 0.5) * 0.4, 1e-6);
    // Particle 1 starts at the fifth draw.
    HandRandom hand;
    for (int k = 0; k < 4; ++k) hand.next();
    EXPECT_EQ(box.posX[1], float(hand.next() % 512));
    EXPECT_EQ(box.posY[1], float(hand.next() % 200));
    EXPECT_NEAR(speed(box, 1), 0.4, 1e-6);
}

TEST_F(ParticulesTest, TwoBoxesDrawSuccessiveNumbers) {
    BoxParticules first(random), second(random);
    first.configure("1");
    second.configure("1");
    HandRandom hand;
    for (int k = 0; k < 4; ++k) hand.next();
    EXPECT_EQ(second.posX[0], float(hand.next() % 512));
    EXPECT_EQ(second.posY[0], float(hand.next() % 200));
    EXPECT_NE(first.posX[0], second.posX[0]);
}

TEST_F(ParticulesTest, InitialPositionsAndSpeeds) {
    BoxParticules box(random);
    box.configure("  1000 trailing");
    ASSERT_EQ(box.count, 1000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_GE(box.posX[i], 0.0f);
        ASSERT_LE(box.posX[i], 511.0f);
        ASSERT_GE(box.posY[i], 0.0f);
        ASSERT_LE(box.posY[i], 199.0f);
        ASSERT_NEAR(speed(box, i), 0.4, 1e-6);
    }
}

TEST_F(ParticulesTest, CountTextGivesEmptyOrClampedSwarms) {
    for (const char* text : {"0", "-5", "", "many"}) {
        BoxParticules box(random);
        EXPECT_EQ(testsupport::rejectionsOf(box, text), 0);
        EXPECT_EQ(box.count, 0) << text;
        EXPECT_TRUE(box.posX.empty());
    }
    EXPECT_EQ(random.next(), 41);  // an empty swarm draws nothing
    BoxParticules big(random);
    big.configure("2000000000");
    EXPECT_EQ(big.count, BoxParticules::kMaxCount);
    EXPECT_EQ(big.posX.size(), size_t(BoxParticules::kMaxCount));

    BoxParticules empty(random);
    empty.configure("0");
    Surface sprite, out;
    fill(sprite, 4, 4, 0x101010);
    fill(out, 64, 64, 0x020202);
    renderWith(empty, out, {0.0f, 1.0f, 1.0f, 1.0f}, {&sprite});
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(64 * 64, 0x020202));
}

// --- Particle step ------------------------------------------------------------------

TEST_F(ParticulesTest, EveryParticleMovesAtTheConstantSpeed) {
    BoxParticules box(random);
    box.configure("60");
    Surface sprite, out;
    fill(sprite, 8, 8, 0x010101);
    fill(out, 512, 256, 0);
    for (int frame = 0; frame < 3; ++frame) {
        const std::vector<float> x = box.posX, y = box.posY;
        box.step(out, sprite, 0.3f, 1.0f);
        for (int i = 0; i < box.count; ++i) {
            ASSERT_NEAR(speed(box, i), kSpeed, 1e-5) << i;
            const double moved = std::hypot(double(box.posX[i]) - x[i], double(box.posY[i]) - y[i]);
            // Either a plain move or a wrap to the other side.
            ASSERT_TRUE(std::fabs(moved - kSpeed) < 1e-3 || moved > 100.0) << i << " " << moved;
        }
    }
}

TEST_F(ParticulesTest, RepulsionSteersAwayFromTheNeighbour) {
    BoxParticules box(random);
    box.configure("2");
    box.posX = {100.0f, 104.0f};
    box.posY = {50.0f, 50.0f};
    box.velX = {0.0f, 0.0f};
    box.velY = {0.4f, 0.4f};
    Surface sprite, out;
    fill(sprite, 2, 2, 0x010101);
    fill(out, 512, 256, 0);
    box.step(out, sprite, 0.0f, 1.0f);
    // Particle 0 is pushed toward -x by 0.2: velocity (-0.2, 0.4) scaled to 1/0.7.
    const double s = std::hypot(0.2, 0.4) * 0.7;
    EXPECT_NEAR(box.velX[0], -0.2 / s, 1e-6);
    EXPECT_NEAR(box.velY[0], 0.4 / s, 1e-6);
    EXPECT_GT(box.velX[1], 0.0f);
}

TEST_F(ParticulesTest, WrapAroundUsesHalfTheSpriteSize) {
    Surface sprite, out;
    fill(sprite, 9, 7, 0x010101);  // hw = 4, hh = 3
    fill(out, 100, 50, 0);
    BoxParticules box(random);
    box.configure("1");
    auto stepFrom = [&](float x, float y, float vx, float vy) {
        box.posX = {x};
        box.posY = {y};
        box.velX = {vx};
        box.velY = {vy};
        box.step(out, sprite, 0.0f, 1.0f);
    };
    stepFrom(102.5f, 20.0f, 1.0f, 0.0f);  // past W + hw - 1 = 103
    EXPECT_EQ(box.posX[0], -4.0f);
    stepFrom(-3.5f, 20.0f, -1.0f, 0.0f);  // below -hw
    EXPECT_EQ(box.posX[0], 103.0f);
    stepFrom(102.0f, 20.0f, 1.0f, 0.0f);  // lands on 103.43: past
    EXPECT_EQ(box.posX[0], -4.0f);
    stepFrom(101.0f, 20.0f, 1.0f, 0.0f);  // lands on 102.43: stays
    EXPECT_NEAR(box.posX[0], 101.0 + kSpeed, 1e-4);
    stepFrom(30.0f, 51.5f, 0.0f, 1.0f);  // past H + hh - 1 = 52
    EXPECT_EQ(box.posY[0], -3.0f);
    stepFrom(30.0f, -2.5f, 0.0f, -1.0f);  // below -hh
    EXPECT_EQ(box.posY[0], 52.0f);
}

TEST_F(ParticulesTest, LoneParticleKeepsItsDirection) {
    BoxParticules box(random);
    box.configure("1");
    box.posX = {50.0f};
    box.posY = {40.0f};
    box.velX = {0.3f};
    box.velY = {-0.4f};
    Surface sprite, out;
    fill(sprite, 4, 4, 0x010101);
    fill(out, 512, 256, 0);
    box.step(out, sprite, 0.0f, 1.0f);
    EXPECT_NEAR(box.velX[0], 0.3 / 0.35, 1e-6);
    EXPECT_NEAR(box.velY[0], -0.4 / 0.35, 1e-6);
    EXPECT_NEAR(box.posX[0], 50.0 + 0.3 / 0.35, 1e-4);
    EXPECT_NEAR(box.posY[0], 40.0 - 0.4 / 0.35, 1e-4);
}

TEST_F(ParticulesTest, CoincidentParticlesStayFinite) {
    BoxParticules box(random);
    box.configure("3");
    box.posX = {200.0f, 200.0f, 200.0f};
    box.posY = {100.0f, 100.0f, 100.0f};
    box.velX = {0.4f, 0.0f, -0.4f};
    box.velY = {0.0f, 0.4f, 0.0f};
    Surface sprite, out;
    fill(sprite, 4, 4, 0x010101);
    fill(out, 512, 256, 0);
    box.step(out, sprite, 0.0f, 1.0f);
    // Particle 0 has two coincident neighbours: no steering, just the speed.
    EXPECT_NEAR(box.velX[0], kSpeed, 1e-6);
    EXPECT_EQ(box.velY[0], 0.0f);
    for (int frame = 0; frame < 50; ++frame) box.step(out, sprite, 0.0f, 1.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isfinite(box.posX[i]) && std::isfinite(box.posY[i])) << i;
        EXPECT_NEAR(speed(box, i), kSpeed, 1e-5) << i;
    }
}

TEST_F(ParticulesTest, WildPositionsAndZoomsStillFinishTheFrame) {
    BoxParticules box(random);
    box.configure("5");
    const float inf = std::numeric_limits<float>::infinity();
    box.posX = {kNaN, inf, -inf, 3e38f, 10.0f};
    box.posY = {10.0f, kNaN, 10.0f, -3e38f, 10.0f};
    Surface sprite, out;
    fill(sprite, 16, 16, 0x010101);
    fill(out, 512, 256, 0);
    for (float b : {1.0f, 1e6f, 1e30f, -1e6f, inf, kNaN}) {
        box.step(out, sprite, 0.0f, b);
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(std::isfinite(box.posX[i]) && std::isfinite(box.posY[i])) << i << " b " << b;
            ASSERT_GE(box.posX[i], -8.0f);
            ASSERT_LE(box.posX[i], 512 + 8 - 1.0f);
        }
    }
    // Zoom 1e6 covers the whole output with the sprite.
    EXPECT_NE(out.pixels[0], 0u);
}

TEST_F(ParticulesTest, DrawsTheSpriteAddedAtTheParticle) {
    BoxParticules box(random);
    box.configure("1");
    box.posX = {100.0f};
    box.posY = {60.0f};
    box.velX = {0.0f};
    box.velY = {0.0f};  // stands still: no direction to normalise
    Surface sprite, out;
    fill(sprite, 20, 20, 0x102030);
    fill(out, 512, 256, 0x0101F0);
    renderWith(box, out, {0.0f, 1.0f, 1.0f, 1.0f}, {&sprite});
    EXPECT_EQ(box.posX[0], 100.0f);
    EXPECT_EQ(out.pixels[60 * 512 + 100], 0x1121FFu);  // blue saturates
    EXPECT_EQ(out.pixels[60 * 512 + 140], 0x0101F0u);
    EXPECT_EQ(out.pixels[10 * 512 + 100], 0x0101F0u);
}

// --- Gates and incomplete lines ------------------------------------------------------

TEST_F(ParticulesTest, GatesOffAndAnEmptySpriteChangeNothing) {
    BoxParticules box(random);
    box.configure("20");
    const std::vector<float> x = box.posX, y = box.posY, vx = box.velX, vy = box.velY;
    Surface sprite, out;
    fill(sprite, 8, 8, 0x404040);
    fill(out, 512, 256, 0x010203);
    for (float off : {0.0f, -1.0f, kNaN}) {
        renderWith(box, out, {0.0f, 1.0f, off, 1.0f}, {&sprite});
        renderWith(box, out, {0.0f, 1.0f, 1.0f, off}, {&sprite});
    }
    Surface unsized;
    renderWith(box, out, {0.0f, 1.0f, 1.0f, 1.0f}, {&unsized});
    EXPECT_EQ(box.posX, x);
    EXPECT_EQ(box.posY, y);
    EXPECT_EQ(box.velX, vx);
    EXPECT_EQ(box.velY, vy);
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x010203));
}

TEST_F(ParticulesTest, TwoRunsGiveIdenticalFrames) {
    Surface sprite;
    fill(sprite, 16, 16, 0x030201);
    auto run = [&]() {
        resetCRandom();
        BoxParticules box(random);
        box.configure("40");
        Surface out;
        fill(out, 512, 256, 0);
        for (int frame = 0; frame < 20; ++frame) {
            renderWith(box, out, {frame * 0.1f, 1.0f, 1.0f, 1.0f}, {&sprite});
        }
        return snapshot(out);
    };
    const std::vector<uint32_t> first = run();
    EXPECT_EQ(run(), first);
}

}  // namespace
}  // namespace velmora
