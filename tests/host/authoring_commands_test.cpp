// The built program on the default show, as a show's author uses it: `check` is
// clean, `bench` prints its table, the show's --watch switch is known, every
// level of vector code draws the same frames, `list` and `help` describe every
// type, and the reference page with its pictures is what the program writes today.
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
#include "host/PngFile.h"
#include "host/ReferencePage.h"
#include "script/TypeReference.h"

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

// a + b + c built by appending: GCC 12 misreads `"text" + std::string` as an
// overlapping copy.
std::string joined(std::string_view a, std::string_view b, std::string_view c) {
    return std::string(a).append(b).append(c);
}

TEST(TypeCommands, ListNamesEveryTypeOnItsOwnLine) {
    const Outcome run = runIn(fs::temp_directory_path(), "list");
    EXPECT_EQ(run.status, 0) << run.err;
    for (const velmora::TypeReference& type : velmora::typeReferences())
        EXPECT_NE(run.out.find(joined("\n  ", type.word, " ")), std::string::npos) << type.word;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
    EXPECT_EQ(runIn(fs::temp_directory_path(), "list extra").status, 2);
}

TEST(TypeCommands, HelpShowsTheWholeEntryOfEveryType) {
    for (const velmora::TypeReference& type : velmora::typeReferences()) {
        const Outcome run = runIn(fs::temp_directory_path(), std::string("help ") + type.word);
        EXPECT_EQ(run.status, 0) << type.word << run.err;
        EXPECT_NE(run.out.find(type.exampleDeclaration), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(type.exampleWiring), std::string::npos) << run.out;
        // Every slot in order, each with its number.
        size_t at = 0;
        for (size_t i = 0; i < type.functions.size(); ++i) {
            at = run.out.find(joined("F", std::to_string(i), "  "), at);
            ASSERT_NE(at, std::string::npos) << type.word << " F" << i << "\n" << run.out;
        }
        for (size_t i = 0; i < type.inputs.size(); ++i)
            EXPECT_NE(run.out.find(joined("IN", std::to_string(i), "  ")), std::string::npos) << type.word;
    }
}

TEST(TypeCommands, HelpOfAnUnknownTypeSuggestsTheNearest) {
    const Outcome run = runIn(fs::temp_directory_path(), "help ZYL_BoxXBlr");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("unknown type 'ZYL_BoxXBlr'; did you mean ZYL_BoxXBlur?"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("ZYL_FnctTracker"), std::string::npos) << "the list of types follows";
    EXPECT_EQ(runIn(fs::temp_directory_path(), "help ZYL_BoxFader extra").status, 2);
}

TEST(ReferencePage, TypeSectionIsWhatTheProgramWritesToday) {
    const Outcome run = runIn(fs::temp_directory_path(), "help --markdown");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto committed = velmora::generatedPart(readFile(fs::path(VELMORA_SOURCE_DIR) / "docs/script.md"));
    ASSERT_TRUE(committed.has_value()) << "docs/script.md lacks its markers";
    EXPECT_TRUE(*committed == run.out) << "docs/script.md is stale: run the build's docs target";
}

// Each type's example renders, and the committed picture is its last frame.
class ReferencePicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferencePicture, ExampleRendersToTheCommittedPicture) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const std::string word = GetParam();
    const velmora::TypeReference* type = velmora::findTypeReference(word);
    ASSERT_NE(type, nullptr);
    const fs::path examples = fs::path(VELMORA_SOURCE_DIR) / "docs/examples";
    const std::string script = readFile(examples / joined(word, ".zyl", ""));
    // The example of `help` is part of the script that makes the picture.
    EXPECT_NE(script.find(joined("\n", type->exampleDeclaration, "\n")), std::string::npos);
    EXPECT_NE(script.find(joined("\n", type->exampleWiring, "\n")), std::string::npos);

    std::string error;
    const auto rendered = velmora::renderExample(
        VELMORA_BINARY, defaultShow(), examples / joined(word, ".zyl", ""),
        fs::temp_directory_path() / joined("velmora_reference_", std::to_string(::getpid()), ""), error);
    ASSERT_TRUE(rendered.has_value()) << error;
    const auto committed = velmora::readPng((examples / joined(word, ".png", "")).string());
    ASSERT_TRUE(committed.has_value()) << "no picture " << word << ".png";
    EXPECT_EQ(committed->width, rendered->width);
    EXPECT_EQ(committed->height, rendered->height);
    EXPECT_TRUE(committed->pixels == rendered->pixels) << word << ".png is stale: run the build's docs target";
}

std::vector<const char*> typeWords() {
    std::vector<const char*> words;
    for (const velmora::TypeReference& type : velmora::typeReferences()) words.push_back(type.word);
    return words;
}

INSTANTIATE_TEST_SUITE_P(EveryType, ReferencePicture, ::testing::ValuesIn(typeWords()),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
