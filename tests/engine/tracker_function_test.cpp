// FnctTracker: level parsing, stepping and gliding through the rows.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "TestFunctions.h"
#include "functions/FnctTracker.h"

namespace velmora {
namespace {

testsupport::RecordingReporter reporter;

class FnctTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        reporter = {};
    }

    static FrameInput at(int32_t row, int32_t fraction) {
        FrameInput frame;
        frame.position.row = row;
        frame.position.rowFraction = fraction;
        return frame;
    }
    // A 64-digit word of `fill` with `digit` at `row`.
    static std::string pattern(char fill, int row = -1, char digit = '0') {
        std::string w(64, fill);
        if (row >= 0) w[static_cast<size_t>(row)] = digit;
        return w;
    }
};

TEST_F(FnctTrackerTest, SteppingAlternatesAndIgnoresFraction) {
    FnctTracker f;
    std::string word;
    for (int i = 0; i < 32; ++i) word += "F0";
    ASSERT_EQ(testsupport::rejectionsOf(f, ("0 1.0 0.0 " + word).c_str(), reporter), 0);
    for (int row = 0; row < 64; ++row) {
        for (int fraction : {0, 128, 255}) {
            f.update(at(row, fraction));
            EXPECT_EQ(f.value(), row % 2 == 0 ? 1.0f : 0.0f) << row << "/" << fraction;
        }
    }
    EXPECT_EQ(reporter.count, 0);
}

TEST_F(FnctTrackerTest, SteppingScalesLevelByAmplitude) {
    FnctTracker f;
    f.configure(("0 2.0 0.7 " + pattern('0', 9, '3')).c_str(), reporter);
    f.update(at(9, 200));
    EXPECT_NEAR(f.value(), 0.4f, 1e-6);
}

TEST_F(FnctTrackerTest, GlidingMovesTowardNextRow) {
    FnctTracker f;
    f.configure(("1 1.0 0.0 " + pattern('0', 11, 'F')).c_str(), reporter);
    f.update(at(10, 0));
    EXPECT_EQ(f.value(), 0.0f);
    f.update(at(10, 128));
    EXPECT_EQ(f.value(), static_cast<float>(1.0 * 128 * static_cast<double>(0.00392156886f)));
    EXPECT_NEAR(f.value(), 0.502f, 1e-3);
    f.update(at(10, 255));
    EXPECT_NEAR(f.value(), 1.0f, 1e-6);
}

TEST_F(FnctTrackerTest, GlidingAddsOffsetExceptOnRow63) {
    FnctTracker f;
    f.configure("1 1.0 0.5 " "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", reporter);
    f.update(at(63, 100));
    EXPECT_EQ(f.value(), 1.0f);
    f.update(at(62, 100));
    EXPECT_NEAR(f.value(), 1.5f, 1e-6);
}

TEST_F(FnctTrackerTest, RowsBeyond63WrapAndStillGlide) {
    FnctTracker f;
    f.configure(("1 1.0 0.25 " + pattern('0', 0, 'F')).c_str(), reporter);
    // Row 127 glides from entry 63 toward entry 0 and keeps the offset.
    f.update(at(127, 255));
    EXPECT_NEAR(f.value(), 1.25f, 1e-6);
    // Row 64 uses entry 0.
    f.update(at(64, 0));
    EXPECT_NEAR(f.value(), 1.25f, 1e-6);
    // Row 62 at its end reaches entry 63 (level 0) plus offset.
    f.update(at(62, 255));
    EXPECT_NEAR(f.value(), 0.25f, 1e-6);
}

TEST_F(FnctTrackerTest, NegativeRowStaysInsideThePattern) {
    FnctTracker f;
    f.configure(("0 1.0 0.0 " + pattern('0', 63, 'F')).c_str(), reporter);
    f.update(at(-1, 0));
    EXPECT_EQ(f.value(), 1.0f);
}

TEST_F(FnctTrackerTest, LowerAndUpperCaseDigitsGiveSameLevels) {
    FnctTracker upper, lower;
    const std::string digits = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
    std::string lowered = digits;
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_EQ(testsupport::rejectionsOf(upper, ("0 1 0 " + digits).c_str(), reporter), 0);
    ASSERT_EQ(testsupport::rejectionsOf(lower, ("0 1 0 " + lowered).c_str(), reporter), 0);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(upper.rowLevels[i], i % 16);
        EXPECT_EQ(lower.rowLevels[i], i % 16);
    }
}

TEST_F(FnctTrackerTest, LetterGIsRejectedKeepingEarlierLevels) {
    FnctTracker f;
    EXPECT_EQ(testsupport::rejectionsOf(f, ("0 1 0 " + pattern('5', 40, 'G')).c_str(), reporter), 1);
    EXPECT_EQ(reporter.last, "ZYL_FnctTracker non valide!!");
    EXPECT_EQ(f.rowLevels[39], 5);
    EXPECT_EQ(f.rowLevels[40], 0);
}

TEST_F(FnctTrackerTest, SixtyThreeCharactersAreRejected) {
    FnctTracker f;
    EXPECT_EQ(testsupport::rejectionsOf(f, ("0 1 0 " + std::string(63, 'A')).c_str(), reporter), 1);
    EXPECT_EQ(reporter.count, 1);
    EXPECT_EQ(f.rowLevels[62], 10);
}

TEST_F(FnctTrackerTest, CharactersAfterThe64thAndLongWordsAreIgnored) {
    FnctTracker f;
    EXPECT_EQ(testsupport::rejectionsOf(f, ("0 1 0 " + std::string(64, 'C') + "zzz").c_str(), reporter), 0);
    EXPECT_EQ(testsupport::rejectionsOf(f, ("0 1 0 " + std::string(1000, 'D')).c_str(), reporter), 0);
    EXPECT_EQ(f.rowLevels[63], 13);
    EXPECT_EQ(reporter.count, 0);
}

TEST_F(FnctTrackerTest, MissingWordIsRejected) {
    FnctTracker f;
    EXPECT_EQ(testsupport::rejectionsOf(f, "0 1.0 0.0", reporter), 1);
    EXPECT_EQ(testsupport::rejectionsOf(f, "", reporter), 1);
    EXPECT_EQ(reporter.count, 2);
}

TEST_F(FnctTrackerTest, OtherModeFreezesValue) {
    FnctTracker f;
    f.configure(("2 1.0 0.0 " + pattern('F')).c_str(), reporter);
    EXPECT_EQ(f.value(), 0.0f);
    for (int row = 0; row < 70; ++row) {
        f.update(at(row, 64));
        EXPECT_EQ(f.value(), 0.0f);
    }
}

}  // namespace
}  // namespace velmora
