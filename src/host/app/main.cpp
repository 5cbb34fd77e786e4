// velmora: the demo player's entry point. The command line (host/CommandLine)
// says which command runs with which options.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "boxes/Kernels.h"
#include "host/app/CommandLine.h"
#include "core/CommandOutcome.h"
#include "host/app/Interruption.h"
#include "host/live/ShowErrorExit.h"
#include "host/app/StandardOutput.h"
#include "host/app/Startup.h"

namespace {

// Every command ends on an error that stops the show as the show does,
// without a message box (the show catches its own and shows the box).
template <class Command>
int runHeadless(Command command) {
    try {
        const int status = command();
        // What a command printed reached its reader, or the command says it did not.
        if (status == 0)
            if (auto problem = velmora::standardOutputProblem())
                return velmora::reportOutcome("", velmora::CommandOutcome::failed(*problem));
        return status;
    } catch (const velmora::ShowError& error) {
        return velmora::presentShowError(error, false);
    } catch (const velmora::LoadInterrupted&) {
        return velmora::reportOutcome(
            "", velmora::CommandOutcome::failed("interrupted while loading", velmora::interruptionExitStatus()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away makes a write fail with EPIPE, which the command
    // tells in one line (see runHeadless), instead of a silent death by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    if (const std::string warning = velmora::chooseKernelsFromEnvironment(); !warning.empty())
        std::fprintf(stderr, "%s\n", warning.c_str());
    velmora::CommandLineOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = velmora::parseCommandLine(args, options, std::cout, std::cerr)) return *status;
    velmora::applySurfaceBudget(options);
    // Before anything is read, so that every relative name means DIR's file.
    if (!options.directory.empty())
        if (std::string problem = velmora::enterDirectory(options.directory); !problem.empty())
            return velmora::reportOutcome("", velmora::CommandOutcome::failed(std::move(problem), 2));
    if (options.demo) {
        velmora::keepOutputsIn(std::filesystem::current_path(), options);
        if (std::string problem = velmora::enterDemoFolder(velmora::programFolder(argv[0])); !problem.empty())
            return velmora::reportOutcome("", velmora::CommandOutcome::failed(std::move(problem)));
    }
    return runHeadless([&] { return options.run(options); });
}
