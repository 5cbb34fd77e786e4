// The built program on the default show, as a show's author uses it: `check` is
// clean, `bench` prints its table, the show's --watch switch is known, and every
// level of vector code draws the same frames; `new` makes a show that plays, and
// the installed program plays the installed default show with --demo.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include "HostTestSupport.h"

namespace fs = std::filesystem;
using velmora::hosttest::readFile;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the program in `dir` with the given arguments (and environment settings).
Outcome runIn(const fs::path& dir, const std::string& args, const std::string& environment = "") {
    const fs::path out = fs::temp_directory_path() / ("velmora_authoring_" + std::to_string(::getpid()));
    fs::create_directories(out);
    const std::string command = "cd '" + dir.string() + "' && " + environment +
                                " VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy timeout 120 '" +
                                std::string(VELMORA_BINARY) + "' " + args + " >'" + (out / "out.txt").string() +
                                "' 2>'" + (out / "err.txt").string() + "'";
    const int raw = std::system(command.c_str());
    Outcome run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out / "out.txt");
    run.err = readFile(out / "err.txt");
    fs::remove_all(out);
    return run;
}

fs::path defaultShow() { return fs::path(VELMORA_TOOLS_DIR) / "show"; }
bool defaultShowBuilt() {
    return fs::exists(defaultShow() / "script.zyl") && fs::exists(defaultShow() / "data/zik.mo3");
}

fs::path scratch(const char* what) {
    const fs::path dir = fs::temp_directory_path() / ("velmora_" + std::string(what) + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// True when the WAV file has any sample that is not silence.
bool hasSound(const fs::path& wav) {
    const std::string bytes = readFile(wav);
    return bytes.size() > 44 && std::any_of(bytes.begin() + 44, bytes.end(), [](char b) { return b != 0; });
}

}  // namespace

TEST(DefaultShowCommands, CheckFindsNothingWrong) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const Outcome run = runIn(defaultShow(), "check");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("script.zyl: ok: ", 0), 0u) << run.out;
}

TEST(DefaultShowCommands, BenchPrintsOneRowPerWiringLine) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const Outcome check = runIn(defaultShow(), "check");
    int boxes = 0, functions = 0, surfaces = 0, wiringLines = 0;
    ASSERT_EQ(std::sscanf(check.out.c_str(), "script.zyl: ok: %d boxes, %d functions, %d surfaces, %d wiring lines",
                          &boxes, &functions, &surfaces, &wiringLines),
              4)
        << check.out;
    ASSERT_GT(wiringLines, 0);

    const Outcome run = runIn(defaultShow(), "bench --frames 10 --position 2:0:0");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("script.zyl: 10 frames in ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("frames per second"), std::string::npos) << run.out;
    const size_t header = run.out.find("us/frame");
    ASSERT_NE(header, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("(functions)"), std::string::npos);
    // Header, one row per wiring line that calls a box, and the functions' row.
    const long rows = std::count(run.out.begin() + static_cast<long>(header), run.out.end(), '\n');
    EXPECT_EQ(rows, wiringLines + 2) << run.out;
}

TEST(ShowCommandLine, WatchIsListedAndTakesNoValue) {
    const fs::path here = fs::temp_directory_path();
    const Outcome help = runIn(here, "--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--watch", "F5", "F1", "Left", "Right", "Space"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    const Outcome valued = runIn(here, "--watch=yes --mode window");
    EXPECT_EQ(valued.status, 2);
    EXPECT_NE(valued.err.find("'--watch'"), std::string::npos) << valued.err;
    EXPECT_EQ(std::count(valued.err.begin(), valued.err.end(), '\n'), 1) << valued.err;
}

TEST(DefaultShowCommands, EveryVectorLevelRendersTheSameFrames) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const fs::path out = fs::temp_directory_path() / ("velmora_levels_" + std::to_string(::getpid()));
    // Two frames of every order of the music, with each level of vector code.
    for (int order = 0; order < 7; ++order) {
        const std::string args = " --frames 2 --start " + std::to_string(order * 8 + 3) + " --position " +
                                 std::to_string(order) + ":17:99";
        for (const char* level : {"plain", "sse2", "avx2"}) {
            const fs::path dir = out / level / std::to_string(order);
            const Outcome run = runIn(defaultShow(), "render --out '" + dir.string() + "'" + args,
                                      std::string("VELMORA_SIMD=") + level);
            ASSERT_EQ(run.status, 0) << run.err;
        }
        for (const char* frame : {"frame_00000.bmp", "frame_00001.bmp"}) {
            const std::string plain = readFile(out / "plain" / std::to_string(order) / frame);
            ASSERT_EQ(plain.size(), 393274u);
            EXPECT_TRUE(plain == readFile(out / "sse2" / std::to_string(order) / frame)) << order << frame;
            EXPECT_TRUE(plain == readFile(out / "avx2" / std::to_string(order) / frame)) << order << frame;
        }
    }
    fs::remove_all(out);
}

