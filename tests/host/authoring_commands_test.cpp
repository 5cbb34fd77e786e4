// The built program on the default show, as a show's author uses it: `check` is
// clean, `bench` prints its table, the show's --watch switch is known, every
// level of vector code draws the same frames, `list` and `help` describe every
// type, the reference page with its pictures is what the program writes today,
// `new` makes a show that plays, and the installed program plays the installed
// default show with --demo.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "host/outputs/PngFile.h"
#include "host/commands/ReferencePage.h"
#include "host/commands/RocketFile.h"
#include "host/commands/TracksCommand.h"
#include "host/commands/WebCommand.h"
#include "script/TypeTable.h"
#include "core/SimdLevel.h"
#include "object3d/Lwo2Writer.h"

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

// Runs the program (or a copy of it) in `dir` with the given arguments (and environment settings).
Outcome runIn(const fs::path& dir, const std::string& args, const std::string& environment = "",
              const std::string& program = VELMORA_BINARY) {
    const ScratchDirectory out("authoring");
    const std::string command = "cd '" + dir.string() + "' && " + environment +
                                " VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy timeout 120 '" +
                                program + "' " + args + " >'" + (out / "out.txt").string() +
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

    // The order table: a title, a header naming the levels, one row an order.
    const Outcome table = runIn(defaultShow(), "bench --frames 2 --orders 3 --threads 2");
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("plain"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("memcpy-frames"), std::string::npos) << table.out;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 2 + 3) << table.out;
    EXPECT_NE(table.out.find("\n    2  "), std::string::npos) << table.out;
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

// a + b + c built by appending: GCC 12 misreads `"text" + std::string` as an
// overlapping copy.
std::string joined(std::string_view a, std::string_view b, std::string_view c) {
    return std::string(a).append(b).append(c);
}

TEST(TypeCommands, ListNamesEveryTypeOnItsOwnLine) {
    const Outcome run = runIn(fs::temp_directory_path(), "list");
    EXPECT_EQ(run.status, 0) << run.err;
    for (const velmora::ScriptType& type : velmora::scriptTypes())
        EXPECT_NE(run.out.find(joined("\n  ", type.word, " ")), std::string::npos) << type.word;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
    EXPECT_EQ(runIn(fs::temp_directory_path(), "list extra").status, 2);
}

