// The script reader, loading the demo graph, and the wiring evaluation.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "TestFunctions.h"
#include "core/Text.h"
#include "script/DemoGraph.h"
#include "show/MusicTransport.h"
#include "show/ShowSession.h"
#include "script/ScriptChecker.h"
#include "script/ScriptReader.h"

using namespace velmora;

namespace {

// A minimal script around the given sections' contents.
std::string script(const std::string& boxes, const std::string& functions, const std::string& surfaces,
                   const std::string& wiring) {
    return "[ZYL_FX_Generator]\n" + boxes + "[/ZYL_FX_Generator]\n[ZYL_Fonction]\n" + functions +
           "[/ZYL_Fonction]\n[ZYL_Surface]\n" + surfaces + "[/ZYL_Surface]\n[CABLAGE]\n" + wiring +
           "[/CABLAGE]\n";
}

const char kExampleDeclarations[] =
    "[ZYL_FX_Generator]\n"
    "ZYL_BoxClearSurface efface\n"
    "ZYL_BoxCopier copie\n"
    "ZYL_BoxInverseVideo inverse\n"
    "[/ZYL_FX_Generator]\n"
    "\n"
    "[ZYL_Fonction]\n"
    "ZYL_FnctIntervale toujours 0 255\n"
    "ZYL_FnctSin onde 2.0 0.0 1.0 0.0\n"
    "[/ZYL_Fonction]\n"
    "\n"
    "[ZYL_Surface]\n"
    "ZYL_Surface fond 512 256\n"
    "ZYL_Surface tampon 512 256\n"
    "[/ZYL_Surface]\n";

struct Loaded {
    DemoGraph graph;
    Surface frame;
    explicit Loaded(const std::string& wiring) {
        EXPECT_EQ(graph.loadText(std::string(kExampleDeclarations) + "[CABLAGE]\n" + wiring + "[/CABLAGE]\n"),
                  LoadResult::Loaded);
        frame.allocate(512, 256);
    }
    Surface* surface(const char* name) { return graph.surfaces().objects[graph.findSurface(name)].get(); }
    Function* function(const char* name) { return graph.functions().objects[graph.findFunction(name)].get(); }
};

}  // namespace

TEST(ScriptReader, WordsAreSeparatedByAnyWhiteSpace) {
    ScriptReader reader("  alpha\t\tbeta\n\v\fgamma\r\ndelta");
    EXPECT_EQ(reader.readWord(), "alpha");
    EXPECT_EQ(reader.readWord(), "beta");
    EXPECT_EQ(reader.readWord(), "gamma");
    EXPECT_EQ(reader.readWord(), "delta");
    EXPECT_EQ(reader.readWord(), "");
    EXPECT_TRUE(reader.atEnd());
}

TEST(ScriptReader, LinesStopAtLineFeedOrTheLimit) {
    const std::string text = "first line\n" + std::string(3000, 'x') + "\nlast";
    ScriptReader reader(text);
    EXPECT_EQ(reader.readLine(), "first line");
    EXPECT_EQ(reader.readLine().size(), ScriptReader::kLineLimit);
    EXPECT_EQ(reader.readLine().size(), 3000 - ScriptReader::kLineLimit);
    EXPECT_EQ(reader.readLine(), "last");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.readLine(), "");
}

TEST(ScriptReader, TellAndSeekComeBack) {
    ScriptReader reader("one two three");
    reader.readWord();
    size_t pos = reader.tell();
    EXPECT_EQ(reader.readWord(), "two");
    reader.seek(pos);
    EXPECT_EQ(reader.readWord(), "two");
    reader.seek(1000);
    EXPECT_TRUE(reader.atEnd());
}

TEST(ScriptLoading, MissingFileIsResultOne) {
    DemoGraph graph;
    EXPECT_EQ(graph.load("no/such/script.zyl"), LoadResult::ScriptNotFound);
}

