// What a live reload relies on: the clock that pauses, resumes and jumps, and the
// show session keeping its music, clock and threads while a new graph takes over.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "functions/Function.h"
#include "show/ShowSession.h"
#include "script/DemoGraph.h"
#include "show/FrameTimer.h"
#include "show/MusicTransport.h"

using namespace velmora;

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Music that counts what is done to it.
struct Counts {
    int starts = 0;
    int stops = 0;
    int destroyed = 0;
};
class CountingMusic : public MusicTransport {
public:
    CountingMusic(Counts& counts, uint32_t position) : counts_(counts), position_(position) {}
    ~CountingMusic() override { ++counts_.destroyed; }
    void start() override { ++counts_.starts; }
    void stop() override { ++counts_.stops; }
    uint32_t channelPosition() override { return position_; }

private:
    Counts& counts_;
    uint32_t position_;
};

std::string script(const std::string& wiring) {
    return "[ZYL_FX_Generator]\nZYL_BoxClearSurface efface\nZYL_BoxInverseVideo inverse\n[/ZYL_FX_Generator]\n"
           "[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 65535\n[/ZYL_Fonction]\n"
           "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\n" +
           wiring + "[/CABLAGE]\n";
}

}  // namespace

TEST(FrameTimerPause, PausedClockHoldsItsTimeAndResumesFromIt) {
    FrameTimer clock;
    clock.reset();
    sleepMs(30);
    clock.pause();
    EXPECT_TRUE(clock.paused());
    const double held = clock.seconds();
    EXPECT_GE(held, 0.03);
    sleepMs(60);
    EXPECT_EQ(clock.seconds(), held);
    clock.pause();  // twice changes nothing
    EXPECT_EQ(clock.seconds(), held);

    clock.resume();
    EXPECT_FALSE(clock.paused());
    const double after = clock.seconds();
    EXPECT_GE(after, held);
    EXPECT_LT(after, held + 0.05);  // the 60 ms paused are not counted
    sleepMs(30);
    EXPECT_GE(clock.seconds(), held + 0.03);
}

TEST(FrameTimerPause, SetSecondsJumpsRunningOrPausedAndResetUnpauses) {
    FrameTimer clock;
    clock.reset();
    clock.setSeconds(61.5);
    const double now = clock.seconds();
    EXPECT_GE(now, 61.5);
    EXPECT_LT(now, 62.0);
    clock.setSeconds(2.0);  // backwards too
    EXPECT_LT(clock.seconds(), 2.5);

    clock.pause();
    clock.setSeconds(7.25);
    EXPECT_EQ(clock.seconds(), 7.25);
    EXPECT_TRUE(clock.paused());
    clock.setSeconds(std::numeric_limits<double>::quiet_NaN());  // ignored
    clock.setSeconds(std::numeric_limits<double>::infinity());
    EXPECT_EQ(clock.seconds(), 7.25);
    clock.resume();
    EXPECT_GE(clock.seconds(), 7.25);
    EXPECT_LT(clock.seconds(), 7.75);

    clock.pause();
    clock.reset();
    EXPECT_FALSE(clock.paused());
    EXPECT_LT(clock.seconds(), 0.5);
}

TEST(ShowTakeOver, NewGraphPlaysOnWithTheSessionsMusicAndNothingIsStopped) {
    Counts counts;
    auto session = std::make_unique<ShowSession>(3, std::make_unique<CountingMusic>(counts, makeChannelPosition(3, 10, 128)));
    auto old = std::make_unique<DemoGraph>();
    ASSERT_EQ(old->loadText(script("efface OUT toujours toujours\n")), LoadResult::Loaded);
    session->setGraph(std::move(old));
    session->start();
    EXPECT_EQ(counts.starts, 1);
    EXPECT_TRUE(session->started());

    auto next = std::make_unique<DemoGraph>();
    ASSERT_EQ(next->loadText(script("inverse OUT toujours toujours\n")), LoadResult::Loaded);
    session->setGraph(std::move(next));  // the old graph goes
    EXPECT_TRUE(session->started());
    EXPECT_EQ(session->threadCount(), 3);  // the show's threads stay
    EXPECT_EQ(counts.stops, 0);
    EXPECT_EQ(counts.destroyed, 0);
    EXPECT_EQ(counts.starts, 1);  // not started again

    // The new wiring runs, with the music's position.
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    session->runFrame(frame);
    const TrackerPosition position = trackerPositionOf(session->lastPosition());
    EXPECT_EQ(position.order, 3);
    EXPECT_EQ(position.row, 10);
    EXPECT_EQ(position.rowFraction, 128);
    EXPECT_EQ(frame.pixels[0], 0xFFFFFFu);

    session.reset();  // the show's end stops the music, once
    EXPECT_EQ(counts.stops, 1);
    EXPECT_EQ(counts.destroyed, 1);
}

TEST(ShowTakeOver, ClockRunsOnOrStaysPausedAcrossAReload) {
    ShowSession session;
    session.setGraph(std::make_unique<DemoGraph>());
    session.start();
    session.clock().setSeconds(40.0);
    session.setGraph(std::make_unique<DemoGraph>());
    EXPECT_GE(session.clock().seconds(), 40.0);
    EXPECT_LT(session.clock().seconds(), 40.5);
    EXPECT_FALSE(session.clock().paused());

    session.togglePause();  // without a module, the clock alone
    session.clock().setSeconds(12.0);
    session.setGraph(std::make_unique<DemoGraph>());
    EXPECT_TRUE(session.clock().paused());
    EXPECT_EQ(session.clock().seconds(), 12.0);
}
