// velmora: the demo player's entry point and command dispatch.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/BenchCommand.h"
#include "host/CheckCommand.h"
#include "host/CommandLine.h"
#include "host/ReferenceCommands.h"
#include "host/RenderCommand.h"
#include "host/Show.h"
#include "host/ShowErrorExit.h"
#include "core/SimdLevel.h"

namespace {

const char kUsage[] =
    "usage: velmora [--mode 512x384|640x480|window] [--script FILE] [--music FILE] [--watch]\n"
    "       velmora render [--script FILE] --out DIR [--frames N] [--fps F] [--start T]\n"
    "                      [--position ORDER:ROW:FRACTION] [--music FILE]\n"
    "       velmora check [--script FILE]\n"
    "       velmora bench [--script FILE] [--frames N] [--fps F] [--position ORDER:ROW:FRACTION]\n"
    "       velmora list | help TYPE\n"
    "       velmora --help | --version\n"
    "\n"
    "Without a command, plays the show in the working directory: script.zyl and the\n"
    "music data/zik.mo3. Enter saves grab_N.bmp, Escape quits. For writing shows:\n"
    "F5 reloads the script and its data while the music plays on (a script with\n"
    "problems is not taken: they are printed and the old show goes on), Left and\n"
    "Right jump to the previous and next order of the music, Space pauses and\n"
    "resumes, F1 shows the frames per second (never in screenshots).\n"
    "  --mode M       skip the launch dialog: 512x384 or 640x480 full screen, or window\n"
    "  --script FILE  the show script (default script.zyl)\n"
    "  --music FILE   the music module (default data/zik.mo3)\n"
    "  --watch        reload the script, as F5 does, whenever its file changes\n"
    "\n"
    "render: evaluates the show headless and writes DIR/frame_00000.bmp, ...\n"
    "  --out DIR      where the frames go (created if missing)\n"
    "  --frames N     how many frames (default 1)\n"
    "  --fps F        frames per second of the clock (default 50)\n"
    "  --start T      the clock's time at the first frame, in seconds (default 0)\n"
    "  --position O:R:F  a fixed music position (order, row, row fraction 0-255);\n"
    "                 without it the music file's own position is used when it exists,\n"
    "                 and DIR/audio.wav gets the sound of the rendered frames\n"
    "\n"
    "check: reads the script as the show would and reports every problem it finds\n"
    "  as FILE:LINE: message; exits 1 when there is any, 0 when the script is clean\n"
    "\n"
    "bench: runs N frames (default 500) headless at a fixed music position and a\n"
    "  clock stepped by 1/F, then prints frames per second and each wiring line's\n"
    "  mean render time, most costly first\n"
    "\n"
    "list: every box and function type, one line each; help TYPE: one type in full\n"
    "  (parameters, the functions and inputs it reads in order, sizes, an example)\n"
    "\n"
    "Exit status: 0 done; 2 bad command line; 15 after a fatal error (9999 mod 256).\n";

int parseShowOptions(const std::vector<std::string>& args, velmora::ShowOptions& options) {
    velmora::OptionReader reader("", args);
    for (std::string_view name = reader.next(); !name.empty(); name = reader.next()) {
        if (name == "--watch") {  // a switch: takes no value
            if (reader.hasInlineValue()) reader.malformed("no value");
            options.watch = true;
            continue;
        }
        auto v = reader.value();
        if (!v) break;
        if (name == "--mode") {
            if (*v == "512x384") options.mode = 0;
            else if (*v == "640x480") options.mode = 1;
            else if (*v == "window") options.mode = 2;
            else reader.malformed("512x384, 640x480 or window");
        } else if (name == "--script" && !v->empty()) {
            options.script = *v;
        } else if (name == "--music" && !v->empty()) {
            options.music = *v;
        } else if (name == "--script" || name == "--music") {
            reader.malformed("a file name");
        } else {
            reader.unknown();
        }
    }
    return reader.failed() ? 2 : 0;
}

// VELMORA_SIMD=plain|sse2|avx2 caps the vector code the effects may use (the
// pixels are the same at every level; this is for comparing and measuring).
void applySimdLevelFromEnvironment() {
    const char* level = std::getenv("VELMORA_SIMD");
    if (!level) return;
    const std::string_view name(level);
    if (name == "plain") velmora::setSimdLevel(velmora::SimdLevel::Plain);
    else if (name == "sse2") velmora::setSimdLevel(velmora::SimdLevel::Sse2);
    else if (name == "avx2") velmora::setSimdLevel(velmora::SimdLevel::Avx2);
}

// The headless commands end on an error that stops the show as the show
// does, without a message box.
template <class Command>
int runHeadless(Command command) {
    try {
        return command();
    } catch (const velmora::ShowError& error) {
        return velmora::presentShowError(error, false);
    }
}

}  // namespace

int main(int argc, char** argv) {
    applySimdLevelFromEnvironment();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() > 1 && args[0] == "help") return velmora::runHelp({args.begin() + 1, args.end()});
    if (!args.empty() && args[0] == "list") return velmora::runList({args.begin() + 1, args.end()});
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        std::printf("velmora %s\n", VELMORA_VERSION);
        return 0;
    }
    if (!args.empty() && args[0] == "render") {
        velmora::RenderOptions options;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (!velmora::parseRenderOptions(rest, options)) return 2;
        return runHeadless([&] { return velmora::runRender(options); });
    }
    if (!args.empty() && args[0] == "check") {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        std::string script;
        if (!velmora::parseCheckOptions(rest, script)) return 2;
        return velmora::runCheck(script);
    }
    if (!args.empty() && args[0] == "bench") {
        velmora::BenchOptions options;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (!velmora::parseBenchOptions(rest, options)) return 2;
        return runHeadless([&] { return velmora::runBench(options); });
    }
    if (!args.empty() && args[0].rfind("--", 0) != 0) {
        std::fprintf(stderr, "velmora: unknown command '%s' (see velmora --help)\n", args[0].c_str());
        return 2;
    }
    velmora::ShowOptions options;
    if (parseShowOptions(args, options) != 0) return 2;
    return velmora::runShow(options);
}
