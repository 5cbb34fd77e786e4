// The directional blurs: weights, the wrapping channel mix, the recursive in-place
// order along rows and columns, gates and refused surfaces.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "boxes/DirectionalBlur.h"
#include "TestFunctions.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::at;
using testsupport::FixedFunction;
using testsupport::grey;
using testsupport::kNaN;
using testsupport::snapshot;

// Runs a box with weight v and both gates on.
void blur(FxBox& box, Surface& out, float v) { testsupport::renderWith(box, out, {v, 1.0f, 1.0f}); }

TEST(BlurWeights, AreTruncatedProductsOf65535) {
    EXPECT_EQ(blurWeights(0.5f).wc, 32767);
    EXPECT_EQ(blurWeights(0.5f).wp, 32767);
    EXPECT_EQ(blurWeights(1.0f).wc, 65535);
    EXPECT_EQ(blurWeights(1.0f).wp, 0);
    EXPECT_EQ(blurWeights(2.0f).wc, 131070);
    EXPECT_EQ(blurWeights(2.0f).wp, -65535);
    // 0.1f is slightly above 0.1: in double, 6553.5000976 truncates to 6553 and
    // (1 - 0.1f) * 65535 = 58981.4999 to 58981.
    EXPECT_EQ(blurWeights(0.1f).wc, 6553);
    EXPECT_EQ(blurWeights(0.1f).wp, 58981);
}

TEST(BlurWeights, NaNGivesTheIndefiniteValueAndStillAWellFormedMix) {
    EXPECT_EQ(blurWeights(kNaN).wc, INT32_MIN);
    EXPECT_EQ(blurWeights(kNaN).wp, INT32_MIN);
    EXPECT_EQ(blurMix(0xFFFFFFu, 0xFFFFFFu, blurWeights(kNaN)) >> 24, 0u);
    EXPECT_EQ(blurMix(0xFFFFFFu, 0x123456u, blurWeights(-3.0e9f)) >> 24, 0u);
}

TEST(BlurMix, WeightsAboveOneWrapAndSaturate) {
    const BlurWeights w = blurWeights(2.0f);
    EXPECT_EQ(blurMix(grey(0), grey(100), w), grey(199));
    EXPECT_EQ(blurMix(grey(200), grey(100), w), grey(0));
    EXPECT_EQ(blurMix(grey(255), grey(0), w), grey(255));  // negative sum reads as huge
}

class XBlurTest : public ::testing::Test {
protected:
    BoxXBlur box;
    Surface out;
};

TEST_F(XBlurTest, UniformGreyRisesToItsLimitAlongEveryRow) {
    testsupport::fill(out, 512, 256, grey(100));
    blur(box, out, 0.5f);
    const uint32_t expected[] = {0, 49, 74, 86, 92, 95, 97, 98};
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 512; ++x) {
            const uint32_t level = x < 8 ? expected[x] : 98;
            ASSERT_EQ(at(out, x, y), grey(level)) << x << "," << y;
        }
    }
}

TEST_F(XBlurTest, TrailFollowsTheAlreadyFilteredPixel) {
    testsupport::fill(out, 512, 256, 0);
    at(out, 10, 3) = grey(255);
    const std::vector<uint32_t> original = snapshot(out);
    blur(box, out, 0.5f);
    // Each step keeps 32767/65536 of the filtered pixel to its left.
    const uint32_t trail[] = {127, 63, 31, 15, 7, 3, 1, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(at(out, 10 + i, 3), grey(trail[i])) << 10 + i;
    EXPECT_EQ(at(out, 9, 3), 0u);
    EXPECT_EQ(at(out, 11, 2), 0u);
    EXPECT_EQ(at(out, 11, 4), 0u);
    // A filter reading the unfiltered left pixel would agree at column 10 only.
    const BlurWeights w = blurWeights(0.5f);
    const uint32_t* row = original.data() + 3 * 512;
    EXPECT_EQ(blurMix(row[9], row[10], w), at(out, 10, 3));
    for (int x = 11; x < 14; ++x) EXPECT_NE(blurMix(row[x - 1], row[x], w), at(out, x, 3)) << x;
}

TEST_F(XBlurTest, FullWeightDropsEachChannelByOne) {
    testsupport::fill(out, 512, 256, grey(255));
    at(out, 300, 7) = 0x800001u;
    blur(box, out, 1.0f);
    EXPECT_EQ(at(out, 0, 7), 0u);
    EXPECT_EQ(at(out, 1, 7), grey(254));
    EXPECT_EQ(at(out, 511, 255), grey(254));
    EXPECT_EQ(at(out, 300, 7), 0x7F0000u);
}

TEST_F(XBlurTest, ZeroWeightTurnsEverythingBlack) {
    testsupport::fill(out, 512, 256, 0);
    for (size_t i = 0; i < out.pixelCount(); ++i) out.pixels[i] = (i * 2654435761u) & 0xFFFFFFu;
    blur(box, out, 0.0f);
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], 0u) << i;
}

