// The web command: what the script names, checked to lie inside the show's
// folder, written with the built web player into a site.
#include "host/commands/WebCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "core/Text.h"
#include "host/app/Startup.h"
#include "host/commands/SiteWriter.h"
#include "host/live/ScriptWatcher.h"
#include "script/DemoGraph.h"
#include "script/LoadObserver.h"
#include "script/ScriptChecker.h"
#include "script/TypeTable.h"

namespace fs = std::filesystem;

namespace velmora {

namespace {

struct NamedFile {
    std::string name;
    int line = 0;  // 0: not named by the script
};

// The files the declarations name (surface pictures, meshes, the tunnel's
// height map), read without loading them.
class FileCollector : public LoadObserver {
public:
    explicit FileCollector(std::string_view text) : text_(text) {}
    std::vector<NamedFile> files;

    void problem(size_t, std::string) override {}
    void configure(size_t, const std::function<void()>&) override {}
    void declared(const Declaration& declaration) override {
        const std::string_view parameters = declaration.parameters;
        const size_t first = parameters.find_first_not_of(' ');
        if (first == std::string_view::npos) return;
        std::string name;
        const ScriptType* box = declaration.section == 0   ? findBoxType(declaration.typeWord)
                                : declaration.section == 1 ? findFunctionType(declaration.typeWord)
                                                           : nullptr;
        if (declaration.section == 2 && parameters[first] == '"' && parameters.size() - 1 > first + 1) {
            // As the surface reads it: the last character is the closing quote.
            name = std::string(parameters.substr(first + 1, parameters.size() - first - 2));
        } else if (box && std::string_view(box->parameters).starts_with("FILE")) {
            const size_t start = parameters.find_first_not_of(" \t\r\n\v\f");
            const size_t end = parameters.find_first_of(" \t\r\n\v\f", start);
            name = std::string(parameters.substr(start, std::min<size_t>(end - start, 255)));
        }
        if (!name.empty()) files.push_back({name, lineNumberAt(text_, declaration.offset)});
    }

private:
    std::string_view text_;
};

// The player's folders looked at: beside the program, the build tree's web
// build, the installed share folder.
std::vector<fs::path> playerCandidates(const fs::path& programFolder) {
    return {(programFolder / "web").lexically_normal(),
            (programFolder / ".." / "build-web" / "player" / "web").lexically_normal(),
            (programFolder / ".." / "share" / "velmora" / "web").lexically_normal()};
}

bool holdsPlayer(const fs::path& folder) {
    std::error_code ec;
    for (const char* file : kPlayerFiles)
        if (!fs::is_regular_file(folder / file, ec)) return false;
    return true;
}

// Why `name` cannot be packed, or empty: it must be a regular file inside
// the show's folder, and so must whatever a link in it leads to.
std::string refusal(const std::string& name, const fs::path& showFolder) {
    if (std::string why = siteNameRefusal(name); !why.empty()) return why;
    const fs::path path(name);
    if (path.is_absolute()) return "'" + name + "' is an absolute name; a site holds only files inside the show's folder";
    const fs::path normal = path.lexically_normal();
    if (normal.empty() || *normal.begin() == "..")
        return "'" + name + "' leaves the show's folder; a site holds only files inside it";
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) return "'" + name + "' not found";
    if (fs::is_directory(status)) return "'" + name + "' is a directory, not a file";
    if (!fs::is_regular_file(status)) return "'" + name + "' is not a regular file";
    if (!std::ifstream(path, std::ios::binary)) return "'" + name + "' cannot be read";
    const fs::path real = fs::canonical(path, ec);
    const fs::path inside = real.lexically_relative(showFolder);
    if (ec || inside.empty() || *inside.begin() == "..")
        return "'" + name + "' is a link that leads out of the show's folder; a site holds only files inside it";
    return {};
}

// The show's files, the script first, when the player would play the show:
// every file it names (and the module) is there, readable and inside the show's
// folder, and the checker finds no problem. Warnings are printed and packed.
// Otherwise the refusal: the script's findings are printed as problems, the
// outcome says the rest.
struct ShowFiles {
    std::vector<NamedFile> files;
    std::optional<CommandOutcome> refused;
};

ShowFiles showFilesToPack(const WebOptions& options, const fs::path& showFolder) {
    const std::string& script = options.script;
    if (std::string why = refusal(script, showFolder); !why.empty()) return {{}, CommandOutcome::failed(std::move(why))};

    // Every file the script names, refused with its line as check reports it.
    std::string text;
    readRegularFile(script.c_str(), kMaxScriptBytes, text);
    FileCollector collector(text);
    DemoGraph graph;
    graph.setScriptPath(script);
    graph.loadText(text, standardErrorReporter(), &collector);
    std::vector<NamedFile> files{{fs::path(script).lexically_normal().string(), 0}};
    std::vector<ScriptProblem> refused;
    for (const NamedFile& file : collector.files) {
        if (const std::string why = refusal(file.name, showFolder); !why.empty())
            refused.push_back({file.line, why});
        else
            files.push_back({fs::path(file.name).lexically_normal().string(), file.line});
    }
    printProblems(stderr, script, refused);
    if (!refused.empty()) return {{}, CommandOutcome::failed({})};
    const CheckReport report = checkScriptFile(script.c_str());
    printProblems(stderr, script, report.problems);
    if (refuses(report.problems)) return {{}, CommandOutcome::failed({})};

    // The module as the player reads it, then where it lies.
    const std::vector<ScriptProblem> music = moduleFindings(options.music);
    printProblems(stderr, options.music, music);
    if (refuses(music)) return {{}, CommandOutcome::failed({})};
    if (std::string why = refusal(options.music, showFolder); !why.empty())
        return {{}, CommandOutcome::failed(std::move(why))};
    files.push_back({fs::path(options.music).lexically_normal().string(), 0});
    return {std::move(files), std::nullopt};
}

}  // namespace

