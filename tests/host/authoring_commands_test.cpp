// The built program on the default show, as a show's author uses it: `check` is
// clean, `bench` prints its table, the show's --watch switch is known, and every
// level of vector code draws the same frames.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include "HostTestSupport.h"
#include "surface/SimdLevel.h"

namespace fs = std::filesystem;
using velmora::SimdLevel;
using velmora::supportedSimdLevel;
using velmora::testsupport::readFile;
using velmora::testsupport::ScratchDirectory;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the program in `dir` with the given arguments (and environment settings).
Outcome runIn(const fs::path& dir, const std::string& args, const std::string& environment = "") {
    const ScratchDirectory out("authoring");
    const std::string command = "cd '" + dir.string() + "' && " + environment +
                                " VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy timeout 120 '" +
                                std::string(VELMORA_BINARY) + "' " + args + " >'" + (out / "out.txt").string() +
                                "' 2>'" + (out / "err.txt").string() + "'";
    const int raw = std::system(command.c_str());
    Outcome run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out / "out.txt");
    run.err = readFile(out / "err.txt");
    return run;
}

fs::path defaultShow() { return fs::path(VELMORA_TOOLS_DIR) / "show"; }
bool defaultShowBuilt() {
    return fs::exists(defaultShow() / "script.zyl") && fs::exists(defaultShow() / "data/zik.mo3");
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
    EXPECT_NE(valued.err.find("--watch"), std::string::npos) << valued.err;
    EXPECT_EQ(std::count(valued.err.begin(), valued.err.end(), '\n'), 1) << valued.err;
}

// The default show rendered at a level of vector code against the plain code:
// two frames of every order of the music, byte for byte. A level the processor
// lacks is skipped (the program would cap it and compare plain with itself).
class DefaultShowAtEachLevel : public ::testing::TestWithParam<SimdLevel> {
protected:
    static constexpr int kOrders = 7;
    static constexpr const char* kFrames[] = {"frame_00000.bmp", "frame_00001.bmp"};

    static Outcome render(const fs::path& dir, int order, const char* level) {
        return runIn(defaultShow(),
                     "render --out '" + dir.string() + "' --frames 2 --start " + std::to_string(order * 8 + 3) +
                         " --position " + std::to_string(order) + ":17:99",
                     std::string("VELMORA_SIMD=") + level);
    }
    // The plain frames, rendered once for every level.
    static void SetUpTestSuite() {
        if (!defaultShowBuilt()) return;
        plain_.emplace("levels_plain");
        for (int order = 0; order < kOrders; ++order) {
            const Outcome run = render(*plain_ / std::to_string(order), order, "plain");
            ASSERT_EQ(run.status, 0) << run.err;
        }
    }
    static void TearDownTestSuite() { plain_.reset(); }
    static std::optional<ScratchDirectory> plain_;
};
std::optional<ScratchDirectory> DefaultShowAtEachLevel::plain_;

TEST_P(DefaultShowAtEachLevel, RendersTheSameFramesAsThePlainCode) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    if (GetParam() > supportedSimdLevel()) GTEST_SKIP() << "the processor lacks this level";
    const char* level = GetParam() == SimdLevel::Avx2 ? "avx2" : "sse2";
    const ScratchDirectory out("levels");
    for (int order = 0; order < kOrders; ++order) {
        const fs::path dir = out / std::to_string(order);
        const Outcome run = render(dir, order, level);
        ASSERT_EQ(run.status, 0) << run.err;
        for (const char* frame : kFrames) {
            const std::string plain = readFile(*plain_ / std::to_string(order) / frame);
            ASSERT_EQ(plain.size(), 393274u);
            EXPECT_TRUE(plain == readFile(dir / frame)) << order << frame;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, DefaultShowAtEachLevel, ::testing::Values(SimdLevel::Sse2, SimdLevel::Avx2),
                         [](const ::testing::TestParamInfo<SimdLevel>& info) {
                             return info.param == SimdLevel::Avx2 ? "Avx2" : "Sse2";
                         });
