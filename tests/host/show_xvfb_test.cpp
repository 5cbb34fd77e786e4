// The show as a viewer meets it, under Xvfb: the window, Enter and Escape, the
// launch dialog's GO!, keys and close box, and the frame's place on the screen;
// and as its author does: live reload, order jumps and the frame counter.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "showkit/JpegWriter.h"
#include "showkit/ModuleWriter.h"
#include "host/live/DialogArt.h"
#include "host/live/FrameCounter.h"
#include "host/live/ModeDialog.h"
#include "host/live/ReloadNotice.h"
#include "platform/Display.h"
#include "surface/Bmp.h"
#include "surface/Surface.h"
#include "test_modules.h"
#include "HostTestSupport.h"

namespace fs = std::filesystem;
using velmora::hosttest::readFile;
using namespace velmora;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

bool haveCommand(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The screen as Xvfb keeps it in its -fbdir file (XWD: big-endian header).
struct Screen {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;

    bool load(const fs::path& path) {
        const std::string b = readFile(path);
        auto field = [&](size_t i) {
            size_t at = i * 4;
            return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24 | static_cast<uint8_t>(b[at + 1]) << 16 |
                   static_cast<uint8_t>(b[at + 2]) << 8 | static_cast<uint8_t>(b[at + 3]);
        };
        if (b.size() < 100) return false;
        const uint32_t headerSize = field(0), byteOrder = field(7), bitsPerPixel = field(11), bytesPerLine = field(12);
        const uint32_t colours = field(19);
        width = static_cast<int>(field(4));
        height = static_cast<int>(field(5));
        const size_t data = headerSize + static_cast<size_t>(colours) * 12;
        if (bitsPerPixel != 32 || b.size() < data + static_cast<size_t>(bytesPerLine) * height) return false;
        pixels.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const size_t at = data + static_cast<size_t>(y) * bytesPerLine + x * 4;
                uint32_t v = 0;
                for (int i = 0; i < 4; ++i)
                    v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (byteOrder == 0 ? 8 * i : 24 - 8 * i);
                pixels[static_cast<size_t>(y) * width + x] = v & 0xFFFFFF;
            }
        return true;
    }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Helpers for the scenario scripts, run inside xvfb-run.
const char kPreamble[] = R"sh(set -u
export SDL_AUDIODRIVER=dummy VELMORA_NO_MESSAGE_BOX=1
pid=""
trap 'if [ -n "$pid" ]; then kill -9 "$pid" 2>/dev/null; fi' EXIT
step() { echo "$*" >> steps.log; }
start() { "$VELMORA" "$@" > show_out.txt 2> show_err.txt & pid=$!; }
# A search can fail at once when another window goes away meanwhile: try again.
window() {
  for i in $(seq 40); do
    w=$(timeout 10 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.25
  done
}
point() { xdotool mousemove --window "$1" 20 20; xdotool windowfocus "$1" 2>/dev/null || true; sleep 0.4; }
waitsize() { for i in $(seq 100); do [ "$(stat -c %s "$1" 2>/dev/null)" = "$2" ] && return 0; sleep 0.1; done; return 1; }
waitexit() {
  for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo hung > status; return 1; fi
  wait "$pid"; echo $? > status; pid=""
}
snap() { sleep 0.3; cp "$FBDIR/Xvfb_screen0" "$1"; }
)sh";

class ShowUnderXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xvfb-run", "xdotool", "xauth", "timeout"})
            if (!haveCommand(tool)) GTEST_SKIP() << tool << " is not installed: the show cannot be run under Xvfb";
        fs::create_directories(dir_ / "show/data");
        fs::create_directories(dir_ / "fb");

        // A picture with something in every row and column, copied to the frame.
        std::vector<uint8_t> rgb(512 * 256 * 3);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 512; ++x) {
                uint8_t* p = &rgb[(y * 512 + x) * 3];
                p[0] = static_cast<uint8_t>(x / 2);
                p[1] = static_cast<uint8_t>(y);
                p[2] = static_cast<uint8_t>(((x / 32 + y / 32) % 2) * 200 + 40);
            }
        ASSERT_TRUE(writeJpeg((dir_ / "show/data/picture.jpg").c_str(), 512, 256, 3, rgb.data(), 95));
        std::ofstream(dir_ / "show/script.zyl") << "[ZYL_FX_Generator]\nZYL_BoxCopier copie\n[/ZYL_FX_Generator]\n"
                                                   "[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 255\n[/ZYL_Fonction]\n"
                                                   "[ZYL_Surface]\nZYL_Surface image \"data/picture.jpg\"\n[/ZYL_Surface]\n"
                                                   "[CABLAGE]\ncopie OUT image toujours toujours\n[/CABLAGE]\n";
        ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64}, {0}, {0, 8}), (dir_ / "show/data/zik.mo3").c_str()));

        Surface picture;
        picture.configure(" \"" + (dir_ / "show/data/picture.jpg").string() + "\"");
        ASSERT_TRUE(picture.isSize(512, 256));
        frame_.assign(picture.pixels, picture.pixels + picture.pixelCount());
    }
    // Runs the scenario under a fresh Xvfb, plain as a viewer's: it resets
    // when its last client leaves (no -noreset); `serverArgs` are added to its
    // own. False when the scenario did not finish in time.
    bool scenario(const std::string& body, int seconds = 25, const std::string& serverArgs = "") {
        std::ofstream(dir_ / "scenario.sh") << kPreamble << "cd '" << (dir_ / "show").string() << "'\n" << body;
        const int server = 100 + static_cast<int>(::getpid() % 300);
        const std::string command = "cd '" + dir_.string() + "' && VELMORA='" + VELMORA_BINARY + "' FBDIR='" +
                                    (dir_ / "fb").string() + "' timeout -k 5 " + std::to_string(seconds) +
                                    " xvfb-run -a -n " + std::to_string(server) + " -s '-screen 0 " + std::to_string(kScreenWidth) + "x" +
                                    std::to_string(kScreenHeight) + "x24 -fbdir " + (dir_ / "fb").string() + " " + serverArgs +
                                    "' bash scenario.sh > scenario.log 2>&1";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) && WEXITSTATUS(raw) != 124;
    }
    std::string status() {
        std::string s = readFile(dir_ / "show/status");
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }
    std::string diagnostics() {
        return "steps:\n" + readFile(dir_ / "show/steps.log") + "scenario:\n" + readFile(dir_ / "scenario.log") +
               "show stderr:\n" + readFile(dir_ / "show/show_err.txt");
    }
    uint32_t framePixel(int x, int y) const { return frame_[static_cast<size_t>(y) * 512 + x]; }
    // The BMP a screenshot of the frame must be.
    std::string expectedGrab() const { return grabOf(frame_); }
    std::string grabOf(const std::vector<uint32_t>& pixels) const {
        std::vector<uint8_t> packed(pixels.size() * 3);
        packPixels24(pixels.data(), packed.data(), pixels.size());
        const fs::path path = dir_ / "expected.bmp";
        EXPECT_EQ(writeBmp(path.c_str(), packed.data(), 512, 256, 24, nullptr), 0);
        return readFile(path);
    }
    // The screenshot of the picture inverted.
    std::string invertedGrab() const {
        std::vector<uint32_t> inverted(frame_);
        for (uint32_t& p : inverted) p ^= 0xFFFFFFu;
        return grabOf(inverted);
    }
    // A script beside the show's: the picture copied to OUT, then the lines given.
    void writeScript(const char* name, const std::string& boxes, const std::string& functions,
                     const std::string& wiring) {
        std::ofstream(dir_ / "show" / name) << "[ZYL_FX_Generator]\nZYL_BoxCopier copie\n" << boxes
                                            << "[/ZYL_FX_Generator]\n[ZYL_Fonction]\nZYL_FnctIntervale toujours 0 255\n"
                                            << functions
                                            << "[/ZYL_Fonction]\n[ZYL_Surface]\nZYL_Surface image \"data/picture.jpg\"\n"
                                               "[/ZYL_Surface]\n[CABLAGE]\ncopie OUT image toujours toujours\n"
                                            << wiring << "[/CABLAGE]\n";
    }
    void writeInvertingScript(const char* name) {
        writeScript(name, "ZYL_BoxInverseVideo inverse\n", "", "inverse OUT toujours toujours\n");
    }

    testsupport::ScratchDirectory scratch_{"xvfb"};
    const fs::path& dir_ = scratch_.path();
    std::vector<uint32_t> frame_;
};

}  // namespace

