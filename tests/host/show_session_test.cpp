// What a live reload relies on: the clock that pauses, resumes and jumps, and the
// show session keeping its music, clock and threads while a new graph takes over.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "core/ErrorReporter.h"
#include "functions/Function.h"
#include "host/outputs/RenderAudio.h"
#include "host/live/Show.h"
#include "platform/FeedMusic.h"
#include "platform/ModuleInfo.h"
#include "show/LiveShow.h"
#include "show/RenderBounds.h"
#include "show/ShowSession.h"
#include "script/DemoGraph.h"
#include "script/ScriptChecker.h"
#include "show/FrameTimer.h"
#include "show/MusicTransport.h"

namespace fs = std::filesystem;
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

// The page's entry points (src/platform/web/WebShow.cpp), built natively here.
extern "C" {
int velmora_load(const char* script);
const char* velmora_error();
int velmora_play(double milliseconds);
const float* velmora_music_fill(int frames);
int velmora_key(const char* key);
int velmora_frame(double milliseconds, double heard);
const uint8_t* velmora_rgba();
int velmora_reload(const char* source);
const char* velmora_overlay();
int velmora_screenshot_size();
const uint8_t* velmora_screenshot();
void velmora_screenshot_taken();
int velmora_render_begin(const char* frames, const char* fps, const char* start, const char* position, int preroll);
double velmora_render_prepare(double milliseconds);
const uint32_t* velmora_render_frame(int k);
int velmora_bench_frames(const char* frames);
const char* velmora_reload_problems_json();
const char* velmora_script();
const char* velmora_song_json();
int velmora_seek(int order, int row);
uint32_t velmora_position();
const float* velmora_channel_levels(int count);
}

namespace {

// One pass of the same command sequence in both hosts: the display's event
// (the page gets its key's DOM name), the time, the sound heard, and a new
// script to reload from (empty: none).
struct Step {
    HostEvent event;
    double milliseconds;
    int64_t heard;
    std::string newScript;
};

// The window as the tests drive it: the scripted events through the display
// adapter's key names, the frames kept as RGBA as the page's canvas gets them.
class ScriptedWindow : public ShowPlatform {
public:
    double now() override { return milliseconds / 1000.0; }
    ShowCommand pollInput() override { return commandForKey(hostEventKey(std::exchange(event, HostEvent::None))); }
    void present(const Surface& frame, const ShowOverlay& overlay) override {
        std::string rgba(4 * frame.pixelCount(), '\0');
        for (size_t i = 0; i < frame.pixelCount(); ++i) {
            const uint32_t p = frame.pixels[i];
            rgba[4 * i] = static_cast<char>(p >> 16);
            rgba[4 * i + 1] = static_cast<char>(p >> 8);
            rgba[4 * i + 2] = static_cast<char>(p);
            rgba[4 * i + 3] = static_cast<char>(255);
        }
        frames.push_back(std::hash<std::string>{}(rgba));
        overlays.push_back(overlay.counterShown ? overlay.counterLine() + "\n" + overlay.positionLine() : "");
    }
    void saveScreenshot(const std::vector<uint8_t>& bmp) override { screenshots.push_back(bmp); }
    void showFatal(const std::string&) override {}

    HostEvent event = HostEvent::None;
    double milliseconds = 0.0;
    std::vector<size_t> frames;
    std::vector<std::string> overlays;
    std::vector<std::vector<uint8_t>> screenshots;
};

// The default show's folder with a script of its own, so that a reload can rewrite it.
class BothHosts : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path show = fs::path(VELMORA_TOOLS_DIR) / "show";
        if (!fs::exists(show / "data" / "zik.mo3")) GTEST_SKIP() << "the default show is not built";
        fs::create_directory_symlink(show / "data", scratch_.path() / "data");
        original_ = testsupport::readFile(show / "script.zyl");
        reloaded_ = original_;
        // The reload inverts the whole frame at the end.
        reloaded_.replace(reloaded_.find("[/ZYL_FX_Generator]"), 0, "ZYL_BoxInverseVideo tout_inverse\n");
        reloaded_.replace(reloaded_.rfind("[/CABLAGE]"), 0, "tout_inverse OUT toujours toujours\n");
        previous_ = fs::current_path();
        fs::current_path(scratch_.path());
    }
    void TearDown() override {
        if (!previous_.empty()) fs::current_path(previous_);
    }
    void writeScript(const std::string& text) {
        std::ofstream(scratch_.path() / "script.zyl", std::ios::binary | std::ios::trunc) << text;
    }

    testsupport::ScratchDirectory scratch_{"hosts"};
    fs::path previous_;
    std::string original_, reloaded_;
};

}  // namespace