TEST(TypeCommands, HelpShowsTheWholeEntryOfEveryType) {
    for (const velmora::ScriptType& type : velmora::scriptTypes()) {
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
    EXPECT_NE(run.err.find("unknown command or type 'ZYL_BoxXBlr'; did you mean ZYL_BoxXBlur?"), std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
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
    const velmora::ScriptType* type = velmora::findScriptType(word);
    ASSERT_NE(type, nullptr);
    const fs::path examples = fs::path(VELMORA_SOURCE_DIR) / "docs/examples";
    const std::string script = readFile(examples / joined(word, ".zyl", ""));
    // The example of `help` is part of the script that makes the picture.
    EXPECT_NE(script.find(joined("\n", type->exampleDeclaration, "\n")), std::string::npos);
    EXPECT_NE(script.find(joined("\n", type->exampleWiring, "\n")), std::string::npos);

    std::string error;
    const ScratchDirectory scratch("reference");
    const auto rendered = velmora::renderExample(VELMORA_BINARY, defaultShow(), examples / joined(word, ".zyl", ""),
                                                 scratch / "render", error);
    ASSERT_TRUE(rendered.has_value()) << error;
    const auto committed = velmora::readPng((examples / joined(word, ".png", "")).string());
    ASSERT_TRUE(committed.has_value()) << "no picture " << word << ".png";
    EXPECT_EQ(committed->width, rendered->width);
    EXPECT_EQ(committed->height, rendered->height);
    EXPECT_TRUE(committed->pixels == rendered->pixels) << word << ".png is stale: run the build's docs target";
}

std::vector<const char*> typeWords() {
    std::vector<const char*> words;
    for (const velmora::ScriptType& type : velmora::scriptTypes()) words.push_back(type.word);
    return words;
}

INSTANTIATE_TEST_SUITE_P(EveryType, ReferencePicture, ::testing::ValuesIn(typeWords()),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST(MeshCommand, ARefusedMeshIsExplainedAndTheSuggestedConversionMendsIt) {
    const ScratchDirectory scratch("mesh_show");
    const fs::path& dir = scratch.path();
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
    const std::string render = "render --out frames --position 0:0:0 --quiet";

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
}

TEST(NewShow, AnEmptyFolderBecomesAShowThatChecksCleanAndRendersWithItsMusic) {
    const ScratchDirectory scratch("new");
    const fs::path& dir = scratch.path();
    const Outcome made = runIn(dir, "new show");
    ASSERT_EQ(made.status, 0) << made.err;
    for (const char* file : {"script.zyl", "script.tracks", "data/backdrop.jpg", "data/sprite.jpg", "data/envmap.jpg", "data/torus.lwo",
                             "data/zik.mo3"})
        EXPECT_TRUE(fs::is_regular_file(dir / "show" / file)) << file;

    const Outcome check = runIn(dir / "show", "check");
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out.rfind("script.zyl: ok: 4 boxes", 0), 0u) << check.out;
    // The same from the parent folder with -C, outputs landing in the show's folder.
    const Outcome fromParent = runIn(dir, "-C show check");
    EXPECT_EQ(fromParent.status, 0) << fromParent.err;
    EXPECT_EQ(fromParent.out, check.out);
    EXPECT_EQ(fromParent.err, "");
    EXPECT_EQ(runIn(dir, "-C show render --out parent --frames 1").status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir / "show/parent/frame_00000.bmp"));
    const Outcome nowhere = runIn(dir, "-C missing check");
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_NE(nowhere.err.find("cannot change to the directory 'missing'"), std::string::npos) << nowhere.err;

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
    // The ball's track puts it on the other side one beat on.
    const Outcome onBeat = runIn(dir / "show", "render --hash --frames 1 --position 1:0:0");
    const Outcome beatOn = runIn(dir / "show", "render --hash --frames 1 --position 1:4:0");
    ASSERT_EQ(onBeat.status, 0) << onBeat.err;
    EXPECT_NE(onBeat.out, beatOn.out);

    // A full disk (here a file size limit) leaves nothing behind, and the
    // next try works.
    const Outcome full = runIn(dir, "new full", "trap '' XFSZ; ulimit -f 8;");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("velmora new: cannot write full/data/"), std::string::npos) << full.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // only show/
    EXPECT_EQ(runIn(dir, "new full").status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir / "full/script.zyl"));

    // A folder that is not empty is refused and left as it was.
    const Outcome again = runIn(dir, "new show");
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("is not empty"), std::string::npos) << again.err;
    EXPECT_EQ(runIn(dir, "new").status, 2);
}

