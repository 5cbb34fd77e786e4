// `velmora render --video` end to end, read back with libavformat/libavcodec;
// its failures; the progress line; `velmora info`; and the pieces they use.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "HostTestSupport.h"
#include "showkit/JpegWriter.h"
#include "showkit/ModuleWriter.h"
#include "VideoTestSupport.h"
#include "host/app/CommandLine.h"
#include "host/commands/RenderProgress.h"
#include "host/commands/RenderSettings.h"
#include "test_modules.h"
#include "video/FrameConverter.h"
#include "video/FrameLayout.h"
#include "video/VideoEncoder.h"

namespace fs = std::filesystem;
using velmora::hosttest::decodeVideo;
using velmora::hosttest::le32;
using velmora::hosttest::readFile;
using namespace velmora;

namespace {

// A picture copied, brightened by the level of the music's first channel,
// inverted while a fast sine is up, and inverted again while the music plays
// order 1: every frame differs, and follows the music.
const char kVideoScript[] =
    "[ZYL_FX_Generator]\nZYL_BoxCopier copie\nZYL_BoxFader niveau add\nZYL_BoxInverseVideo inverse\n"
    "[/ZYL_FX_Generator]\n"
    "[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 255\nZYL_FnctSin onde 9.0 0.0 1.0 0.0\n"
    "ZYL_FnctIntervale second 1 1\nZYL_FnctCanal batterie 1 0.5 0.0\n[/ZYL_Fonction]\n"
    "[ZYL_Surface]\nZYL_Surface fond \"data/fond.jpg\"\n[/ZYL_Surface]\n"
    "[CABLAGE]\ncopie OUT fond toujours toujours\nniveau OUT batterie toujours toujours\n"
    "inverse OUT toujours onde\ninverse OUT second second\n[/CABLAGE]\n";

class RenderVideo : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmora_video_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "data");
        std::ofstream(dir_ / "script.zyl") << kVideoScript;
        std::vector<uint8_t> rgb(512 * 256 * 3);
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>((i * 7) / 3 + i / 1536);
        ASSERT_TRUE(writeJpeg((dir_ / "data/fond.jpg").c_str(), 512, 256, 3, rgb.data(), 90));
        // Two orders of 16 rows: 3.84 s of music, order 1 from 1.92 s.
        ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({16}, {0, 0}, {0, 4, 8, 12}),
                               (dir_ / "data/zik.mo3").c_str()));
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs `velmora ARGS` in the show's folder after `prefix` (shell commands).
    int run(const std::string& args, const std::string& prefix = "") {
        const std::string command = "cd '" + dir_.string() + "' && " + prefix + " VELMORA_NO_MESSAGE_BOX=1 '" +
                                    std::string(VELMORA_BINARY) + "' " + args + " >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string err() { return readFile(dir_ / "err.txt"); }
    // Files left in a folder, temporary ones included.
    std::vector<std::string> filesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

// The 0x00RRGGBB pixels of a 512x256 24-bit BMP written by render.
std::vector<uint32_t> bmpPixels(const std::string& b) {
    std::vector<uint32_t> pixels(512 * 256);
    if (b.size() != 393274u) return {};
    const size_t data = le32(b, 10);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) {
            const size_t at = data + (static_cast<size_t>(255 - y) * 512 + x) * 3;
            pixels[y * 512 + x] = static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
                                  static_cast<uint8_t>(b[at + 2]) << 16;
        }
    return pixels;
}

}  // namespace

TEST_F(RenderVideo, LosslessMkvHoldsExactlyTheBmpFramesAndTheWav) {
    // 60000/1001 frames per second across the change of order at 1.92 s.
    const std::string timing = " --frames 12 --fps 60000/1001 --start 1.8";
    ASSERT_EQ(run("render --out bmp" + timing), 0) << err();
    ASSERT_EQ(run("render --video show.mkv" + timing), 0) << err();
    const auto video = decodeVideo((dir_ / "show.mkv").string(), true);
    ASSERT_TRUE(video.opened);
    ASSERT_EQ(video.streams.size(), 2u);
    EXPECT_EQ(video.streams[0].codec, "ffv1");
    EXPECT_EQ(video.streams[0].width, 512);  // scale 1 by default
    EXPECT_EQ(video.streams[1].codec, "flac");
    ASSERT_EQ(video.pictures.size(), 12u);
    for (int k = 0; k < 12; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "bmp/frame_%05d.bmp", k);
        EXPECT_TRUE(video.pictures[k] == bmpPixels(readFile(dir_ / name))) << "frame " << k;
    }
    EXPECT_FALSE(video.pictures[0] == video.pictures[11]);

    const std::string wav = readFile(dir_ / "bmp/audio.wav");
    ASSERT_GT(wav.size(), 44u);
    std::vector<int16_t> samples((wav.size() - 44) / 2);
    std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
    EXPECT_EQ(video.sound.size(), samples.size());
    EXPECT_TRUE(video.sound == samples);
}