TEST_F(BothHosts, TheSameKeysSeeksReloadAndLoopGiveTheSameFramesInTheWindowAndThePage) {
    constexpr int kFill = 4096;
    std::vector<Step> steps;
    double ms = 1000.0;
    int64_t heard = 0;
    auto step = [&](HostEvent event, double advanceMs, std::string script = {}) {
        ms += advanceMs;
        heard = std::max<int64_t>(0, heard + static_cast<int64_t>(advanceMs * 44.1));
        steps.push_back({event, ms, heard, std::move(script)});
    };
    step(HostEvent::None, 0);
    step(HostEvent::F1, 20);
    step(HostEvent::Right, 20);
    step(HostEvent::None, 500);
    step(HostEvent::Down, 20);
    step(HostEvent::Down, 20);
    step(HostEvent::Up, 20);
    step(HostEvent::Space, 20);
    step(HostEvent::None, 300);
    step(HostEvent::Space, 20);
    step(HostEvent::Enter, 20);
    step(HostEvent::F5, 20, "reload");
    step(HostEvent::L, 20);
    for (int k = 0; k < 12; ++k) step(HostEvent::None, 800);  // past the looped order's end: the clock goes back
    step(HostEvent::Left, 20);
    step(HostEvent::None, 40);

    // The window: the display adapter's pass over the core.
    writeScript(original_);
    ScriptedWindow window;
    window.milliseconds = steps.front().milliseconds;
    auto ownedFeed = std::make_unique<FeedMusic>();
    FeedMusic& feed = *ownedFeed;
    ASSERT_TRUE(feed.load("data/zik.mo3"));
    ShowSession session(1, std::move(ownedFeed), [&] { return static_cast<int64_t>(window.milliseconds * 1e6); });
    ASSERT_FALSE(session.load("script.zyl", kDefaultSurfaceBudgetBytes, standardErrorReporter()).fatal);
    if (session.graph().readsChannelLevels()) feed.keepChannelLevels();
    session.start();
    LiveShow live(session, "script.zyl");
    std::vector<int16_t> pcm(2 * kFill);
    int64_t filled = 0;
    ::testing::internal::CaptureStdout();
    for (const Step& s : steps) {
        while (filled < s.heard + kFill) {
            feed.fill(pcm.data(), kFill);
            filled += kFill;
        }
        if (!s.newScript.empty()) writeScript(reloaded_);
        window.event = s.event;
        window.milliseconds = s.milliseconds;
        feed.setHeard(s.heard);
        ASSERT_TRUE(runShowPass(live, window, nullptr));
    }
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("script.zyl: reloaded"), std::string::npos);
    const double windowSeconds = session.clock().seconds();

    // The page: its shims, keys by their DOM names, the reload as text.
    writeScript(original_);
    ASSERT_EQ(velmora_load("script.zyl"), 0) << velmora_error();
    ASSERT_EQ(velmora_play(steps.front().milliseconds), 0) << velmora_error();
    filled = 0;
    std::vector<size_t> pageFrames;
    std::vector<std::string> pageOverlays;
    std::vector<uint8_t> pageShot;
    for (const Step& s : steps) {
        while (filled < s.heard + kFill) {
            velmora_music_fill(kFill);
            filled += kFill;
        }
        if (!s.newScript.empty()) {
            EXPECT_EQ(velmora_reload(reloaded_.c_str()), 0);
        } else if (const std::string_view key = hostEventKey(s.event); !key.empty()) {
            EXPECT_EQ(velmora_key(std::string(key).c_str()), 1) << key;
        }
        ASSERT_EQ(velmora_frame(s.milliseconds, static_cast<double>(s.heard)), 0) << velmora_error();
        const uint8_t* rgba = velmora_rgba();
        pageFrames.push_back(std::hash<std::string>{}(std::string(reinterpret_cast<const char*>(rgba), 4 * 512 * 256)));
        pageOverlays.push_back(velmora_overlay());
        if (velmora_screenshot_size() > 0) {
            pageShot.assign(velmora_screenshot(), velmora_screenshot() + velmora_screenshot_size());
            velmora_screenshot_taken();
        }
    }

    ASSERT_EQ(window.frames.size(), steps.size());
    EXPECT_EQ(pageFrames, window.frames);
    EXPECT_EQ(pageOverlays, window.overlays);
    ASSERT_EQ(window.screenshots.size(), 1u);
    EXPECT_EQ(pageShot, window.screenshots.front());
    // The sequence moved the music and the reload changed the frames: not a still show.
    EXPECT_NE(window.frames[10], window.frames[12]);
    EXPECT_NE(window.overlays[2], window.overlays[1]);
    // Order 1 looped: twelve 0.8 s steps went past its end and the clock came
    // back into it; then Left went to order 0.
    const std::string& looped = window.overlays[steps.size() - 3];
    EXPECT_EQ(looped.find("order 1 row"), looped.find('\n') + 1) << looped;
    EXPECT_LT(looped.substr(looped.size() - 8), "00:15.36") << looped;
    EXPECT_NE(window.overlays.back().find("order 0 row 0 00:00.04"), std::string::npos) << window.overlays.back();
    EXPECT_LT(windowSeconds, 0.1);

    // A refused text: every problem as a value with its line and check's
    // words; the last good script stays, in the page and in its file.
    std::string refused = reloaded_;
    refused.replace(refused.find("ZYL_BoxInverseVideo"), 19, "ZYL_BoxInverseVidoe");
    const CheckReport checked = checkScriptText(refused);
    ASSERT_FALSE(checked.problems.empty());
    EXPECT_EQ(velmora_reload(refused.c_str()), 1);
    const std::string problems = velmora_reload_problems_json();
    EXPECT_EQ(problems.find("{\"line\":" + std::to_string(checked.problems.front().line) + ",\"text\":\"" +
                            checked.problems.front().message + "\"}"),
              1u)
        << problems;
    EXPECT_EQ(velmora_script(), reloaded_);
    EXPECT_EQ(testsupport::readFile("script.zyl"), reloaded_);
    ASSERT_EQ(velmora_frame(steps.back().milliseconds + 20, static_cast<double>(steps.back().heard)), 0)
        << velmora_error();

    // The track pane's calls: the song as the module lays it out, a seek
    // that the next frame shows, the channels' levels.
    ModuleInfo info;
    std::string why;
    ASSERT_TRUE(readModuleInfo("data/zik.mo3", info, why)) << why;
    ASSERT_GT(info.orders.size(), 2u);
    std::string orders;
    for (const ModuleOrder& order : info.orders) {
        if (!orders.empty()) orders += ',';
        orders += "{\"pattern\":" + std::to_string(order.pattern) + ",\"rows\":" + std::to_string(order.rows) + "}";
    }
    EXPECT_EQ(velmora_song_json(), "{\"channels\":" + std::to_string(info.channels) + ",\"orders\":[" + orders + "]}");
    ASSERT_EQ(velmora_seek(2, 5), 0) << velmora_error();
    ASSERT_EQ(velmora_frame(steps.back().milliseconds + 40, static_cast<double>(steps.back().heard)), 0)
        << velmora_error();
    EXPECT_EQ(velmora_position() & 0xFFFFu, 2u);
    EXPECT_EQ(velmora_position() >> 24, 5u);
    EXPECT_NE(velmora_channel_levels(info.channels), nullptr);
    EXPECT_EQ(velmora_channel_levels(0), nullptr);
}

