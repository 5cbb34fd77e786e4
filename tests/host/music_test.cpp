// The music: row and channel level timeline look-ups, the module's position in
// step with its sound, live playback through SDL audio, its fatal errors, and
// the default tune.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "engine/TestFunctions.h"
#include "showkit/ModuleWriter.h"
#include "platform/ChannelLevelTimeline.h"
#include "platform/ModulePlayer.h"
#include "platform/OfflineModule.h"
#include "platform/RowTimeline.h"
#include "show/MusicTransport.h"
#include "test_modules.h"

namespace fs = std::filesystem;
using namespace velmora;
using testing_modules::fractionOf;
using testing_modules::kRowFrames;
using testing_modules::orderOf;
using testing_modules::rowOf;

namespace {

// A temporary file that goes away with the test.
struct TempFile {
    testsupport::ScratchDirectory directory{"music"};
    fs::path path;
    explicit TempFile(const std::string& name) : path(directory / name) {}
};

std::vector<int16_t> renderFrames(OfflineModule& module, int64_t frames) {
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    module.render(pcm.data(), static_cast<size_t>(frames));
    return pcm;
}

}  // namespace

TEST(RowTimeline, PositionIsTheRowRunningAtTheFrame) {
    RowTimeline t;
    EXPECT_EQ(t.positionAt(100), 0u);  // nothing yet
    t.add({0, 0, 0, 1000.0});
    t.add({1000, 0, 1, 1000.0});
    t.add({2000, 3, 10, 1000.0});
    EXPECT_EQ(t.positionAt(0), makeChannelPosition(0, 0, 0));
    EXPECT_EQ(t.positionAt(500), makeChannelPosition(0, 0, 128));
    EXPECT_EQ(t.positionAt(999), makeChannelPosition(0, 0, 255));
    EXPECT_EQ(t.positionAt(1000), makeChannelPosition(0, 1, 0));
    EXPECT_EQ(t.positionAt(2500), makeChannelPosition(3, 10, 128));
    EXPECT_EQ(t.positionAt(-5), 0u);
}

TEST(RowTimeline, KnownNextRowGivesTheTrueLengthAndTheEstimateStopsAt255) {
    RowTimeline t;
    t.add({0, 0, 0, 1000.0});   // promised 1000 frames, took 2000 (a pattern delay)
    t.add({2000, 0, 1, 1000.0});
    EXPECT_EQ(fractionOf(t.positionAt(1000)), 128u);
    EXPECT_EQ(fractionOf(t.positionAt(2999)), 255u);
    EXPECT_EQ(fractionOf(t.positionAt(5000)), 255u);  // overdue: held at the end
    RowTimeline unknown;
    unknown.add({0, 2, 5, 0.0});  // no length promised
    EXPECT_EQ(unknown.positionAt(10), makeChannelPosition(2, 5, 255));
}

TEST(RowTimeline, OldestRowsAreForgottenWhenFull) {
    RowTimeline t;
    for (int i = 0; i < static_cast<int>(RowTimeline::kCapacity) + 10; ++i) t.add({i * 100, 0, i & 0xFF, 100.0});
    EXPECT_EQ(t.size(), RowTimeline::kCapacity);
    EXPECT_EQ(t.positionAt(0), 0u);  // before what is kept
    const int last = static_cast<int>(RowTimeline::kCapacity) + 9;
    EXPECT_EQ(rowOf(t.positionAt(last * 100 + 50)), static_cast<uint32_t>(last & 0xFF));
    EXPECT_EQ(fractionOf(t.positionAt(last * 100 + 50)), 128u);
}

