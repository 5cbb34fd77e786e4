// The command line, defined once: the kinds of option value with their strict
// parsers, then the commands and their options. CLI11 parses with these
// definitions and writes the help from them.
#include "host/app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string_view>
#include <utility>

#include "core/Limits.h"
#include "core/ThreadCount.h"
#include "host/app/Startup.h"
#include "host/app/ManPage.h"
#include "show/NumberText.h"
#include "host/commands/ReferenceCommands.h"
#include "show/MusicTransport.h"
#include "core/NearestWord.h"
#include "script/TypeTable.h"

namespace velmora {

namespace {

std::optional<std::string> parseName(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return std::string(text);
}

// A whole number from Low to High.
template <long long Low, long long High>
std::optional<int> parseWholeIn(std::string_view text) {
    const auto n = parseInteger(text);
    if (!n || *n < Low || *n > High) return std::nullopt;
    return static_cast<int>(*n);
}

// A surface budget in MiB, as VELMORA_SURFACE_BUDGET takes it.
std::optional<uint64_t> parseBudgetMiB(std::string_view text) {
    uint64_t bytes = 0;
    if (!parseSurfaceBudgetMiB(text, bytes)) return std::nullopt;
    return bytes / kMiB;
}

std::optional<double> parsePositiveReal(std::string_view text) {
    const auto v = parseReal(text);
    if (!v || *v <= 0.0) return std::nullopt;
    return v;
}

// --scale: true for "integer" (the largest whole factor that fits), false for
// "fit" (fill the screen at any factor).
std::optional<bool> parseScaleMode(std::string_view text) {
    if (text == "integer") return true;
    if (text == "fit") return false;
    return std::nullopt;
}

// The show's ORDER:ROW, order 0-65535 and row 0-255.
std::optional<OrderRow> parseOrderRow(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto order = parseInteger(text.substr(0, colon));
    const auto row = parseInteger(text.substr(colon + 1));
    if (!order || !row || *order < 0 || *order > 65535 || *row < 0 || *row > 255) return std::nullopt;
    return OrderRow{static_cast<uint32_t>(*order), static_cast<uint32_t>(*row)};
}

// The index the launch dialog would give the mode.
std::optional<int> parseDisplayMode(std::string_view text) {
    if (text == "512x384") return 0;
    if (text == "640x480") return 1;
    if (text == "window") return 2;
    return std::nullopt;
}

std::string showName(const std::string& name) { return name; }
std::string showInteger(const int& n) { return std::to_string(n); }
std::string showReal(const double& v) {
    std::ostringstream text;
    text << v;
    return text.str();
}
std::string showMusicPosition(const uint32_t& position) {
    return std::to_string(position & 0xFFFFu) + ":" + std::to_string(position >> 24) + ":" +
           std::to_string((position >> 16) & 0xFFu);
}
std::string showDisplayMode(const int& mode) {
    const char* names[] = {"512x384", "640x480", "window"};
    return mode >= 0 && mode < 3 ? names[mode] : "";  // -1: the launch dialog asks
}

// A kind of option value: the placeholder the help shows, what a refused value
// should have been, the parser (nullopt refuses the text), and how the help
// shows a default.
template <typename T>
struct ValueKind {
    const char* placeholder;
    const char* expectation;
    std::optional<T> (*parse)(std::string_view text);
    std::string (*show)(const T& value);
};

std::string showScaleMode(const bool& integer) { return integer ? "integer" : "fit"; }
std::string showOrderRow(const OrderRow& at) { return std::to_string(at.order) + ":" + std::to_string(at.row); }

std::string showFrameRate(const FrameRate& rate) {
    return rate.denominator == 1 ? std::to_string(rate.numerator)
                                 : std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator);
}
std::string showFrameSize(const FrameSize& size) {
    return size.width > 0 ? std::to_string(size.width) + "x" + std::to_string(size.height) : "";
}
std::string showPositiveReal(const double& v) { return v > 0.0 ? showReal(v) : ""; }  // 0: not given
// 0 or -1 when not given: the value then comes from elsewhere (the video
// format, the display, the environment), which the description says.
std::string showChosenNumber(const int& n) { return n > 0 ? std::to_string(n) : ""; }
std::string showChosenMiB(const uint64_t& n) { return n > 0 ? std::to_string(n) : ""; }

const ValueKind<std::string> kFile{"FILE", "a file name", parseName, showName};
const ValueKind<std::string> kDirectory{"DIR", "a directory name", parseName, showName};
const ValueKind<int> kFrameCount{"N", kFrameCountExpectation, parseFrameCount,
                                 showInteger};
const ValueKind<FrameRate> kFrameRate{"F", kFrameRateExpectation,
                                      parseFrameRate, showFrameRate};
const ValueKind<double> kDuration{"S", "a time in seconds above 0", parsePositiveReal, showPositiveReal};
const ValueKind<int> kWholeScale{"N", "a whole scale from 1 to 16", parseWholeIn<1, 16>, showChosenNumber};
const ValueKind<FrameSize> kFrameSize{"WxH", "WIDTHxHEIGHT, each from 1 to 8192", parseFrameSize, showFrameSize};
const ValueKind<int> kQuality{"N", "a quality from 0 (best) to 63", parseWholeIn<0, 63>, showChosenNumber};
const ValueKind<std::string> kPresetName{"NAME", "a preset name", parseName, showName};
const ValueKind<int> kThreadCount{"N", "a whole number of threads from 1 to 64", parseThreadCount,
                                  showChosenNumber};
const ValueKind<int> kOrderCount{"N", "a whole number of orders from 1 to 256", parseWholeIn<1, 256>,
                                 showChosenNumber};
const ValueKind<uint64_t> kSurfaceBudget{"MIB", "a whole number of MiB from 1 to 1048576", parseBudgetMiB,
                                         showChosenMiB};
const ValueKind<uint64_t> kMemoryLimit{"MIB", "a whole number of MiB from 1 to 1048576", parseBudgetMiB,
                                       showChosenMiB};
const ValueKind<double> kFramesPerSecond{"F", "a number of frames per second above 0", parsePositiveReal,
                                         showReal};
const ValueKind<double> kSeconds{"T", kSecondsExpectation, parseSeconds, showReal};
const ValueKind<uint32_t> kMusicPosition{"ORDER:ROW:FRACTION", kMusicPositionExpectation,
                                         parseMusicPosition, showMusicPosition};
const ValueKind<double> kRadius{"R", "a radius above 0", parsePositiveReal, showReal};
const ValueKind<int> kLayerNumber{"N", "a layer number from 1", parseWholeIn<1, 1000000>, showInteger};
const ValueKind<bool> kScaleMode{"integer|fit", "integer or fit", parseScaleMode, showScaleMode};
const ValueKind<int> kFrameRateCap{"N", "a whole number of frames per second from 1 to 1000", parseWholeIn<1, 1000>,
                                   showChosenNumber};
const ValueKind<OrderRow> kOrderRow{"ORDER:ROW", "ORDER:ROW (order 0-65535, row 0-255)", parseOrderRow,
                                    showOrderRow};
std::optional<std::string> parseTracksAction(std::string_view text) {
    if (text == "import" || text == "export") return std::string(text);
    return std::nullopt;
}
const ValueKind<std::string> kTracksAction{"import|export", "import or export", parseTracksAction, showName};
const ValueKind<double> kBeatsPerMinute{"B", "a number of beats per minute above 0", parsePositiveReal, showReal};
const ValueKind<double> kRowsPerBeat{"R", "a number of rows per beat above 0", parsePositiveReal, showReal};
std::string showUpAxis(const UpAxis& axis) { return upAxisName(axis); }
const ValueKind<UpAxis> kUpAxis{"y|z|-y|-z", "y, z, -y or -z", parseUpAxis, showUpAxis};
const ValueKind<int> kDisplayMode{"512x384|640x480|window", "512x384, 640x480 or window", parseDisplayMode,
                                  showDisplayMode};

template <typename T>
std::string defaultText(const ValueKind<T>& kind, const T& value) {
    return kind.show(value);
}
template <typename T>
std::string defaultText(const ValueKind<T>& kind, const std::optional<T>& value) {
    return value ? kind.show(*value) : std::string();
}

// Adds `--name VALUE` to a command. The kind's parser checks every given text
// (a refusal names the option) and the last one is stored into `target`; the
// target's value before parsing is the default the help shows.
template <typename T, typename Target>
CLI::Option* addValue(CLI::App& command, const std::string& name, Target& target, const ValueKind<T>& kind,
                      const std::string& description) {
    CLI::callback_t store = [&target, parse = kind.parse](const CLI::results_t& texts) {
        target = *parse(texts.back());
        return true;
    };
    auto check = [parse = kind.parse, expectation = std::string(kind.expectation)](std::string& text) {
        return parse(text) ? std::string() : refusedText(text, expectation);
    };
    CLI::Option* option = command.add_option(name, std::move(store), description);
    option->type_name(kind.placeholder);
    option->default_str(defaultText(kind, target));
    option->check(CLI::Validator(check, ""));
    return option;
}

// Adds a switch: `--name` alone. CLI11 would take `--name=no` as a value for
// it; a switch refuses every value but the one it means anyway.
CLI::Option* addSwitch(CLI::App& command, const std::string& name, bool& target, const std::string& description) {
    auto check = [](std::string& text) {
        return text == "true" ? std::string() : "takes no value, not '" + text + "'";
    };
    return command.add_flag(name, target, description)->check(CLI::Validator(check, ""));
}

const char kShowOptions[] = "Show options";

// Why a file named on the command line cannot be read ("No such file or
// directory"); empty when it can. A directory, device or pipe is no file to
// read, and is not opened (a pipe would wait).
std::string unreadableFileReason(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(status.st_mode)) return "not a regular file";
    if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
    return {};
}