TEST_F(RenderVideo, PrerollStartsWhereARenderFromZeroIsThere) {
    // Particles move on from their state at each evaluated frame.
    std::ofstream(dir_ / "data/swarm.zyl")
        << "[ZYL_FX_Generator]\nZYL_BoxParticules essaim 6\n[/ZYL_FX_Generator]\n"
           "[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 255\nZYL_FnctTime temps 1 0 0\n"
           "ZYL_FnctSin taille 1.0 0 0.5 0.9\n[/ZYL_Fonction]\n"
           "[ZYL_Surface]\nZYL_Surface fond \"data/fond.jpg\"\n[/ZYL_Surface]\n"
           "[CABLAGE]\nessaim OUT fond temps taille toujours toujours\n[/CABLAGE]\n";
    const std::string show = " --script data/swarm.zyl --fps 10 --quiet";
    ASSERT_EQ(run("render --out all --frames 11" + show), 0) << err();
    ASSERT_EQ(run("render --out cut --frames 1 --start 1" + show), 0) << err();
    ASSERT_EQ(run("render --out preroll --frames 1 --start 1 --preroll" + show), 0) << err();
    ASSERT_EQ(run("render --video preroll.mkv --frames 1 --start 1 --preroll --position 0:0:0" + show), 0) << err();
    ASSERT_EQ(run("render --out fixed --frames 11 --position 0:0:0" + show), 0) << err();
    const std::string frame10 = readFile(dir_ / "all/frame_00010.bmp");
    EXPECT_NE(readFile(dir_ / "cut/frame_00000.bmp"), frame10);  // the swarm without its past
    EXPECT_EQ(readFile(dir_ / "preroll/frame_00000.bmp"), frame10);
    EXPECT_EQ(readFile(dir_ / "preroll/audio.wav").size(), readFile(dir_ / "cut/audio.wav").size());
    const auto video = decodeVideo((dir_ / "preroll.mkv").string(), true);
    ASSERT_EQ(video.pictures.size(), 1u);
    EXPECT_TRUE(video.pictures[0] == bmpPixels(readFile(dir_ / "fixed/frame_00010.bmp")));
}

TEST_F(RenderVideo, CompressedFilesHoldOneVideoAndOneAudioStreamOfTheRightLength) {
    struct Case {
        const char* args;
        const char* file;
        const char* videoCodec;
        const char* pixelFormat;
        const char* audioCodec;  // empty: no sound track
        int width, height, frames;
        double seconds;
    };
    const Case cases[] = {
        // To the end of the music by default: 3.84 s, 192 frames.
        {"render --video show.mp4 --quiet --timing", "show.mp4", "h264", "yuv420p", "aac", 1024, 512, 192, 3.84},
        {"render --video show.webm --seconds 0.5 --fps 24 --size 600x300", "show.webm", "vp9", "yuv420p", "opus", 600,
         300, 12, 0.5},
        {"render --video show.gif --frames 50 --fps 25 --size 1100x600", "show.gif", "gif", "bgra", "", 1100, 600, 50,
         2.0},
        {"render --video show.apng --frames 3 --fps 25", "show.apng", "apng", "rgb24", "", 512, 256, 3, 0.12},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(run(c.args), 0) << c.args << ": " << err();
        if (std::strstr(c.args, "--timing")) {
            EXPECT_NE(err().find("192 frames (0 before the first) in "), std::string::npos) << err();
        }
        const auto video = decodeVideo((dir_ / c.file).string(), false);
        ASSERT_TRUE(video.opened) << c.file;
        ASSERT_EQ(video.streams.size(), *c.audioCodec ? 2u : 1u) << c.file;
        const auto& v = video.streams[0];
        EXPECT_EQ(v.codec, c.videoCodec);
        EXPECT_EQ(v.pixelFormat, c.pixelFormat);
        EXPECT_EQ(v.width, c.width);
        EXPECT_EQ(v.height, c.height);
        EXPECT_EQ(v.packets, c.frames) << c.file;
        EXPECT_NEAR(v.seconds, c.seconds, 0.002) << c.file;  // WebM counts in milliseconds
        if (*c.audioCodec) {
            EXPECT_EQ(video.streams[1].codec, c.audioCodec);
            EXPECT_NEAR(video.streams[1].seconds, c.seconds, 0.05) << c.file;
        }
        EXPECT_EQ(filesIn(dir_), (std::vector<std::string>{"data", "err.txt", "out.txt", "script.zyl", c.file}));
        fs::remove(dir_ / c.file);
    }
}