// Rocket's rows and the song's, through a song whose rows last 1000 frames in
// order 0 and 2000 in order 1 (a tempo change), at 44.1 Rocket rows a second
// (1000 frames each): Rocket rows 0, 2, 4, 6, 8 are frames 0, 2000, 4000,
// 6000, 8000, the starts of rows 0:0, 0:2, 1:0, 1:1, 1:2.
TEST(TracksCommand, RocketRowsLandOnTheSongsRowsAcrossATempoChangeAndBack) {
    velmora::SongTimeline song;
    for (int row = 0; row < 4; ++row) song.rows.push_back({row * 1000, 0, row, 1000.0});
    for (int row = 0; row < 4; ++row) song.rows.push_back({4000 + row * 2000, 1, row, 2000.0});
    song.endFrame = 12000;
    const std::vector<velmora::RocketTrack> rocket = {
        {"cam:x", {{0, 1.5f, 1}, {2, -2.0f, 2}, {4, 3.0f, 3}, {6, 0.25f, 0}, {8, 7.0f, 1}}}};
    velmora::TrackFile tracks;
    std::string error;
    ASSERT_TRUE(velmora::importRocketTracks(rocket, song, 44.1, tracks, error)) << error;
    const std::pair<int, int> expected[] = {{0, 0}, {0, 2}, {1, 0}, {1, 1}, {1, 2}};
    ASSERT_EQ(tracks.tracks.at(0).keys.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(tracks.tracks[0].keys[i].order, expected[i].first) << i;
        EXPECT_EQ(tracks.tracks[0].keys[i].row, expected[i].second) << i;
        EXPECT_EQ(tracks.tracks[0].keys[i].value, rocket[0].keys[i].value) << i;
        EXPECT_EQ(static_cast<int>(tracks.tracks[0].keys[i].interpolation), rocket[0].keys[i].interpolation) << i;
    }
    std::vector<velmora::RocketTrack> back;
    ASSERT_TRUE(velmora::exportRocketTracks(tracks, song, 44.1, back, error)) << error;
    EXPECT_EQ(back.at(0).name, "cam:x");
    EXPECT_EQ(back[0].keys, rocket[0].keys);

    // Refused: a key after the song's end, two keys on one row of the song,
    // a position the song never plays.
    EXPECT_FALSE(velmora::importRocketTracks({{"a", {{13, 1.0f, 0}}}}, song, 44.1, tracks, error));
    EXPECT_NE(error.find("after the song's end"), std::string::npos) << error;
    // At 88.2 Rocket rows a second rows 8 and 9 are frames 4000 and 4500, both nearest row 1:0.
    EXPECT_FALSE(velmora::importRocketTracks({{"a", {{8, 1.0f, 0}, {9, 2.0f, 0}}}}, song, 88.2, tracks, error));
    EXPECT_NE(error.find("land on the song's row 1:"), std::string::npos) << error;
    tracks.tracks = {{"a", {{2, 0, 1.0f, velmora::Interpolation::Step}}}};
    EXPECT_FALSE(velmora::exportRocketTracks(tracks, song, 44.1, back, error));
    EXPECT_NE(error.find("never plays"), std::string::npos) << error;
}

TEST(TracksCommand, HostileRocketFilesAreRefusedWithTheirLine) {
    const struct {
        const char* text;
        const char* refusal;
    } cases[] = {
        {"not xml at all", "line 1: syntax error"},
        {"<tracks>\n<key row=\"0\" value=\"1\" interpolation=\"0\"/>", "line 2: a <key> outside a <track>"},
        {"<tracks><track name=\"a\">\n\n<key row=\"0\" value=\"nan\" interpolation=\"0\"/>",
         "line 3: the key's value is not a finite number"},
        {"<tracks><track name=\"a\"><key row=\"0\" value=\"1e99\" interpolation=\"0\"/>",
         "line 1: the key's value is not a finite number"},
        {"<tracks><track name=\"a\"><key row=\"0\" value=\"1\" interpolation=\"7\"/>",
         "line 1: the key's interpolation is not 0, 1, 2 or 3"},
        {"<tracks><track name=\"a\"><key row=\"99999999999999999999\" value=\"1\" interpolation=\"0\"/>",
         "line 1: the key's row is not a whole number"},
        {"<tracks><track><key row=\"0\" value=\"1\" interpolation=\"0\"/>", "line 1: a <track> without a name"},
        {"<tracks><track name=\"a\"></track>", "line 1: no element found"},
    };
    for (const auto& c : cases) {
        std::vector<velmora::RocketTrack> tracks;
        std::string error;
        EXPECT_FALSE(velmora::parseRocketFile(c.text, tracks, error)) << c.text;
        EXPECT_EQ(error.rfind(c.refusal, 0), 0u) << error;
        EXPECT_TRUE(tracks.empty());
    }
}