TEST_F(XBlurTest, WeightTwoAlternatesOnGrey) {
    testsupport::fill(out, 512, 256, grey(100));
    blur(box, out, 2.0f);
    // 0 then 199 (p = 0, c = 100), then 0 (p = 199, c = 100: 65535 >> 16), and so on.
    for (int x = 0; x < 512; ++x) ASSERT_EQ(at(out, x, 100), grey(x % 2 ? 199 : 0)) << x;
}

TEST_F(XBlurTest, GateOffLeavesSurfaceUntouched) {
    testsupport::fill(out, 512, 256, grey(100));
    const std::vector<uint32_t> before = snapshot(out);
    FixedFunction weight(0.5f), on(1.0f), zero(0.0f), negative(-1.0f), nan(kNaN);
    for (Function* gate : {static_cast<Function*>(&zero), static_cast<Function*>(&negative),
                           static_cast<Function*>(&nan)}) {
        std::vector<Function*> firstOff{&weight, gate, &on}, secondOff{&weight, &on, gate};
        box.render(out, firstOff, {});
        box.render(out, secondOff, {});
        ASSERT_EQ(snapshot(out), before);
    }
}

TEST_F(XBlurTest, ReadsGatesBeforeWeight) {
    testsupport::fill(out, 512, 256, 0);
    std::string log;
    FixedFunction weight(0.5f, '0', &log), on1(1.0f, '1', &log), on2(1.0f, '2', &log);
    FixedFunction off1(0.0f, '1', &log), off2(0.0f, '2', &log);
    std::vector<Function*> all{&weight, &on1, &on2}, firstOff{&weight, &off1, &on2},
        secondOff{&weight, &on1, &off2};
    box.render(out, all, {});
    EXPECT_EQ(log, "120");
    log.clear();
    box.render(out, firstOff, {});
    EXPECT_EQ(log, "1");
    log.clear();
    box.render(out, secondOff, {});
    EXPECT_EQ(log, "12");
}

TEST_F(XBlurTest, OtherSizesDrawNothing) {
    FixedFunction weight(0.5f), on(1.0f);
    std::vector<Function*> three{&weight, &on, &on};
    for (auto [w, h] : {std::pair{256, 256}, std::pair{512, 255}, std::pair{1024, 256}}) {
        testsupport::fill(out, w, h, grey(100));
        box.render(out, three, {});
        for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], grey(100));
    }
    Surface empty;
    box.render(empty, three, {});  // no pixels at all
    EXPECT_EQ(empty.pixels, nullptr);
}

class YBlurTest : public ::testing::Test {
protected:
    BoxYBlur box;
    Surface out;
};

TEST_F(YBlurTest, UniformGreyRisesToItsLimitDownEveryColumn) {
    testsupport::fill(out, 512, 256, grey(100));
    blur(box, out, 0.5f);
    const uint32_t expected[] = {0, 49, 74, 86, 92, 95, 97, 98};
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 512; ++x) {
            const uint32_t level = y < 8 ? expected[y] : 98;
            ASSERT_EQ(at(out, x, y), grey(level)) << x << "," << y;
        }
    }
}

TEST_F(YBlurTest, TrailRunsDownwardFromTheFilteredPixelAbove) {
    testsupport::fill(out, 512, 256, 0);
    at(out, 5, 10) = grey(255);
    blur(box, out, 0.5f);
    const uint32_t trail[] = {127, 63, 31, 15, 7, 3, 1, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(at(out, 5, 10 + i), grey(trail[i])) << 10 + i;
    EXPECT_EQ(at(out, 5, 9), 0u);
    EXPECT_EQ(at(out, 4, 11), 0u);
    EXPECT_EQ(at(out, 6, 11), 0u);
}

TEST_F(YBlurTest, FullWeightBlacksRowZeroOnly) {
    testsupport::fill(out, 512, 256, grey(255));
    blur(box, out, 1.0f);
    for (int x = 0; x < 512; ++x) {
        ASSERT_EQ(at(out, x, 0), 0u);
        ASSERT_EQ(at(out, x, 1), grey(254));
        ASSERT_EQ(at(out, x, 255), grey(254));
    }
    EXPECT_EQ(at(out, 0, 100), grey(254));  // column 0 is not special here
}

TEST_F(YBlurTest, ZeroWeightTurnsEverythingBlack) {
    testsupport::fill(out, 512, 256, grey(255));
    blur(box, out, 0.0f);
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], 0u) << i;
}

TEST_F(YBlurTest, GatesAndSizesLeaveSurfaceUntouched) {
    FixedFunction weight(0.5f), on(1.0f), off(0.0f);
    std::vector<Function*> firstOff{&weight, &off, &on}, secondOff{&weight, &on, &off}, three{&weight, &on, &on};
    testsupport::fill(out, 512, 256, grey(100));
    box.render(out, firstOff, {});
    box.render(out, secondOff, {});
    EXPECT_EQ(at(out, 0, 0), grey(100));
    EXPECT_EQ(at(out, 0, 1), grey(100));
    testsupport::fill(out, 256, 512, grey(100));  // same pixel count, wrong shape
    box.render(out, three, {});
    EXPECT_EQ(at(out, 0, 0), grey(100));
}

}  // namespace
}  // namespace velmora
