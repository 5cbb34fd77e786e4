// The simple animation functions: parameter order, defaults, the row/order
// arithmetic of the strobe and interval, and the channel level function.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "TestFunctions.h"
#include "functions/FnctCanal.h"
#include "functions/Generators.h"

namespace velmora {
namespace {

FrameInput at(int32_t order, int32_t row) {
    FrameInput frame;
    frame.position.order = order;
    frame.position.row = row;
    return frame;
}

TEST(FnctTime, RampsFromStartWithoutClamping) {
    FnctTime f;
    EXPECT_EQ(testsupport::rejectionsOf(f, " 2 10 1"), 0);
    f.update(FrameInput{12.0f, {}});
    EXPECT_EQ(f.value(), 5.0f);
    f.update(FrameInput{0.0f, {}});
    EXPECT_EQ(f.value(), -19.0f);
}

TEST(FnctTime, EmptyTextKeepsSpeedOneAndStartsAtZero) {
    FnctTime f;
    EXPECT_EQ(testsupport::rejectionsOf(f, ""), 0);
    EXPECT_EQ(f.speed, 1.0f);
    EXPECT_EQ(f.value(), 0.0f);
    f.update(FrameInput{7.5f, {}});
    EXPECT_EQ(f.value(), 7.5f);
}

TEST(FnctTime, ShortTextLeavesLaterFieldsAtZero) {
    FnctTime f;
    f.configure("3");
    EXPECT_EQ(f.speed, 3.0f);
    EXPECT_EQ(f.start, 0.0f);
    EXPECT_EQ(f.offset, 0.0f);
    f.update(FrameInput{2.0f, {}});
    EXPECT_EQ(f.value(), 6.0f);
}

TEST(FnctTime, ComputesInDoubleAndStoresFloat) {
    // (t - start) * speed + offset in double, then rounded once to float.
    // Float arithmetic throughout would give 5.97999954.
    FnctTime f;
    f.configure("3.3 0.3 0.7");
    f.update(FrameInput{1.9f, {}});
    EXPECT_EQ(f.value(), 5.98000002f);
}

TEST(FnctSin, FirstNumberIsFrequencySecondIsPhase) {
    FnctSin f;
    f.configure("6.28 0 1 0");
    f.update(FrameInput{0.25f, {}});
    EXPECT_NEAR(f.value(), 1.0f, 1e-3);
    EXPECT_EQ(f.frequency, 6.28f);
    EXPECT_EQ(f.phase, 0.0f);

    FnctSin shifted;
    shifted.configure("0 1.5707963 1 0");
    shifted.update(FrameInput{123.0f, {}});
    EXPECT_NEAR(shifted.value(), 1.0f, 1e-6);
}

TEST(FnctSin, SwingsBetweenOffsetMinusAndPlusAmplitude) {
    FnctSin f;
    f.configure("1 0 0.5 0.5");
    float lo = 1.0f, hi = 0.0f;
    for (int i = 0; i < 700; ++i) {
        f.update(FrameInput{static_cast<float>(i) * 0.01f, {}});
        lo = std::min(lo, f.value());
        hi = std::max(hi, f.value());
    }
    EXPECT_NEAR(lo, 0.0f, 1e-3);
    EXPECT_NEAR(hi, 1.0f, 1e-3);
}

TEST(FnctConstante, IsZeroWhateverTextAndTime) {
    FnctConstante f;
    EXPECT_EQ(testsupport::rejectionsOf(f, "5 6 7"), 0);
    f.update(FrameInput{100.0f, {}});
    EXPECT_EQ(f.value(), 0.0f);
}

TEST(FnctStrobo, PeriodFourOneRowFromZero) {
    FnctStrobo f;
    f.configure("4 1 0");
    for (int row = 0; row < 64; ++row) {
        f.update(at(0, row));
        EXPECT_EQ(f.value(), row % 4 == 0 ? 1.0f : 0.0f) << "row " << row;
    }
}

TEST(FnctStrobo, RowsBeforeOffsetHaveNegativeRemainder) {
    FnctStrobo f;
    f.configure("8 2 4");
    EXPECT_EQ(f.period, 8);
    EXPECT_EQ(f.onRows, 2);
    EXPECT_EQ(f.offset, 4);
    const int onRows[] = {0, 1, 2, 3, 4, 5, 12, 13, 20, 21, 28, 29};
    for (int row = 0; row < 32; ++row) {
        f.update(at(0, row));
        bool expectOn = false;
        for (int r : onRows) expectOn = expectOn || r == row;
        EXPECT_EQ(f.value(), expectOn ? 1.0f : 0.0f) << "row " << row;
    }
}

TEST(FnctStrobo, ZeroPeriodStaysDark) {
    FnctStrobo f;
    f.configure("0 5 0");
    f.update(at(0, 3));
    EXPECT_EQ(f.value(), 0.0f);
}

TEST(FnctStrobo, PeriodMinusOneWithExtremeDifferenceDoesNotTrap) {
    // row - offset is INT32_MIN, whose remainder by -1 must come out as 0.
    FnctStrobo f;
    f.configure("-1 1 1");
    const FrameInput frame = at(0, INT32_MIN + 1);
    f.update(frame);
    EXPECT_EQ(f.value(), 1.0f);
    f.configure("-1 0 1");
    f.update(frame);
    EXPECT_EQ(f.value(), 0.0f);
}

TEST(FnctIntervale, InclusiveRange) {
    FnctIntervale f;
    f.configure("3 5");
    for (int order = 0; order < 8; ++order) {
        f.update(at(order, 0));
        EXPECT_EQ(f.value(), (order >= 3 && order <= 5) ? 1.0f : 0.0f) << "order " << order;
    }
}

TEST(FnctIntervale, ReversedRangeIsNeverOn) {
    FnctIntervale f;
    f.configure("5 3");
    for (int order = 0; order < 8; ++order) {
        f.update(at(order, 0));
        EXPECT_EQ(f.value(), 0.0f) << "order " << order;
    }
}

TEST(FnctCanal, LevelOfItsChannelTimesAmplitudePlusOffset) {
    // Channels count from 1; a channel the music lacks, or no music, reads level 0;
    // levels outside 0..1 are kept to it.
    const float nan = std::nanf("");
    const struct {
        const char* text;
        std::vector<float> levels;
        float expected;
    } cases[] = {
        {"1 2 0.5", {0.25f, 1.0f}, 1.0f},
        {"2 2 0.5", {0.25f, 1.0f}, 2.5f},
        {"3 2 0.5", {0.25f, 1.0f}, 0.5f},
        {"1 2 0.5", {}, 0.5f},
        {"1 -4 1", {0.5f}, -1.0f},
        {"1 1 0", {1.5f}, 1.0f},
        {"1 1 0", {-0.5f}, 0.0f},
        {"1 1 0", {nan}, 0.0f},
        {"1 0.1 0.7", {0.3f}, static_cast<float>(static_cast<double>(0.3f) * 0.1f + 0.7f)},
    };
    for (const auto& c : cases) {
        FnctCanal f;
        ASSERT_EQ(testsupport::rejectionsOf(f, c.text), 0) << c.text;
        FrameInput frame;
        frame.channelLevels = c.levels;
        f.update(frame);
        EXPECT_EQ(f.value(), c.expected) << c.text;
        EXPECT_TRUE(f.readsChannelLevels());
    }
}

TEST(FnctCanal, TextWithoutAChannelFromOneAmplitudeAndOffsetIsRejected) {
    // A rejected function keeps what was scanned and never reads outside the levels.
    const struct {
        const char* text;
        float valueAtFullLevel;
    } cases[] = {{"", 0.0f}, {"1 2", 2.0f}, {"0 1 0.5", 0.5f}, {"-3 1 0.5", 0.5f}, {"x 1 0", 0.0f}, {"1 y 0", 0.0f}};
    for (const auto& c : cases) {
        FnctCanal f;
        testsupport::RecordingReporter reporter;
        EXPECT_EQ(testsupport::rejectionsOf(f, c.text, reporter), 1) << c.text;
        EXPECT_EQ(reporter.last, "ZYL_FnctCanal non valide!!") << c.text;
        FrameInput frame;
        const float levels[] = {1.0f};
        frame.channelLevels = levels;
        f.update(frame);
        EXPECT_EQ(f.value(), c.valueAtFullLevel) << c.text;
    }
}

}  // namespace
}  // namespace velmora
