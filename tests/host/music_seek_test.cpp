// Jumping between orders, stepping rows, looping an order and pausing the music
// while a show is being written:
// where the module goes, where its rows then start, what the live player
// reports at once, while paused and after, and the clock following it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "showkit/ModuleWriter.h"
#include "functions/Function.h"
#include "show/ShowSession.h"
#include "platform/ModulePlayer.h"
#include "platform/ModuleStream.h"
#include "script/DemoGraph.h"
#include "show/MusicTransport.h"
#include "test_modules.h"

namespace fs = std::filesystem;
using namespace velmora;
using testing_modules::fractionOf;
using testing_modules::kRowFrames;
using testing_modules::orderOf;
using testing_modules::rowOf;

namespace {

// Song position in 1/256 rows, to compare positions within one order.
uint32_t rowTicks(uint32_t p) { return (rowOf(p) << 8) | fractionOf(p); }

constexpr double kOrderSeconds = 64.0 * kRowFrames / 44100.0;  // 7.68 s

// Three orders of 64 rows: patterns 0, 1, 0.
class SeekModule : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64, 64}, {0, 1, 0}), path_.c_str()));
    }

    // Rows the stream reports while rendering `frames` more frames.
    std::vector<RowStart> render(ModuleStream& stream, int64_t frames) {
        std::vector<RowStart> rows;
        std::vector<int16_t> pcm(4096 * 2);
        while (frames > 0) {
            const size_t n = static_cast<size_t>(std::min<int64_t>(frames, 4096));
            stream.render(pcm.data(), n, [&](const RowStart& r) { rows.push_back(r); });
            frames -= static_cast<int64_t>(n);
        }
        return rows;
    }

    testsupport::ScratchDirectory scratch_{"seek"};
    const fs::path path_ = scratch_ / "timing.xm";
};

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

TEST_F(SeekModule, NeighbourOrdersStopAtBothEnds) {
    ModuleStream stream;
    EXPECT_EQ(stream.neighbourOrder(1, 1), 0);  // nothing loaded
    ASSERT_EQ(stream.load(path_.c_str()), ModuleStream::kLoaded);
    EXPECT_EQ(stream.neighbourOrder(0, +1), 1);
    EXPECT_EQ(stream.neighbourOrder(1, +1), 2);
    EXPECT_EQ(stream.neighbourOrder(2, +1), 2);  // the last order stays
    EXPECT_EQ(stream.neighbourOrder(2, -1), 1);
    EXPECT_EQ(stream.neighbourOrder(0, -1), 0);  // the first order stays
    EXPECT_EQ(stream.neighbourOrder(40, -1), 1);  // out of the list: from its last order
    EXPECT_EQ(stream.neighbourOrder(-3, +1), 1);
}

TEST_F(SeekModule, RowsStartExactlyFromTheSeekOn) {
    ModuleStream stream;
    ASSERT_EQ(stream.load(path_.c_str()), ModuleStream::kLoaded);
    render(stream, 10 * kRowFrames + 1234);  // mid-row in order 0

    RowStart start;
    const double seconds = stream.seekOrder(2, start);
    EXPECT_NEAR(seconds, 2 * kOrderSeconds, 0.01);
    EXPECT_EQ(start.frame, stream.framesRendered());
    EXPECT_EQ(start.order, 2);
    EXPECT_EQ(start.row, 0);
    EXPECT_EQ(start.expectedFrames, kRowFrames);

    // Row 0 is not reported again; row k starts k rows after the seek, to the frame.
    const int64_t from = start.frame;
    const std::vector<RowStart> rows = render(stream, 5 * kRowFrames + 100);
    ASSERT_EQ(rows.size(), 5u);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(rows[k - 1].order, 2) << k;
        EXPECT_EQ(rows[k - 1].row, k) << k;
        EXPECT_EQ(rows[k - 1].frame, from + k * kRowFrames) << k;
    }

    // Back to the first order: its time is 0.
    EXPECT_NEAR(stream.seekOrder(0, start), 0.0, 1e-6);
    const std::vector<RowStart> again = render(stream, kRowFrames + 10);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].order, 0);
    EXPECT_EQ(again[0].row, 1);
}

