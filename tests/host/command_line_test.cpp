// The command line in-process: values stored exactly as the commands need them,
// every refusal one line naming the option with status 2, help generated for all.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "TestSupport.h"
#include "host/app/CommandLine.h"
#include "host/commands/NewCommand.h"
#include "host/commands/ReferenceCommands.h"
#include "show/MusicTransport.h"

using namespace velmora;

namespace {

struct Parsed {
    std::optional<int> status;
    std::string out, err;
    CommandLineOptions options;
};

Parsed parse(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;) args.push_back(word);
    Parsed parsed;
    std::ostringstream out, err;
    parsed.status = parseCommandLine(args, parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

}  // namespace

TEST(CommandLine, ValuesAreStoredForTheNamedCommand) {
    // A --music file must be there to be read.
    testsupport::ScratchDirectory scratch("command_line");
    const std::string music = (scratch.path() / "m.mo3").string();
    std::ofstream(music) << "module";
    Parsed show = parse("--mode window --script=a.zyl --music " + music + " --watch --script b.zyl");
    ASSERT_FALSE(show.status) << show.err;
    EXPECT_EQ(show.options.show.mode, 2);
    EXPECT_EQ(show.options.show.script, "b.zyl");  // the last one given
    EXPECT_EQ(show.options.show.music, music);
    EXPECT_TRUE(show.options.show.watch);
    EXPECT_NE(show.options.run, nullptr);

    Parsed none = parse("");
    ASSERT_FALSE(none.status);
    EXPECT_EQ(none.options.show.mode, -1);
    EXPECT_FALSE(none.options.show.watch);
    EXPECT_EQ(none.options.run, show.options.run);

    Parsed render = parse("render --out f --frames 010 --fps=2.5 --start -0.25 --position 65535:255:7");
    ASSERT_FALSE(render.status) << render.err;
    EXPECT_EQ(render.options.render.outDir, "f");
    EXPECT_EQ(render.options.render.frames, 10);  // decimal, not octal
    EXPECT_EQ(render.options.render.fps.perSecond, 2.5);
    EXPECT_EQ(render.options.render.start, -0.25);
    EXPECT_EQ(render.options.render.musicPosition, makeChannelPosition(65535, 255, 7));
    EXPECT_NE(render.options.run, show.options.run);
    EXPECT_FALSE(parse("render --out f").options.render.musicPosition);

    Parsed video = parse("render --video v.webm --fps 60000/1001 --seconds 2.5 --size 1280x720 --smooth --crf 30 "
                         "--preset good --quiet --preroll --timing");
    ASSERT_FALSE(video.status) << video.err;
    const RenderOptions& r = video.options.render;
    EXPECT_EQ(r.video, "v.webm");
    EXPECT_EQ(r.fps.numerator, 60000);
    EXPECT_EQ(r.fps.denominator, 1001);
    EXPECT_EQ(r.seconds, 2.5);
    EXPECT_EQ(r.size.width, 1280);
    EXPECT_EQ(r.size.height, 720);
    EXPECT_TRUE(r.smooth && r.quiet && r.preroll && r.timing);
    EXPECT_EQ(r.crf, 30);
    EXPECT_EQ(r.preset, "good");
    EXPECT_FALSE(r.frames);
    EXPECT_EQ(parse("info --music " + music).options.info.music, music);
    EXPECT_EQ(parse("render --out f --music " + music).options.render.music, music);

    Parsed bench = parse("bench --frames +20 --fps 1e2 --position 3:4:5 --script s.zyl");
    ASSERT_FALSE(bench.status) << bench.err;
    EXPECT_EQ(bench.options.bench.frames, 20);
    EXPECT_EQ(bench.options.bench.fps, 100.0);
    EXPECT_EQ(bench.options.bench.musicPosition, makeChannelPosition(3, 4, 5));
    EXPECT_EQ(bench.options.bench.script, "s.zyl");
    EXPECT_EQ(bench.options.bench.threads, 0);  // VELMORA_THREADS decides
    EXPECT_EQ(parse("bench --threads 3").options.bench.threads, 3);
    EXPECT_EQ(bench.options.bench.orders, 0);  // the line table
    EXPECT_EQ(parse("bench --orders 7").options.bench.orders, 7);
    EXPECT_EQ(parse("render --out f --threads 2").options.render.threads, 2);
    EXPECT_EQ(parse("--threads 8").options.show.threads, 8);
    EXPECT_EQ(bench.options.surfaceBudgetMiB, 0u);  // VELMORA_SURFACE_BUDGET decides
    for (const char* line : {"--surface-budget 64", "render --out f --surface-budget 64", "check --surface-budget 64",
                             "bench --surface-budget 64"})
        EXPECT_EQ(parse(line).options.surfaceBudgetMiB, 64u) << line;

    Parsed shown = parse("--demo --scale fit --fps-cap 75 --no-cap --position 3:63");
    ASSERT_FALSE(shown.status) << shown.err;
    EXPECT_TRUE(shown.options.demo);
    EXPECT_FALSE(shown.options.show.integerScale);
    EXPECT_EQ(shown.options.show.frameRateCap, 75);
    EXPECT_TRUE(shown.options.show.uncapped);
    ASSERT_TRUE(shown.options.show.startPosition);
    EXPECT_EQ(shown.options.show.startPosition->order, 3u);
    EXPECT_EQ(shown.options.show.startPosition->row, 63u);
    EXPECT_TRUE(none.options.show.integerScale);
    EXPECT_FALSE(none.options.show.startPosition);

    // --demo goes before a command; what the command writes stays with the caller.
    Parsed demo = parse("--demo render --out frames");
    ASSERT_FALSE(demo.status) << demo.err;
    EXPECT_TRUE(demo.options.demo);
    keepOutputsIn("/caller/folder", demo.options);
    EXPECT_EQ(demo.options.render.outDir, "/caller/folder/frames");
    EXPECT_EQ(parse("new there").options.newShow.dir, "there");
    // -C goes before any command (or none) and is only recorded here.
    for (const char* line : {"-C myshow check", "-C myshow", "-C myshow render --out f", "-C myshow mesh a.lwo -o b.lwo"})
        EXPECT_EQ(parse(line).options.directory, "myshow") << line;

    Parsed check = parse("check --script c.zyl");
    ASSERT_FALSE(check.status) << check.err;
    EXPECT_EQ(check.options.check.script, "c.zyl");
}

TEST(CommandLine, EveryRefusalIsOneLineNamingTheFault) {
    const struct {
        const char* args;
        const char* named;
    } cases[] = {
        {"--mode", "--mode"},
        {"--mode 800x600", "--mode"},
        {"--script", "--script"},
        {"--watch=yes", "--watch"},
        {"--bogus", "--bogus"},
        {"-C", "-C"},
        {"-C myshow --demo check", "--demo"},
        {"nonsense", "nonsense"},
        {"--watch render --out f", "--watch"},
        {"render", "--out"},
        {"render --out", "--out"},
        {"render --out f --frames 0", "--frames"},
        {"render --out f --frames 1000001", "--frames"},
        {"render --out f --frames 0x10", "--frames"},
        {"render --out f --fps 0", "--fps"},
        {"render --out f --fps inf", "--fps"},
        {"render --out f --start x", "--start"},
        {"render --out f --position 1:2", "--position"},
        {"render --out f --position 65536:0:0", "--position"},
        {"render --out f --position 1:2:256", "--position"},
        {"render --out f --mode window", "--mode"},
        {"check --frames 2", "--frames"},
        {"check extra", "extra"},
        {"bench --position x", "--position"},
        {"bench --out f", "--out"},
        {"render --out f check", "check"},
        {"help nonsense", "nonsense"},
        {"help rendr", "did you mean render?"},
        {"help Sprite", "did you mean ZYL_BoxSprite?"},
        {"--demo new d", "--demo goes with render, check, bench, info or the show"},
        {"help --markdown render", "render"},
        {"list extra", "extra"},
        {"render --video a.avi", "a.avi"},
        {"render --out f --video a.mp4", "--video"},
        {"render --out f --crf 20", "--crf"},
        {"render --video a.mkv --crf 20", "--crf"},
        {"render --video a.mp4 --fps 0", "--fps"},
        {"render --video a.mp4 --fps 1/0", "--fps"},
        {"render --video a.mp4 --scale 17", "--scale"},
        {"render --video a.mp4 --size 10", "--size"},
        {"render --video a.mp4 --scale 2 --size 1280x720", "--size"},
        {"render --out f --frames 2 --seconds 1", "--seconds"},
        {"render --out f --until-end=no", "--until-end"},
        {"info --script s.zyl", "--script"},
        {"--threads 0", "--threads"},
        {"render --out f --threads 65", "--threads"},
        {"bench --threads two", "--threads"},
        {"bench --orders 0", "--orders"},
        {"--threads 2 bench", "--threads"},
        {"--surface-budget 0", "--surface-budget"},
        {"check --surface-budget 1048577", "--surface-budget"},
        {"bench --surface-budget 1.5", "--surface-budget"},
        {"info --surface-budget 64", "--surface-budget"},
        {"--scale big", "--scale"},
        {"--fps-cap 0", "--fps-cap"},
        {"--fps-cap 1001", "--fps-cap"},
        {"--no-cap=yes", "--no-cap"},
        {"--position 1:256", "--position"},
        {"--position 1:2:3", "--position"},
        {"--scale fit render --out f", "--scale"},
        {"new", "DIR"},
        {"new a b", "b"},
        {"--demo new d", "--demo"},
        {"--demo mesh in.obj -o out.lwo", "--demo"},
        {"--music nowhere.mo3", "velmora: --music: 'nowhere.mo3' cannot be read: No such file or directory"},
        {"render --out f --music /", "velmora render: --music: '/' cannot be read: Is a directory"},
        {"info --music /dev/null", "velmora info: --music: '/dev/null' cannot be read: not a regular file"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.args);
        EXPECT_EQ(parsed.status, 2) << c.args;
        EXPECT_EQ(std::count(parsed.err.begin(), parsed.err.end(), '\n'), 1) << c.args << ": " << parsed.err;
        EXPECT_NE(parsed.err.find(c.named), std::string::npos) << c.args << ": " << parsed.err;
        EXPECT_EQ(parsed.err.rfind("velmora", 0), 0u) << parsed.err;
        EXPECT_EQ(parsed.out, "") << c.args;
    }
}

TEST(CommandLine, HelpCoversEveryCommandFromTheSameDefinitions) {
    const Parsed help = parse("--help");
    ASSERT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* word : {"render", "check", "bench", "--mode", "--watch", "--music", "--out", "--frames", "--fps",
                             "--start", "--position", "ORDER:ROW:FRACTION", "Enter", "Escape", "F1", "F5", "Space",
                             "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_EQ(parse("-h").out, help.out);
    EXPECT_EQ(parse("help").out, help.out);

    const Parsed render = parse("render --help");
    ASSERT_EQ(render.status, 0);
    EXPECT_NE(render.out.find("velmora render"), std::string::npos) << render.out;
    for (const char* word : {"--position", "--video", "--seconds", "--until-end", "--scale", "--size", "--smooth",
                             "--crf", "--preset", "--quiet", "60000/1001", "130"})
        EXPECT_NE(render.out.find(word), std::string::npos) << word;
    EXPECT_EQ(render.out.find("--mode"), std::string::npos);
    EXPECT_EQ(parse("help render").out, render.out);
    EXPECT_NE(parse("help ZYL_BoxFader").out.find("ZYL_BoxFader: "), std::string::npos);
    // Every entry `list` prints is one `help` knows, the surface's among them, and it names PNG.
    std::istringstream entries(typeListText());
    int listed = 0;
    for (std::string line; std::getline(entries, line);) {
        if (line.rfind("  ZYL_", 0) != 0) continue;
        const std::string word = line.substr(2, line.find(' ', 2) - 2);
        const Parsed entry = parse("help " + word);
        EXPECT_EQ(entry.status, 0) << word << ": " << entry.err;
        EXPECT_EQ(entry.out.rfind(word + ": ", 0), 0u) << entry.out;
        ++listed;
    }
    EXPECT_EQ(listed, static_cast<int>(scriptTypes().size()) + 2);  // the types, and two surface forms
    EXPECT_NE(typeListText().find("PNG"), std::string::npos);
    EXPECT_NE(parse("help ZYL_Surface").out.find("PNG"), std::string::npos);
    // The new show's closing hint plays it with no dialog to click and no sound device.
    const Parsed hint = parse(kNewShowArguments);
    EXPECT_EQ(hint.status, std::nullopt) << hint.err;
    EXPECT_GE(hint.options.show.mode, 0);
    EXPECT_TRUE(hint.options.show.mute);
    EXPECT_NE(newShowHint("starter").find(std::string("cd starter && velmora ") + kNewShowArguments), std::string::npos);
    EXPECT_NE(parse("help --markdown").out.find("## The types"), std::string::npos);
    const Parsed check = parse("check -h");
    EXPECT_NE(check.out.find("FILE:LINE"), std::string::npos) << check.out;
    EXPECT_EQ(check.out.find("--frames"), std::string::npos);

    const Parsed version = parse("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("velmora ") + VELMORA_VERSION + "\n");
}

// The manual page comes from the same definitions as the help: every command,
// every option with its value, and the show's keys.
TEST(CommandLine, ManPageDescribesEveryCommandAndOption) {
    const Parsed page = parse("--man-page");
    ASSERT_EQ(page.status, 0);
    EXPECT_EQ(page.out.rfind(".TH VELMORA 1 ", 0), 0u) << page.out.substr(0, 80);
    // roff spells a dash \-.
    auto roff = [](const std::string& text) {
        std::string out;
        for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
        return out;
    };
    CLI::App app;
    CommandLineOptions options;
    buildCommandLine(app, options);
    std::vector<const CLI::App*> commands = {&app};
    for (const CLI::App* command : app.get_subcommands({})) {
        commands.push_back(command);
        EXPECT_NE(page.out.find(".SS " + command->get_name() + "\n"), std::string::npos) << command->get_name();
    }
    for (const CLI::App* command : commands)
        for (const CLI::Option* option : command->get_options()) {
            const std::string name = roff(option->get_name(option->get_positional(), true));
            EXPECT_NE(page.out.find(name), std::string::npos) << command->get_name() << " " << name;
        }
    for (const char* key : {"Enter", "Escape", "F5", "Space", "Exit status"})
        EXPECT_NE(page.out.find(key), std::string::npos) << key;
    // The exit status all commands share, once; the reference page named.
    const std::string shared = roff("Exit status: 0 done;");
    EXPECT_EQ(page.out.find(shared), page.out.rfind(shared));
    EXPECT_NE(page.out.find(".SH SEE ALSO\n"), std::string::npos);
    EXPECT_NE(page.out.find("share/doc/velmora/script.md"), std::string::npos);
}