// The program on the default tune (0.12 s a row, Rocket's defaults one row
// each): a .rocket file imported and exported back keeps its keys.
TEST(TracksCommand, ARocketFileImportedAndExportedBackKeepsItsKeys) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const ScratchDirectory scratch("rocket");
    const std::string rocket = "<?xml version=\"1.0\"?>\n<rootElement><tracks rows=\"512\">\n"
                               "<track name=\"camera:x\" folded=\"0\">\n"
                               "<key row=\"0\" value=\"0\" interpolation=\"1\"/>\n"
                               "<key row=\"16\" value=\"12.5\" interpolation=\"2\"/>\n"
                               "<key row=\"64\" value=\"-3.25\" interpolation=\"0\"/>\n"
                               "<key row=\"130\" value=\"0.1\" interpolation=\"3\"/>\n</track>\n"
                               "<track name=\"fade\"><key row=\"8\" value=\"1\" interpolation=\"1\"/></track>\n"
                               "</tracks></rootElement>\n";
    std::ofstream(scratch / "in.rocket") << rocket;
    const Outcome imported = runIn(defaultShow(), "tracks import " + (scratch / "in.rocket").string() + " -o " +
                                                      (scratch / "show.tracks").string());
    ASSERT_EQ(imported.status, 0) << imported.err;
    const std::string tracks = readFile(scratch / "show.tracks");
    EXPECT_NE(tracks.find("\n1:0 -3.25 step\n2:2 0.100000001 ramp\n"), std::string::npos) << tracks;
    const Outcome exported = runIn(defaultShow(), "tracks export " + (scratch / "show.tracks").string() + " -o " +
                                                      (scratch / "out.rocket").string());
    ASSERT_EQ(exported.status, 0) << exported.err;
    std::vector<velmora::RocketTrack> before, after;
    std::string error;
    ASSERT_TRUE(velmora::parseRocketFile(rocket, before, error)) << error;
    ASSERT_TRUE(velmora::parseRocketFile(readFile(scratch / "out.rocket"), after, error)) << error;
    ASSERT_EQ(after.size(), before.size());
    for (size_t t = 0; t < before.size(); ++t) {
        EXPECT_EQ(after[t].name, before[t].name);
        EXPECT_EQ(after[t].keys, before[t].keys);
    }
    // A damaged file is refused with its line, and nothing is written.
    std::ofstream(scratch / "bad.tracks") << "track a\n0:0 1 step\n0:4 inf linear\n";
    const Outcome refused = runIn(defaultShow(), "tracks export " + (scratch / "bad.tracks").string() + " -o " +
                                                     (scratch / "bad.rocket").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("bad.tracks:3: the value 'inf' is not a finite number"), std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.err.rfind("velmora tracks: " + (scratch / "bad.tracks").string() + ":3: ", 0), 0u) << refused.err;
    EXPECT_FALSE(fs::exists(scratch / "bad.rocket"));
}