// The --music given to the show or to the command named, when it cannot be
// read: the command line is wrong, not the show. Without --music the default
// module is looked for as the command always did.
std::string unreadableMusic(const CLI::App& app, const CLI::App* command) {
    const CLI::App& scope = command ? *command : app;
    const CLI::Option* music = scope.get_option_no_throw("--music");
    if (!music || music->count() == 0) return {};
    const std::string& path = music->results().back();
    const std::string reason = unreadableFileReason(path);
    return reason.empty() ? reason : "--music: '" + path + "' cannot be read: " + reason;
}

const char kSurfaceBudgetHelp[] =
    "MiB that all the show's surfaces may take together (without it:\n"
    "VELMORA_SURFACE_BUDGET, else 1024)";

const char kExitStatus[] =
    "Exit status: 0 done; 1 when check finds problems or a file cannot be read or written; 2 bad\n"
    "command line; 15 after a fatal error (9999 mod 256); 130 when Ctrl-C stops a render.";

// Adds a command; when the command line names it, `run` becomes the job.
CLI::App& addCommand(CLI::App& app, CommandLineOptions& options, const std::string& name,
                     const std::string& description, int (*run)(const CommandLineOptions&)) {
    CLI::App* command = app.add_subcommand(name, description);
    command->group("Commands");
    command->footer(kExitStatus);
    command->parse_complete_callback([&options, run] { options.run = run; });
    return *command;
}

