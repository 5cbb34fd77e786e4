// The script checker: each kind of problem with its line, and many at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/Limits.h"
#include "core/Text.h"
#include "showkit/JpegWriter.h"
#include "object3d/Lwo2Writer.h"
#include "showkit/MeshShapes.h"
#include "script/ParameterCheck.h"
#include "script/ScriptChecker.h"
#include "script/TypeTable.h"

using namespace velmora;

namespace {

// Line 1..4: boxes; 5..9: functions; 10..13: surfaces; 14..: wiring.
std::string script(const std::string& wiring, const std::string& extraBoxes = "",
                   const std::string& extraSurfaces = "") {
    return "[ZYL_FX_Generator]\n"                        // 1
           "ZYL_BoxCopier copie\n"                       // 2
           "ZYL_BoxXBlur flou\n" +                       // 3
           extraBoxes + "[/ZYL_FX_Generator]\n"          // 4
           "[ZYL_Fonction]\n"                            // 5
           "ZYL_FnctIntervale toujours 0 255\n"          // 6
           "ZYL_FnctSin onde 2.0 0.0 1.0 0.0\n"          // 7
           "ZYL_FnctConstante zero\n"                    // 8
           "[/ZYL_Fonction]\n"                           // 9
           "[ZYL_Surface]\n"                             // 10
           "ZYL_Surface fond 512 256\n"                  // 11
           "ZYL_Surface petit 64 64\n" +                 // 12
           extraSurfaces + "[/ZYL_Surface]\n"            // 13
           "[CABLAGE]\n" +                               // 14
           wiring + "[/CABLAGE]\n";
}

void expectOneProblem(const std::string& text, int line, const std::string& fragment) {
    CheckReport report = checkScriptText(text);
    ASSERT_EQ(report.problems.size(), 1u) << (report.problems.empty() ? "" : report.problems[0].message);
    EXPECT_EQ(report.problems[0].line, line) << report.problems[0].message;
    EXPECT_NE(report.problems[0].message.find(fragment), std::string::npos) << report.problems[0].message;
}

}  // namespace

TEST(ScriptChecker, ACleanScriptHasNoProblems) {
    CheckReport report = checkScriptText(script("; a comment\n\ncopie OUT fond toujours toujours\n"
                                                "flou OUT onde toujours toujours trailing words\n"));
    EXPECT_TRUE(report.problems.empty()) << report.problems[0].message;
    EXPECT_EQ(report.boxes, 2);
    EXPECT_EQ(report.functions, 3);
    EXPECT_EQ(report.surfaces, 2);
    EXPECT_EQ(report.wiringLines, 2);
}

TEST(ScriptChecker, DeclarationProblems) {
    expectOneProblem(script("", "ZYL_BoxCopeir faute\n"), 4, "unknown box type ZYL_BoxCopeir");
    expectOneProblem(script("", "ZYL_BoxCopier ZYL_nom\n"), 4, "begins with ZYL_");
    expectOneProblem(script("", "ZYL_BoxCopier autre ZYL_param\n"), 4, "ZYL_param");
    expectOneProblem(script("", "ZYL_BoxFader fondu Mul\n"), 4, "ZYL_BoxFader MODE non valide!!");
    expectOneProblem(script("", "", "ZYL_Surface grand 4000 10\n"), 13, "TAILLE DE LA SURFACE NON VALIDE");
    expectOneProblem(script("", "", "ZYL_Surface image \"nowhere/missing.jpg\"\n"), 13,
                     "ERREUR A LA LECTURE D'UNE SURFACE");
}

TEST(ScriptChecker, MissingSectionsAreReported) {
    std::string text = script("");
    text.replace(text.find("[/ZYL_Fonction]"), 15, "");
    CheckReport report = checkScriptText(text);
    ASSERT_FALSE(report.problems.empty());
    EXPECT_EQ(report.problems[0].line, 5);
    EXPECT_NE(report.problems[0].message.find("[/ZYL_Fonction]"), std::string::npos);

    CheckReport noWiringEnd = checkScriptText(script("").substr(0, script("").size() - 11));
    ASSERT_FALSE(noWiringEnd.problems.empty());
    EXPECT_NE(noWiringEnd.problems[0].message.find("[/CABLAGE]"), std::string::npos);
}