// What is not a script file is refused by name, with the reason; the load
// results stay those of the show (1 not found, 2 invalid), and `check` says
// the same on line 0.
TEST(ScriptLoading, FilesThatAreNoScriptAreRefusedWithTheirReason) {
    const std::string dir = ::testing::TempDir() + "velmora_script_refusals";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string fifo = dir + "/pipe.zyl", huge = dir + "/huge.zyl", limit = dir + "/limit.zyl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // opening it must not wait for a writer
    // Sparse files: the size alone decides, nothing is read.
    { std::ofstream create(huge); }
    std::filesystem::resize_file(huge, kMaxScriptBytes + 1);
    std::ofstream(limit) << script("", "", "", "");
    std::filesystem::resize_file(limit, kMaxScriptBytes);  // at the limit: padding after the wiring
    struct Case {
        std::string path;
        LoadResult result;
        std::string reason;
    } cases[] = {
        {dir + "/missing.zyl", LoadResult::ScriptNotFound, ""},
        {dir, LoadResult::ScriptInvalid, dir + " is a directory, not a file"},
        {"/dev/null", LoadResult::ScriptInvalid, "/dev/null is a device, not a file"},
        {fifo, LoadResult::ScriptInvalid, fifo + " is a pipe, not a file"},
        {huge, LoadResult::ScriptInvalid, huge + " is larger than the 64 MiB a script may have"},
        {limit, LoadResult::Loaded, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        DemoGraph graph;
        EXPECT_EQ(graph.load(c.path.c_str()), c.result);
        EXPECT_EQ(graph.fileRefusal(), c.reason);
        if (c.result == LoadResult::Loaded) continue;
        const CheckReport report = checkScriptFile(c.path.c_str());
        ASSERT_EQ(report.problems.size(), 1u);
        EXPECT_EQ(report.problems[0].line, 0);
        EXPECT_EQ(report.problems[0].message,
                  c.reason.empty() ? "Script non trouvé!!" : "Script non valide!!: " + c.reason);
    }
    std::filesystem::remove_all(dir);
}

TEST(ScriptLoading, ReadsAFileLargerThanTheOldBufferWhole) {
    std::string filler(150000, ' ');
    std::string text = script("ZYL_BoxCopier copie\n", "", "", filler + "\n");
    text += "ZYL_BoxCopier trailing";  // outside every section: free words
    const char* path = "velmora_script_test_large.zyl";
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    DemoGraph graph;
    EXPECT_EQ(graph.load(path), LoadResult::Loaded);
    EXPECT_EQ(graph.boxes().count(), 1);
    std::remove(path);
}

TEST(ScriptLoading, SectionsMayStandInAnyOrderAndBeEmpty) {
    DemoGraph graph;
    EXPECT_EQ(graph.loadText("[CABLAGE]\n[/CABLAGE]\n[ZYL_Surface] [/ZYL_Surface]\n"
                             "[ZYL_Fonction] [/ZYL_Fonction] [ZYL_FX_Generator] [/ZYL_FX_Generator]\n"),
              LoadResult::Loaded);
    EXPECT_EQ(graph.boxes().count(), 0);
    EXPECT_EQ(graph.findBox("x"), -1);
    EXPECT_EQ(graph.findSurface("x"), -1);
    EXPECT_EQ(graph.findFunction("x"), -1);
}

TEST(ScriptLoading, MissingOpeningOrEndWordsMakeTheScriptInvalid) {
    const std::string complete = script("", "", "", "");
    const char* words[] = {"[ZYL_FX_Generator]", "[/ZYL_FX_Generator]", "[ZYL_Fonction]", "[/ZYL_Fonction]",
                           "[ZYL_Surface]",      "[/ZYL_Surface]",      "[CABLAGE]",      "[/CABLAGE]"};
    for (const char* word : words) {
        std::string broken = complete;
        broken.replace(broken.find(word), std::string(word).size(), "[nothing]");
        DemoGraph graph;
        EXPECT_EQ(graph.loadText(broken), LoadResult::ScriptInvalid) << "without " << word;
    }
}

TEST(ScriptLoading, WiringEndMustBeTheWholeLine) {
    DemoGraph indented;
    EXPECT_EQ(indented.loadText(script("", "", "", "").replace(
                  script("", "", "", "").find("[/CABLAGE]"), 10, " [/CABLAGE]")),
              LoadResult::ScriptInvalid);
    DemoGraph trailing;
    EXPECT_EQ(trailing.loadText(script("", "", "", "") + "x"), LoadResult::Loaded);
}

TEST(ScriptLoading, UnknownTypeWordStopsTheLoadAtOnce) {
    DemoGraph graph;
    EXPECT_EQ(graph.loadText(script("ZYL_BoxCopier a\nZYL_BoxNothing b\nZYL_BoxCopier c\n",
                                    "ZYL_FnctSin s 1 0 1 0\n", "ZYL_Surface t 8 8\n", "")),
              LoadResult::ScriptInvalid);
    EXPECT_EQ(graph.boxes().count(), 3);
    EXPECT_EQ(graph.findBox("a"), 0);
    EXPECT_EQ(graph.findBox("c"), -1);
    EXPECT_EQ(graph.functions().count(), 0);
    EXPECT_EQ(graph.surfaces().count(), 0);
}

TEST(ScriptLoading, TypeWordsBelongToTheirOwnSection) {
    DemoGraph boxInFunctions;
    EXPECT_EQ(boxInFunctions.loadText(script("", "ZYL_BoxCopier c\n", "", "")), LoadResult::ScriptInvalid);
    DemoGraph functionInBoxes;
    EXPECT_EQ(functionInBoxes.loadText(script("ZYL_FnctSin s\n", "", "", "")), LoadResult::ScriptInvalid);
}

TEST(ScriptLoading, DeclarationsCountFreeWordsSkipAndNamesMayComeOnTheNextLine) {
    DemoGraph graph;
    ASSERT_EQ(graph.loadText(script("free words here\nZYL_BoxCopier\ncopie\nzyl_BoxCopier skipped\n"
                                    "Zyl_BoxCopier alsoSkipped\nZYL_BoxInverseVideo inverse\n",
                                    "", "", "")),
              LoadResult::Loaded);
    EXPECT_EQ(graph.boxes().count(), 2);
    EXPECT_EQ(graph.findBox("copie"), 0);
    EXPECT_EQ(graph.findBox("inverse"), 1);
    EXPECT_EQ(graph.findBox("skipped"), -1);
}

TEST(ScriptLoading, CrLfLineEndsReadLikeLineFeeds) {
    std::string text = script("ZYL_BoxCopier copie\n", "", "ZYL_Surface tampon 16 8\n", "copie tampon\n");
    std::string crlf;
    for (char c : text) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
    DemoGraph graph;
    ASSERT_EQ(graph.loadText(crlf), LoadResult::Loaded);
    ASSERT_EQ(graph.findSurface("tampon"), 0);
    EXPECT_EQ(graph.surfaces().objects[0]->width, 16);
    EXPECT_EQ(graph.surfaces().objects[0]->height, 8);
}

TEST(ScriptLoading, ZylWordsInsideDeclarationsMakeEntriesThatMatchNothing) {
    DemoGraph graph;
    ASSERT_EQ(graph.loadText(script("ZYL_BoxCopier ZYL_odd\nZYL_BoxCopier copie\n", "", "", "")), LoadResult::Loaded);
    EXPECT_EQ(graph.boxes().count(), 3);  // the count pass saw three ZYL_ words
    EXPECT_EQ(graph.findBox("copie"), 1);
    EXPECT_EQ(graph.findBox(""), -1);
    EXPECT_EQ(graph.findBox("ZYL_odd"), 0);
    EXPECT_EQ(graph.boxes().objects[2], nullptr);
}

TEST(ScriptLoading, AnEndWordSwallowedAsANameNeverLoops) {
    DemoGraph graph;
    EXPECT_EQ(graph.loadText("[ZYL_FX_Generator]\nZYL_BoxCopier [/ZYL_FX_Generator]\n[ZYL_Fonction] "
                             "[/ZYL_Fonction] [ZYL_Surface] [/ZYL_Surface] [CABLAGE]\n[/CABLAGE]\n"),
              LoadResult::ScriptInvalid);
}

TEST(ScriptLoading, DuplicateNamesFindTheFirst) {
    DemoGraph graph;
    ASSERT_EQ(graph.loadText(script("ZYL_BoxCopier a\nZYL_BoxCopier a\n", "",
                                    "ZYL_Surface s 4 4\nZYL_Surface s 8 8\n", "")),
              LoadResult::Loaded);
    EXPECT_EQ(graph.findBox("a"), 0);
    EXPECT_EQ(graph.findSurface("s"), 0);
}

TEST(ScriptLoading, LongNamesAreCutToTheirBuffer) {
    std::string longName(400, 'n');
    DemoGraph graph;
    ASSERT_EQ(graph.loadText(script("ZYL_BoxCopier " + longName + "\n", "", "", "")), LoadResult::Loaded);
    EXPECT_EQ(graph.findBox(longName.substr(0, 255)), 0);
}

TEST(ScriptLoading, SurfaceParametersReachTheSurface) {
    DemoGraph graph;
    ASSERT_EQ(graph.loadText(script("", "", "ZYL_Surface a 320 200\nZYL_Anything b 2048 2048\n", "")), LoadResult::Loaded);
    EXPECT_TRUE(graph.surfaces().objects[0]->isSize(320, 200));
    EXPECT_TRUE(graph.surfaces().objects[1]->isSize(2048, 2048));
}

TEST(ScriptLoading, BadSurfaceSizeIsFatalWithItsLine) {
    DemoGraph graph;
    const std::string text = script("", "", "ZYL_Surface a 2049 10\n", "");
    const ShowError error = testsupport::errorRaisedBy([&] { graph.loadText(text); });
    EXPECT_EQ(error.message, "TAILLE DE LA SURFACE NON VALIDE");
    EXPECT_EQ(error.exitStatus, 9999);
    EXPECT_EQ(error.scriptLine, lineNumberAt(text, text.find("ZYL_Surface a")));
}

TEST(Wiring, ExampleLinesResolveToTheirLists) {
    Loaded s("");
    WiringCall call;
    ASSERT_TRUE(s.graph.resolveWiringLine("efface tampon toujours toujours", s.frame, call));
    EXPECT_EQ(call.boxIndex, 0);
    EXPECT_EQ(call.output, s.surface("tampon"));
    EXPECT_EQ(call.inputCount, 0);
    ASSERT_EQ(call.functionCount, 2);
    EXPECT_EQ(call.functions[0], s.function("toujours"));
    EXPECT_EQ(call.functions[1], s.function("toujours"));

    ASSERT_TRUE(s.graph.resolveWiringLine("copie OUT fond toujours toujours", s.frame, call));
    EXPECT_EQ(call.output, &s.frame);
    ASSERT_EQ(call.inputCount, 1);
    EXPECT_EQ(call.inputs[0], s.surface("fond"));
    EXPECT_EQ(call.functionCount, 2);

    ASSERT_TRUE(s.graph.resolveWiringLine("inverse OUT toujours onde", s.frame, call));
    EXPECT_EQ(call.inputCount, 0);
    ASSERT_EQ(call.functionCount, 2);
    EXPECT_EQ(call.functions[1], s.function("onde"));
}

TEST(Wiring, OutAsFirstInputAndEmptyLists) {
    Loaded s("");
    WiringCall call;
    ASSERT_TRUE(s.graph.resolveWiringLine("efface OUT", s.frame, call));
    EXPECT_EQ(call.output, &s.frame);
    EXPECT_EQ(call.inputCount, 0);
    EXPECT_EQ(call.functionCount, 0);

    ASSERT_TRUE(s.graph.resolveWiringLine("copie OUT OUT", s.frame, call));
    ASSERT_EQ(call.inputCount, 1);
    EXPECT_EQ(call.inputs[0], &s.frame);

    // "OUT" is only special as the output and the first input.
    ASSERT_TRUE(s.graph.resolveWiringLine("copie OUT fond OUT toujours", s.frame, call));
    EXPECT_EQ(call.inputCount, 1);
    EXPECT_EQ(call.functionCount, 0);
}

TEST(Wiring, ASurfaceAfterAFunctionOrAnUnknownWordEndsTheLine) {
    Loaded s("");
    WiringCall call;
    ASSERT_TRUE(s.graph.resolveWiringLine("copie tampon fond onde fond", s.frame, call));
    EXPECT_EQ(call.inputCount, 1);
    EXPECT_EQ(call.functionCount, 1);

    ASSERT_TRUE(s.graph.resolveWiringLine("copie tampon fond ondee toujours", s.frame, call));
    EXPECT_EQ(call.inputCount, 1);
    EXPECT_EQ(call.functionCount, 0);

    ASSERT_TRUE(s.graph.resolveWiringLine("copie tampon\tfond   toujours   a trailing comment", s.frame, call));
    EXPECT_EQ(call.inputCount, 1);
    EXPECT_EQ(call.functionCount, 1);
}

TEST(Wiring, BlankAndCommentLinesAreSkippedWithoutLookingUpTheBox) {
    Loaded s("");
    WiringCall call;
    EXPECT_FALSE(s.graph.resolveWiringLine("   \t ", s.frame, call));
    EXPECT_FALSE(s.graph.resolveWiringLine("; nothing", s.frame, call));
    EXPECT_FALSE(s.graph.resolveWiringLine(";copie tampon fond", s.frame, call));
    EXPECT_FALSE(s.graph.resolveWiringLine(";undeclared box", s.frame, call));
}

TEST(Wiring, AtMostTenEntriesEachAndTheRestIsIgnored) {
    Loaded s("");
    WiringCall call;
    std::string line = "copie OUT";
    for (int i = 0; i < 12; ++i) line += " fond";
    line += " toujours";
    ASSERT_TRUE(s.graph.resolveWiringLine(line, s.frame, call));
    EXPECT_EQ(call.inputCount, 10);
    EXPECT_EQ(call.functionCount, 0);

    line = "copie OUT fond";
    for (int i = 0; i < 12; ++i) line += " onde";
    ASSERT_TRUE(s.graph.resolveWiringLine(line, s.frame, call));
    EXPECT_EQ(call.functionCount, 10);
}

TEST(Wiring, UndeclaredBoxOrOutputIsFatal) {
    Loaded s("");
    WiringCall call;
    using testsupport::fatalMessageOf;
    EXPECT_EQ(fatalMessageOf([&] { s.graph.resolveWiringLine("nobody OUT", s.frame, call); }),
              "variable de type FXBOX non définie!!!!!!!");
    EXPECT_EQ(fatalMessageOf([&] { s.graph.resolveWiringLine("copie", s.frame, call); }),
              "Surface de sortie non définie!!!!!!!");
    EXPECT_EQ(fatalMessageOf([&] { s.graph.resolveWiringLine("copie nowhere fond", s.frame, call); }),
              "Surface de sortie non définie!!!!!!!");
}

TEST(Wiring, AnIndentedEndLineIsAWiringLineAndStopsTheFrameAtItsLine) {
    DemoGraph graph;
    Surface frame;
    frame.allocate(512, 256);
    const std::string text = script("", "", "", " [/CABLAGE]\n");
    ASSERT_EQ(graph.loadText(text), LoadResult::Loaded);
    const ShowError error = testsupport::errorRaisedBy([&] { graph.evaluate(FrameInput{0.0f, {}}, frame); });
    EXPECT_EQ(error.message, "variable de type FXBOX non définie!!!!!!!");
    EXPECT_EQ(error.scriptLine, lineNumberAt(text, text.find(" [/CABLAGE]")));
}

TEST(Wiring, CablageWordMayStartTheFirstLine) {
    DemoGraph graph;
    ASSERT_EQ(graph.loadText("[ZYL_FX_Generator] ZYL_BoxCopier copie\n[/ZYL_FX_Generator] [ZYL_Fonction] "
                             "[/ZYL_Fonction] [ZYL_Surface] ZYL_Surface s 4 4\n[/ZYL_Surface]\n"
                             "[CABLAGE] copie s s\n[/CABLAGE]\n"),
              LoadResult::Loaded);
    Surface frame;
    frame.allocate(512, 256);
    ScriptReader reader(graph.scriptText());
    reader.seek(graph.wiringStart());
    WiringCall call;
    ASSERT_TRUE(graph.resolveWiringLine(reader.readLine(), frame, call));
    EXPECT_EQ(call.inputCount, 1);
}

TEST(FrameEvaluation, EveryFunctionIsUpdatedEvenWithoutWiring) {
    Loaded s("");
    s.graph.evaluate(FrameInput{0.25f, {}}, s.frame);
    EXPECT_GT(s.function("onde")->value(), 0.47f);  // sin(2 * 0.25)
    EXPECT_LT(s.function("onde")->value(), 0.48f);
    EXPECT_EQ(s.function("toujours")->value(), 1.0f);
}

TEST(FrameEvaluation, TrackerPositionComesFromTheChannelPosition) {
    TrackerPosition position = trackerPositionOf(0x0A800003u);
    EXPECT_EQ(position.order, 3);
    EXPECT_EQ(position.row, 10);
    EXPECT_EQ(position.rowFraction, 128);
    position = trackerPositionOf(0xFFFF0000u);
    EXPECT_EQ(position.order, 0);
    EXPECT_EQ(position.row, 255);
    EXPECT_EQ(position.rowFraction, 255);
    EXPECT_EQ(makeChannelPosition(3, 10, 128), 0x0A800003u);
}

TEST(FrameEvaluation, ChannelLevelsAreAskedForOnlyWhenAFunctionReadsThem) {
    // Music that counts how often it is asked for its levels.
    struct CountingMusic : FixedMusicPosition {
        std::span<const float> channelLevels() override {
            ++asked;
            return levels;
        }
        float levels[2] = {0.5f, 0.25f};
        int asked = 0;
    };
    const std::string canal = "ZYL_FnctCanal grosse 2 4 1\n";
    for (const std::string& functions : {std::string("ZYL_FnctSin onde 1 0 1 0\n"), canal}) {
        auto loaded = std::make_unique<DemoGraph>();
        ASSERT_EQ(loaded->loadText(script("", functions, "", "")), LoadResult::Loaded);
        auto music = std::make_unique<CountingMusic>();
        CountingMusic* counter = music.get();
        ShowSession session(1, std::move(music));
        session.setGraph(std::move(loaded));
        DemoGraph& graph = session.graph();
        Surface frame;
        frame.allocate(512, 256);
        for (int k = 0; k < 2; ++k) session.evaluateAt(0.0, frame);
        const bool reads = functions == canal;
        EXPECT_EQ(graph.readsChannelLevels(), reads);
        EXPECT_EQ(counter->asked, reads ? 2 : 0);
        if (reads) {
            EXPECT_EQ(graph.functions().objects[0]->value(), 2.0f);  // 0.25 * 4 + 1
        }
    }
}

TEST(FrameEvaluation, LinesRunInFileOrderEveryFrame) {
    // Clear, copy the background, invert: each frame starts from the same picture.
    Loaded s("efface tampon toujours toujours\n"
             "copie OUT fond toujours toujours\n"
             "inverse OUT toujours toujours\n"
             "inverse OUT toujours toujours\n"
             "inverse OUT toujours toujours\n");
    Surface* fond = s.surface("fond");
    for (size_t i = 0; i < fond->pixelCount(); ++i) fond->pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    for (int frame = 0; frame < 2; ++frame) {
        s.graph.evaluate(FrameInput{frame * 0.02f, {}}, s.frame);
        for (size_t i = 0; i < s.frame.pixelCount(); i += 997)
            ASSERT_EQ(s.frame.pixels[i], 0xFFFFFFu - fond->pixels[i]) << "pixel " << i;
        Surface* tampon = s.surface("tampon");
        EXPECT_EQ(tampon->pixels[0], 0u);
        EXPECT_EQ(tampon->pixels[tampon->pixelCount() - 1], 0u);
    }
}

TEST(FrameEvaluation, AGateOffStopsOnlyItsLine) {
    // onde is sin(2t): below zero at t = 2, so the inversion is skipped.
    Loaded s("copie OUT fond toujours toujours\ninverse OUT toujours onde\n");
    Surface* fond = s.surface("fond");
    for (size_t i = 0; i < fond->pixelCount(); ++i) fond->pixels[i] = 0x102030;
    s.graph.evaluate(FrameInput{2.0f, {}}, s.frame);
    EXPECT_EQ(s.frame.pixels[100], 0x102030u);
    s.graph.evaluate(FrameInput{0.5f, {}}, s.frame);
    EXPECT_EQ(s.frame.pixels[100], 0xFFFFFFu - 0x102030u);
}

TEST(FrameEvaluation, ShortLinesDrawNothing) {
    // The copier reads an input and two functions; a line naming fewer is refused.
    Loaded s("copie OUT fond toujours\ncopie OUT toujours toujours\n");
    Surface* fond = s.surface("fond");
    for (size_t i = 0; i < fond->pixelCount(); ++i) fond->pixels[i] = 0x445566;
    s.frame.clear();
    s.graph.evaluate(FrameInput{0.0f, {}}, s.frame);
    EXPECT_EQ(s.frame.pixels[0], 0u);
}