TEST(PageBounds, QueryValuesAreRefusedWithTheCommandLinesWords) {
    const struct {
        const char *frames, *fps, *start, *position;
        int preroll;
        const char* words;
    } cases[] = {
        {"1000000000000", nullptr, nullptr, nullptr, 0,
         "velmora render: --frames: '1000000000000' is not a whole number of frames from 1 to 1000000"},
        {"1", nullptr, nullptr, "garbage", 0,
         "velmora render: --position: 'garbage' is not ORDER:ROW:FRACTION (order 0-65535, row and fraction 0-255)"},
        {"1", nullptr, nullptr, "-1:-1:-1", 0,
         "velmora render: --position: '-1:-1:-1' is not ORDER:ROW:FRACTION (order 0-65535, row and fraction 0-255)"},
        {"1", "Infinity", nullptr, nullptr, 0,
         "velmora render: --fps: 'Infinity' is not a number of frames per second above 0, such as 50, 29.97 or "
         "60000/1001"},
        {"1", nullptr, "1e6", nullptr, 1, "velmora render: option '--preroll' would evaluate more than 1000000 frames"},
        {"1", nullptr, "soon", nullptr, 0, "velmora render: --start: 'soon' is not a time in seconds"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(velmora_render_begin(c.frames, c.fps, c.start, c.position, c.preroll), 1) << c.words;
        EXPECT_STREQ(velmora_error(), c.words);
    }
    EXPECT_EQ(velmora_bench_frames("abc"), 0);
    EXPECT_STREQ(velmora_error(), "velmora bench: --frames: 'abc' is not a whole number of frames from 1 to 1000000");
    EXPECT_EQ(velmora_bench_frames(nullptr), 100);
    // A fatal error shows its English reason under the show's own words, as the native box does.
    EXPECT_EQ(velmora_load("absent.zyl"), 1);
    const std::string fatal = velmora_error();
    EXPECT_EQ(fatal.rfind("Script non trouv", 0), 0u) << fatal;
    EXPECT_NE(fatal.find("\n\nabsent.zyl: not found"), std::string::npos) << fatal;
}

TEST_F(BothHosts, APageRenderGivesTheCommandsFramesWithAndWithoutPreroll) {
    writeScript(original_);
    ASSERT_EQ(velmora_load("script.zyl"), 0) << velmora_error();
    // Beyond the music's reach the page refuses as render does.
    EXPECT_EQ(velmora_render_begin("1", nullptr, "1e6", nullptr, 0), 1);
    EXPECT_STREQ(velmora_error(), "velmora render: frames past 6 hours of music; give --position instead");

    // With the frames before the start evaluated, and without: the music
    // decoded in slices up to the start. From 0 at 10 frames a second the
    // third frame is in the second row.
    const struct {
        const char *fpsText, *startText;
        double fps, start;
        int preroll;
    } cases[] = {{"25", "9.5", 25.0, 9.5, 1}, {"25", "9.5", 25.0, 9.5, 0}, {"10", "0", 10.0, 0.0, 0}};
    for (const auto& c : cases) {
        const int preroll = c.preroll;
        ASSERT_EQ(velmora_render_begin("3", c.fpsText, c.startText, nullptr, preroll), 0) << velmora_error();
        int slices = 0;
        double done = 0.0;
        while ((done = velmora_render_prepare(2.0)) < 1.0) {
            ASSERT_GE(done, 0.0) << velmora_error();
            ++slices;
        }
        if (c.start > 0) {
            EXPECT_GT(slices, 1);  // the preroll, or the music up to the start, went in slices
        }
        std::vector<uint32_t> page;
        for (int k = 0; k < 3; ++k) {
            const uint32_t* words = velmora_render_frame(k);
            ASSERT_NE(words, nullptr);
            page.insert(page.end(), words, words + 512 * 256);
        }

        // The same frames from the core as render evaluates them.
        RenderAudio audio;
        audio.load("data/zik.mo3");
        ShowSession session(1);
        ASSERT_FALSE(session.load("script.zyl", kDefaultSurfaceBudgetBytes, standardErrorReporter()).fatal);
        class Decoded : public MusicTransport {
        public:
            explicit Decoded(RenderAudio& audio) : audio_(audio) {}
            uint32_t channelPosition() override { return 0; }
            uint32_t positionAt(double seconds) override { return audio_.positionAt(seconds); }
            std::span<const float> channelLevelsAt(double seconds) override { return audio_.channelLevelsAt(seconds); }

        private:
            RenderAudio& audio_;
        };
        session.setMusic(std::make_unique<Decoded>(audio));
        if (session.graph().readsChannelLevels()) audio.recordChannelLevels();
        Surface frame;
        frame.allocate(512, 256);
        for (int j = 0; preroll && j < prerollFrameCount(c.start, c.fps); ++j) session.evaluateAt(j / c.fps, frame);
        std::vector<uint32_t> native;
        for (int k = 0; k < 3; ++k) {
            session.evaluateAt(c.start + k / c.fps, frame);
            for (size_t i = 0; i < frame.pixelCount(); ++i) native.push_back(frame.pixels[i] & 0xFFFFFFu);
        }
        EXPECT_TRUE(page == native) << c.startText << " " << preroll;
    }
}