TEST(ScriptChecker, WiringProblems) {
    expectOneProblem(script("nobody OUT\n"), 15, "undeclared box nobody");
    expectOneProblem(script("copie nowhere fond toujours toujours\n"), 15, "undeclared output surface nowhere");
    expectOneProblem(script("copie\n"), 15, "no output");
    expectOneProblem(script("copie OUT fnod toujours toujours\n"), 15, "'fnod' is no declared");
    expectOneProblem(script("copie OUT fond toujours fond toujours\n"), 15, "after the functions");
    expectOneProblem(script("copie OUT fond toujours\n"), 15, "reads 2 functions, the line names 1");
    expectOneProblem(script("copie OUT toujours toujours\n"), 15, "reads 1 input surface, the line names 0");
    expectOneProblem(script("flou petit onde toujours toujours\n"), 15, "512x256");
}

TEST(ScriptChecker, ManyProblemsComeInLineOrder) {
    // The extra box declaration on line 4 moves the wiring down by one line.
    CheckReport report = checkScriptText(script("copie OUT fond toujours\n"          // 16
                                                "nobody OUT\n"                       // 17
                                                "flou petit onde toujours toujours\n" // 18
                                                "copie OUT fond tojours toujours\n", // 19
                                                "ZYL_BoxFader fondu mult\n"));       // 4
    ASSERT_EQ(report.problems.size(), 5u);
    const int lines[] = {4, 16, 17, 18, 19};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(report.problems[i].line, lines[i]) << report.problems[i].message;
}

TEST(ScriptChecker, MissingFileAndHostileTextNeverStop) {
    CheckReport missing = checkScriptFile("no/such/file.zyl");
    ASSERT_EQ(missing.problems.size(), 1u);
    EXPECT_EQ(missing.problems[0].line, 0);

    const char* hostile[] = {"", "[CABLAGE]", "[ZYL_FX_Generator] ZYL_BoxCopier", "ZYL_ ZYL_ ZYL_",
                             ("[ZYL_FX_Generator]\nZYL_BoxCopier [/ZYL_FX_Generator]\n[ZYL_Fonction] [/ZYL_Fonction] "
                              "[ZYL_Surface] [/ZYL_Surface] [CABLAGE]\n[/CABLAGE]\n")};
    for (const char* text : hostile) EXPECT_FALSE(checkScriptText(text).problems.empty()) << text;
}