namespace {

// One pack of the show into the site; the show's files packed into `packed`.
CommandOutcome packSite(const WebOptions& options, const fs::path& programFolder, const std::string& watchStamp,
                        std::vector<std::string>& packed) {
    std::error_code ec;
    const fs::path showFolder = fs::canonical(fs::current_path(ec), ec);
    const std::string& script = options.script;
    const ShowFiles showFiles = showFilesToPack(options, showFolder);
    if (showFiles.refused) return *showFiles.refused;
    const std::vector<NamedFile>& files = showFiles.files;

    fs::path player;
    std::string looked;
    for (const fs::path& candidate : playerCandidates(programFolder)) {
        if (holdsPlayer(candidate)) {
            player = candidate;
            break;
        }
        looked += (looked.empty() ? "" : ", ") + candidate.string();
    }
    if (player.empty())
        return CommandOutcome::failed("the web player is not built (looked in " + looked +
                                      "); build it with tools/build-web");

    const fs::path out(options.outDir);
    std::string list;
    packed.clear();
    std::set<std::string> seen;
    for (const NamedFile& file : files) {
        if (!seen.insert(file.name).second) continue;
        packed.push_back(file.name);
        list += file.name + "\n";
    }
    std::string problem = siteOutputRefusal(out, showFolder, packed);
    if (problem.empty())
        problem = writeSite(out, player, std::vector<std::string>(std::begin(kPlayerFiles), std::end(kPlayerFiles)),
                            packed, list, watchStamp);
    if (!problem.empty()) return CommandOutcome::failed(std::move(problem));
    std::printf("%s: %zu files of the show and the player in %s\n", script.c_str(), packed.size(), out.c_str());
    std::fflush(stdout);
    return {};
}

// Packs, then packs again after every change of the show's files, until
// interrupted; a refused pack is told and the watch goes on.
int watchSite(const WebOptions& options, const fs::path& programFolder) {
    const auto began = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    };
    // Unique across runs of the command, so that a page never takes a new show for the one it has.
    const std::string run = std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
    int packs = 0;
    std::vector<std::string> packed;
    ScriptWatcher watcher(options.script);
    const auto pack = [&] {
        const CommandOutcome outcome =
            packSite(options, programFolder, run + " " + std::to_string(++packs) + "\n", packed);
        if (reportOutcome("web", outcome) == 0)
            watcher.alsoWatch(
                std::vector<std::string>(packed.begin() + std::min<size_t>(1, packed.size()), packed.end()));
        else
            reportOutcome("web", {0, "the site keeps the last show packed", {}});
    };
    pack();
    std::printf("velmora web: watching %s and the files it names (Ctrl-C stops)\n", options.script.c_str());
    std::fflush(stdout);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::duration<double>(ScriptWatcher::kPollSeconds));
        if (watcher.changed(seconds())) pack();
    }
}

}  // namespace

CommandOutcome runWeb(const WebOptions& options, const fs::path& programFolder) {
    if (options.watch) return {watchSite(options, programFolder), {}, {}};
    std::vector<std::string> packed;
    return packSite(options, programFolder, {}, packed);
}

}  // namespace velmora
