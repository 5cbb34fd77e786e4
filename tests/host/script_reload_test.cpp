// Live reload of a running show: the new script takes over with the music and
// clock playing on; a script with problems, damaged data or none at all leaves
// the old show running, says why on standard error and never exits. Then the
// file watching behind --watch.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "showkit/JpegWriter.h"
#include "host/live/ReloadNotice.h"
#include "host/live/ScriptWatcher.h"
#include "show/ShowSession.h"
#include "script/DemoGraph.h"
#include "show/MusicTransport.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

struct MusicCounts {
    int starts = 0;
    int stops = 0;
};
class CountingMusic : public MusicTransport {
public:
    explicit CountingMusic(MusicCounts& counts) : counts_(counts) {}
    void start() override { ++counts_.starts; }
    void stop() override { ++counts_.stops; }
    uint32_t channelPosition() override { return makeChannelPosition(2, 7, 0); }

private:
    MusicCounts& counts_;
};

class ScriptReload : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> rgb(512 * 256 * 3);
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i % 3 == 0 ? 200 : 30);
        ASSERT_TRUE(writeJpeg((dir_ / "picture.jpg").c_str(), 512, 256, 3, rgb.data(), 95));
        script_ = (dir_ / "script.zyl").string();

        write(wiring("copie OUT image toujours toujours\n"));
        session_ = std::make_unique<ShowSession>(1, std::make_unique<CountingMusic>(music_));
        auto graph = std::make_unique<DemoGraph>();
        ASSERT_EQ(graph->load(script_.c_str()), LoadResult::Loaded);
        session_->setGraph(std::move(graph));
        session_->start();
        frame_.allocate(512, 256);
    }
    void TearDown() override {
        session_.reset();
    }

    std::string wiring(const std::string& lines, const std::string& moreBoxes = "",
                       const std::string& moreSurfaces = "") const {
        return "[ZYL_FX_Generator]\nZYL_BoxCopier copie\nZYL_BoxInverseVideo inverse\n" + moreBoxes +
               "[/ZYL_FX_Generator]\n[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 65535\n[/ZYL_Fonction]\n"
               "[ZYL_Surface]\nZYL_Surface image \"" +
               (dir_ / "picture.jpg").string() + "\"\n" + moreSurfaces + "[/ZYL_Surface]\n[CABLAGE]\n" + lines +
               "[/CABLAGE]\n";
    }
    void write(const std::string& text) { std::ofstream(script_, std::ios::binary | std::ios::trunc) << text; }
    bool reload(std::string* err = nullptr) {
        ::testing::internal::CaptureStderr();
        const ReloadOutcome outcome = session_->reload(script_);
        printReloadOutcome(script_, outcome);
        const bool taken = outcome.reloaded;
        const std::string text = ::testing::internal::GetCapturedStderr();
        if (err) *err = text;
        return taken;
    }
    uint32_t framePixel() {
        frame_.clear();
        session_->runFrame(frame_);
        return frame_.pixels[0];
    }
    // The old show is still the one running: same graph, same wiring, music untouched.
    void expectOldShow(const DemoGraph* old) {
        EXPECT_EQ(&session_->graph(), old);
        EXPECT_EQ(framePixel(), copied_);
        EXPECT_EQ(music_.stops, 0);
    }

    testsupport::ScratchDirectory scratch_{"reload"};
    const fs::path& dir_ = scratch_.path();
    std::string script_;
    MusicCounts music_;
    std::unique_ptr<ShowSession> session_;
    Surface frame_;
    uint32_t copied_ = 0;
};

}  // namespace

TEST_F(ScriptReload, NewWiringTakesOverWhileMusicAndClockPlayOn) {
    copied_ = framePixel();
    EXPECT_NE(copied_, 0u);
    session_->clock().setSeconds(33.0);
    const DemoGraph* old = &session_->graph();

    write(wiring("copie OUT image toujours toujours\ninverse OUT toujours toujours\n"));
    ::testing::internal::CaptureStdout();
    std::string err;
    EXPECT_TRUE(reload(&err));
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("reloaded"), std::string::npos);
    EXPECT_EQ(err, "");
    EXPECT_NE(&session_->graph(), old);
    EXPECT_EQ(music_.starts, 1);
    EXPECT_EQ(music_.stops, 0);  // the old graph went without stopping the music
    EXPECT_TRUE(session_->started());
    EXPECT_GE(session_->clock().seconds(), 33.0);
    EXPECT_LT(session_->clock().seconds(), 40.0);

    EXPECT_EQ(framePixel(), copied_ ^ 0xFFFFFFu);
    session_->runFrame(frame_);
    const TrackerPosition position = trackerPositionOf(session_->lastPosition());  // from the music carried over
    EXPECT_EQ(position.order, 2);
    EXPECT_EQ(position.row, 7);
    session_.reset();
    EXPECT_EQ(music_.stops, 1);
}