TEST_F(SeekModule, PlayerReportsTheNewOrderAtOnceAndMovesOnFromRowZero) {
    ModulePlayer player(path_.string());
    EXPECT_LT(player.jumpOrder(+1), 0.0);  // not started: nothing to jump in
    player.start();
    pause(150);
    ASSERT_EQ(orderOf(player.channelPosition()), 0u);

    EXPECT_NEAR(player.jumpOrder(+1), kOrderSeconds, 0.01);
    const uint32_t at = player.channelPosition();
    EXPECT_EQ(orderOf(at), 1u);
    EXPECT_EQ(rowOf(at), 0u);
    EXPECT_LT(rowTicks(at), 16u);  // a small fraction of row 0 at most

    uint32_t previous = at;
    for (int i = 0; i < 8; ++i) {
        pause(40);
        const uint32_t p = player.channelPosition();
        EXPECT_EQ(orderOf(p), 1u) << i;
        EXPECT_GE(rowTicks(p), rowTicks(previous)) << i;
        previous = p;
    }
    EXPECT_GT(rowTicks(previous), 256u);  // 320 ms in: past row 0 (a row is 120 ms)
    EXPECT_LT(rowOf(previous), 32u);  // not some other part of the order

    EXPECT_NEAR(player.jumpOrder(+1), 2 * kOrderSeconds, 0.01);
    EXPECT_NEAR(player.jumpOrder(+1), 2 * kOrderSeconds, 0.01);  // the last order stays
    EXPECT_EQ(orderOf(player.channelPosition()), 2u);
    EXPECT_EQ(rowOf(player.channelPosition()), 0u);
    EXPECT_NEAR(player.jumpOrder(-1), kOrderSeconds, 0.01);
    EXPECT_NEAR(player.jumpOrder(-1), 0.0, 0.01);
    EXPECT_NEAR(player.jumpOrder(-1), 0.0, 0.01);  // the first order stays
    EXPECT_EQ(orderOf(player.channelPosition()), 0u);
    EXPECT_EQ(rowOf(player.channelPosition()), 0u);
    player.stop();
}

// The show's keys act on the music and the clock together.
TEST_F(SeekModule, JumpSetsTheClockToTheOrdersTimeAndPauseHoldsBoth) {
    auto owned = std::make_unique<ModulePlayer>(path_.string());
    ModulePlayer& player = *owned;
    ShowSession session(1, std::move(owned));
    player.setPaused(true);  // not started: nothing to pause
    EXPECT_FALSE(player.paused());
    session.start();
    pause(100);

    session.jumpOrder(+1);
    EXPECT_GE(session.clock().seconds(), kOrderSeconds - 0.01);
    EXPECT_LT(session.clock().seconds(), kOrderSeconds + 0.5);
    const TrackerPosition afterJump = trackerPositionOf(session.music().positionAt(session.clock().seconds()));
    EXPECT_EQ(afterJump.order, 1);
    EXPECT_EQ(afterJump.row, 0);

    session.togglePause();
    EXPECT_TRUE(session.clock().paused());
    EXPECT_TRUE(player.paused());
    const double held = session.clock().seconds();
    const uint32_t position = player.channelPosition();
    pause(150);
    EXPECT_EQ(session.clock().seconds(), held);
    EXPECT_EQ(player.channelPosition(), position);

    session.jumpOrder(-1);  // paused, at the first order's start: time 0
    EXPECT_NEAR(session.clock().seconds(), 0.0, 0.01);
    EXPECT_EQ(player.channelPosition(), makeChannelPosition(0, 0, 0));

    session.togglePause();
    EXPECT_FALSE(session.clock().paused());
    EXPECT_FALSE(player.paused());
    pause(150);
    EXPECT_GT(session.clock().seconds(), 0.1);
    EXPECT_GT(player.channelPosition(), 0u);
}