const char kDescription[] =
    "velmora plays a show: the script script.zyl and the pictures, meshes and music it names, in\n"
    "step with the music module data/zik.mo3. Every file name is relative to the working directory.\n"
    "Without a command it plays the show on screen; the commands below evaluate it headless.\n";

const char kKeys[] =
    "In the show, Enter saves the frame as grab_1.bmp, grab_2.bmp, ... and Escape quits. For\n"
    "writing shows: F5 reloads the script and its data while the music plays on (a script with\n"
    "problems is not taken: they are printed and the old show goes on), Left and Right jump to the\n"
    "previous and next order of the music, Up and Down one row, L loops the order playing until\n"
    "pressed again, Space pauses and resumes, F1 shows the frames per second, order, row and time\n"
    "(never in screenshots).\n\n";

const CLI::App* findCommand(const CLI::App& app, const std::string& name) {
    for (const CLI::App* command : app.get_subcommands({}))
        if (command->get_name() == name) return command;
    return nullptr;
}

// The whole program's help, or one command's.
std::string helpText(const CLI::App& app, const CLI::App* command) {
    if (!command) return app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::All);
    return command->get_formatter()->make_help(command, app.get_name() + " " + command->get_name(),
                                               CLI::AppFormatMode::Normal);
}

// `velmora help [TOPIC]`: the usage, a command's help, a type's entry or the
// reference page's generated part; an unknown word is refused with the nearest
// command or type.
int answerHelp(const CLI::App& app, const HelpOptions& help, std::ostream& out, std::ostream& err) {
    if (help.markdown) {
        if (!help.topic.empty()) {
            err << "velmora help: --markdown takes no topic, not '" << help.topic << "'\n";
            return 2;
        }
        out << referenceMarkdown();
        return 0;
    }
    if (help.topic.empty()) {
        out << helpText(app, nullptr);
        return 0;
    }
    if (const CLI::App* command = findCommand(app, help.topic); command && help.topic != "help") {
        out << helpText(app, command);
        return 0;
    }
    if (const ScriptType* type = findScriptType(help.topic)) {
        out << typeHelpText(*type);
        return 0;
    }
    if (help.topic == kSurfaceWord) {
        out << surfaceHelpText();
        return 0;
    }
    std::vector<std::string_view> words;
    for (const CLI::App* command : app.get_subcommands({}))
        if (command->get_name() != "help") words.push_back(command->get_name());
    for (const ScriptType& type : scriptTypes()) words.push_back(type.word);
    words.push_back(kSurfaceWord);
    std::string_view nearest = nearestWord(help.topic, words, 4);
    // A type word given without its prefix: `help Sprite` means ZYL_BoxSprite.
    if (nearest.empty()) {
        std::vector<std::string_view> unprefixed;
        for (const ScriptType& type : scriptTypes()) {
            const std::string_view word = type.word;
            unprefixed.push_back(word.substr(word.rfind("ZYL_Box", 0) == 0 ? 7 : word.rfind("ZYL_Fnct", 0) == 0 ? 8 : 0));
        }
        const std::string_view near = nearestWord(help.topic, unprefixed, std::max<int>(1, help.topic.size() / 3));
        for (size_t i = 0; i < unprefixed.size() && !near.empty(); ++i)
            if (unprefixed[i].data() == near.data()) nearest = scriptTypes()[i].word;
    }
    err << "velmora help: unknown command or type '" << help.topic << "'";
    if (!nearest.empty()) err << "; did you mean " << nearest << "?";
    err << " (velmora list names every type)\n";
    return 2;
}

}  // namespace

