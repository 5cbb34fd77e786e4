// The program's command line: every command and option, defined once with CLI11.
// The same definitions parse the arguments and write each command's --help.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/commands/BenchCommand.h"
#include "host/commands/CheckCommand.h"
#include "host/commands/InfoCommand.h"
#include "host/commands/NewCommand.h"
#include "host/commands/RenderCommand.h"
#include "host/live/Show.h"
#include "host/commands/TracksCommand.h"
#include "host/commands/WebCommand.h"
#include "meshconvert/MeshCommand.h"

namespace CLI {
class App;
}

namespace velmora {

// `velmora help [TOPIC] [--markdown]`.
struct HelpOptions {
    std::string topic;  // a command or a type word; empty for the whole usage
    bool markdown = false;
};

// What the command line asked for: the options of every command, and the
// command to run with them (the show when no command is named).
struct CommandLineOptions {
    ShowOptions show;
    RenderOptions render;
    InfoOptions info;
    CheckOptions check;
    BenchOptions bench;
    MeshOptions mesh;
    NewOptions newShow;
    WebOptions web;
    TracksOptions tracks;
    HelpOptions help;
    bool demo = false;     // --demo: the command runs in the default show's folder
    std::string directory;  // -C DIR: everything is read and written relative to DIR
    bool manPage = false;  // --man-page
    uint64_t surfaceBudgetMiB = 0;  // --surface-budget of the show, render, check or bench; 0: not given
    int (*run)(const CommandLineOptions&) = nullptr;
};

// Defines the program's commands and their options on `app`; parsing stores
// the values into `options`. A new command is an options struct and a run
// function in its own file, a field above, and in buildCommandLine one
// addCommand followed by an addValue or addSwitch per option. The help (and
// anything else written from the definitions) follows by itself.
void buildCommandLine(CLI::App& app, CommandLineOptions& options);

// Parses `args` (without the program's name). Returns nullopt when the command
// in options.run is to go on, or the exit status when the command line was the
// whole job: 0 after printing help or the version on `out`, 2 after a one-line
// error naming the faulty option or argument on `err`.
std::optional<int> parseCommandLine(const std::vector<std::string>& args, CommandLineOptions& options,
                                    std::ostream& out, std::ostream& err);

// Gives every command that loads a script its surface budget: --surface-budget
// when given, else VELMORA_SURFACE_BUDGET, else the default.
void applySurfaceBudget(CommandLineOptions& options);

// Makes the output files and folders named on the command line relative to
// `folder`: --demo moves into the default show's folder, and what the caller
// asked for stays where the caller is.
void keepOutputsIn(const std::filesystem::path& folder, CommandLineOptions& options);

}  // namespace velmora
