// `velmora render` end to end: the example show, its fatal errors and bad options.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <openssl/sha.h>

#include "showkit/JpegWriter.h"
#include "host/app/Startup.h"
#include "surface/Bmp.h"
#include "surface/Surface.h"
#include "HostTestSupport.h"

namespace fs = std::filesystem;
using velmora::testsupport::readFile;
using velmora::testsupport::writeFile;
using namespace velmora;

namespace {

struct RunResult {
    int status = -1;
    std::string err;
};

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "data");
    }
    RunResult run(const std::string& args) {
        std::string command = "cd '" + dir_.string() + "' && VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy '" +
                              std::string(VELMORA_BINARY) + "' " + args + " >out.txt 2>err.txt";
        int raw = std::system(command.c_str());
        RunResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.err = readFile(dir_ / "err.txt");
        return result;
    }

    testsupport::ScratchDirectory scratch_{"render"};
    const fs::path& dir_ = scratch_.path();
};

const char kExampleScript[] =
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
    "ZYL_Surface fond \"data/fond.jpg\"\n"
    "ZYL_Surface tampon 512 256\n"
    "[/ZYL_Surface]\n"
    "\n"
    "[CABLAGE]\n"
    "; premier passage\n"
    "efface tampon toujours toujours\n"
    "copie OUT fond toujours toujours\n"
    "inverse OUT toujours onde\n"
    "[/CABLAGE]\n";

// The BMP bytes a frame must have, built from its pixels.
std::string expectedBmp(const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> packed(pixels.size() * 3);
    packPixels24(pixels.data(), packed.data(), pixels.size());
    const testsupport::ScratchDirectory scratch("expected");
    const fs::path path = scratch / "expected.bmp";
    EXPECT_EQ(writeBmp(path.c_str(), packed.data(), 512, 256, 24, nullptr), 0);
    return readFile(path);
}

}  // namespace

TEST_F(RenderCommand, ExampleShowCopiesThePictureAndInvertsItWhenTheSineIsUp) {
    std::vector<uint8_t> rgb(512 * 256 * 3);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) {
            uint8_t* p = &rgb[(y * 512 + x) * 3];
            p[0] = static_cast<uint8_t>(x / 2);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>((x + y) / 3);
        }
    ASSERT_TRUE(writeJpeg((dir_ / "data/fond.jpg").c_str(), 512, 256, 3, rgb.data(), 90));
    writeFile(dir_ / "script.zyl", kExampleScript);

    // Frame 0 at t = 0: sin(0) is 0, the inversion's gate is off. Frame 1 at
    // t = 0.5: sin(1) > 0, the copy is inverted.
    RunResult r = run("render --out frames --frames 2 --fps 2 --position 0:0:0");
    ASSERT_EQ(r.status, 0) << r.err;

    Surface fond;
    fond.configure(" \"" + (dir_ / "data/fond.jpg").string() + "\"");
    ASSERT_TRUE(fond.isSize(512, 256));
    std::vector<uint32_t> copy(fond.pixels, fond.pixels + fond.pixelCount());
    std::vector<uint32_t> inverted(copy);
    for (uint32_t& p : inverted) p = 0xFFFFFFu - p;

    std::string frame0 = readFile(dir_ / "frames/frame_00000.bmp");
    std::string frame1 = readFile(dir_ / "frames/frame_00001.bmp");
    ASSERT_EQ(frame0.size(), 393274u);
    EXPECT_TRUE(frame0 == expectedBmp(copy));
    EXPECT_TRUE(frame1 == expectedBmp(inverted));
    EXPECT_FALSE(fs::exists(dir_ / "frames/frame_00002.bmp"));
}

