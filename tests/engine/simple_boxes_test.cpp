// The simple boxes: gates, short wiring lines, and the fader's levels and modes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "TestFunctions.h"
#include "TestSupport.h"
#include "script/TypeTable.h"
#include "boxes/SimpleBoxes.h"
#include "core/PixelMath.h"

namespace velmora {
namespace {

using testsupport::FixedFunction;
using testsupport::snapshot;

// A w x h surface whose pixels form a varied pattern.
void fillPattern(Surface& s, int32_t w, int32_t h) {
    s.allocate(w, h);
    for (size_t i = 0; i < s.pixelCount(); ++i)
        s.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
}

uint32_t channelMap(uint32_t p, uint32_t (*f)(uint32_t)) {
    return packRgb(f((p >> 16) & 0xFF), f((p >> 8) & 0xFF), f(p & 0xFF));
}

testsupport::RecordingReporter reporter;

class SimpleBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        fillPattern(out, 64, 32);
        before = snapshot(out);
        reporter = {};
    }

    void render(FxBox& box, std::vector<Function*> functions, std::vector<Surface*> inputs = {}) {
        box.render(out, functions, inputs);
    }

    Surface out;
    std::vector<uint32_t> before;
    FixedFunction on{1.0f}, off{0.0f}, tiny{0.001f}, negative{-1.0f},
        nan{testsupport::kNaN};
};

TEST_F(SimpleBoxTest, ClearNeedsBothGates) {
    BoxClearSurface box;
    render(box, {&off, &on});
    EXPECT_EQ(snapshot(out), before);
    render(box, {&on, &nan});
    EXPECT_EQ(snapshot(out), before);
    render(box, {&on, &negative});
    EXPECT_EQ(snapshot(out), before);
    render(box, {&tiny, &tiny});
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(out.pixelCount(), 0u));
}

TEST_F(SimpleBoxTest, CopierCopiesInputZero) {
    Surface in;
    in.allocate(64, 32);
    for (size_t i = 0; i < in.pixelCount(); ++i) in.pixels[i] = static_cast<uint32_t>(i);
    BoxCopier box;
    render(box, {&on, &off}, {&in});
    EXPECT_EQ(snapshot(out), before);
    render(box, {&on, &on}, {&in});
    EXPECT_EQ(snapshot(out), snapshot(in));
}

TEST_F(SimpleBoxTest, CopierWithSmallerInputCopiesOnlyWhatItHolds) {
    Surface in;
    in.allocate(10, 10);
    for (size_t i = 0; i < in.pixelCount(); ++i) in.pixels[i] = 0x123456u;
    BoxCopier box;
    render(box, {&on, &on}, {&in});
    for (size_t i = 0; i < out.pixelCount(); ++i)
        ASSERT_EQ(out.pixels[i], i < 100 ? 0x123456u : before[i]) << i;
}

TEST_F(SimpleBoxTest, InverseVideoTwiceRestores) {
    BoxInverseVideo box;
    render(box, {&on, &on});
    for (size_t i = 0; i < out.pixelCount(); ++i) ASSERT_EQ(out.pixels[i], 0xFFFFFFu - before[i]);
    render(box, {&on, &on});
    EXPECT_EQ(snapshot(out), before);
}

TEST_F(SimpleBoxTest, GateExactlyZeroBlocksSmallPositivePasses) {
    BoxInverseVideo box;
    render(box, {&on, &off});
    EXPECT_EQ(snapshot(out), before);
    render(box, {&tiny, &on});
    EXPECT_NE(snapshot(out), before);
}

TEST_F(SimpleBoxTest, FaderSubHalfRemoves127) {
    BoxFader box;
    ASSERT_EQ(testsupport::rejectionsOf(box, "sub", reporter), 0);
    FixedFunction half{0.5f};
    render(box, {&half, &on, &on});
    for (size_t i = 0; i < out.pixelCount(); ++i)
        ASSERT_EQ(out.pixels[i], channelMap(before[i], [](uint32_t c) { return c > 127 ? c - 127 : 0u; }));
}

TEST_F(SimpleBoxTest, FaderAddAboveOneGivesWhite) {
    BoxFader box;
    box.configure("add", reporter);
    FixedFunction two{2.0f};
    render(box, {&two, &on, &on});
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(out.pixelCount(), 0xFFFFFFu));
}

TEST_F(SimpleBoxTest, FaderMulAtOneIsUnchangedAtHalfScales) {
    BoxFader box;
    box.configure("mul", reporter);
    render(box, {&on, &on, &on});
    EXPECT_EQ(snapshot(out), before);
    FixedFunction half{0.5f};
    render(box, {&half, &on, &on});
    for (size_t i = 0; i < out.pixelCount(); ++i)
        ASSERT_EQ(out.pixels[i], channelMap(before[i], [](uint32_t c) { return (c * 127) >> 8; }));
}

TEST_F(SimpleBoxTest, FaderNegativeOrNanLevelIsZero) {
    BoxFader sub, add, mul;
    sub.configure("sub", reporter);
    add.configure("add", reporter);
    mul.configure("mul", reporter);
    render(sub, {&negative, &on, &on});
    render(add, {&nan, &on, &on});
    EXPECT_EQ(snapshot(out), before);
    render(mul, {&negative, &on, &on});
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(out.pixelCount(), 0u));
}

TEST_F(SimpleBoxTest, FaderLevelIsNotAGateButFunctionsOneAndTwoAre) {
    BoxFader box;
    box.configure("add", reporter);
    FixedFunction level{0.2f};
    render(box, {&level, &on, &off});
    render(box, {&level, &off, &on});
    EXPECT_EQ(snapshot(out), before);
}

TEST_F(SimpleBoxTest, FaderRejectsOtherWordsAndThenDrawsNothing) {
    for (const char* text : {"Mul", "", "multiply", "  mulx",
                             "subsubsubsubsubsubsubsubsubsubsubsubsub"}) {
        BoxFader box;
        reporter.last.clear();
        EXPECT_EQ(testsupport::rejectionsOf(box, text, reporter), 1) << text;
        EXPECT_EQ(reporter.last, "ZYL_BoxFader MODE non valide!!");
        EXPECT_EQ(box.mode, BoxFader::kNoMode);
        FixedFunction level{0.5f};
        render(box, {&level, &on, &on});
        EXPECT_EQ(snapshot(out), before);
    }
}

TEST_F(SimpleBoxTest, FaderReadsOnlyTheFirstWord) {
    BoxFader box;
    EXPECT_EQ(testsupport::rejectionsOf(box, "  sub extra words", reporter), 0);
    EXPECT_EQ(box.mode, BoxFader::kSub);
    EXPECT_TRUE(reporter.last.empty());
}

TEST_F(SimpleBoxTest, ZoomerLeavesEverythingUnchanged) {
    ShowState show;
    const ScriptType* zoomer = findBoxType("ZYL_BoxZoomer");
    ASSERT_NE(zoomer, nullptr);
    auto box = zoomer->makeBox(show);
    EXPECT_EQ(testsupport::rejectionsOf(*box, "whatever 1 2 3"), 0);
    Surface in;
    fillPattern(in, 64, 32);
    const auto inBefore = snapshot(in);
    std::vector<Function*> functions(10, &on);
    std::vector<Surface*> inputs(10, &in);
    box->render(out, functions, inputs);
    EXPECT_EQ(snapshot(out), before);
    EXPECT_EQ(snapshot(in), inBefore);
}

}  // namespace
}  // namespace velmora