TEST_F(ShowUnderXvfb, WindowModeSavesTwoScreenshotsAndEscapeQuits) {
    ASSERT_TRUE(scenario(R"sh(
start --mode window
w=$(window '^Velmora$'); step "window $w"; [ -n "$w" ] || exit 0
xdotool getwindowgeometry --shell "$w" > geometry
point "$w"
xdotool key Return; sleep 0.2; xdotool key Return
waitsize grab_1.bmp 393274 && waitsize grab_2.bmp 393274 && step grabs
snap screen.xwd
xdotool key Escape; step escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    const std::string expected = expectedGrab();
    EXPECT_TRUE(readFile(dir_ / "show/grab_1.bmp") == expected) << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_2.bmp") == expected);
    EXPECT_FALSE(fs::exists(dir_ / "show/grab_3.bmp"));
    EXPECT_EQ(readFile(dir_ / "show/show_err.txt"), "");

    // The window's client area is 512x256 and shows the frame pixel for pixel.
    const std::string geometry = readFile(dir_ / "show/geometry");
    EXPECT_NE(geometry.find("WIDTH=512"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("HEIGHT=256"), std::string::npos) << geometry;
    int x = -1, y = -1;
    std::sscanf(geometry.substr(geometry.find("X=")).c_str(), "X=%d\nY=%d", &x, &y);
    Screen screen;
    ASSERT_TRUE(screen.load(dir_ / "show/screen.xwd")) << diagnostics();
    ASSERT_TRUE(x >= 0 && y >= 0 && x + 512 <= screen.width && y + 256 <= screen.height) << geometry;
    int wrong = 0;
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 512; ++c) wrong += screen.at(x + c, y + r) != framePixel(c, r);
    EXPECT_EQ(wrong, 0);
}

// The display is reached once, from the probe to the window: a server that
// ends when its last client leaves (-terminate, where a plain one resets) is
// never left without one before the window opens. The wiring's own fatal
// error ends the show at its first frame.
TEST_F(ShowUnderXvfb, TheWindowOpensOnAServerThatEndsWithItsLastClient) {
    std::ofstream(dir_ / "show/script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                               "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\npersonne OUT\n[/CABLAGE]\n";
    ASSERT_TRUE(scenario("start --mode window --mute --no-message-box\nwaitexit\n", 25, "-terminate")) << diagnostics();
    EXPECT_EQ(status(), "15") << diagnostics();
    const std::string err = readFile(dir_ / "show/show_err.txt");
    EXPECT_NE(err.find("FATAL ERROR: variable de type FXBOX"), std::string::npos) << diagnostics();
    EXPECT_EQ(err.find("ddraw"), std::string::npos) << diagnostics();
}

TEST_F(ShowUnderXvfb, DialogGoStartsModeZeroFullScreen) {
    ASSERT_TRUE(scenario(R"sh(
start
d=$(window 'Video Mode'); step "dialog $d"; [ -n "$d" ] || exit 0
xdotool getwindowgeometry --shell "$d" > dialog_geometry
snap dialog.xwd
xdotool mousemove --window "$d" 163 101 click 1; step go
w=$(window '^Velmora$'); step "show $w"; [ -n "$w" ] || exit 0
xdotool getwindowgeometry --shell "$w" > geometry
point "$w"
xdotool key Return
waitsize grab_1.bmp 393274 && step grab
snap screen.xwd
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();

    // The dialog: 200x120, centred, our picture with the first mode's dot lit.
    const std::string dialogGeometry = readFile(dir_ / "show/dialog_geometry");
    EXPECT_NE(dialogGeometry.find("X=412\nY=324\nWIDTH=200\nHEIGHT=120"), std::string::npos) << dialogGeometry;
    std::vector<uint32_t> picture(static_cast<size_t>(kDialogPictureWidth) * kDialogPictureHeight);
    drawDialogPicture(picture);
    drawModeDots(picture, 0);
    Screen dialog;
    ASSERT_TRUE(dialog.load(dir_ / "show/dialog.xwd"));
    int wrong = 0;
    for (int r = 0; r < kDialogPictureHeight; ++r)
        for (int c = 0; c < kDialogPictureWidth; ++c)
            wrong += dialog.at(412 + c, 324 + r) != picture[static_cast<size_t>(r) * kDialogPictureWidth + c];
    EXPECT_EQ(wrong, 0);

    // Mode 0: the whole screen; the 512x384 canvas doubled, the frame on rows 128..639.
    const std::string geometry = readFile(dir_ / "show/geometry");
    EXPECT_NE(geometry.find("WIDTH=1024\nHEIGHT=768"), std::string::npos) << geometry;
    EXPECT_TRUE(readFile(dir_ / "show/grab_1.bmp") == expectedGrab());
    Screen screen;
    ASSERT_TRUE(screen.load(dir_ / "show/screen.xwd"));
    int bars = 0, inFrame = 0;
    for (int x = 0; x < kScreenWidth; ++x) {
        for (int y = 0; y < 128; ++y) bars += screen.at(x, y) != 0;
        for (int y = 640; y < kScreenHeight; ++y) bars += screen.at(x, y) != 0;
    }
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 512; ++c) inFrame += screen.at(2 * c + 1, 128 + 2 * r + 1) != framePixel(c, r);
    EXPECT_EQ(bars, 0);
    EXPECT_EQ(inFrame, 0);
}

TEST_F(ShowUnderXvfb, DialogKeysChooseTheSecondModeAndEnterStarts) {
    ASSERT_TRUE(scenario(R"sh(
start
d=$(window 'Video Mode'); step "dialog $d"; [ -n "$d" ] || exit 0
point "$d"
xdotool key 2; sleep 0.8
snap dialog.xwd
xdotool key Return
w=$(window '^Velmora$'); step "show $w"; [ -n "$w" ] || exit 0
point "$w"
sleep 1.5; snap screen.xwd
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();

    Screen dialog;
    ASSERT_TRUE(dialog.load(dir_ / "show/dialog.xwd"));
    EXPECT_EQ(dialog.at(412 + kModeDotX, 324 + kModeDotY[0]), 0u);
    EXPECT_EQ(dialog.at(412 + kModeDotX, 324 + kModeDotY[1]), kChosenDotColour);

    // Mode 1 on 1024x768: no whole factor above 1 fits the 640x480 canvas, so
    // it is shown pixel for pixel in the middle, the frame at (256, 256).
    const PixelRect r = integerFrameRect(canvasLayout(displayModeFor(1)), kScreenWidth, kScreenHeight);
    EXPECT_EQ(r.x, 256);
    EXPECT_EQ(r.y, 256);
    Screen screen;
    ASSERT_TRUE(screen.load(dir_ / "show/screen.xwd"));
    int bars = 0, wrong = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool inside = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
            if (inside) wrong += screen.at(x, y) != framePixel(x - r.x, y - r.y);
            else bars += screen.at(x, y) != 0;
        }
    EXPECT_EQ(bars, 0);
    EXPECT_EQ(wrong, 0);
}

TEST_F(ShowUnderXvfb, DialogCloseBoxEndsBeforeAnyShow) {
    // No script here: a show that started would stop with a fatal error.
    fs::remove(dir_ / "show/script.zyl");
    ASSERT_TRUE(scenario(R"sh(
start
d=$(window 'Video Mode'); step "dialog $d"; [ -n "$d" ] || exit 0
# A click that comes before the dialog listens is lost: click until it is gone.
for i in $(seq 8); do
  xdotool mousemove --window "$d" 186 10 click 1 2>/dev/null; step close
  for j in $(seq 10); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
done
waitexit
xdotool search --name '^Velmora$' > windows_after 2>/dev/null
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    EXPECT_EQ(readFile(dir_ / "show/show_err.txt"), "");
    EXPECT_EQ(readFile(dir_ / "show/windows_after"), "");
}

TEST_F(ShowUnderXvfb, F5ReloadsTheNewWiringAndABrokenScriptLeavesTheShowRunning) {
    writeInvertingScript("inverted.zyl");
    // Line 12 names a box nobody declared.
    writeScript("broken.zyl", "", "", "rien OUT toujours toujours\n");
    ASSERT_TRUE(scenario(R"sh(
start --mode window
w=$(window '^Velmora$'); step "window $w"; [ -n "$w" ] || exit 0
point "$w"
xdotool key Return; waitsize grab_1.bmp 393274 && step grab1
cp inverted.zyl script.zyl; xdotool key F5; step reload
xdotool key Return; waitsize grab_2.bmp 393274 && step grab2
cp broken.zyl script.zyl; xdotool key F5; step broken
xdotool getwindowgeometry --shell "$w" > geometry
snap notice.xwd
xdotool key Return; waitsize grab_3.bmp 393274 && step grab3
kill -0 "$pid" && step alive
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_1.bmp") == expectedGrab()) << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_2.bmp") == invertedGrab()) << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_3.bmp") == invertedGrab()) << diagnostics();  // the old show goes on
    const std::string err = readFile(dir_ / "show/show_err.txt");
    EXPECT_NE(err.find("script.zyl:12: undeclared box rien\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("FATAL"), std::string::npos) << err;
    EXPECT_NE(readFile(dir_ / "show/show_out.txt").find("script.zyl: reloaded"), std::string::npos);

    // The refusal's first line is over the bottom of the window, the rest of
    // the frame is the running show's.
    const std::string geometry = readFile(dir_ / "show/geometry");
    int x = -1, y = -1;
    std::sscanf(geometry.substr(geometry.find("X=")).c_str(), "X=%d\nY=%d", &x, &y);
    Screen screen;
    ASSERT_TRUE(screen.load(dir_ / "show/notice.xwd")) << diagnostics();
    ASSERT_TRUE(x >= 0 && y >= 0 && x + 512 <= screen.width && y + 256 <= screen.height) << geometry;
    int wrongAbove = 0, noticePixels = 0;
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 512; ++c) {
            const uint32_t shown = screen.at(x + c, y + r);
            if (r < 256 - kNoticeHeight) wrongAbove += shown != (framePixel(c, r) ^ 0xFFFFFFu);
            else noticePixels += shown == kNoticeColour;
        }
    EXPECT_EQ(wrongAbove, 0);
    EXPECT_GT(noticePixels, 100);
}

TEST_F(ShowUnderXvfb, WatchReloadsWhenTheScriptFileChanges) {
    writeInvertingScript("inverted.zyl");
    ASSERT_TRUE(scenario(R"sh(
start --mode window --watch
w=$(window '^Velmora$'); step "window $w"; [ -n "$w" ] || exit 0
point "$w"
xdotool key Return; waitsize grab_1.bmp 393274 && step grab1
cp inverted.zyl script.zyl; step changed
for i in $(seq 50); do grep -q reloaded show_out.txt && break; sleep 0.1; done
xdotool key Return; waitsize grab_2.bmp 393274 && step grab2
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_1.bmp") == expectedGrab()) << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_2.bmp") == invertedGrab()) << diagnostics();
    EXPECT_EQ(readFile(dir_ / "show/show_err.txt"), "");
}

// With sound, and muted on a machine whose sound device fails: either way the
// pictures follow the music's position.
struct MusicOutput {
    const char* name;
    const char* environment;  // shell lines before the show starts
    const char* args;
};
class ShowMusicUnderXvfb : public ShowUnderXvfb, public ::testing::WithParamInterface<MusicOutput> {};

TEST_P(ShowMusicUnderXvfb, LeftAndRightJumpOrdersAndTheShowShowsThatMoment) {
    // Three orders of 7.7 s; the picture is inverted during order 1 only.
    ASSERT_TRUE(xm::saveXm(testing_modules::timingModule({64, 64}, {0, 1, 0}), (dir_ / "show/data/zik.mo3").c_str()));
    writeScript("script.zyl", "ZYL_BoxInverseVideo inverse\n", "ZYL_FnctIntervale second 1 1\n",
                "inverse OUT second second\n");
    ASSERT_TRUE(scenario(std::string(GetParam().environment) + "start --mode window" + GetParam().args + R"sh(
w=$(window '^Velmora$'); step "window $w"; [ -n "$w" ] || exit 0
point "$w"
grab() { xdotool key Return; waitsize "grab_$1.bmp" 393274 && step "grab $1"; }
grab 1
xdotool key Right; grab 2
xdotool key Right Right; grab 3
xdotool key Left; grab 4
xdotool key space Left; grab 5
sleep 0.3; grab 6
xdotool key space Right; grab 7
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    const std::string plain = expectedGrab(), inverted = invertedGrab();
    EXPECT_TRUE(readFile(dir_ / "show/grab_1.bmp") == plain) << diagnostics();     // order 0
    EXPECT_TRUE(readFile(dir_ / "show/grab_2.bmp") == inverted) << diagnostics();  // order 1
    EXPECT_TRUE(readFile(dir_ / "show/grab_3.bmp") == plain);                      // order 2, the last, stays
    EXPECT_TRUE(readFile(dir_ / "show/grab_4.bmp") == inverted);                   // back to order 1
    EXPECT_TRUE(readFile(dir_ / "show/grab_5.bmp") == plain);                      // paused, order 0
    EXPECT_TRUE(readFile(dir_ / "show/grab_6.bmp") == plain);
    EXPECT_TRUE(readFile(dir_ / "show/grab_7.bmp") == inverted);                   // resumed, order 1
    EXPECT_EQ(readFile(dir_ / "show/show_err.txt"), "");
}

INSTANTIATE_TEST_SUITE_P(
    ShowUnderXvfb, ShowMusicUnderXvfb,
    ::testing::Values(MusicOutput{"WithSound", "", ""},
                      MusicOutput{"MutedWithoutASoundDevice", "export SDL_AUDIODRIVER=no-such-driver\n", " --mute"}),
    [](const ::testing::TestParamInfo<MusicOutput>& info) { return std::string(info.param.name); });

// Without a sound device the fatal error ends the show by itself under
// --no-message-box, where a box would wait for a click, and says what plays.
TEST_F(ShowUnderXvfb, NoMessageBoxLetsAFatalErrorEndTheShow) {
    ASSERT_TRUE(scenario(R"sh(
unset VELMORA_NO_MESSAGE_BOX
export SDL_AUDIODRIVER=no-such-driver
start --mode window --no-message-box
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "15") << diagnostics();
    EXPECT_NE(readFile(dir_ / "show/show_err.txt").find("--mute"), std::string::npos) << diagnostics();
}

TEST_F(ShowUnderXvfb, F1FrameCounterIsOnScreenButNeverInScreenshots) {
    ASSERT_TRUE(scenario(R"sh(
start --mode window
w=$(window '^Velmora$'); step "window $w"; [ -n "$w" ] || exit 0
xdotool getwindowgeometry --shell "$w" > geometry
point "$w"
xdotool key F1; sleep 1.5
snap counter.xwd
xdotool key Return; waitsize grab_1.bmp 393274 && step grab
xdotool key F1
snap plain.xwd
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    EXPECT_TRUE(readFile(dir_ / "show/grab_1.bmp") == expectedGrab()) << diagnostics();

    const std::string geometry = readFile(dir_ / "show/geometry");
    int x = -1, y = -1;
    std::sscanf(geometry.substr(geometry.find("X=")).c_str(), "X=%d\nY=%d", &x, &y);
    Screen counter, plain;
    ASSERT_TRUE(counter.load(dir_ / "show/counter.xwd")) << diagnostics();
    ASSERT_TRUE(plain.load(dir_ / "show/plain.xwd"));
    ASSERT_TRUE(x >= 0 && y >= 0 && x + 512 <= counter.width && y + 256 <= counter.height) << geometry;
    // The counter's box in the top-left corner (as wide as "99999 fps" at most)
    // and under it the music's position ("order 0 row R 00:0S.CC"): black with
    // figures in the counter's colour, over a picture that has no black;
    // everything else is the frame.
    int black = 0, figures = 0, positionFigures = 0, wrong = 0;
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 512; ++c) {
            const uint32_t v = counter.at(x + c, y + r);
            const bool inCounter = c < kCounterX + 110 && r >= kCounterY && r < kCounterY + kCounterHeight;
            const bool inPosition = c < kCounterX + 300 && r >= kPositionY && r < kPositionY + kCounterHeight;
            if (c >= kCounterX && (inCounter || inPosition)) {
                black += v == 0;
                figures += inCounter && v == kCounterColour;
                positionFigures += inPosition && v == kCounterColour;
                wrong += v != 0 && v != kCounterColour && v != framePixel(c, r);
            } else {
                wrong += v != framePixel(c, r);
            }
        }
    EXPECT_GT(black, 400);
    EXPECT_GT(figures, 40);  // "N fps"
    EXPECT_GT(positionFigures, 200);
    EXPECT_EQ(wrong, 0);
    int plainWrong = 0;  // F1 again: gone
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 512; ++c) plainWrong += plain.at(x + c, y + r) != framePixel(c, r);
    EXPECT_EQ(plainWrong, 0);
}

// Under Xvfb there is no vsync: the window is held to the display's refresh
// rate, or to --fps-cap, read back from the F1 counter on the screen.
TEST_F(ShowUnderXvfb, WindowFrameRateIsCappedUnlessAskedNotTo) {
    ASSERT_TRUE(scenario(R"sh(
measure() {
  start --mode window "$@"
  w=$(window '^Velmora$'); step "window $w $*"; [ -n "$w" ] || exit 0
  xdotool getwindowgeometry --shell "$w" > "geometry_$1"
  point "$w"
  xdotool key F1; sleep 2.6
  snap "counter_$1.xwd"
  xdotool key Escape
  waitexit
  mv status "status_$1"
}
measure --scale integer
measure --fps-cap 20
measure --no-cap
)sh", 50)) << diagnostics();
    // The figure the counter shows: the one whose drawing matches the screen.
    auto framesPerSecond = [&](const std::string& run) {
        const std::string geometry = readFile(dir_ / ("show/geometry_" + run));
        int x = -1, y = -1;
        if (geometry.find("X=") == std::string::npos) return -1;
        std::sscanf(geometry.substr(geometry.find("X=")).c_str(), "X=%d\nY=%d", &x, &y);
        Screen screen;
        if (!screen.load(dir_ / ("show/counter_" + run + ".xwd")) || x < 0 || y < 0) return -1;
        std::vector<uint32_t> drawn(frame_.size());
        for (int fps = 0; fps <= 20000; ++fps) {
            std::copy(frame_.begin(), frame_.end(), drawn.begin());
            drawFrameCounter(drawn.data(), 512, fps);
            bool same = true;
            for (int r = kCounterY; r < kCounterY + kCounterHeight && same; ++r)
                for (int c = kCounterX; c < kCounterX + 110 && same; ++c)
                    same = screen.at(x + c, y + r) == drawn[static_cast<size_t>(r) * 512 + c];
            if (same) return fps;
        }
        return -1;
    };
    for (const char* run : {"--scale", "--fps-cap", "--no-cap"})
        EXPECT_EQ(readFile(dir_ / ("show/status_" + std::string(run))), "0\n") << run << diagnostics();
    const int refresh = framesPerSecond("--scale");
    const int twenty = framesPerSecond("--fps-cap");
    const int uncapped = framesPerSecond("--no-cap");
    std::printf("frames per second: %d at the refresh rate, %d capped at 20, %d without a cap\n", refresh, twenty,
                uncapped);
    EXPECT_GE(refresh, 10) << diagnostics();
    EXPECT_LE(refresh, 75);  // a screen's refresh rate, not the thousand and more of no cap
    EXPECT_GE(twenty, 12);
    EXPECT_LE(twenty, 21);
    EXPECT_GT(uncapped, refresh + 10);
}