TEST(ChannelLevelTimeline, LevelsAreTheNewestReadingAtOrBeforeTheFrame) {
    ChannelLevelTimeline t;
    t.setChannels(2);
    EXPECT_TRUE(t.levelsAt(0).empty());
    const float a[] = {0.5f, 0.0f}, b[] = {0.25f}, c[] = {0.25f, 0.0f, 0.75f};
    t.add(100, a);
    t.add(108, a);  // unchanged: no reading
    t.add(200, b);  // a channel missing reads 0
    t.add(208, c);  // channels beyond the ones set are dropped: unchanged again
    EXPECT_EQ(t.size(), 2u);
    const struct {
        int64_t frame;
        std::vector<float> levels;
    } cases[] = {{99, {}}, {100, {0.5f, 0.0f}}, {199, {0.5f, 0.0f}}, {200, {0.25f, 0.0f}}, {5000, {0.25f, 0.0f}}};
    for (const auto& k : cases) {
        const std::span<const float> got = t.levelsAt(k.frame);
        EXPECT_EQ(std::vector<float>(got.begin(), got.end()), k.levels) << k.frame;
    }
    // A copy reading by reading, and the oldest forgotten when full.
    ChannelLevelTimeline full;
    full.setChannels(2);
    full.append(t);
    EXPECT_EQ(full.levelsAt(150)[0], 0.5f);
    EXPECT_EQ(full.levelsAt(250)[0], 0.25f);
    for (int i = 0; i < static_cast<int>(ChannelLevelTimeline::kCapacity); ++i) {
        const float level[] = {static_cast<float>(i), 1.0f};
        full.add(300 + i * 10, level);
    }
    EXPECT_EQ(full.size(), ChannelLevelTimeline::kCapacity);
    EXPECT_TRUE(full.levelsAt(299).empty());  // forgotten
    EXPECT_EQ(full.levelsAt(315)[0], 1.0f);
}

TEST(OfflineModule, PositionFollowsOrdersRowsAndFractions) {
    TempFile file("timing.xm");
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64, 32}, {0, 1, 0}), file.path.c_str()));
    OfflineModule module;
    ASSERT_TRUE(module.load(file.path.c_str()));
    renderFrames(module, 100 * kRowFrames);

    // Row k of the song begins at frame k * 5292: order 0 has 64 rows, order 1 has 32.
    for (int songRow : {0, 1, 17, 63, 64, 70, 95, 96, 99}) {
        const uint32_t order = songRow < 64 ? 0 : songRow < 96 ? 1 : 2;
        const uint32_t row = songRow < 64 ? songRow : songRow < 96 ? songRow - 64 : songRow - 96;
        for (int offset : {20, kRowFrames / 4, kRowFrames / 2, kRowFrames - 20}) {
            const uint32_t p = module.positionAt(static_cast<int64_t>(songRow) * kRowFrames + offset);
            EXPECT_EQ(orderOf(p), order) << songRow << "+" << offset;
            EXPECT_EQ(rowOf(p), row) << songRow << "+" << offset;
            const double fraction = std::floor(offset * 256.0 / kRowFrames);
            EXPECT_NEAR(static_cast<double>(fractionOf(p)), fraction, 1.0) << songRow << "+" << offset;
        }
    }
}

TEST(OfflineModule, RowStartsAreWhereTheNotesAreHeard) {
    TempFile file("notes.xm");
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({16}, {0}, {4, 9}), file.path.c_str()));
    OfflineModule module;
    ASSERT_TRUE(module.load(file.path.c_str()));
    const std::vector<int16_t> pcm = renderFrames(module, 16 * kRowFrames);

    int64_t firstSound = -1;
    for (size_t i = 0; i < pcm.size(); ++i)
        if (std::abs(pcm[i]) > 64) {
            firstSound = static_cast<int64_t>(i / 2);
            break;
        }
    ASSERT_GT(firstSound, 0);
    EXPECT_NEAR(static_cast<double>(firstSound), 4.0 * kRowFrames, 16.0);
    const uint32_t at = module.positionAt(firstSound);
    EXPECT_EQ(rowOf(at), 4u);
    EXPECT_LE(fractionOf(at), 1u);
    const uint32_t before = module.positionAt(firstSound - 24);
    EXPECT_EQ(rowOf(before), 3u);
    EXPECT_GE(fractionOf(before), 254u);
}

TEST(OfflineModule, RowsAreExactAgainAfterARowThatCameLate) {
    // Row 2 is played twice (pattern delay EE1), so row k >= 3 begins at (k + 1) * 5292.
    xm::Module m = testing_modules::timingModule({16}, {0});
    m.patterns[0].at(2, 1).effect = 0x0E;
    m.patterns[0].at(2, 1).param = 0xE1;
    TempFile file("delay.xm");
    ASSERT_TRUE(xm::saveXm(m, file.path.c_str()));
    OfflineModule module;
    ASSERT_TRUE(module.load(file.path.c_str()));
    renderFrames(module, 16 * kRowFrames);

    const uint32_t halfWay = module.positionAt(3 * kRowFrames);
    EXPECT_EQ(rowOf(halfWay), 2u);
    EXPECT_NEAR(static_cast<double>(fractionOf(halfWay)), 128.0, 1.0);
    const int64_t late = 4 * kRowFrames;
    EXPECT_EQ(rowOf(module.positionAt(late + 8)), 3u);  // placed within a slice
    EXPECT_EQ(rowOf(module.positionAt(late - 8)), 2u);
    for (int k = 4; k < 12; ++k) {
        const int64_t begins = static_cast<int64_t>(k + 1) * kRowFrames;
        EXPECT_EQ(module.positionAt(begins), makeChannelPosition(0, k, 0)) << k;
        EXPECT_EQ(module.positionAt(begins - 1), makeChannelPosition(0, k - 1, 255)) << k;
    }
}

