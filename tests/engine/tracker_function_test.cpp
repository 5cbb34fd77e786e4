// FnctTracker: level parsing, stepping and gliding through the rows.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "TestFunctions.h"
#include "TestSupport.h"
#include "functions/FnctTrack.h"
#include "functions/FnctTracker.h"
#include "functions/Tracks.h"

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

// Sync tracks. The song of these cases: order 0 plays a 64-row pattern, order 1
// a 32-row one, orders 2 and 3 64 rows each, so the orders begin at song rows
// 0, 64, 96 and 160 (224 in all). Order 1 stands for a stretch at another
// tempo: rows count, seconds do not.
constexpr int64_t kSongRows[] = {0, 64, 96, 160, 224};
constexpr const char* kKeys =
    "track k\n"
    "0:16 10 linear   # song row 16\n"
    "1:0 30 smooth    # song row 64\n"
    "1:16 50 ramp     # song row 80\n"
    "2:32 0 step      # song row 128\n"
    "3:0 7 linear     # song row 160, the last key\n";

struct TrackCase {
    const char* what;
    int32_t order, row, fraction;
    bool layout;  // the song's rows known (else 64 a pattern)
    double expected;
};

class TrackValues : public ::testing::TestWithParam<TrackCase> {};

TEST_P(TrackValues, FollowTheKeysOnTheSongsRows) {
    const TrackCase& c = GetParam();
    TrackFile file;
    TrackFileError error;
    ASSERT_TRUE(parseTrackFile(kKeys, file, error)) << error.reason;
    const std::span<const int64_t> rows = c.layout ? std::span<const int64_t>(kSongRows) : std::span<const int64_t>();
    FnctTrack f;
    f.keys = file.tracks[0].keys;
    // Two clocks: the value reads the position alone.
    for (float seconds : {0.0f, 97.5f}) {
        f.update(FrameInput{seconds, {c.order, c.row, c.fraction}, {}, rows});
        EXPECT_EQ(f.value(), static_cast<float>(c.expected)) << c.what;
    }
    EXPECT_EQ(trackValueAt(f.keys, rows, {c.order, c.row, c.fraction}), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Interpolation, TrackValues,
    ::testing::Values(
        TrackCase{"before the first key: its value", 0, 0, 0, true, 10.0},
        TrackCase{"at the first key", 0, 16, 0, true, 10.0},
        // Linear 16 -> 64: row 40 is 24 of 48 rows, half way from 10 to 30.
        TrackCase{"linear, half way", 0, 40, 0, true, 20.0},
        // Fraction 128 is half a row: 24.5 of 48 rows.
        TrackCase{"linear, through the row", 0, 40, 128, true, 10.0 + 20.0 * (24.5 / 48.0)},
        TrackCase{"after a loop of the song, the same", 0, 40, 0, true, 20.0},
        // Smooth 64 -> 80 in the short pattern: t = 4/16, t*t*(3-2t) = 0.15625.
        TrackCase{"smooth, a quarter in (short pattern)", 1, 4, 0, true, 30.0 + 20.0 * 0.15625},
        TrackCase{"smooth, half way", 1, 8, 0, true, 40.0},
        TrackCase{"an order played twice replays its value", 1, 4, 0, true, 30.0 + 20.0 * 0.15625},
        // Ramp 80 -> 128 across the end of order 1: 2:8 is song row 104, t = 24/48, t*t = 0.25.
        TrackCase{"ramp across an order's end", 2, 8, 0, true, 50.0 - 50.0 * 0.25},
        // Without the layout order 1 counts 64 rows: 80 -> 160, 2:8 is row 136, t = 56/80.
        TrackCase{"ramp, every pattern taken as 64 rows", 2, 8, 0, false, 50.0 - 50.0 * (0.7 * 0.7)},
        TrackCase{"step holds to the next key", 2, 63, 255, true, 0.0},
        TrackCase{"at the last key", 3, 0, 0, true, 7.0},
        TrackCase{"after the last key: its value", 9, 10, 200, true, 7.0}));

TEST(Tracks, NoKeyIsZeroAndOneKeyIsEverywhere) {
    EXPECT_EQ(trackValueAt({}, kSongRows, {1, 2, 3}), 0.0);
    const TrackKey one[] = {{2, 5, -4.5f, Interpolation::Smooth}};
    for (const TrackerPosition p : {TrackerPosition{0, 0, 0}, TrackerPosition{2, 5, 0}, TrackerPosition{3, 1, 9}})
        EXPECT_EQ(trackValueAt(one, kSongRows, p), -4.5);
}

TEST(Tracks, WrittenAndReadBackTheKeysAreEqual) {
    TrackFile file;
    TrackFileError error;
    const std::string text = std::string(kKeys) + "track other.y\n5:3 0.1 ramp\n0:0 -3.40282347e+38 step\n";
    ASSERT_TRUE(parseTrackFile(text, file, error)) << error.reason;
    TrackFile again;
    ASSERT_TRUE(parseTrackFile(formatTrackFile(file), again, error)) << error.reason;
    ASSERT_EQ(again.tracks.size(), 2u);
    for (size_t t = 0; t < 2; ++t) {
        EXPECT_EQ(again.tracks[t].name, file.tracks[t].name);
        EXPECT_EQ(again.tracks[t].keys, file.tracks[t].keys);
    }
    EXPECT_EQ(again.tracks[1].keys.front().order, 0);  // sorted by position
}

struct HostileTrackCase {
    const char* what;
    std::string text;
    int line;
    const char* reason;  // a part of it
};

class HostileTrackFiles : public ::testing::TestWithParam<HostileTrackCase> {};

TEST_P(HostileTrackFiles, AreRefusedWithTheirLine) {
    TrackFile file;
    TrackFileError error;
    EXPECT_FALSE(parseTrackFile(GetParam().text, file, error));
    EXPECT_EQ(error.line, GetParam().line) << error.reason;
    EXPECT_NE(error.reason.find(GetParam().reason), std::string::npos) << error.reason;
    EXPECT_TRUE(file.tracks.empty());
}

std::string manyTracks(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "track t" + std::to_string(i) + "\n";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, HostileTrackFiles,
    ::testing::Values(
        HostileTrackCase{"nan", "track a\n0:0 1 step\n0:4 nan linear\n", 3, "not a finite number"},
        HostileTrackCase{"inf", "track a\n0:0 -inf linear\n", 2, "not a finite number"},
        HostileTrackCase{"past a float", "track a\n0:0 1e39 linear\n", 2, "not a finite number"},
        HostileTrackCase{"huge order", "track a\n99999999999999999999:0 1 step\n", 2, "is not ORDER:ROW"},
        HostileTrackCase{"row past 255", "track a\n0:256 1 step\n", 2, "is not ORDER:ROW"},
        HostileTrackCase{"negative row", "track a\n0:-1 1 step\n", 2, "is not ORDER:ROW"},
        HostileTrackCase{"junk", "track a\n\x01\x02\xff garbage\n", 2, "a key is"},
        HostileTrackCase{"a number with junk", "track a\n0:0 12abc step\n", 2, "is not a number"},
        HostileTrackCase{"a word too many", "track a\n0:0 1 step 4\n", 2, "a key is"},
        HostileTrackCase{"unknown interpolation", "track a\n0:0 1 cubic\n", 2, "not step, linear, smooth or ramp"},
        HostileTrackCase{"key before a track", "# keys\n0:0 1 step\n", 2, "before any 'track NAME'"},
        HostileTrackCase{"bad track name", "track a/b\n", 1, "is not 1 to 255"},
        HostileTrackCase{"two tracks of a name", "track a\n0:0 1 step\ntrack a\n", 3, "the first is on line 1"},
        HostileTrackCase{"two keys at a row", "track a\n0:4 1 step\n0:0 1 step\n0:4 2 step\n", 4,
                         "the first is on line 2"},
        HostileTrackCase{"overlong line", "track a\n" + std::string(3000, '1') + "\n", 2, "longer than 2559"},
        HostileTrackCase{"NUL byte", std::string("track a\n0:0 1\0 step\n", 20), 2, "NUL"},
        HostileTrackCase{"too many tracks", manyTracks(4097), 4097, "more than 4096 tracks"}));

TEST(Tracks, DamagedOrMissingFileIsAFatalErrorNamingFileAndLine) {
    testsupport::ScratchDirectory dir("tracks");
    testsupport::writeFile(dir / "a.tracks", "track x\n0:0 1 linear\n\n1:0 nan step\n");
    FnctTrack f;
    ShowError error = testsupport::errorRaisedBy([&] { f.configure((dir.file("a.tracks") + " x").c_str()); });
    EXPECT_EQ(error.message, "Track file refused");
    EXPECT_EQ(error.file, dir.file("a.tracks"));
    EXPECT_EQ(error.reason.rfind("line 4: ", 0), 0u) << error.reason;
    testsupport::writeFile(dir / "a.tracks", "track x\n0:0 1 linear\n");
    error = testsupport::errorRaisedBy([&] { f.configure((dir.file("a.tracks") + " y").c_str()); });
    EXPECT_NE(error.reason.find("no track 'y' (it holds x)"), std::string::npos) << error.reason;
    error = testsupport::errorRaisedBy([&] { f.configure((dir.file("none.tracks") + " y").c_str()); });
    EXPECT_EQ(error.reason.rfind("not found (the working directory is ", 0), 0u) << error.reason;
    EXPECT_EQ(testsupport::rejectionsOf(f, dir.file("a.tracks").c_str(), reporter), 1);
    f.configure((dir.file("a.tracks") + " x").c_str());
    EXPECT_EQ(f.keys.size(), 1u);
}

}  // namespace
}  // namespace velmora