TEST_F(ScriptReload, ProblemsAreListedWithTheirLinesAndTheOldShowGoesOn) {
    copied_ = framePixel();
    const DemoGraph* old = &session_->graph();
    // Line 14 names an undeclared box; the fader's mode is refused on line 4.
    write(wiring("copie OUT image toujours toujours\nrien OUT toujours toujours\n", "ZYL_BoxFader sombre xyz\n"));
    std::string err;
    EXPECT_FALSE(reload(&err));
    EXPECT_NE(err.find(script_ + ":4: warning: ZYL_BoxFader MODE non valide!!: 'xyz' is not a mode of ZYL_BoxFader: sub, "
                                 "add or mul\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(script_ + ":14: undeclared box rien\n"), std::string::npos) << err;
    EXPECT_NE(err.find("not reloaded"), std::string::npos) << err;
    expectOldShow(old);

    // Fixed, it is taken.
    write(wiring("inverse OUT toujours toujours\n"));
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(reload());
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(framePixel(), 0xFFFFFFu);
}

TEST_F(ScriptReload, DamagedPictureOrMeshIsAProblemNotAnExit) {
    copied_ = framePixel();
    const DemoGraph* old = &session_->graph();
    std::ofstream(dir_ / "broken.jpg") << "not a picture at all";
    write(wiring("copie OUT image toujours toujours\n", "",
                 "ZYL_Surface casse \"" + (dir_ / "broken.jpg").string() + "\"\n"));
    std::string err;
    EXPECT_FALSE(reload(&err));
    EXPECT_NE(err.find(script_ + ":10: "), std::string::npos) << err;
    expectOldShow(old);

    std::ofstream(dir_ / "broken.lwo") << "FORM\x00\x00\x00\x04LWO2";
    write(wiring("copie OUT image toujours toujours\n", "ZYL_BoxObjet3D objet " + (dir_ / "broken.lwo").string() + " 0\n"));
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(reload(&err));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");  // the mesh loader's text is the show's to print
    EXPECT_NE(err.find(script_ + ":4: "), std::string::npos) << err;
    expectOldShow(old);
}

TEST_F(ScriptReload, MissingOrInvalidScriptKeepsTheOldShow) {
    copied_ = framePixel();
    const DemoGraph* old = &session_->graph();
    fs::remove(script_);
    std::string err;
    EXPECT_FALSE(reload(&err));
    EXPECT_NE(err.find(script_ + ": Script non trouvé!!\n"), std::string::npos) << err;
    expectOldShow(old);

    write("[ZYL_FX_Generator]\nZYL_BoxCopier copie\n");  // half written
    EXPECT_FALSE(reload(&err));
    EXPECT_NE(err.find(script_ + ":"), std::string::npos) << err;
    expectOldShow(old);
}

class ScriptWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        write("first");
    }
    void write(const std::string& text) { std::ofstream(path_, std::ios::trunc) << text; }
    testsupport::ScratchDirectory scratch_{"watch"};
    const fs::path path_ = scratch_ / "script.zyl";
};

TEST_F(ScriptWatcherTest, ChangeIsSeenOnceAndNoMoreOftenThanThePollInterval) {
    ScriptWatcher watcher(path_.string());
    EXPECT_FALSE(watcher.changed(10.0));
    write("second, longer");
    EXPECT_FALSE(watcher.changed(10.1));  // looked at 0.1 s ago: not yet
    EXPECT_TRUE(watcher.changed(10.0 + ScriptWatcher::kPollSeconds));
    EXPECT_FALSE(watcher.changed(11.0));  // once

    // The same size but a new time is a change too.
    write("second, LONGER");
    fs::last_write_time(path_, fs::last_write_time(path_) + std::chrono::seconds(2));
    EXPECT_TRUE(watcher.changed(12.0));

    // A clock that went back does not stop the polling.
    write("third");
    EXPECT_TRUE(watcher.changed(5.0));
}

TEST_F(ScriptWatcherTest, FileAwhileGoneIsNoChangeUntilItComesBack) {
    ScriptWatcher watcher(path_.string());
    fs::remove(path_);
    EXPECT_FALSE(watcher.changed(1.0));
    EXPECT_FALSE(watcher.changed(2.0));
    write("written again");
    EXPECT_TRUE(watcher.changed(3.0));

    // A reload by hand makes the current file the known one.
    write("reloaded by hand");
    watcher.remember();
    EXPECT_FALSE(watcher.changed(4.0));
}

TEST_F(ScriptWatcherTest, ATrackFileTheShowReadsIsWatchedToo) {
    ScriptWatcher watcher(path_.string());
    const fs::path tracks = scratch_ / "script.tracks";
    std::ofstream(tracks) << "track x\n";
    EXPECT_FALSE(watcher.changed(1.0));
    watcher.alsoWatch({tracks.string()});
    EXPECT_FALSE(watcher.changed(2.0));
    std::ofstream(tracks, std::ios::app) << "0:0 1 step\n";
    EXPECT_TRUE(watcher.changed(3.0));
    EXPECT_FALSE(watcher.changed(4.0));
    // Once the show no longer reads it, it is not looked at.
    watcher.alsoWatch({});
    std::ofstream(tracks, std::ios::app) << "0:4 2 step\n";
    EXPECT_FALSE(watcher.changed(5.0));
}