TEST_F(RenderVideo, FailuresNameTheFileAndLeaveNoFileBehind) {
    std::ofstream(dir_ / "plain") << "a file, not a folder";
    struct Case {
        const char* prefix;
        const char* args;
        int status;
        const char* named;  // in the message
        const char* reason;
    };
    // Writes past the file size limit fail as on a full disk (EFBIG instead of ENOSPC).
    const char* fullDisk = "trap '' XFSZ; ulimit -f 64;";
    const char* undeclaredBox = "printf '[ZYL_FX_Generator]\\n[/ZYL_FX_Generator]\\n[ZYL_Fonction]\\n[/ZYL_Fonction]\\n"
                                "[ZYL_Surface]\\n[/ZYL_Surface]\\n[CABLAGE]\\nfantome OUT\\n[/CABLAGE]\\n' >data/bad.zyl;";
    const Case cases[] = {
        {"", "render --video show.avi", 2, "'show.avi'", "unknown video format"},
        {"", "render --video plain/show.mp4 --frames 2", 1, "'plain/show.mp4'", "Not a directory"},
        // Only a regular file is replaced, and a refusal comes before any work.
        {"ln -s /dev/null null.mkv;", "render --video null.mkv --frames 100000", 1, "'null.mkv'",
         "it is a character device, not a regular file"},
        {"mkfifo fifo.mkv;", "render --video fifo.mkv --frames 100000", 1, "'fifo.mkv'", "is a FIFO"},
        {"mkdir dir.mkv;", "render --video dir.mkv --frames 100000", 1, "'dir.mkv'", "is a directory"},
        {"mkdir -p frames/frame_00001.bmp;", "render --out frames --frames 100000", 1, "'frames/frame_00001.bmp'",
         "is a directory"},
        {"", "render --video plain/show.gif --frames 2", 1, "'plain/show.gif'", "Not a directory"},
        {"", "render --video show.gif --crf 10", 2, "'show.gif'", "palette"},
        {"", "render --out frames --preroll --start -1", 2, "--preroll", "0 or later"},
        {fullDisk, "render --video big.mkv --frames 30 --quiet", 1, "'big.mkv'", "File too large"},
        {fullDisk, "render --out frames --frames 2 --quiet", 1, "'frames/frame_00000.bmp'", "File too large"},
        // A frame fits below the limit, its ten seconds of sound do not: the reason is told.
        {"trap '' XFSZ; ulimit -f 1000;", "render --out frames --frames 1 --fps 0.1 --quiet", 1, "'frames/audio.wav'",
         "File too large"},
        {"", "render --video show.mp4 --position 0:0:0", 1, "--position", "give --frames or --seconds"},
        {"", "render --video show.mp4 --start 4", 1, "3.840 s", "before --start"},
        // A fatal error in the first frame unwinds through the export.
        {undeclaredBox, "render --video show.mp4 --script data/bad.zyl --frames 2", 15, "FATAL ERROR", "FXBOX"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.args, c.prefix), c.status) << c.args;
        const std::string message = err();
        // One line, or for a fatal error its English line after it; what `check`
        // would warn about comes before, marked as such.
        long lines = std::count(message.begin(), message.end(), '\n');
        for (size_t at = message.find(": warning: "); at != std::string::npos; at = message.find(": warning: ", at + 1))
            --lines;
        EXPECT_EQ(lines, c.status == 15 ? 2 : 1) << c.args << ": " << message;
        EXPECT_NE(message.find(c.named), std::string::npos) << c.args << ": " << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << c.args << ": " << message;
        if (fs::exists(dir_ / "frames")) {
            const bool frameWritten = std::string(c.args).find("--fps 0.1") != std::string::npos;
            EXPECT_TRUE(fs::is_empty(dir_ / "frames") || fs::is_directory(dir_ / "frames/frame_00001.bmp") ||
                        (frameWritten && filesIn(dir_ / "frames") == std::vector<std::string>{"frame_00000.bmp"}))
                << c.args;
            fs::remove_all(dir_ / "frames");
        }
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
        for (const char* planted : {"fifo.mkv", "dir.mkv", "null.mkv"}) fs::remove(dir_ / planted);
        EXPECT_EQ(filesIn(dir_), (std::vector<std::string>{"data", "err.txt", "out.txt", "plain", "script.zyl"}))
            << c.args;
    }
}

