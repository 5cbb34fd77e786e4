// The simple animation functions: parameter order, defaults, and the
// row/order arithmetic of the strobe and interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

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
    EXPECT_EQ(f.configure(" 2 10 1"), 0);
    f.update(FrameInput{12.0f, {}});
    EXPECT_EQ(f.value(), 5.0f);
    f.update(FrameInput{0.0f, {}});
    EXPECT_EQ(f.value(), -19.0f);
}

TEST(FnctTime, EmptyTextKeepsSpeedOneAndStartsAtZero) {
    FnctTime f;
    EXPECT_EQ(f.configure(""), 0);
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
    EXPECT_EQ(f.configure("5 6 7"), 0);
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

}  // namespace
}  // namespace velmora
