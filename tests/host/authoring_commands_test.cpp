// The built program on the default show, as a show's author uses it: `check` is
// clean, `bench` prints its table, the show's --watch switch is known, and every
// level of vector code draws the same frames.
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

#include "HostTestSupport.h"
#include "object3d/Lwo2Writer.h"

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

TEST(MeshCommand, ARefusedMeshIsExplainedAndTheSuggestedConversionMendsIt) {
    const fs::path dir = fs::temp_directory_path() / ("velmora_mesh_show_" + std::to_string(::getpid()));
    fs::create_directories(dir / "data");
    std::ofstream(dir / "script.zyl") << "[ZYL_FX_Generator]\nZYL_BoxObjet3D forme data/m.lwo 1\n[/ZYL_FX_Generator]\n"
                                         "[ZYL_Fonction]\n[/ZYL_Fonction]\n[ZYL_Surface]\n[/ZYL_Surface]\n"
                                         "[CABLAGE]\n[/CABLAGE]\n";
    // A square as one quad: what a modeller writes, and what the object box refuses.
    const velmora::Float3 corners[] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    const uint8_t quad[] = {'F', 'A', 'C', 'E', 0, 4, 0, 0, 0, 1, 0, 2, 0, 3};
    const std::string names[] = {"Default"};
    velmora::Lwo2Writer writer;
    writer.tags(names).layer().points(corners).chunk("POLS", quad);
    const std::vector<uint8_t> bytes = writer.bytes();
    std::ofstream(dir / "data/m.lwo", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
    const std::string render = "render --out frames --position 0:0:0";

    const Outcome refused = runIn(dir, render);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err,
              "script.zyl:2: data/m.lwo: polygon 0 has 4 corners; the object box reads triangles only: convert it "
              "with `velmora mesh data/m.lwo -o data/m.lwo`\n");

    const Outcome converted = runIn(dir, "mesh data/m.lwo -o data/m.lwo");
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.out.find("1 polygon (1 quad) -> 2 triangles"), std::string::npos) << converted.out;
    const Outcome rendered = runIn(dir, render);
    EXPECT_EQ(rendered.status, 0) << rendered.err;
    EXPECT_EQ(rendered.err, "");
    fs::remove_all(dir);
}
