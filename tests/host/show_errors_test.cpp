// How the show reports trouble: fatal errors on standard error and exit status
// 9999 (15 once the system keeps its low byte), French report lines that let
// loading go on, and no message box where nobody could dismiss it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/MessageBox.h"
#include "HostTestSupport.h"

namespace fs = std::filesystem;
using velmora::hosttest::readFile;
using namespace velmora;

namespace {

class ShowErrors : public ::testing::Test {
protected:
    // Runs the show with the given environment; bounded, so a box that waited
    // for a click would fail the test instead of hanging it.
    int run(const std::string& environment, const std::string& args, int seconds = 20) {
        const std::string command = "cd '" + dir_.string() + "' && env " + environment + " timeout " +
                                    std::to_string(seconds) + " '" +
                                    std::string(VELMORA_BINARY) + "' " + args + " >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string err() { return readFile(dir_ / "err.txt"); }

    testsupport::ScratchDirectory scratch_{"errors"};
    const fs::path& dir_ = scratch_.path();
};

// Sets an environment variable for one test and puts the old value back.
struct ScopedEnv {
    std::string name;
    std::string old;
    bool had;
    ScopedEnv(const char* n, const char* value) : name(n), had(std::getenv(n) != nullptr) {
        if (had) old = std::getenv(n);
        if (value) ::setenv(n, value, 1);
        else ::unsetenv(n);
    }
    ~ScopedEnv() {
        if (had) ::setenv(name.c_str(), old.c_str(), 1);
        else ::unsetenv(name.c_str());
    }
};

}  // namespace

TEST(MessageBoxes, OnlyWhereSomeoneCanDismissThem) {
    ScopedEnv noBox("VELMORA_NO_MESSAGE_BOX", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    {
        ScopedEnv display("DISPLAY", ":0");
        EXPECT_TRUE(messageBoxesAllowed());
        ScopedEnv automated("VELMORA_NO_MESSAGE_BOX", "1");
        EXPECT_FALSE(messageBoxesAllowed());
    }
    {
        ScopedEnv display("DISPLAY", ":0");
        ScopedEnv dummy("SDL_VIDEODRIVER", "dummy");
        EXPECT_FALSE(messageBoxesAllowed());
    }
    ScopedEnv display("DISPLAY", nullptr);
    EXPECT_FALSE(messageBoxesAllowed());
    showErrorBox("FATAL ERROR", "returns at once without a display");
}

// The original line, then SDL's own reason in English (the box shows both).
TEST_F(ShowErrors, NoVideoSystemIsTheFirstDisplayError) {
    const std::string said = "FATAL ERROR: impossible de poser le ddraw!!\nvelmora: SDL's video did not start: ";
    EXPECT_EQ(run("SDL_VIDEODRIVER=no-such-driver VELMORA_NO_MESSAGE_BOX=1", "--mode window"), 9999 & 0xFF);
    EXPECT_EQ(err().rfind(said, 0), 0u) << err();
    EXPECT_GT(err().size(), said.size() + 1) << err();
    // Through the dialog too: without a dialog the show starts in mode 0 and
    // meets the same error.
    EXPECT_EQ(run("SDL_VIDEODRIVER=no-such-driver VELMORA_NO_MESSAGE_BOX=1", ""), 9999 & 0xFF);
    EXPECT_EQ(err().rfind(said, 0), 0u) << err();
}

TEST_F(ShowErrors, MissingScriptIsFatalWithoutABoxUnderTheDummyDriver) {
    EXPECT_EQ(run("-u VELMORA_NO_MESSAGE_BOX SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy", "--mode window"),
              9999 & 0xFF);
    // The original line, then the file and why, with the working directory.
    EXPECT_EQ(err(), "FATAL ERROR: Script non trouvé!!\nscript.zyl: not found (the working directory is " +
                         fs::canonical(dir_).string() + ")\n");
}

TEST_F(ShowErrors, AScriptThatIsNoFileIsInvalidWithItsReason) {
    fs::create_directories(dir_ / "scripts");
    EXPECT_EQ(run("VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy", "--mode window --script scripts"),
              9999 & 0xFF);
    EXPECT_EQ(err(), "FATAL ERROR: Script non valide!!\nvelmora: scripts is a directory, not a file\n");
}

// --surface-budget reaches the load, and a reason from a script line follows
// that line's place.
TEST_F(ShowErrors, ASurfaceOverTheBudgetGivesItsReasonAtItsScriptLine) {
    std::ofstream(dir_ / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                          "[ZYL_Surface]\nZYL_Surface grand 1024 512\n[/ZYL_Surface]\n"
                                          "[CABLAGE]\n[/CABLAGE]\n";
    EXPECT_EQ(run("-u VELMORA_SURFACE_BUDGET", "render --out f --surface-budget 1"), 9999 & 0xFF);
    EXPECT_EQ(err(), "FATAL ERROR: TAILLE DE LA SURFACE NON VALIDE\nscript.zyl:6: a 1024x512 surface takes 2 MiB, "
                     "more than the 1 MiB left of the 1 MiB that all surfaces of a show may hold "
                     "(VELMORA_SURFACE_BUDGET sets another budget, in MiB)\n");
}

// Junk in a tuning variable is told in one line and the default is used: the
// render still succeeds.
TEST_F(ShowErrors, JunkInTheEnvironmentIsToldOnceAndTheDefaultUsed) {
    std::ofstream(dir_ / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                          "[ZYL_Surface]\nZYL_Surface un 512 256\nZYL_Surface deux 512 256\n"
                                          "[/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n";
    const struct {
        const char* environment;
        const char* warning;
    } cases[] = {
        {"VELMORA_SURFACE_BUDGET=12MB",
         "VELMORA_SURFACE_BUDGET: expected a whole number of MiB from 1 to 1048576, not \"12MB\"; using 1024\n"},
        {"VELMORA_SURFACE_BUDGET=0", "VELMORA_SURFACE_BUDGET: expected a whole number of MiB from 1 to 1048576, not "
                                     "\"0\"; using 1024\n"},
        {"VELMORA_SIMD=avx512", "VELMORA_SIMD: expected plain, sse2 or avx2, not \"avx512\"; using the processor's best\n"},
        {"VELMORA_THREADS=many", "VELMORA_THREADS: expected a whole number from 1 to 64, not \"many\"; using "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.environment, "render --out f --frames 1 --position 0:0:0 --quiet"), 0) << c.environment;
        const std::string said = err();
        EXPECT_EQ(said.rfind(c.warning, 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(fs::exists(dir_ / "f/frame_00000.bmp"));
        fs::remove_all(dir_ / "f");
    }
}

TEST_F(ShowErrors, RejectedParametersAreReportedAndLoadingGoesOn) {
    std::ofstream(dir_ / "script.zyl") << "[ZYL_FX_Generator]\nZYL_BoxFader fondu MUL\n[/ZYL_FX_Generator]\n"
                                          "[ZYL_Fonction]\n[/ZYL_Fonction]\n[ZYL_Surface]\n[/ZYL_Surface]\n"
                                          "[CABLAGE]\npersonne OUT\n[/CABLAGE]\n";
    fs::create_directories(dir_ / "data");
    EXPECT_EQ(run("-u VELMORA_NO_MESSAGE_BOX SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy", "--mode 640x480"),
              9999 & 0xFF);
    // The report and its reason, then (the music missing) the first fatal
    // error after loading; the undeclared box is the first frame's.
    EXPECT_EQ(err(), "Erreur!!!!: ZYL_BoxFader MODE non valide!!\n"
                     "script.zyl:2: 'MUL' is not a mode of ZYL_BoxFader: sub, add or mul; did you mean mul?\n"
                     "FATAL ERROR: Can't load music\n"
                     "data/zik.mo3: cannot be opened: No such file or directory\n");
}

TEST_F(ShowErrors, WiringErrorOfTheFirstFrameEndsAShowThatPlaysMusic) {
    std::ofstream(dir_ / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                          "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\npersonne OUT\n[/CABLAGE]\n";
    fs::create_directories(dir_ / "data");
    const std::string make = std::string(VELMORA_TOOLS_DIR) + "/make_module '" + (dir_ / "data/zik.mo3").string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    EXPECT_EQ(run("VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy", "--mode 512x384"), 9999 & 0xFF);
    EXPECT_EQ(err(), "FATAL ERROR: variable de type FXBOX non définie!!!!!!!\n"
                     "script.zyl:8: the wiring line begins with 'personne', which no box declaration names\n");
}

// Without sound the module is still read, and a missing one is told as with
// sound: its file and why, under the original line (and in the box).
TEST_F(ShowErrors, AMissingModuleIsNamedWithItsReasonWhenMuted) {
    std::ofstream(dir_ / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                          "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n";
    EXPECT_EQ(run("VELMORA_NO_MESSAGE_BOX=1 SDL_VIDEODRIVER=dummy", "--mode window --mute"), 9999 & 0xFF);
    EXPECT_EQ(err(), "FATAL ERROR: Can't load music\ndata/zik.mo3: cannot be opened: No such file or directory\n");
}

// Without a screen the show and its launch dialog are refused at once, with a
// line that names the display, rather than running where nobody sees them.
class ShowWithoutDisplay : public ShowErrors, public ::testing::WithParamInterface<const char*> {};

TEST_P(ShowWithoutDisplay, RefusesAtOnceNamingTheDisplay) {
    EXPECT_EQ(run("-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER", GetParam(), 10), 1);
    const std::string text = err();
    EXPECT_NE(text.find("display"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

INSTANTIATE_TEST_SUITE_P(ShowErrors, ShowWithoutDisplay, ::testing::Values("--mode window --mute", ""));

TEST_F(ShowErrors, NoSoundDeviceKeepsItsFatalLineAndNamesMute) {
    std::ofstream(dir_ / "script.zyl") << "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\n[/ZYL_Fonction]\n"
                                          "[ZYL_Surface]\n[/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n";
    fs::create_directories(dir_ / "data");
    const std::string make = std::string(VELMORA_TOOLS_DIR) + "/make_module '" + (dir_ / "data/zik.mo3").string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    EXPECT_EQ(run("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no-such-driver", "--mode window"), 9999 & 0xFF);
    const std::string text = err();
    EXPECT_EQ(text.rfind("FATAL ERROR: Can't initialize digital sound system\nvelmora: ", 0), 0u) << text;
    EXPECT_NE(text.find("--mute"), std::string::npos) << text;
}