TEST(NewShow, AnEmptyFolderBecomesAShowThatChecksCleanAndRendersWithItsMusic) {
    const fs::path dir = scratch("new");
    const Outcome made = runIn(dir, "new show");
    ASSERT_EQ(made.status, 0) << made.err;
    for (const char* file : {"script.zyl", "data/backdrop.jpg", "data/sprite.jpg", "data/envmap.jpg", "data/torus.lwo",
                             "data/zik.mo3"})
        EXPECT_TRUE(fs::is_regular_file(dir / "show" / file)) << file;

    const Outcome check = runIn(dir / "show", "check");
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out.rfind("script.zyl: ok: 4 boxes", 0), 0u) << check.out;

    // Order 0 (the first second) and order 1 (the sprite's) differ, and the sound is there.
    const Outcome early = runIn(dir / "show", "render --out early --frames 2");
    ASSERT_EQ(early.status, 0) << early.err;
    const Outcome late = runIn(dir / "show", "render --out late --frames 2 --start 9");
    ASSERT_EQ(late.status, 0) << late.err;
    const std::string first = readFile(dir / "show/early/frame_00001.bmp");
    EXPECT_EQ(first.size(), 393274u);
    EXPECT_TRUE(first != readFile(dir / "show/late/frame_00001.bmp"));
    EXPECT_TRUE(hasSound(dir / "show/early/audio.wav"));
    EXPECT_TRUE(hasSound(dir / "show/late/audio.wav"));

    // A folder that is not empty is refused and left as it was.
    const Outcome again = runIn(dir, "new show");
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("is not empty"), std::string::npos) << again.err;
    EXPECT_EQ(runIn(dir, "new").status, 2);
    fs::remove_all(dir);
}

TEST(InstalledProgram, DemoRendersTheInstalledDefaultShowFromAnyFolder) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const fs::path dir = scratch("install");
    const std::string install = "'" + std::string(VELMORA_CMAKE_COMMAND) + "' --install '" +
                                std::string(VELMORA_TOOLS_DIR) + "' --prefix '" + (dir / "prefix").string() +
                                "' > '" + (dir / "install.log").string() + "' 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << readFile(dir / "install.log");
    const fs::path program = dir / "prefix/bin/velmora";
    ASSERT_TRUE(fs::is_regular_file(program));
    EXPECT_TRUE(fs::is_regular_file(dir / "prefix/share/velmora/demo/script.zyl"));
    EXPECT_TRUE(fs::is_regular_file(dir / "prefix/share/velmora/demo/data/zik.mo3"));
    EXPECT_FALSE(fs::exists(dir / "prefix/share/velmora/demo/data/.pictures"));
    EXPECT_NE(readFile(dir / "prefix/share/man/man1/velmora.1").find(".TH VELMORA 1"), std::string::npos);

    // From a folder with no show in it: the frames come out here, rendered from
    // the installed show with its music, the same as the build tree's show gives.
    fs::create_directories(dir / "elsewhere");
    const std::string run = "cd '" + (dir / "elsewhere").string() + "' && SDL_VIDEODRIVER=dummy '" +
                            program.string() + "' --demo render --out frames --frames 2 --start 20 > ../run.log 2>&1";
    ASSERT_EQ(std::system(run.c_str()), 0) << readFile(dir / "run.log");
    const std::string frame = readFile(dir / "elsewhere/frames/frame_00001.bmp");
    EXPECT_EQ(frame.size(), 393274u);
    EXPECT_TRUE(hasSound(dir / "elsewhere/frames/audio.wav"));
    const Outcome built = runIn(defaultShow(), "render --out '" + (dir / "built").string() + "' --frames 2 --start 20");
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_TRUE(frame == readFile(dir / "built/frame_00001.bmp"));

    // Without an installed or built show beside the program, --demo says where it looked.
    fs::create_directories(dir / "lonely");
    fs::copy_file(program, dir / "lonely/velmora");
    const std::string lonely = "cd '" + dir.string() + "' && lonely/velmora --demo check > lonely.log 2>&1";
    const int raw = std::system(lonely.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_NE(readFile(dir / "lonely.log").find("share/velmora/demo"), std::string::npos);
    fs::remove_all(dir);
}