TEST(OfflineModule, LoopsAtTheEndOfTheSong) {
    TempFile file("loop.xm");
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({8, 4}, {0, 1}), file.path.c_str()));
    OfflineModule module;
    ASSERT_TRUE(module.load(file.path.c_str()));
    EXPECT_NEAR(module.durationSeconds(), 12 * kRowFrames / 44100.0, 0.01);
    renderFrames(module, 30 * kRowFrames);
    // 12 rows a round: song row 26 is order 0 row 2 of the third round.
    const uint32_t p = module.positionAt(26 * kRowFrames + kRowFrames / 2);
    EXPECT_EQ(orderOf(p), 0u);
    EXPECT_EQ(rowOf(p), 2u);
    EXPECT_EQ(module.framesRendered(), 30 * kRowFrames);
}

TEST(OfflineModule, SameSamplesOnEveryRun) {
    TempFile file("same.xm");
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({16}, {0}, {0, 3, 7}), file.path.c_str()));
    OfflineModule a, b;
    ASSERT_TRUE(a.load(file.path.c_str()));
    ASSERT_TRUE(b.load(file.path.c_str()));
    std::vector<int16_t> one = renderFrames(a, 44100);
    // The same frames in uneven pieces.
    std::vector<int16_t> two(one.size());
    size_t done = 0;
    for (size_t piece : {1u, 7u, 333u, 4096u, 10000u}) {
        b.render(two.data() + 2 * done, piece);
        done += piece;
    }
    b.render(two.data() + 2 * done, 44100 - done);
    EXPECT_TRUE(one == two);
}

TEST(OfflineModule, RefusesFilesThatAreNotModules) {
    TempFile file("text.xm");
    { std::ofstream(file.path) << "this is not music, only a few words of text\n"; }
    OfflineModule module;
    EXPECT_FALSE(module.load(file.path.c_str()));
    EXPECT_FALSE(module.load("/nonexistent/zik.mo3"));
    // Rendering without a module gives silence, and positions stay at 0.
    std::vector<int16_t> pcm(200, 7);
    module.render(pcm.data(), 100);
    for (int16_t s : pcm) ASSERT_EQ(s, 0);
    EXPECT_EQ(module.positionAt(50), 0u);
}

class ModulePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // never a real sound card in tests
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

TEST_F(ModulePlayerTest, PositionFollowsTheClockOfWhatIsHeard) {
    TempFile file("live.xm");
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64}, {0}), file.path.c_str()));
    ModulePlayer player(file.path.string());
    EXPECT_EQ(player.channelPosition(), 0u);  // not started
    player.start();
    const auto started = std::chrono::steady_clock::now();
    uint32_t previous = 0;
    std::set<uint32_t> fractions;
    for (int i = 0; i < 16; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        const double low = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const uint32_t p = player.channelPosition();
        const double high = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        // Heard: what was rendered, less at most a few device buffers, give or
        // take the dummy device's own pace.
        const double heardRow = static_cast<double>(rowOf(p)) + fractionOf(p) / 256.0;
        EXPECT_LE(heardRow, high * 44100.0 / kRowFrames * 1.05 + 0.3) << i;
        EXPECT_GE(heardRow, (low * 44100.0 - 4 * 1024) / kRowFrames * 0.95 - 0.3) << i;
        const uint64_t key = (static_cast<uint64_t>(rowOf(p)) << 8) | fractionOf(p);
        EXPECT_GE(key, (static_cast<uint64_t>(rowOf(previous)) << 8) | fractionOf(previous)) << i;
        previous = p;
        fractions.insert(fractionOf(p));
        EXPECT_EQ(orderOf(p), 0u);
    }
    EXPECT_GT(fractions.size(), 4u);  // the fraction moves within rows
    player.stop();
    player.stop();  // twice is harmless
}