TEST(ScriptChecker, DamagedPicturesAndMeshesAreProblemsNotExits) {
    const char* mesh = "velmora_check_damaged.lwo";
    const char* picture = "velmora_check_damaged.jpg";
    for (const char* path : {mesh, picture}) {
        std::FILE* f = std::fopen(path, "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(path == mesh ? "FORM\x7f\xff\xff\xffLWO2PNTS" : "\xff\xd8\xff\xe0 not really a picture", f);
        std::fclose(f);
    }
    CheckReport report = checkScriptText(script("", std::string("ZYL_BoxObjet3D objet ") + mesh + " 1\n",
                                                std::string("ZYL_Surface image \"") + picture + "\"\n"));
    std::remove(mesh);
    std::remove(picture);
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_EQ(report.problems[0].line, 4);
    EXPECT_EQ(report.problems[1].line, 14);
    EXPECT_NE(report.problems[1].message.find("ERREUR A LA LECTURE D'UNE SURFACE"), std::string::npos);
}

// What the reader cuts, and names the cut makes one, each with its line.
TEST(ScriptChecker, CutsAndNameCollisionsAreReported) {
    const std::string longName(300, 'n');
    const std::string otherLongName = longName.substr(0, 255) + "-other";
    const std::string manyInputs = "copie OUT fond fond fond fond fond fond fond fond fond fond fond toujours\n";
    struct Case {
        std::string text;
        int line;
        std::string fragment;
    } cases[] = {
        {script("", "ZYL_BoxCopier " + longName + "\n"), 4, "is cut to its first 255"},
        {script("", "ZYL_BoxCopier " + longName + "\nZYL_BoxCopier " + otherLongName + "\n"), 5,
         "is the same as the box declared on line 4 once both are cut to 255 characters"},
        {script("", "", "ZYL_Surface grand 64 64" + std::string(3000, ' ') + "x\n"), 13,
         "parameter text longer than 2559 characters"},
        {script("copie OUT fond toujours toujours" + std::string(3000, ' ') + "; far away\n"), 15,
         "wiring line longer than 2559 characters"},
        {script("copie OUT fond toujours " + std::string(256, 'w') + " toujours\n"), 15,
         "is longer than 255 characters and is read as its first 255"},
        {script(manyInputs), 15, "more than 10 inputs or functions"},
    };
    for (const Case& c : cases) {
        const CheckReport report = checkScriptText(c.text);
        bool found = false;
        for (const ScriptProblem& p : report.problems) found |= p.line == c.line && p.message.find(c.fragment) != std::string::npos;
        EXPECT_TRUE(found) << c.fragment << "\n" << (report.problems.empty() ? "no problem" : report.problems[0].message);
    }
    // The same long name twice is a plain duplicate: cut, declared again, but no collision.
    const CheckReport twice = checkScriptText(script("", "ZYL_BoxCopier " + longName + "\nZYL_BoxCopier " + longName + "\n"));
    ASSERT_EQ(twice.problems.size(), 3u);
    for (const ScriptProblem& p : twice.problems) EXPECT_EQ(p.message.find("same as"), std::string::npos) << p.message;
    EXPECT_NE(twice.problems[2].message.find("is declared again (first on line 4)"), std::string::npos);
    // Two names that only the cut makes one: the collision alone, not also a duplicate.
    const CheckReport cutTwice =
        checkScriptText(script("", "ZYL_BoxCopier " + longName + "\nZYL_BoxCopier " + otherLongName + "\n"));
    for (const ScriptProblem& p : cutTwice.problems)
        EXPECT_EQ(p.message.find("declared again"), std::string::npos) << p.message;
}

// The show's surface budget, and the picture limit, are problems of their line.
// A finding is a warning when the show plays with it as it is (render prints
// it as one), a problem when the show stops on it; only problems refuse.
TEST(ScriptChecker, EachFindingIsAWarningOrAProblemAsTheShowTakesIt) {
    const struct {
        std::string text;
        const char* fragment;
        bool warning;
    } cases[] = {
        {script("", "ZYL_BoxParticules p 20000\n"), "COUNT 20000 is out of its range", true},
        {script("", "ZYL_BoxFader f MUL\n"), "'MUL' is not a mode of ZYL_BoxFader", true},
        {script("copie OUT fond\n"), "reads 2 functions, the line names 0", true},
        {script("copie OUT fond fond fond fond fond fond fond fond fond fond fond toujours\n"),
         "more than 10 inputs or functions", true},
        {script("copie OUT fond toujours toujours\n", "ZYL_BoxCopier copie\n"), "is declared again", true},
        {script("", "ZYL_BoxCopier " + std::string(300, 'n') + "\n"), "is cut to its first 255", true},
        {script("personne OUT fond toujours toujours\n"), "undeclared box personne", false},
        {script("copie ailleurs fond toujours toujours\n"), "undeclared output surface ailleurs", false},
        {script("", "ZYL_BoxInconnue b\n"), "unknown box type ZYL_BoxInconnue", false},
        {script("", "", "ZYL_Surface image \"no/such/picture.jpg\"\n"), "ERREUR A LA LECTURE D'UNE SURFACE", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const CheckReport report = checkScriptText(c.text);
        int found = 0;
        for (const ScriptProblem& p : report.problems) {
            if (p.message.find(c.fragment) == std::string::npos) continue;
            ++found;
            EXPECT_EQ(p.warning, c.warning) << p.message;
            EXPECT_EQ(problemLine("s.zyl", p).find(": warning: ") != std::string::npos, c.warning) << p.message;
        }
        EXPECT_GT(found, 0) << (report.problems.empty() ? "no finding" : report.problems[0].message);
        EXPECT_EQ(refuses(report.problems), !c.warning);
    }
}

TEST(ScriptChecker, SurfaceLimitsAreReportedWithTheirLines) {
    const CheckReport overBudget =
        checkScriptText(script("", "", "ZYL_Surface a 512 512\nZYL_Surface b 512 512\n"), 2 * kMiB);
    ASSERT_EQ(overBudget.problems.size(), 1u);
    EXPECT_EQ(overBudget.problems[0].line, 14);
    EXPECT_EQ(overBudget.problems[0].message.rfind("TAILLE DE LA SURFACE NON VALIDE: a 512x512 surface takes 1 MiB", 0), 0u)
        << overBudget.problems[0].message;
    EXPECT_EQ(checkScriptText(script("", "", "ZYL_Surface a 512 512\nZYL_Surface b 512 512\n")).problems.size(), 0u);
}

// Line numbers from the index agree with counting line feeds, at every offset.
TEST(ScriptChecker, LineIndexAgreesWithCounting) {
    const std::string text = "a\n\nbc\r\nd\n";
    const LineIndex lines(text);
    for (size_t offset = 0; offset <= text.size() + 2; ++offset)
        EXPECT_EQ(lines.lineAt(offset), lineNumberAt(text, offset)) << offset;
}

// Each problem names what was expected: the fields of a parameter text, the
// valid words with the nearest one, the first of two equal names, the section
// word meant, the size a box reads. One problem each: no cascade after it.
TEST(ScriptChecker, ProblemsSayWhatIsExpected) {
    const std::string object = ::testing::TempDir() + "velmora_check_cube.lwo";
    const std::string envmap = ::testing::TempDir() + "velmora_check_env.jpg";
    const ShapeMesh cube = makeCube(1.0f);
    ASSERT_TRUE(Lwo2Writer::save(object, Lwo2Writer::meshFile(cube.points, cube.triangles)));
    const std::vector<uint8_t> grey(100 * 50, 128);
    ASSERT_TRUE(writeJpeg(envmap.c_str(), 100, 50, 1, grey.data(), 90));
    auto withFunction = [](const std::string& declaration) {  // on line 9
        std::string text = script("");
        return text.insert(text.find("[/ZYL_Fonction]"), declaration + "\n");
    };
    auto misspelt = [](const std::string& word, const std::string& typo) {
        std::string text = script("copie OUT fond toujours toujours\n");
        return text.replace(text.find(word), word.size(), typo);
    };
    const struct {
        std::string text;
        int line;
        const char* fragment;
    } cases[] = {
        {withFunction("ZYL_FnctSin x 1 0 100"), 9,
         "ZYL_FnctSin x: the parameter text '1 0 100' has 3 numbers, the type reads 4: FREQUENCY PHASE AMPLITUDE "
         "OFFSET"},
        {withFunction("ZYL_FnctSin x abc 0 100 3"), 9, "FREQUENCY 'abc' is not a number"},
        {withFunction("ZYL_FnctTime t"), 9, "has 0 numbers, the type reads 3: SPEED START OFFSET"},
        {withFunction("ZYL_FnctStrobo s 4.5 1 0"), 9, "PERIOD '4.5' is not a whole number"},
        {withFunction("ZYL_FnctTracker n 3 1 0 " + std::string(64, 'F')), 9, "MODE 3 is out of its range: 0 to 1"},
        {withFunction("ZYL_FnctTracker n 0 1 0 0123"), 9, "LEVELS has 4 hexadecimal digits, the type reads 64"},
        {withFunction("ZYL_FnctTracker n 0 1 0 " + std::string(63, 'F') + "G"), 9, "character 64 'G'"},
        {withFunction("ZYL_FnctCanal c 0 1 0"), 9, "CHANNEL 0 is out of its range: at least 1"},
        {withFunction("ZYL_FnctSinus s 1 2 3 4"), 9, "unknown function type ZYL_FnctSinus; did you mean ZYL_FnctSin?"},
        {withFunction("ZYL_FnctSin onde 1 2 3 4"), 9, "function onde is declared again (first on line 7)"},
        {script("", "ZYL_BoxParticules p 20000\n"), 4, "COUNT 20000 is out of its range: 0 to 16384"},
        {script("", "ZYL_BoxAnimator a add\n"), 4, "has 1 word, the type reads 2: MODE HEIGHT"},
        {script("", "ZYL_BoxSprite s adx\n"), 4, "'adx' is not a sprite mode: put or add; did you mean add?"},
        {script("", "ZYL_BoxFader f lighten\n"), 4, "'lighten' is not a mode of ZYL_BoxFader: sub, add or mul"},
        {script("", "ZYL_BoxBlur b\n"), 4,
         "unknown box type ZYL_BoxBlur; did you mean ZYL_BoxXBlur? (velmora list shows every type)"},
        {script("", "ZYL_BoxCopier copie\n"), 4, "box copie is declared again (first on line 2)"},
        {misspelt("[ZYL_Surface]", "[ZYL_Surfaces]"), 10, "'[ZYL_Surfaces]' is no section word; did you mean [ZYL_Surface]?"},
        {misspelt("[/ZYL_Fonction]", "[/ZYL_Fonctoin]"), 9, "did you mean [/ZYL_Fonction]?"},
        {script("", "", "ZYL_Surface image data/x.jpg\n"), 13,
         "'data/x.jpg' is neither W H nor a quoted file name: write \"data/x.jpg\""},
        {script("objet OUT env zero zero onde zero zero onde toujours toujours\n",
                "ZYL_BoxObjet3D objet " + object + " 2\n", "ZYL_Surface env \"" + envmap + "\"\n"),
         17, "reads a at least 256x256 pixels input, env is 100x50"},
        {script("objet OUT zero zero onde zero zero onde toujours toujours\n", "ZYL_BoxObjet3D objet " + object + " 2\n"),
         16, "in mode 2 reads an environment map"},
        // An undeclared name with the nearest declared one of its kind.
        {script("copie OUT fond toujours toujourz\n"), 15,
         "reads 2 functions, the line names 1 ('toujourz', where the line stops, is no declared function; did you "
         "mean toujours?)"},
        {script("copei OUT fond toujours toujours\n"), 15, "undeclared box copei; did you mean copie?"},
        {script("copie OTU fond toujours toujours\n"), 15, "undeclared output surface OTU; did you mean OUT?"},
        {script("copie OUT fnd toujours toujours\n"), 15, "the rest of the line is not read; did you mean fond?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        expectOneProblem(c.text, c.line, c.fragment);
    }
    // The same environment map is not read by the flat mode: nothing to say.
    EXPECT_TRUE(checkScriptText(script("objet OUT env zero zero onde zero zero onde toujours toujours\n",
                                       "ZYL_BoxObjet3D objet " + object + " 1\n",
                                       "ZYL_Surface env \"" + envmap + "\"\n"))
                    .problems.empty());
    std::remove(object.c_str());
    std::remove(envmap.c_str());
}

// The fields the check reads are the ones the reference names, in order.
TEST(ParameterCheck, EveryTypeHasTheFieldsOfItsReference) {
    for (const ScriptType& type : scriptTypes()) {
        std::string names;
        for (const ParameterField& field : type.parameterFields) names.append(names.empty() ? "" : " ").append(field.name);
        EXPECT_EQ(names, type.parameters) << type.word;
    }
}

// Spaces the reading keeps are warned of where they stand; what is read stays.
TEST(ScriptChecker, SpacesAfterSectionWordsAndClosingQuotesAreWarned) {
    std::string afterSection = script("copie OUT fond toujours toujours\n");
    afterSection.insert(afterSection.find("[/CABLAGE]") + 10, "  ");
    std::string afterQuote = script("", "", "ZYL_Surface image \"data/absent.jpg\" \n");
    const struct {
        std::string text;
        int line;
        const char* warning;
        const char* alsoRead;  // the reading's own problem, unchanged
    } cases[] = {
        {afterSection, 16, "spaces after [/CABLAGE]: the section word must end its line", "no wiring section"},
        {afterQuote, 13, "spaces after the closing quote are read as part of the file name",
         "data/absent.jpg\": not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.warning);
        const CheckReport report = checkScriptText(c.text);
        bool warned = false, read = false;
        for (const ScriptProblem& p : report.problems) {
            warned |= p.line == c.line && p.message.find(c.warning) != std::string::npos;
            read |= p.message.find(c.alsoRead) != std::string::npos;
        }
        EXPECT_TRUE(warned && read) << report.problems.size() << " problems";
    }
}
