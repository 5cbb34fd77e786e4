// `velmora render` with music: frames follow the module's position at their
// time, and DIR/audio.wav holds the sound of exactly those frames.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "showkit/ModuleWriter.h"
#include "host/outputs/WavWriter.h"
#include "platform/ModuleStream.h"
#include "platform/OfflineModule.h"
#include "test_modules.h"
#include "HostTestSupport.h"

namespace fs = std::filesystem;
using velmora::hosttest::readFile;
using velmora::hosttest::le32;
using namespace velmora;
using testing_modules::kRowFrames;

namespace {

// The WAV bytes of module frames [from, to), rendered in-process.
std::string expectedWav(const fs::path& module, int64_t from, int64_t to) {
    OfflineModule m;
    EXPECT_TRUE(m.load(module.c_str()));
    std::vector<int16_t> pcm(static_cast<size_t>(to) * 2);
    m.render(pcm.data(), static_cast<size_t>(to));
    const testsupport::ScratchDirectory scratch("expected");
    const fs::path path = scratch / "expected.wav";
    WavWriter w;
    EXPECT_TRUE(w.open(path.c_str(), to - from));
    w.write(pcm.data() + 2 * from, static_cast<size_t>(to - from));
    EXPECT_TRUE(w.close());
    return readFile(path);
}

// The frames are black, or white while the music plays order 1.
const char kOrderScript[] =
    "[ZYL_FX_Generator]\nZYL_BoxClearSurface efface\nZYL_BoxInverseVideo inverse\n[/ZYL_FX_Generator]\n"
    "[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 255\nZYL_FnctIntervale second 1 1\n[/ZYL_Fonction]\n"
    "[ZYL_Surface]\n[/ZYL_Surface]\n"
    "[CABLAGE]\nefface OUT toujours toujours\ninverse OUT second second\n[/CABLAGE]\n";

// The frame is grey by the level of one channel: the fader adds the value of
// ZYL_FnctCanal (level * 0.5 + 0.25) times 255 to black.
std::string channelLevelScript(int channel) {
    return "[ZYL_FX_Generator]\nZYL_BoxClearSurface efface\nZYL_BoxFader niveau add\n[/ZYL_FX_Generator]\n"
           "[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 255\nZYL_FnctCanal canal " +
           std::to_string(channel) +
           " 0.5 0.25\n[/ZYL_Fonction]\n[ZYL_Surface]\n[/ZYL_Surface]\n"
           "[CABLAGE]\nefface OUT toujours toujours\nniveau OUT canal toujours toujours\n[/CABLAGE]\n";
}

// The grey the fader makes of a function value.
uint32_t faderGrey(float value) {
    const int32_t level = std::clamp(static_cast<int32_t>(static_cast<double>(value) * 255.0), 0, 255);
    return static_cast<uint32_t>(level) * 0x010101u;
}

class RenderMusic : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "data");
        std::ofstream(dir_ / "script.zyl") << kOrderScript;
        // Order 0 lasts 16 rows (1.92 s), order 1 the next 16.
        EXPECT_TRUE(xm::saveXm(testing_modules::timingModule({16}, {0, 0}, {0, 4, 8, 12}),
                               (dir_ / "data/zik.mo3").c_str()));
    }

    int run(const std::string& args) {
        const std::string command = "cd '" + dir_.string() + "' && VELMORA_NO_MESSAGE_BOX=1 '" +
                                    std::string(VELMORA_BINARY) + "' render " + args + " >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    // Colour of a rendered frame's first pixel (BMP data starts at 58).
    uint32_t firstPixel(const std::string& out, int k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
        const std::string b = readFile(dir_ / out / name);
        if (b.size() < 61) return 0xFFFFFFFFu;
        return static_cast<uint8_t>(b[58]) | static_cast<uint8_t>(b[59]) << 8 | static_cast<uint8_t>(b[60]) << 16;
    }

    testsupport::ScratchDirectory scratch_{"rmusic"};
    const fs::path& dir_ = scratch_.path();
};

}  // namespace

TEST(WavWriter, HeaderAndSamplesOfAStereoFile) {
    const testsupport::ScratchDirectory scratch("wav");
    const fs::path path = scratch / "stereo.wav";
    WavWriter w;
    ASSERT_TRUE(w.open(path.c_str(), 3));
    const int16_t samples[6] = {1, -1, 0x1234, -32768, 32767, 0};
    w.write(samples, 3);
    EXPECT_TRUE(w.close());
    const std::string b = readFile(path);
    ASSERT_EQ(b.size(), 44u + 12u);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(b, 4), 36u + 12u);
    EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le32(b, 20), 0x00020001u);  // PCM, 2 channels
    EXPECT_EQ(le32(b, 24), 44100u);
    EXPECT_EQ(le32(b, 28), 176400u);
    EXPECT_EQ(le32(b, 32), 0x00100004u);  // 4 bytes a frame, 16 bits
    EXPECT_EQ(b.substr(36, 4), "data");
    EXPECT_EQ(le32(b, 40), 12u);
    const uint8_t data[12] = {1, 0, 0xFF, 0xFF, 0x34, 0x12, 0x00, 0x80, 0xFF, 0x7F, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(static_cast<uint8_t>(b[44 + i]), data[i]) << i;
}