// Ended by a signal once the export is under way (its unfinished file open):
// nothing is left, and for a catchable signal the status is 128 + its number.
// After SIGKILL a second run in the same folder still finds nothing to clean.
TEST_F(RenderVideo, InterruptionRemovesTheUnfinishedFileAndExits130) {
    const struct {
        int signal;
        int status;  // -1: killed
    } cases[] = {{SIGINT, 130}, {SIGHUP, 129}, {SIGTERM, 143}, {SIGPIPE, -2}, {SIGKILL, -1}};
    for (const auto& c : cases) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::chdir(dir_.c_str()) != 0) ::_exit(99);
            std::freopen("err.txt", "w", stderr);
            ::execl(VELMORA_BINARY, VELMORA_BINARY, "render", "--video", "long.mkv", "--frames",
                    c.signal == SIGPIPE ? "300" : "100000", nullptr);
            ::_exit(98);
        }
        // The unfinished video is open in the folder (it may have no name there).
        bool writing = false;
        for (int i = 0; i < 400 && !writing; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::error_code ec;
            for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", ec)) {
                const std::string target = fs::read_symlink(fd.path(), ec).string();
                // The output, not the script or a picture being read: a signal
                // while loading ends the load, before any output exists.
                writing = writing || (target.rfind(dir_.string(), 0) == 0 && target.find("err.txt") == std::string::npos &&
                                      target.find("data") == std::string::npos &&
                                      target.find("script.zyl") == std::string::npos);
            }
        }
        EXPECT_TRUE(writing) << c.signal;
        ::kill(child, c.signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (c.status == -2) {  // SIGPIPE ignored: the short render completes
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0) << err();
            fs::remove(dir_ / "long.mkv");
        } else if (c.status == -1) {
            EXPECT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(run("render --video short.mkv --frames 1 --quiet"), 0) << err();
            fs::remove(dir_ / "short.mkv");
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), c.status);
            EXPECT_NE(err().find("interrupted; 'long.mkv' not written"), std::string::npos) << err();
        }
        fs::remove(dir_ / "out.txt");
        EXPECT_EQ(filesIn(dir_), (std::vector<std::string>{"data", "err.txt", "script.zyl"})) << c.signal;
    }
}

TEST_F(RenderVideo, ProgressLineAtEachTenthUnlessQuiet) {
    ASSERT_EQ(run("render --out f --frames 20 --position 0:0:0"), 0) << err();
    const std::string lines = err();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 10) << lines;
    EXPECT_EQ(lines.find("frame 2/20 (10%)"), 0u) << lines;
    EXPECT_NE(lines.find("frame 20/20 (100%)"), std::string::npos) << lines;
    ASSERT_EQ(run("render --out f --frames 20 --position 0:0:0 --quiet"), 0);
    EXPECT_EQ(err(), "");
}