// `web` packs only regular files inside the show's folder; anything else is
// refused with the script line before a file is written.
TEST(WebCommand, RefusesWhatItCannotPackWithItsLine) {
    const ScratchDirectory scratch("web");
    const fs::path show = scratch.path() / "show";
    fs::create_directories(show / "data");
    std::ofstream(scratch.path() / "outside.jpg") << "x";
    fs::create_symlink("../../outside.jpg", show / "data/link.jpg");
    const struct {
        const char* surface;
        const char* refusal;
    } cases[] = {
        {"\"/etc/hostname\"", "script.zyl:3: '/etc/hostname' is an absolute name"},
        {"\"data/../../outside.jpg\"", "script.zyl:3: 'data/../../outside.jpg' leaves the show's folder"},
        {"\"data/link.jpg\"", "script.zyl:3: 'data/link.jpg' is a link that leads out of the show's folder"},
        {"\"data/missing.jpg\"", "script.zyl:3: 'data/missing.jpg' not found"},
        {"\"data\"", "script.zyl:3: 'data' is a directory, not a file"},
    };
    for (const auto& c : cases) {
        std::ofstream(show / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Surface] ZYL_Surface s "
                                           << c.surface << "\n[/ZYL_Surface]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                           << "[CABLAGE]\n[/CABLAGE]\n";
        const Outcome refused = runIn(show, "web -o site");
        EXPECT_EQ(refused.status, 1) << c.surface;
        EXPECT_EQ(refused.err.rfind(c.refusal, 0), 0u) << refused.err;
        EXPECT_FALSE(fs::exists(show / "site")) << c.surface;
    }
    // The track files a function reads are packed as the pictures are.
    std::ofstream(show / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Surface]\n[/ZYL_Surface]\n"
                                       << "[ZYL_Fonction]\nZYL_FnctTrack x ../keys.tracks x\n[/ZYL_Fonction]\n"
                                       << "[CABLAGE]\n[/CABLAGE]\n";
    const Outcome refused = runIn(show, "web -o site");
    EXPECT_EQ(refused.err.rfind("script.zyl:6: '../keys.tracks' leaves the show's folder", 0), 0u) << refused.err;


    // The module is read as the player reads it: `web` and `check` name a missing one with its path.
    std::ofstream(show / "script.zyl") << "[ZYL_FX_Generator]\nZYL_BoxCopier c\n[/ZYL_FX_Generator]\n"
                                          "[ZYL_Surface]\nZYL_Surface s 8 8\n[/ZYL_Surface]\n[ZYL_Fonction]\n"
                                          "[/ZYL_Fonction]\n[CABLAGE]\nc OUT s\n[/CABLAGE]\n";
    const std::string missing = "data/zik.mo3: Can't load music: cannot be opened: No such file or directory\n";
    const std::string shortLine = "script.zyl:10: warning: box c (ZYL_BoxCopier) reads 2 functions, the line names 0\n";
    for (const char* command : {"web -o site", "check"}) {
        const Outcome refused = runIn(show, command);
        EXPECT_EQ(refused.status, 1) << command;
        EXPECT_EQ(refused.err, shortLine + missing) << command;
    }
    EXPECT_FALSE(fs::exists(show / "site"));
    // With the module there, the short line is a warning, as render says: checked clean, packed.
    const std::string make = std::string(VELMORA_TOOLS_DIR) + "/make_module '" + (show / "data/zik.mo3").string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const Outcome checked = runIn(show, "check");
    EXPECT_EQ(checked.status, 0) << checked.err;
    EXPECT_EQ(checked.err, shortLine);
    const Outcome packed = runIn(show, "web -o site");
    EXPECT_EQ(packed.err.rfind(shortLine, 0), 0u) << packed.err;
    // Past the checks: packed, or stopped only where the web player is not built here.
    if (packed.status != 0) {
        EXPECT_NE(packed.err.find("the web player is not built"), std::string::npos) << packed.err;
    }
}