TEST(WavWriter, FewerFramesThanAnnouncedIsAFailure) {
    const testsupport::ScratchDirectory scratch("wav");
    const fs::path path = scratch / "short.wav";
    WavWriter w;
    ASSERT_TRUE(w.open(path.c_str(), 10));
    const int16_t samples[2] = {0, 0};
    w.write(samples, 1);
    EXPECT_FALSE(w.close());
    fs::remove(path);
    EXPECT_FALSE(w.open("/nonexistent/dir/a.wav", 1));
    EXPECT_FALSE(w.open(path.c_str(), WavWriter::kMaxFrames + 1));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(RenderMusic, FramesFollowTheModulesPositionAtTheirTime) {
    // Frame k at k / 10 s; order 1 begins after 16 rows of 5292 frames, 1.92 s.
    ASSERT_EQ(run("--out f --frames 30 --fps 10"), 0) << readFile(dir_ / "err.txt");
    for (int k = 0; k < 30; ++k) EXPECT_EQ(firstPixel("f", k), k < 20 ? 0u : 0xFFFFFFu) << "frame " << k;
}

TEST_F(RenderMusic, AudioHoldsExactlyTheRenderedStretchOfTime) {
    ASSERT_EQ(run("--out a --frames 20 --fps 10 --start 0.5"), 0) << readFile(dir_ / "err.txt");
    const std::string wav = readFile(dir_ / "a/audio.wav");
    EXPECT_EQ(wav.size(), 44u + 88200u * 4);
    EXPECT_TRUE(wav == expectedWav(dir_ / "data/zik.mo3", 22050, 110250));
    // With --start the positions are those of the later time too.
    // Frame k is at 0.5 + k / 10 s: order 1 from frame 15 (2.0 s) on.
    for (int k = 0; k < 20; ++k) EXPECT_EQ(firstPixel("a", k), k < 15 ? 0u : 0xFFFFFFu) << k;
}

TEST_F(RenderMusic, SameFramesAndSoundOnEveryRun) {
    ASSERT_EQ(run("--out one --frames 100"), 0) << readFile(dir_ / "err.txt");
    ASSERT_EQ(run("--out two --frames 100"), 0);
    const std::string wav = readFile(dir_ / "one/audio.wav");
    EXPECT_EQ(wav.size(), 44u + 88200u * 4);  // 100 frames at 50 per second: 2 s
    EXPECT_TRUE(wav == readFile(dir_ / "two/audio.wav"));
    EXPECT_TRUE(wav == expectedWav(dir_ / "data/zik.mo3", 0, 88200));
    EXPECT_TRUE(readFile(dir_ / "one/frame_00099.bmp") == readFile(dir_ / "two/frame_00099.bmp"));
}

TEST_F(RenderMusic, TimeBeforeTheStartIsSilence) {
    ASSERT_EQ(run("--out n --frames 5 --fps 10 --start -0.25"), 0) << readFile(dir_ / "err.txt");
    const std::string wav = readFile(dir_ / "n/audio.wav");
    ASSERT_EQ(wav.size(), 44u + 22050u * 4);
    const std::string music = expectedWav(dir_ / "data/zik.mo3", 0, 11025);
    EXPECT_EQ(wav.substr(44, 11025 * 4), std::string(11025 * 4, '\0'));
    EXPECT_TRUE(wav.substr(44 + 11025 * 4) == music.substr(44));
}

// A fixed position needs no module; without one, a missing module is refused
// as the show would stop on it, named with its path, before any frame.
TEST_F(RenderMusic, FixedPositionMeansNoSoundAndAMissingModuleIsRefused) {
    ASSERT_EQ(run("--out p --frames 3 --position 1:0:0"), 0);
    EXPECT_FALSE(fs::exists(dir_ / "p/audio.wav"));
    EXPECT_EQ(firstPixel("p", 0), 0xFFFFFFu);  // order 1 as given
    fs::remove(dir_ / "data/zik.mo3");
    EXPECT_EQ(run("--out q --frames 3"), 1);
    EXPECT_EQ(readFile(dir_ / "err.txt"), "data/zik.mo3: Can't load music: cannot be opened: No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir_ / "q/frame_00000.bmp"));
    ASSERT_EQ(run("--out q --frames 3 --position 0:0:0"), 0);
    EXPECT_EQ(firstPixel("q", 0), 0u);
}

TEST_F(RenderMusic, FramesHoursIntoTheMusicAreRefusedAtOnce) {
    EXPECT_EQ(run("--out late --frames 2 --start 1e9"), 1);
    const std::string err = readFile(dir_ / "err.txt");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(dir_ / "late/frame_00000.bmp"));
    EXPECT_EQ(run("--out fixed --frames 1 --start 1e9 --position 0:0:0"), 0);  // no music: fine
}

TEST_F(RenderMusic, DamagedMusicIsRefusedBeforeAnyFrame) {
    std::ofstream(dir_ / "data/zik.mo3", std::ios::trunc) << "damaged";
    EXPECT_EQ(run("--out d --frames 3"), 1);
    EXPECT_EQ(readFile(dir_ / "err.txt").rfind("data/zik.mo3: Can't load music: is not a module the player knows", 0), 0u)
        << readFile(dir_ / "err.txt");
    EXPECT_FALSE(fs::exists(dir_ / "d/frame_00000.bmp"));
}

TEST_F(RenderMusic, ChannelLevelFunctionReadsTheOfflineDecodeAtTheFramesTime) {
    // The module plays a blip on its first channel every 4 rows; the second is silent.
    const double start = 0.3, fps = 20.0;
    const int frames = 8;
    std::vector<float> loud, silent;  // by a decode of the module's own, at each frame's time
    ModuleStream decode;
    ASSERT_EQ(decode.load((dir_ / "data/zik.mo3").c_str()), ModuleStream::kLoaded);
    std::vector<int16_t> pcm;
    for (int k = 0; k < frames; ++k) {
        const int64_t frame = std::llround((start + k / fps) * 44100);
        pcm.resize(static_cast<size_t>(frame + 1 - decode.framesRendered()) * 2);
        decode.render(pcm.data(), pcm.size() / 2, [](const RowStart&) {});
        float levels[2];
        decode.readChannelLevels(levels);
        loud.push_back(levels[0]);
        silent.push_back(levels[1]);
    }
    const std::string args = "--frames " + std::to_string(frames) + " --fps 20 --start 0.3 --out ";
    for (int channel : {1, 2}) {
        std::ofstream(dir_ / "script.zyl", std::ios::trunc) << channelLevelScript(channel);
        const std::string out = "c" + std::to_string(channel);
        ASSERT_EQ(run(args + out), 0) << readFile(dir_ / "err.txt");
        for (int k = 0; k < frames; ++k) {
            const float level = (channel == 1 ? loud : silent)[k];
            EXPECT_EQ(firstPixel(out, k), faderGrey(static_cast<float>(level * 0.5 + 0.25)))
                << "channel " << channel << " frame " << k;
            if (channel == 1) {
                EXPECT_GT(level, 0.0f) << k;
            } else {
                EXPECT_EQ(level, 0.0f) << k;
            }
        }
    }
    // Loud: the levels differ along the frames (the blips fade and come again).
    EXPECT_NE(*std::min_element(loud.begin(), loud.end()), *std::max_element(loud.begin(), loud.end()));
    // Silent, or without music: the offset alone.
    EXPECT_EQ(firstPixel("c2", 0), faderGrey(0.25f));
    std::ofstream(dir_ / "script.zyl", std::ios::trunc) << channelLevelScript(1);
    ASSERT_EQ(run("--out fixed --frames 1 --position 0:0:0"), 0);
    EXPECT_EQ(firstPixel("fixed", 0), faderGrey(0.25f));
}

TEST(RenderDefaultShow, HundredFramesAndTwoSecondsOfSoundTwiceTheSame) {
    const fs::path show = fs::path(VELMORA_TOOLS_DIR) / "show";
    if (!fs::exists(show / "script.zyl") || !fs::exists(show / "data/zik.mo3"))
        GTEST_SKIP() << "the default show is not built (target demo_show)";
    const testsupport::ScratchDirectory out("default");
    for (const char* name : {"a", "b"}) {
        const std::string command = "cd '" + show.string() + "' && VELMORA_NO_MESSAGE_BOX=1 '" +
                                    std::string(VELMORA_BINARY) + "' render --frames 100 --out '" +
                                    (out / name).string() + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    EXPECT_EQ(fs::file_size(out / "a/audio.wav"), 44u + 88200u * 4);
    EXPECT_TRUE(readFile(out / "a/audio.wav") == readFile(out / "b/audio.wav"));
    for (int k = 0; k < 100; k += 11) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
        EXPECT_EQ(fs::file_size(out / "a" / name), 393274u);
        EXPECT_TRUE(readFile(out / "a" / name) == readFile(out / "b" / name)) << name;
    }
    EXPECT_FALSE(fs::exists(out / "a/frame_00100.bmp"));
}