TEST_F(RenderVideo, InfoListsTheModuleAndWhereEachOrderStarts) {
    ASSERT_EQ(run("info"), 0) << err();
    const std::string out = readFile(dir_ / "out.txt");
    for (const char* line : {"title:    timing", "format:   xm", "length:   0:03.840 (3.840 s)", "orders:   2",
                             "channels: 2", "    0        0    16  0:00.000 (0.000 s)",
                             "    1        0    16  0:01.920 (1.920 s)"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    EXPECT_EQ(run("info --music data/none.xm"), 2);  // a bad command line
    EXPECT_NE(err().find("'data/none.xm' cannot be read"), std::string::npos) << err();
    std::ofstream(dir_ / "data/text.xm") << "no module";
    EXPECT_EQ(run("info --music data/text.xm"), 1);
    EXPECT_NE(err().find("'data/text.xm'"), std::string::npos) << err();
    EXPECT_EQ(run("info --bogus"), 2);
    // Without --music the default module is looked for where the show would.
    fs::remove_all(dir_ / "data");
    EXPECT_EQ(run("info"), 1);
    EXPECT_NE(err().find("'data/zik.mo3': not found (the working directory is "), std::string::npos) << err();
    EXPECT_EQ(err().rfind("velmora info: 'data/zik.mo3': ", 0), 0u) << err();  // one line, the command's
}

TEST(RenderValues, FrameRatesAsDecimalsOrFractions) {
    struct Case {
        const char* text;
        double value;
        int numerator, denominator;
    };
    const Case good[] = {{"50", 50.0, 50, 1},          {"29.97", 29.97, 2997, 100},
                         {"60000/1001", 60000.0 / 1001, 60000, 1001}, {"100/4", 25.0, 25, 1},
                         {"23.976", 23.976, 2997, 125}, {"0.5", 0.5, 1, 2}};
    for (const Case& c : good) {
        auto rate = parseFrameRate(c.text);
        ASSERT_TRUE(rate) << c.text;
        EXPECT_EQ(rate->perSecond, c.value) << c.text;
        EXPECT_EQ(rate->numerator, c.numerator) << c.text;
        EXPECT_EQ(rate->denominator, c.denominator) << c.text;
    }
    for (const char* bad : {"", "0", "-25", "1/0", "0/5", "60000/", "/1001", "1/2/3", "x", "25fps", "1.5/2"})
        EXPECT_FALSE(parseFrameRate(bad)) << bad;
}

TEST(RenderValues, FrameSizesAndLayouts) {
    auto size = parseFrameSize("1920x1080");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 1920);
    EXPECT_EQ(size->height, 1080);
    for (const char* bad : {"", "1920", "1920x", "x1080", "0x10", "10x-1", "9000x10", "10X10"})
        EXPECT_FALSE(parseFrameSize(bad)) << bad;

    // Crisp: the largest whole scale, centred on even coordinates.
    auto crisp = layoutForSize(512, 256, 1920, 1080, false);
    ASSERT_TRUE(crisp);
    EXPECT_EQ(crisp->scale, 3);
    EXPECT_EQ(crisp->pictureWidth, 1536);
    EXPECT_EQ(crisp->pictureX, 192);
    EXPECT_EQ(crisp->pictureY, 156);
    EXPECT_FALSE(layoutForSize(512, 256, 500, 300, false));
    auto smooth = layoutForSize(512, 256, 500, 300, true);
    ASSERT_TRUE(smooth);
    EXPECT_EQ(smooth->pictureWidth, 500);
    EXPECT_EQ(smooth->pictureHeight, 250);
    EXPECT_EQ(smooth->pictureY, 24);
}

TEST(RenderValues, NearestNeighbourBlocksInTheirPlace) {
    const uint32_t source[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
    for (int scale : {1, 2, 3}) {
        FrameLayout layout = layoutForScale(3, 2, scale);
        layout.width += 4;  // a border of 2 on the left and right, 1 above
        layout.height += 2;
        layout.pictureX = 2;
        layout.pictureY = 1;
        std::vector<uint32_t> frame(static_cast<size_t>(layout.width) * layout.height, 0xEE);
        drawNearest(source, 3, 2, layout, frame.data());
        for (int y = 0; y < layout.height; ++y)
            for (int x = 0; x < layout.width; ++x) {
                const int sx = (x - 2) / scale, sy = (y - 1) / scale;
                const bool inside = x >= 2 && y >= 1 && sx < 3 && sy < 2;
                EXPECT_EQ(frame[y * layout.width + x], inside ? source[sy * 3 + sx] : 0xEEu)
                    << "scale " << scale << " at " << x << "," << y;
            }
    }
}

TEST(RenderValues, PlaneScalingGivesTheColoursOfTheWholeScaledFrame) {
    // Random colours, and the extremes where rounding differs first.
    std::vector<uint32_t> source(512 * 256);
    std::mt19937 random(7);
    for (uint32_t& pixel : source) pixel = random() & 0xFFFFFF;
    const uint32_t extremes[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x010101, 0xFEFEFE, 0x00FFFF};
    std::copy(std::begin(extremes), std::end(extremes), source.begin());
    struct Case {
        FrameLayout layout;
        bool planes;
    };
    const Case cases[] = {
        {layoutForScale(512, 256, 2), true},
        {layoutForScale(512, 256, 4), true},
        {*layoutForSize(512, 256, 1100, 600, false), true},   // scale 2 on a black border
        {*layoutForSize(512, 256, 1600, 800, false), false},  // odd scales share chroma samples
    };
    for (const Case& c : cases) {
        const FrameLayout& layout = c.layout;
        std::vector<uint8_t> fast(static_cast<size_t>(layout.width) * layout.height * 3 / 2, 0xAA);
        std::vector<uint8_t> whole(fast.size(), 0x55);
        auto planesOf = [&](std::vector<uint8_t>& frame, uint8_t* planes[3]) {
            planes[0] = frame.data();
            planes[1] = planes[0] + static_cast<size_t>(layout.width) * layout.height;
            planes[2] = planes[1] + static_cast<size_t>(layout.width) * layout.height / 4;
        };
        const int strides[3] = {layout.width, layout.width / 2, layout.width / 2};
        uint8_t* fastPlanes[3];
        uint8_t* wholePlanes[3];
        planesOf(fast, fastPlanes);
        planesOf(whole, wholePlanes);
        FrameConverter quick, reference;
        ASSERT_TRUE(quick.open(512, 256, layout, false));
        ASSERT_TRUE(reference.open(512, 256, layout, false, FrameConverter::Method::WholeFrame));
        EXPECT_EQ(quick.scalesPlanes(), c.planes) << layout.width;
        EXPECT_FALSE(reference.scalesPlanes());
        quick.convert(source.data(), fastPlanes, strides);
        reference.convert(source.data(), wholePlanes, strides);
        const auto firstDifference = std::mismatch(fast.begin(), fast.end(), whole.begin()).first - fast.begin();
        EXPECT_EQ(firstDifference, static_cast<long>(fast.size())) << layout.width << "x" << layout.height;
    }
}

TEST(RenderValues, VideoOptionsAreCheckedTogether) {
    struct Case {
        const char* video;
        const char* outDir;
        int crf;
        const char* preset;
        int width, height;
        const char* error;  // empty: accepted
        int scale = 0;
        const char* fps = "50";
        bool smooth = false;
    };
    const Case cases[] = {
        {"a.mp4", "", -1, "", 0, 0, ""},
        {"a.MKV", "", -1, "", 1100, 601, ""},
        {"a.webm", "", 63, "best", 0, 0, ""},
        {"", "", -1, "", 0, 0, "option '--out' or '--video' is required"},
        {"a.mp4", "dir", -1, "", 0, 0, "not both"},
        {"a.mov", "", -1, "", 0, 0, "unknown video format"},
        {".mp4", "", -1, "", 0, 0, "unknown video format"},
        {"a.mp4", "", 52, "", 0, 0, "expects 0 to 51"},
        {"a.mkv", "", 10, "", 0, 0, "lossless"},
        {"a.mp4", "", -1, "good", 0, 0, "one of: ultrafast"},
        {"a.mp4", "", -1, "", 1001, 600, "even width and height"},
        {"a.mp4", "", -1, "", 500, 300, "at least 512x256"},
        {"", "dir", 20, "", 0, 0, "only with '--video'"},
        {"a.gif", "", -1, "", 1100, 600, ""},
        {"a.gif", "", 20, "", 0, 0, "colours come from its palette"},
        {"a.gif", "", -1, "fast", 0, 0, "colours come from its palette"},
        {"a.mp4", "", -1, "", 4096, 2048, ""},
        {"a.mp4", "", -1, "", 4098, 2048, "at most 4096 pixels a side"},
        {"a.webm", "", -1, "", 0, 0, "", 8},
        {"a.webm", "", -1, "", 0, 0, "at most 4096 pixels a side", 9},
        {"a.mp4", "", -1, "", 0, 0, "", 0, "1000000/999999"},
        {"a.mp4", "", -1, "", 0, 0, "denominator is at most 1000000", 0, "1000000000/999999999"},
        // --smooth given: the refusal does not suggest it.
        {"a.webm", "", -1, "", 1, 1, "too small to hold the picture, even with '--smooth'", 0, "50", true},
        {"a.apng", "", -1, "", 1, 1, "too small to hold the picture, even with '--smooth'", 0, "50", true},
        {"a.webm", "", -1, "", 600, 300, "", 0, "50", true},
    };
    for (const Case& c : cases) {
        RenderOptions options;
        options.video = c.video;
        options.outDir = c.outDir;
        options.crf = c.crf;
        options.preset = c.preset;
        options.size = {c.width, c.height};
        options.scale = c.scale;
        options.fps = *parseFrameRate(c.fps);
        options.smooth = c.smooth;
        std::string error;
        EXPECT_EQ(checkRenderOptions(options, error), *c.error == 0) << c.video << " " << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.video << ": " << error;
    }
}

TEST(RenderValues, LengthFromFramesSecondsOrTheEndOfTheMusic) {
    RenderOptions options;
    std::string error;
    EXPECT_EQ(renderFrameCount(options, 100.0, error), 1);  // frames: one by default
    options.video = "a.mp4";
    EXPECT_TRUE(rendersUntilEnd(options));
    EXPECT_EQ(renderFrameCount(options, 53.76, error), 2688);
    options.start = 0.01;  // frames at 0.01, 0.03, ... up to 53.75
    EXPECT_EQ(renderFrameCount(options, 53.76, error), 2688);
    options.fps = *parseFrameRate("60000/1001");
    EXPECT_EQ(renderFrameCount(options, 53.76, error), 3222);
    options.seconds = 20.0;
    options.fps = FrameRate{};
    EXPECT_FALSE(rendersUntilEnd(options));
    EXPECT_EQ(renderFrameCount(options, 0.0, error), 1000);
    options.seconds = 0.0;
    options.start = 60.0;
    EXPECT_FALSE(renderFrameCount(options, 53.76, error));
    EXPECT_NE(error.find("before --start"), std::string::npos);

    // A GIF's frames all wait for the palette: 500 at the show's size.
    options.video = "a.gif";
    options.start = 0.0;
    options.frames = 500;
    EXPECT_EQ(renderFrameCount(options, 0.0, error), 500);
    options.frames = 501;
    EXPECT_FALSE(renderFrameCount(options, 0.0, error));
    EXPECT_NE(error.find("500 at most"), std::string::npos) << error;

    // The frames a render from 0 evaluates before --start: k / fps < start.
    EXPECT_EQ(prerollFrameCount(options), 0);  // without --preroll
    options.preroll = true;
    const struct {
        double start;
        const char* fps;
        int frames;
    } prerolls[] = {{0.0, "50", 0}, {6.0, "50", 300}, {6.01, "50", 301}, {1.8, "60000/1001", 108}, {0.1, "3", 1}};
    for (const auto& p : prerolls) {
        options.start = p.start;
        options.fps = *parseFrameRate(p.fps);
        EXPECT_EQ(prerollFrameCount(options), p.frames) << p.start << " at " << p.fps;
    }
}

TEST(RenderValues, ProgressTextAndTenths) {
    EXPECT_EQ(formatProgress(450, 9000, 2.0), "frame 450/9000 (5%), 225.0 frames/s, 0:38 left");
    EXPECT_EQ(formatProgress(0, 10, 0.0), "frame 0/10 (0%)");
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    RenderProgress progress(3, RenderProgress::Style::Tenths, stream);
    for (int done = 1; done <= 3; ++done) progress.update(done);
    progress.finish();
    std::rewind(stream);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), stream));
    std::fclose(stream);
    // Three frames reach the tenths 1-3, 4-6 and 7-10: one line each.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << text;
    EXPECT_EQ(text.find("frame 1/3 (33%)"), 0u) << text;
}

TEST(RenderValues, MissingEncoderIsNamedWithTheFile) {
    EXPECT_EQ(missingEncoderMessage("ffv1", "a.mkv"), "");
    const std::string message = missingEncoderMessage("no-such-encoder", "a.mp4");
    EXPECT_NE(message.find("'a.mp4'"), std::string::npos) << message;
    EXPECT_NE(message.find("no-such-encoder"), std::string::npos) << message;
}