TEST_F(RenderCommand, FramesAreTheSameOnEveryRun) {
    writeFile(dir_ / "script.zyl",
              "[ZYL_FX_Generator] ZYL_BoxInverseVideo inverse\n[/ZYL_FX_Generator]\n"
              "[ZYL_Fonction] ZYL_FnctSin onde 3.0 0.0 1.0 0.0\n[/ZYL_Fonction]\n"
              "[ZYL_Surface] [/ZYL_Surface]\n[CABLAGE]\ninverse OUT onde onde\n[/CABLAGE]\n");
    ASSERT_EQ(run("render --out a --frames 5 --position 1:2:3").status, 0);
    ASSERT_EQ(run("render --out b --frames 5 --position 1:2:3").status, 0);
    for (int k = 0; k < 5; ++k) {
        std::string name = "frame_0000" + std::to_string(k) + ".bmp";
        EXPECT_EQ(readFile(dir_ / "a" / name), readFile(dir_ / "b" / name)) << name;
    }
    EXPECT_EQ(readFile(dir_ / "a/frame_00004.bmp").size(), 393274u);

    // --hash prints the SHA-256 of the same pixels as 0x00RRGGBB words, top row first.
    ASSERT_EQ(run("render --hash --frames 5 --position 1:2:3").status, 0);
    std::string expected;
    for (int k = 0; k < 5; ++k) {
        const std::string bmp = readFile(dir_ / "a" / ("frame_0000" + std::to_string(k) + ".bmp"));
        const size_t offset = hosttest::le32(bmp, 10);
        std::string words;
        for (int y = 255; y >= 0; --y)
            for (int x = 0; x < 512; ++x) words += bmp.substr(offset + (y * 512 + x) * 3, 3) + '\0';
        unsigned char digest[32];
        SHA256(reinterpret_cast<const unsigned char*>(words.data()), words.size(), digest);
        expected += "frame " + std::to_string(k) + " ";
        for (unsigned char byte : digest) expected += "0123456789abcdef"[byte >> 4], expected += "0123456789abcdef"[byte & 15];
        expected += "\n";
    }
    EXPECT_EQ(readFile(dir_ / "out.txt"), expected + "done\n");
    EXPECT_FALSE(fs::exists(dir_ / "audio.wav"));
}

TEST_F(RenderCommand, MissingScriptIsFatal) {
    RunResult r = run("render --out frames");
    EXPECT_EQ(r.status, 15);
    EXPECT_NE(r.err.find("FATAL ERROR: Script non trouvé!!"), std::string::npos) << r.err;
}

TEST_F(RenderCommand, UnknownBoxTypeIsFatal) {
    writeFile(dir_ / "script.zyl",
              "[ZYL_FX_Generator] ZYL_BoxUnknown x\n[/ZYL_FX_Generator]\n[ZYL_Fonction] [/ZYL_Fonction]\n"
              "[ZYL_Surface] [/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n");
    RunResult r = run("render --out frames");
    EXPECT_EQ(r.status, 15);
    EXPECT_NE(r.err.find("FATAL ERROR: Script non valide!!\nscript.zyl:1: unknown box type ZYL_BoxUnknown"),
              std::string::npos)
        << r.err;
}

// Run from another folder: the refusal names the script line and the file, and
// says that the file lies beside the script; the same text as `check`'s.
TEST_F(RenderCommand, AFileBesideTheScriptIsPointedOut) {
    fs::create_directories(dir_ / "myshow/data");
    writeFile(dir_ / "myshow/data/backdrop.jpg", "any bytes");
    writeFile(dir_ / "myshow/script.zyl",
              "[ZYL_FX_Generator] [/ZYL_FX_Generator]\n[ZYL_Fonction] [/ZYL_Fonction]\n"
              "[ZYL_Surface]\nZYL_Surface fond \"data/backdrop.jpg\"\n[/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n");
    const std::string why = "myshow/script.zyl:4: data/backdrop.jpg: not found (the working directory is " +
                            fs::canonical(dir_).string() +
                            "); it exists relative to the script's folder (myshow): run from there or use "
                            "velmora -C myshow\n";
    RunResult r = run("render --script myshow/script.zyl --out frames");
    EXPECT_EQ(r.status, 15);
    EXPECT_EQ(r.err, "FATAL ERROR: ERREUR A LA LECTURE D'UNE SURFACE\n" + why);
    RunResult check = run("check --script myshow/script.zyl");
    EXPECT_EQ(check.status, 1);
    // The module is one more file of the show, looked for where the script's files are.
    EXPECT_EQ(check.err, "myshow/script.zyl:4: ERREUR A LA LECTURE D'UNE SURFACE: " + why.substr(why.find("data/")) +
                             "data/zik.mo3: Can't load music: cannot be opened: No such file or directory\n");
}