void buildCommandLine(CLI::App& app, CommandLineOptions& options) {
    app.name("velmora");
    app.description(kDescription);
    app.footer(std::string(kKeys) + kExitStatus);
    app.get_formatter()->column_width(36);
    app.get_formatter()->label("SUBCOMMAND", "COMMAND");
    // An option given twice keeps its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.require_subcommand(0, 1);
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", std::string("velmora ") + VELMORA_VERSION, "print the version and exit");

    // For the show and every command.
    addSwitch(app, "--demo", options.demo,
              "use the installed default show (PREFIX/share/velmora/demo, else the\n"
              "build tree's show/): play it, or run render, check, bench or info on it;\n"
              "output names stay relative to the folder velmora was called from");
    addValue(app, "-C", options.directory, kDirectory,
             "run in DIR, as make, git and tar do: the script, the files it names\n"
             "and every output name (--out, --video, mesh's files) are relative to DIR");
    addSwitch(app, "--man-page", options.manPage, "print the manual page (roff), written from this help, and exit");

    // No command: the show on screen.
    options.run = [](const CommandLineOptions& o) { return runShow(o.show); };
    addValue(app, "--mode", options.show.mode, kDisplayMode,
             "skip the launch dialog: 512x384 or 640x480 full screen, or window")
        ->group(kShowOptions);
    addValue(app, "--script", options.show.script, kFile, "the show script")->group(kShowOptions);
    addValue(app, "--music", options.show.music, kFile, "the music module")
        ->group(kShowOptions);
    addSwitch(app, "--watch", options.show.watch, "reload the script, as F5 does, whenever its file or a track\nfile it reads changes")
        ->group(kShowOptions);
    addValue(app, "--scale", options.show.integerScale, kScaleMode,
             "integer: the largest whole factor that fits, centred on black;\nfit: fill the screen at any factor")
        ->group(kShowOptions);
    addValue(app, "--fps-cap", options.show.frameRateCap, kFrameRateCap,
             "in a window without vsync, at most N frames per second\n(without it: the display's refresh rate)")
        ->group(kShowOptions);
    addSwitch(app, "--no-cap", options.show.uncapped, "in a window, neither vsync nor a cap")->group(kShowOptions);
    addValue(app, "--position", options.show.startPosition, kOrderRow,
             "start the music and the clock at this order and row")
        ->group(kShowOptions);
    addValue(app, "--threads", options.show.threads, kThreadCount,
             "threads that draw each frame (without it: VELMORA_THREADS,\nelse one per processor core)")
        ->group(kShowOptions);
    addValue(app, "--surface-budget", options.surfaceBudgetMiB, kSurfaceBudget, kSurfaceBudgetHelp)
        ->group(kShowOptions);
    addSwitch(app, "--mute", options.show.mute,
              "play without sound and without opening a sound device; the\npictures follow the music as they would with it")
        ->group(kShowOptions);
    addSwitch(app, "--no-message-box", options.show.noMessageBox,
              "errors on standard error only, never in a box waiting for a\nclick (as VELMORA_NO_MESSAGE_BOX=1 does)")
        ->group(kShowOptions);

    CLI::App& render = addCommand(
        app, options, "render",
        "Evaluates the show headless and writes DIR/frame_00000.bmp, ... in the screenshot\n"
        "format, or one video file with the music; frame k is evaluated at the time T + k / F.\n"
        "Files appear under their names only when complete: Ctrl-C stops a render, removes\n"
        "the unfinished file and exits with status 130 (143 for SIGTERM).",
        [](const CommandLineOptions& o) { return reportOutcome("render", runRender(o.render)); });
    addValue(render, "--script", options.render.script, kFile, "the show script");
    addValue(render, "--out", options.render.outDir, kDirectory, "where the frames go (created if missing)");
    addSwitch(render, "--hash", options.render.hash,
              "write no files: print \"frame K HEX\" for each frame (HEX: the SHA-256\n"
              "of its pixels as 32-bit little-endian 0x00RRGGBB words), then \"done\"");
    addValue(render, "--video", options.render.video, kFile,
             "encode the frames and the music into FILE instead: .mp4 (H.264\n"
             "and AAC), .webm (VP9 and Opus), .mkv (lossless FFV1 and FLAC),\n"
             ".gif (one palette for the clip) or .apng (lossless); these two\nwithout sound");
    addValue(render, "--frames", options.render.frames, kFrameCount,
             "how many frames (without a length: 1, and a video runs to\nthe end of the music)");
    addValue(render, "--seconds", options.render.seconds, kDuration, "as many frames as S seconds take");
    addSwitch(render, "--until-end", options.render.untilEnd, "to the end of the music's song");
    addValue(render, "--fps", options.render.fps, kFrameRate,
             "frames per second of the clock, such as 50, 29.97 or 60000/1001");
    addValue(render, "--start", options.render.start, kSeconds,
             "the clock's time at the first frame, in seconds");
    addSwitch(render, "--preroll", options.render.preroll,
              "evaluate the show from time 0 up to --start first, writing nothing,\n"
              "so that effects with a memory look as in a render from 0");
    addValue(render, "--position", options.render.musicPosition, kMusicPosition,
             "a fixed music position (order, row, row fraction 0-255);\n"
             "without it the music file's own position is used when it exists,\n"
             "and DIR/audio.wav (or the video) gets the sound of the rendered frames");
    addValue(render, "--music", options.render.music, kFile, "the music module");
    addValue(render, "--scale", options.render.scale, kWholeScale,
             "video: each pixel as an NxN block (without it: 2; 1 for .mkv,\n.gif and .apng); frames are at most 4096 pixels a side");
    addValue(render, "--size", options.render.size, kFrameSize,
             "video: the largest whole scale that fits WxH, centred on black");
    addSwitch(render, "--smooth", options.render.smooth,
              "video: scale with a smooth filter instead (then any scale or size)");
    addValue(render, "--crf", options.render.crf, kQuality,
             "video quality, lower is better (.mp4: 0-51, without it 18;\n.webm: 0-63, without it 24)");
    addValue(render, "--preset", options.render.preset, kPresetName,
             "video: .mp4: x264's presets, ultrafast to placebo (without it\n"
             "veryfast with its quickest searches); .webm: realtime (without\nit), good, best");
    addSwitch(render, "--quiet", options.render.quiet, "no progress line on standard error");
    addSwitch(render, "--timing", options.render.timing,
              "video: print the seconds spent evaluating, converting, encoding\nand muxing");
    addValue(render, "--threads", options.render.threads, kThreadCount,
             "threads that draw each frame (without it: VELMORA_THREADS,\nelse one per processor core)");
    addValue(render, "--surface-budget", options.surfaceBudgetMiB, kSurfaceBudget, kSurfaceBudgetHelp);

    CLI::App& info = addCommand(app, options, "info",
                                "Prints the music's title, format, length, channels, and each order's\n"
                                "pattern, rows and start time, to place --start, --position and order intervals.",
                                [](const CommandLineOptions& o) { return reportOutcome("info", runInfo(o.info)); });
    addValue(info, "--music", options.info.music, kFile, "the music module");

    CLI::App& web = addCommand(
        app, options, "web",
        "Packs the show into DIR for web browsers: the web player (built by tools/build-web),\n"
        "the script, every file it names and the music. Any static web server can then serve DIR.\n"
        "Only files inside the show's folder are packed.",
        [](const CommandLineOptions& o) { return reportOutcome("web", runWeb(o.web, programFolder(nullptr))); });
    addValue(web, "--script", options.web.script, kFile, "the show script");
    addValue(web, "-o,--out", options.web.outDir, kDirectory, "the folder to write (created if missing)")->required();
    addSwitch(web, "--watch", options.web.watch,
              "pack again on every save of the script or a file it names; a page served\nfrom DIR reloads the "
              "show at the same place (runs until interrupted)");

    CLI::App& check = addCommand(app, options, "check",
                                 "Reads the script and the music module as the show would and reports\n"
                                 "what it finds: a problem (the show would stop on it) as FILE:LINE: message,\n"
                                 "a warning (the show plays with it) as FILE:LINE: warning: message, as render\n"
                                 "prints them; exits 1 when there is a problem, 0 otherwise.",
                                 [](const CommandLineOptions& o) { return reportOutcome("check", runCheck(o.check)); });
    addValue(check, "--script", options.check.script, kFile, "the show script");
    addValue(check, "--music", options.check.music, kFile, "the music module");
    addValue(check, "--surface-budget", options.surfaceBudgetMiB, kSurfaceBudget, kSurfaceBudgetHelp);

    CLI::App& bench = addCommand(app, options, "bench",
                                 "Runs N frames headless at a fixed music position and a clock stepped by\n"
                                 "1/F, then prints frames per second and each wiring line's mean render\n"
                                 "time, most costly first.",
                                 [](const CommandLineOptions& o) { return reportOutcome("bench", runBench(o.bench)); });
    addValue(bench, "--script", options.bench.script, kFile, "the show script");
    addValue(bench, "--frames", options.bench.frames, kFrameCount, "how many frames");
    addValue(bench, "--fps", options.bench.fps, kFramesPerSecond, "frames per second of the clock");
    addValue(bench, "--position", options.bench.musicPosition, kMusicPosition,
             "the music position (order, row, row fraction 0-255)");
    addValue(bench, "--threads", options.bench.threads, kThreadCount,
             "threads that draw each frame, timed beside one thread (without\n"
             "it: VELMORA_THREADS, else one per processor core)");
    addValue(bench, "--orders", options.bench.orders, kOrderCount,
             "instead of the line table, orders 0 to N-1 from their first row, each at\n"
             "every vector level up to the one in use, on one thread and on --threads");
    addValue(bench, "--surface-budget", options.surfaceBudgetMiB, kSurfaceBudget, kSurfaceBudgetHelp);

    CLI::App& newShow = addCommand(app, options, "new",
                                   "Makes DIR (missing or empty) a show that plays at once: a commented\n"
                                   "script.zyl, its script.tracks and its data/ (a picture, a sprite, a mesh\n"
                                   "and a short module).",
                                   [](const CommandLineOptions& o) { return reportOutcome("new", runNew(o.newShow)); });
    addValue(newShow, "DIR", options.newShow.dir, kDirectory, "the folder of the new show")->required();

    CLI::App& mesh = addCommand(
        app, options, "mesh",
        "Converts a mesh (OBJ, glTF 2, FBX, 3DS, PLY, STL, Collada, LWO/LWOB/LWO2 and the\n"
        "other formats Open Asset Import Library reads) into the LWO2 subset the object\n"
        "box reads: one point list, one list of triangles. Polygons are cut into\n"
        "triangles, node transforms applied, points at the same position joined;\n"
        "normals, texture coordinates, materials and animation are dropped. Positions\n"
        "go into LightWave's axes (z negated), as LightWave does when it imports. The\n"
        "object box reads fewer than 65280 points; a larger mesh is refused. The output\n"
        "must end in .lwo, and may be the input only when that is LWO2 already.",
        [](const CommandLineOptions& o) { return reportOutcome("mesh", runMesh(o.mesh)); });
    mesh.footer("Exit status: 0 written; 1 not converted; 2 bad command line.");
    addValue(mesh, "IN", options.mesh.input, kFile, "the mesh file to convert")->required();
    addValue(mesh, "-o,--output", options.mesh.output, kFile,
             "the LWO2 file to write (replaced only once it is complete)")
        ->required();
    addValue(mesh, "--fit", options.mesh.fitRadius, kRadius,
             "scale so that the bounding sphere (around the bounding box's\nmiddle) has radius R");
    addSwitch(mesh, "--centre,--center", options.mesh.centre,
              "move the bounding box's middle to the origin (before --fit)");
    addValue(mesh, "--up", options.mesh.up, kUpAxis,
             "the input's axis that points up on screen, turned so (most\n"
             "modelling tools: y); without it the axes stay as LightWave's")
        ->default_str("");
    addSwitch(mesh, "--flip", options.mesh.flip,
              "turn every triangle round, for a mesh whose faces all come out\nculled (seen from inside)");
    CLI::Option* merge = addSwitch(mesh, "--merge", options.mesh.merge, "join every layer (the default)");
    addValue(mesh, "--layer", options.mesh.layer, kLayerNumber,
             "keep only layer N, counted from 1 in the order the command\nlists them: the parts of the file that hold "
             "meshes (LWO layers,\nOBJ objects, glTF nodes), in the file order of their meshes")
        ->excludes(merge)
        ->default_str("");
    addValue(mesh, "--memory-limit", options.mesh.memoryLimitMiB, kMemoryLimit,
             "the memory the importer may take, in MiB (default 2048); it\nalso has 60 s, and a file that needs "
             "more is refused");

    CLI::App& tracks = addCommand(
        app, options, "tracks",
        "import: reads GNU Rocket's XML track file FILE (.rocket) and writes its tracks as a\n"
        "track file (see ZYL_FnctTrack); export: reads the track file FILE and writes it for\n"
        "Rocket. Rocket's row r is at r / (B / 60 x R) seconds; each key goes on the song's\n"
        "row playing nearest that time as the module plays (tempo changes included), and back.",
        [](const CommandLineOptions& o) { return reportOutcome("tracks", runTracks(o.tracks)); });
    addValue(tracks, "ACTION", options.tracks.action, kTracksAction, "import or export")->required();
    addValue(tracks, "FILE", options.tracks.input, kFile, "the file to read")->required();
    addValue(tracks, "-o,--output", options.tracks.output, kFile,
             "the file to write (replaced only once it is complete)")
        ->required();
    addValue(tracks, "--bpm", options.tracks.bpm, kBeatsPerMinute, "Rocket's beats per minute");
    addValue(tracks, "--rows-per-beat", options.tracks.rowsPerBeat, kRowsPerBeat, "Rocket's rows per beat");
    addValue(tracks, "--music", options.tracks.music, kFile, "the music module whose rows the keys sit on");

    addCommand(app, options, "list", "Lists every box and function type a script may declare, one line each.",
               [](const CommandLineOptions&) { return runList(); });

    // `help [TOPIC]` is answered by parseCommandLine, which has the help texts.
    CLI::App& help = addCommand(app, options, "help",
                                "Prints this help, one command's, or one box or function type's entry in\n"
                                "full (see velmora list).",
                                nullptr);
    help.add_option("TOPIC", options.help.topic, "a command or a type word")->type_name("");
    addSwitch(help, "--markdown", options.help.markdown,
              "print the type section of the reference page docs/script.md instead");
}