TEST_F(SeekModule, NeighbourRowsCrossOrdersAndStopAtBothEnds) {
    ModuleStream stream;
    ASSERT_EQ(stream.load(path_.c_str()), ModuleStream::kLoaded);
    struct Step {
        int32_t order, row;
        int direction;
        int32_t wantOrder, wantRow;
    };
    const Step steps[] = {
        {0, 5, +1, 0, 6}, {0, 5, -1, 0, 4},   {0, 63, +1, 1, 0}, {1, 0, -1, 0, 63},
        {0, 0, -1, 0, 0}, {2, 63, +1, 2, 63}, {2, 0, -1, 1, 63},
    };
    for (const Step& s : steps) {
        int32_t order = s.order, row = s.row;
        stream.neighbourRow(order, row, s.direction);
        EXPECT_EQ(order, s.wantOrder) << s.order << ":" << s.row << " " << s.direction;
        EXPECT_EQ(row, s.wantRow) << s.order << ":" << s.row << " " << s.direction;
    }
}

TEST_F(SeekModule, LoopedOrderStartsAgainAtItsRowZeroUntilTheLoopEnds) {
    ModuleStream stream;
    ASSERT_EQ(stream.load(path_.c_str()), ModuleStream::kLoaded);
    RowStart start;
    stream.seekOrderRow(1, 60, start);
    EXPECT_EQ(start.row, 60);
    stream.setLoopOrder(1);
    const std::vector<RowStart> rows = render(stream, 8 * kRowFrames + 100);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[2].row, 63);
    // After row 63 comes row 0 of the same order, a row's length on (to a slice).
    EXPECT_EQ(rows[3].order, 1);
    EXPECT_EQ(rows[3].row, 0);
    EXPECT_NEAR(static_cast<double>(rows[3].frame), static_cast<double>(start.frame + 4 * kRowFrames), 8.0);
    EXPECT_EQ(stream.loopReturns(), 1);
    EXPECT_EQ(stream.lastLoopReturnFrame(), rows[3].frame);
    EXPECT_NEAR(stream.lastLoopReturnSeconds(), kOrderSeconds, 0.01);
    EXPECT_EQ(rows[7].order, 1);
    EXPECT_EQ(rows[7].row, 4);

    // The loop ends: the order plays out into the next one.
    stream.setLoopOrder(-1);
    const std::vector<RowStart> on = render(stream, 61 * kRowFrames);
    ASSERT_FALSE(on.empty());
    EXPECT_EQ(on.back().order, 2);
    EXPECT_EQ(stream.loopReturns(), 1);
}

// Up and Down, and the show's --position, move the music and the clock together.
TEST_F(SeekModule, RowStepsAndTheStartPositionSetTheClockToTheModulesTime) {
    constexpr double kRowSeconds = kRowFrames / 44100.0;
    auto owned = std::make_unique<ModulePlayer>(path_.string());
    ModulePlayer& player = *owned;
    ShowSession session(1, std::move(owned));
    EXPECT_LT(player.stepRow(+1), 0.0);  // not started
    session.start();

    session.startAt(1, 62);
    EXPECT_NEAR(session.clock().seconds(), kOrderSeconds + 62 * kRowSeconds, 0.05);
    EXPECT_EQ(orderOf(player.channelPosition()), 1u);
    EXPECT_EQ(rowOf(player.channelPosition()), 62u);
    session.stepRow(+1);
    session.stepRow(+1);  // past the order's last row: the next order's first
    EXPECT_EQ(orderOf(player.channelPosition()), 2u);
    EXPECT_EQ(rowOf(player.channelPosition()), 0u);
    EXPECT_NEAR(session.clock().seconds(), 2 * kOrderSeconds, 0.05);
    session.stepRow(-1);
    EXPECT_EQ(orderOf(player.channelPosition()), 1u);
    EXPECT_EQ(rowOf(player.channelPosition()), 63u);
    EXPECT_NEAR(session.clock().seconds(), kOrderSeconds + 63 * kRowSeconds, 0.05);

    // Looping order 1 from its last row: the music comes back to row 0 and the clock with it.
    EXPECT_TRUE(session.toggleLoop());
    bool returned = false;
    for (int i = 0; i < 40 && !returned; ++i) {
        pause(25);
        session.followLoop();
        returned = rowOf(player.channelPosition()) < 8 && session.clock().seconds() < kOrderSeconds + 1.0;
    }
    EXPECT_TRUE(returned);
    EXPECT_EQ(orderOf(player.channelPosition()), 1u);
    EXPECT_GE(session.clock().seconds(), kOrderSeconds - 0.01);
    EXPECT_FALSE(session.toggleLoop());
    player.stop();
}