TEST_F(RenderCommand, UndeclaredBoxOnAWiringLineIsFatal) {
    writeFile(dir_ / "script.zyl",
              "[ZYL_FX_Generator] [/ZYL_FX_Generator]\n[ZYL_Fonction] [/ZYL_Fonction]\n"
              "[ZYL_Surface] [/ZYL_Surface]\n[CABLAGE]\nnobody OUT\n[/CABLAGE]\n");
    RunResult r = run("render --out frames --position 0:0:0");
    EXPECT_EQ(r.status, 15);
    EXPECT_NE(r.err.find("FATAL ERROR: variable de type FXBOX non définie!!!!!!!\nscript.zyl:5: the wiring line "
                         "begins with 'nobody'"),
              std::string::npos)
        << r.err;
}

// What `-C DIR` does before anything is read.
TEST_F(RenderCommand, EnterDirectoryMovesTheWorkingDirectoryOrSaysWhy) {
    const fs::path before = fs::current_path();
    EXPECT_EQ(enterDirectory(dir_.string()), "");
    EXPECT_EQ(fs::current_path(), fs::canonical(dir_));
    fs::current_path(before);
    const std::string said = enterDirectory((dir_ / "absent").string());
    EXPECT_NE(said.find("cannot change to the directory '" + (dir_ / "absent").string() + "'"), std::string::npos)
        << said;
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(RenderCommand, BadOptionsAreRefusedBeforeLoading) {
    const char* cases[] = {"render",
                           "render --out",
                           "render --out f --frames 0",
                           "render --out f --frames two",
                           "render --out f --fps 0",
                           "render --out f --fps -3",
                           "render --out f --start x",
                           "render --out f --position 1:2",
                           "render --out f --position 1:256:0",
                           "render --out f --bogus 1",
                           "render --out f --fps 1/0",
                           "render --out f --until-end=yes",
                           "render --out f --frames 2 --seconds 1",
                           "render --video v.mp4 --scale 0",
                           "render --video v.mp4 --size 10",
                           "render --video v.avi",
                           "render --hash --out f",
                           "render --hash --video v.mp4",
                           "nonsense"};
    for (const char* args : cases) {
        RunResult r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
        EXPECT_EQ(r.err.find("FATAL"), std::string::npos) << args;
    }
}

TEST_F(RenderCommand, HelpListsTheCommands) {
    RunResult r = run("--help");
    EXPECT_EQ(r.status, 0);
    std::string out = readFile(dir_ / "out.txt");
    for (const char* word : {"render", "--out", "--frames", "--fps", "--start", "--position", "--mode", "--script"})
        EXPECT_NE(out.find(word), std::string::npos) << word;
    EXPECT_EQ(run("--version").status, 0);
}

// A reader that goes away (`| head -1`) ends the render at once with one line
// and a failure, however many frames were asked for.
TEST_F(RenderCommand, HashesStopWhenTheirReaderGoesAway) {
    writeFile(dir_ / "script.zyl", "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                   "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n");
    for (const char* frames : {"3000", "1000000"}) {
        SCOPED_TRACE(frames);
        const std::string command = "cd '" + dir_.string() + "' && { '" + std::string(VELMORA_BINARY) +
                                    "' render --hash --quiet --position 0:0:0 --frames " + frames +
                                    " 2>err.txt; echo $? >status.txt; } | head -1 >out.txt";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(readFile(dir_ / "out.txt").rfind("frame 0 ", 0), 0u);
        EXPECT_EQ(readFile(dir_ / "status.txt"), "1\n");
        EXPECT_EQ(readFile(dir_ / "err.txt"), "velmora render: the output closed (the reader went away)\n");
    }
}