std::optional<int> parseCommandLine(const std::vector<std::string>& args, CommandLineOptions& options,
                                    std::ostream& out, std::ostream& err) {
    CLI::App app;
    buildCommandLine(app, options);
    // The command being parsed when the parse stopped, if any.
    auto namedCommand = [&app]() -> const CLI::App* {
        const std::vector<CLI::App*> named = app.get_subcommands();
        return named.empty() ? nullptr : named.front();
    };
    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << helpText(app, namedCommand());
        return 0;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << "\n";
        return 0;
    } catch (const CLI::ParseError& error) {
        std::string message = error.what();
        for (char& c : message)
            if (c == '\n') c = ' ';
        const CLI::App* command = namedCommand();
        err << "velmora" << (command ? " " + command->get_name() : std::string()) << ": " << message << "\n";
        return 2;
    }

    const CLI::App* command = namedCommand();
    if (command && command->get_name() == "help") return answerHelp(app, options.help, out, err);
    if (options.manPage) {
        out << manPage(app, VELMORA_VERSION);
        return 0;
    }
    if (options.demo && !options.directory.empty()) {
        err << "velmora: -C and --demo do not go together: --demo runs in the default show's folder\n";
        return 2;
    }
    if (options.demo && command && findCommand(app, "render") != command && findCommand(app, "check") != command &&
        findCommand(app, "bench") != command && findCommand(app, "info") != command) {
        err << "velmora: --demo goes with render, check, bench, info or the show, not " << command->get_name() << "\n";
        return 2;
    }
    // Options of render that only make sense together.
    if (command && command == findCommand(app, "render")) {
        std::string error;
        if (!checkRenderOptions(options.render, error)) {
            err << "velmora render: " << error << "\n";
            return 2;
        }
    }
    // Under --demo the file is looked for in the default show's folder, which
    // the program enters later; the command reports it there.
    if (const std::string music = options.demo ? std::string() : unreadableMusic(app, command); !music.empty()) {
        err << "velmora" << (command ? " " + command->get_name() : std::string()) << ": " << music << "\n";
        return 2;
    }
    // The show's options before a command's name would be silently ignored.
    if (command) {
        for (const CLI::Option* option : app.get_options()) {
            if (option->get_group() == kShowOptions && option->count() > 0) {
                err << "velmora: " << option->get_name() << " is an option of the show, not of "
                    << command->get_name() << "\n";
                return 2;
            }
        }
    }
    return std::nullopt;
}

}  // namespace velmora

namespace velmora {

void applySurfaceBudget(CommandLineOptions& options) {
    const uint64_t bytes = options.surfaceBudgetMiB > 0 ? options.surfaceBudgetMiB * kMiB : surfaceBudgetFromEnvironment();
    options.show.surfaceBudgetBytes = bytes;
    options.render.surfaceBudgetBytes = bytes;
    options.check.surfaceBudgetBytes = bytes;
    options.bench.surfaceBudgetBytes = bytes;
}

void keepOutputsIn(const std::filesystem::path& folder, CommandLineOptions& options) {
    for (std::string* path : {&options.render.outDir, &options.render.video})
        if (!path->empty()) *path = (folder / *path).lexically_normal().string();
    // Screenshots too: an installed demo folder is not the viewer's to write in.
    options.show.screenshotFolder = folder;
}

}  // namespace velmora