// `web` writes its site as every output is written: built whole beside the
// target and renamed into place, never through a link, never over the show or
// over a folder that is not one of its sites. A copy of the program with a
// stand-in player beside it does the writing.
TEST(WebCommand, WritesItsSiteWholeAndNothingThroughALink) {
    const ScratchDirectory scratch("web_site");
    const fs::path& dir = scratch.path();
    fs::create_directories(dir / "bin/web");
    fs::copy_file(VELMORA_BINARY, dir / "bin/velmora");
    for (const char* file : velmora::kPlayerFiles)
        std::ofstream(dir / "bin/web" / file) << "player " << file;
    const std::string copy = (dir / "bin/velmora").string();
    ASSERT_EQ(runIn(dir, "new show").status, 0);
    const fs::path show = dir / "show";
    std::ofstream(dir / "precious.html") << "precious";
    const std::string script = readFile(show / "script.zyl");
    auto shell = [&](const std::string& command) { ASSERT_EQ(std::system(("cd '" + show.string() + "' && " + command).c_str()), 0); };

    const struct {
        const char* what;
        std::string setUp;  // shell commands in the show's folder
        std::string args;
        int status;
        const char* said;  // on standard error; "" for nothing
        std::string afterwards;  // a shell test that must hold
    } cases[] = {
        {"a new folder", "", "-o site", 0, "", "test -f site/show/data/sprite.jpg && test -f site/show.txt"},
        {"a rerun replaces the site whole", "echo stale > site/stale.txt", "-o site", 0, "",
         "test ! -e site/stale.txt && test -f site/index.html"},
        {"a link planted in a site is removed, not followed", "rm -rf site/show && ln -s ../.. site/show", "-o site", 0,
         "", "test ! -L site/show && test -f site/show/script.zyl && test ! -e ../script.zyl"},
        {"a planted index.html link", "mkdir planted && ln -s ../../precious.html planted/index.html", "-o planted", 1,
         "'planted' is a folder that is neither empty nor a site", "grep -qx precious ../precious.html"},
        {"the target a link", "ln -s .. linked", "-o linked", 1, "'linked' is a link",
         "test ! -e ../index.html"},
        {"the show's own folder", "", "-o .", 1, "'.' is the show's own folder", "test ! -e index.html"},
        {"a folder the show reads from", "", "-o data", 1, "'data' holds 'data/", "test ! -e data/index.html"},
        {"a folder that holds the show", "", "-o ..", 1, "'..' holds the show's folder", "test ! -e ../index.html"},
        {"a folder of the user's", "mkdir mine && echo notes > mine/notes.txt", "-o mine", 1,
         "neither empty nor a site", "grep -qx notes mine/notes.txt && test ! -e mine/index.html"},
        {"a script name with a line feed", "cp script.zyl \"$(printf 'a\\nb.zyl')\"",
         "--script \"$(printf 'a\\nb.zyl')\" -o nl", 1, "'a\\nb.zyl' has a control character in its name",
         "test ! -e nl"},
        {"a picture name with a control character",
         "cp data/sprite.jpg \"$(printf 'data/s\\001.jpg')\" && sed \"s|data/sprite.jpg|$(printf 'data/s\\001.jpg')|\" "
         "script.zyl > ctl.zyl",
         "--script ctl.zyl -o ctl", 1, "' has a control character in its name", "test ! -e ctl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.setUp.empty()) shell(c.setUp);
        const Outcome run = runIn(show, "web " + c.args, "", copy);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (*c.said) EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        else EXPECT_EQ(run.err, "");
        EXPECT_EQ(std::system(("cd '" + show.string() + "' && " + c.afterwards).c_str()), 0) << run.err;
        // Nothing half-built is left beside the target.
        for (const auto& entry : fs::directory_iterator(show))
            EXPECT_EQ(entry.path().filename().string().find(".velmora."), std::string::npos) << entry.path();
    }
    EXPECT_EQ(readFile(show / "script.zyl"), script);
}

TEST(InstalledProgram, DemoRendersTheInstalledDefaultShowFromAnyFolder) {
    if (!defaultShowBuilt()) GTEST_SKIP() << "the default show is not built (target demo_show)";
    const ScratchDirectory scratch("install");
    const fs::path& dir = scratch.path();
    // Built by appending: GCC 12 misreads `"text" + std::string` as an overlapping copy.
    const std::string install = std::string("'")
                                    .append(VELMORA_CMAKE_COMMAND)
                                    .append("' --install '")
                                    .append(VELMORA_TOOLS_DIR)
                                    .append("' --prefix '")
                                    .append((dir / "prefix").string())
                                    .append("' > '")
                                    .append((dir / "install.log").string())
                                    .append("' 2>&1");
    std::ofstream(defaultShow() / "stray.zyl") << "a script tried in the build tree\n";
    const int installed = std::system(install.c_str());
    fs::remove(defaultShow() / "stray.zyl");
    ASSERT_EQ(installed, 0) << readFile(dir / "install.log");
    const fs::path program = dir / "prefix/bin/velmora";
    ASSERT_TRUE(fs::is_regular_file(program));
    EXPECT_TRUE(fs::is_regular_file(dir / "prefix/share/velmora/demo/script.zyl"));
    EXPECT_TRUE(fs::is_regular_file(dir / "prefix/share/velmora/demo/data/zik.mo3"));
    EXPECT_FALSE(fs::exists(dir / "prefix/share/velmora/demo/data/.pictures"));
    EXPECT_NE(readFile(dir / "prefix/share/man/man1/velmora.1").find(".TH VELMORA 1"), std::string::npos);
    // Only the generated show: not another script left in the build tree's show/.
    EXPECT_FALSE(fs::exists(dir / "prefix/share/velmora/demo/stray.zyl"));
    // `help TYPE` points at the installed documentation.
    const std::string help = "'" + program.string() + "' help ZYL_BoxCopier > '" + (dir / "help.txt").string() + "'";
    ASSERT_EQ(std::system(help.c_str()), 0);
    EXPECT_NE(readFile(dir / "help.txt").find((dir / "prefix/share/doc/velmora/examples/ZYL_BoxCopier.zyl").string()),
              std::string::npos)
        << readFile(dir / "help.txt");

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
}
