// Fuzz target: the command line. The input is split into arguments at each NUL
// or line feed and parsed as `velmora ARGS` would be, help and errors written
// to strings; the command itself never runs. A parse ends in a status and a
// message, or in a command to run, never in a crash or an exception.
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/CommandLine.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\0' || c == '\n') args.emplace_back();
        else args.back().push_back(c);
    }
    if (args.back().empty()) args.pop_back();

    CommandLineOptions options;
    std::ostringstream out, err;
    const std::optional<int> status = parseCommandLine(args, options, out, err);
    if (status) {
        // 0 after help, the version or a manual page on `out`; 2 after one
        // line naming the fault on `err`.
        if (*status == 2 && (err.str().empty() || err.str().back() != '\n')) __builtin_trap();
        if (*status != 0 && *status != 2) __builtin_trap();
    } else if (!options.run) {
        __builtin_trap();  // a command line that goes on names what runs
    }
    return 0;
}
