// Jumping between orders and pausing the music while a show is being written:
// where the module goes, where its rows then start, what the live player
// reports at once, while paused and after, and the clock following it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "ModuleWriter.h"
#include "functions/Function.h"
#include "host/ShowControls.h"
#include "platform/ModulePlayer.h"
#include "platform/ModuleStream.h"
#include "script/DemoGraph.h"
#include "script/Music.h"
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
        path_ = fs::temp_directory_path() / ("velmora_seek_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xm");
        ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64, 64}, {0, 1, 0}), path_.c_str()));
    }
    void TearDown() override { fs::remove(path_); }

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

    fs::path path_;
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
    DemoGraph graph;
    auto owned = std::make_unique<ModulePlayer>(path_.string());
    ModulePlayer& player = *owned;
    graph.setMusic(std::move(owned));
    player.setPaused(true);  // not started: nothing to pause
    EXPECT_FALSE(player.paused());
    graph.startShow();
    pause(100);

    jumpOrder(graph, player, +1);
    EXPECT_GE(graph.clock.seconds(), kOrderSeconds - 0.01);
    EXPECT_LT(graph.clock.seconds(), kOrderSeconds + 0.5);
    const TrackerPosition afterJump = graph.readTrackerPosition();
    EXPECT_EQ(afterJump.order, 1);
    EXPECT_EQ(afterJump.row, 0);

    togglePause(graph, player);
    EXPECT_TRUE(graph.clock.paused());
    EXPECT_TRUE(player.paused());
    const double held = graph.clock.seconds();
    const uint32_t position = player.channelPosition();
    pause(150);
    EXPECT_EQ(graph.clock.seconds(), held);
    EXPECT_EQ(player.channelPosition(), position);

    jumpOrder(graph, player, -1);  // paused, at the first order's start: time 0
    EXPECT_NEAR(graph.clock.seconds(), 0.0, 0.01);
    EXPECT_EQ(player.channelPosition(), makeChannelPosition(0, 0, 0));

    togglePause(graph, player);
    EXPECT_FALSE(graph.clock.paused());
    EXPECT_FALSE(player.paused());
    pause(150);
    EXPECT_GT(graph.clock.seconds(), 0.1);
    EXPECT_GT(player.channelPosition(), 0u);
}