TEST_F(ModulePlayerTest, ChannelLevelsAreThoseOfThePlaceHeard) {
    // A blip on the first channel every 4 rows; the second channel is silent.
    TempFile file("levels.xm");
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64}, {0}, {0, 4, 8, 12, 16, 20, 24, 28}),
                           file.path.c_str()));
    // An offline decode, rendered on to each place heard, gives the levels there.
    OfflineModule offline;
    ASSERT_TRUE(offline.load(file.path.c_str()));
    offline.recordChannelLevels();

    ModulePlayer player(file.path.string());
    EXPECT_TRUE(player.channelLevels().empty());  // not started
    player.start();
    player.channelPosition();
    player.channelLevels();  // from now on the player keeps them
    std::set<float> seen;
    int unknown = 0;
    for (int i = 0; i < 12; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        const uint32_t p = player.channelPosition();
        const std::span<const float> levels = player.channelLevels();
        // What is heard first may have been rendered before the levels were kept.
        if (levels.empty()) {
            ++unknown;
            continue;
        }
        ASSERT_EQ(levels.size(), 2u) << i;
        EXPECT_EQ(levels[1], 0.0f) << i;
        // The position tells the frame heard to within its fraction's 1/256 of
        // a row; one of the offline levels there is the one heard.
        const int64_t row = rowOf(p), fraction = fractionOf(p);
        const int64_t from = row * kRowFrames + fraction * kRowFrames / 256 - 8;
        const int64_t to = row * kRowFrames + (fraction + 1) * kRowFrames / 256 + 8;
        if (offline.framesRendered() <= to) renderFrames(offline, to + 1 - offline.framesRendered());
        bool found = false;
        for (int64_t f = std::max<int64_t>(from, 0); f <= to && !found; ++f) {
            const std::span<const float> there = offline.channelLevelsAt(f);
            found = !there.empty() && there[0] == levels[0];
        }
        EXPECT_TRUE(found) << "level " << levels[0] << " at row " << row << " fraction " << fraction;
        seen.insert(levels[0]);
    }
    EXPECT_LE(unknown, 3);
    EXPECT_GT(seen.size(), 3u);  // the blips fade and come again
    player.stop();
}

TEST_F(ModulePlayerTest, MissingMusicIsFatal) {
    EXPECT_EQ(testsupport::fatalMessageOf([] { ModulePlayer("/nonexistent/data/zik.mo3").start(); }),
              "Can't load music");
}

TEST_F(ModulePlayerTest, FileThatIsNotAModuleIsFatal) {
    TempFile file("notmusic.mo3");
    { std::ofstream(file.path) << "plain text is not a module\n"; }
    EXPECT_EQ(testsupport::fatalMessageOf([&] { ModulePlayer(file.path.string()).start(); }), "Can't load music");
}

TEST_F(ModulePlayerTest, NoSoundSystemIsFatal) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = driver ? driver : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(testsupport::fatalMessageOf([] { ModulePlayer("/nonexistent/zik.mo3").start(); }),
              "Can't initialize digital sound system");
    if (driver) ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else ::unsetenv("SDL_AUDIODRIVER");
}

TEST(DefaultTune, IsARealLoopingTuneOfHalfAMinute) {
    TempFile file("zik.mo3");
    const std::string command = std::string(VELMORA_TOOLS_DIR) + "/make_module '" + file.path.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    OfflineModule module;
    ASSERT_TRUE(module.load(file.path.c_str()));
    const double seconds = module.durationSeconds();
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 60.0);

    const int64_t total = static_cast<int64_t>((seconds + 3.0) * 44100);
    std::vector<int16_t> pcm = renderFrames(module, total);
    std::set<uint32_t> orders;
    for (int64_t f = 0; f < static_cast<int64_t>(seconds * 44100) - 44100; f += 4410) orders.insert(orderOf(module.positionAt(f)));
    EXPECT_GE(orders.size(), 5u);

    // It sounds: a healthy level without clipping, and still after the loop.
    double sum = 0.0;
    size_t clipped = 0;
    for (int16_t s : pcm) sum += double(s) * s, clipped += s == 32767 || s == -32768;
    EXPECT_GT(std::sqrt(sum / pcm.size()), 1500.0);
    EXPECT_EQ(clipped, 0u);
    const int64_t afterLoop = static_cast<int64_t>((seconds + 2.0) * 44100);
    EXPECT_LT(orderOf(module.positionAt(afterLoop)), 2u);
    double tail = 0.0;
    for (int64_t i = afterLoop * 2; i < afterLoop * 2 + 44100; ++i) tail += std::abs(pcm[static_cast<size_t>(i)]);
    EXPECT_GT(tail / 44100, 300.0);
}
