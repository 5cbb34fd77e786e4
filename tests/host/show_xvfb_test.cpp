// The show as a viewer meets it, under Xvfb: the window, Enter and Escape, the
// launch dialog's GO!, keys and close box, and the frame's place on the screen.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "JpegWriter.h"
#include "ModuleWriter.h"
#include "host/DialogArt.h"
#include "host/ModeDialog.h"
#include "platform/Display.h"
#include "surface/Bmp.h"
#include "surface/Surface.h"
#include "test_modules.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

// Helpers for the session scripts, run inside xvfb-run.
const char kPreamble[] = R"sh(set -u
export SDL_AUDIODRIVER=dummy VELMORA_NO_MESSAGE_BOX=1
pid=""
trap 'if [ -n "$pid" ]; then kill -9 "$pid" 2>/dev/null; fi' EXIT
step() { echo "$*" >> steps.log; }
start() { "$VELMORA" "$@" > show_out.txt 2> show_err.txt & pid=$!; }
window() { timeout 10 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
point() { xdotool mousemove --window "$1" 20 20; xdotool windowfocus "$1" 2>/dev/null || true; }
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
        dir_ = fs::temp_directory_path() / ("velmora_xvfb_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
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
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // Runs the session body under a fresh Xvfb; false when it did not finish in time.
    bool session(const std::string& body) {
        std::ofstream(dir_ / "session.sh") << kPreamble << "cd '" << (dir_ / "show").string() << "'\n" << body;
        const int server = 100 + static_cast<int>(::getpid() % 300);
        const std::string command = "cd '" + dir_.string() + "' && VELMORA='" + VELMORA_BINARY + "' FBDIR='" +
                                    (dir_ / "fb").string() + "' timeout 40 xvfb-run -a -n " + std::to_string(server) +
                                    " -s '-screen 0 " + std::to_string(kScreenWidth) + "x" +
                                    std::to_string(kScreenHeight) + "x24 -fbdir " + (dir_ / "fb").string() +
                                    "' bash session.sh > session.log 2>&1";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) && WEXITSTATUS(raw) != 124;
    }
    std::string status() {
        std::string s = readFile(dir_ / "show/status");
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }
    std::string diagnostics() {
        return "steps:\n" + readFile(dir_ / "show/steps.log") + "session:\n" + readFile(dir_ / "session.log") +
               "show stderr:\n" + readFile(dir_ / "show/show_err.txt");
    }
    uint32_t framePixel(int x, int y) const { return frame_[static_cast<size_t>(y) * 512 + x]; }
    // The BMP a screenshot of the frame must be.
    std::string expectedGrab() const {
        std::vector<uint8_t> packed(frame_.size() * 3);
        packPixels24(frame_.data(), packed.data(), frame_.size());
        const fs::path path = dir_ / "expected.bmp";
        EXPECT_EQ(writeBmp(path.c_str(), packed.data(), 512, 256, 24, nullptr), 0);
        return readFile(path);
    }

    fs::path dir_;
    std::vector<uint32_t> frame_;
};

}  // namespace

TEST_F(ShowUnderXvfb, WindowModeSavesTwoScreenshotsAndEscapeQuits) {
    ASSERT_TRUE(session(R"sh(
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

TEST_F(ShowUnderXvfb, DialogGoStartsModeZeroFullScreen) {
    ASSERT_TRUE(session(R"sh(
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
    ASSERT_TRUE(session(R"sh(
start
d=$(window 'Video Mode'); step "dialog $d"; [ -n "$d" ] || exit 0
point "$d"
xdotool key 2; sleep 0.3
snap dialog.xwd
xdotool key Return
w=$(window '^Velmora$'); step "show $w"; [ -n "$w" ] || exit 0
point "$w"
snap screen.xwd; sleep 0.5; snap screen.xwd
xdotool key Escape
waitexit
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();

    Screen dialog;
    ASSERT_TRUE(dialog.load(dir_ / "show/dialog.xwd"));
    EXPECT_EQ(dialog.at(412 + kModeDotX, 324 + kModeDotY[0]), 0u);
    EXPECT_EQ(dialog.at(412 + kModeDotX, 324 + kModeDotY[1]), kChosenDotColour);

    // Mode 1: the 640x480 canvas scaled by 1.6, the frame framed by black.
    const PixelRect r = frameRectOnOutput(canvasLayout(displayModeFor(1)), kScreenWidth, kScreenHeight);
    EXPECT_EQ(r.x, 102);
    EXPECT_EQ(r.y, 179);
    Screen screen;
    ASSERT_TRUE(screen.load(dir_ / "show/screen.xwd"));
    int bars = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool outside = x < r.x - 1 || x > r.x + r.w || y < r.y - 1 || y > r.y + r.h;
            bars += outside && screen.at(x, y) != 0;
        }
    EXPECT_EQ(bars, 0);
    // Inside, each screen pixel shows the frame pixel it covers (give or take
    // one where the scaled pixel edges round).
    int wrong = 0;
    for (int y = r.y + 2; y < r.y + r.h - 2; y += 7)
        for (int x = r.x + 2; x < r.x + r.w - 2; x += 5) {
            const int c = (x - r.x) * 512 / r.w, row = (y - r.y) * 256 / r.h;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near |= screen.at(x, y) == framePixel(std::clamp(c + dx, 0, 511), std::clamp(row + dy, 0, 255));
            wrong += !near;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ShowUnderXvfb, DialogCloseBoxEndsBeforeAnyShow) {
    // No script here: a show that started would stop with a fatal error.
    fs::remove(dir_ / "show/script.zyl");
    ASSERT_TRUE(session(R"sh(
start
d=$(window 'Video Mode'); step "dialog $d"; [ -n "$d" ] || exit 0
xdotool mousemove --window "$d" 186 10 click 1; step close
waitexit
xdotool search --name '^Velmora$' > windows_after 2>/dev/null
)sh")) << diagnostics();
    EXPECT_EQ(status(), "0") << diagnostics();
    EXPECT_EQ(readFile(dir_ / "show/show_err.txt"), "");
    EXPECT_EQ(readFile(dir_ / "show/windows_after"), "");
}
