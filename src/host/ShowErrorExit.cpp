// Presenting the error that ends the program.
#include "host/ShowErrorExit.h"

#include <cstdio>
#include <string_view>

#include "core/Text.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"

namespace velmora {

namespace {

// The English reason on a line of its own: after the script's place when it is
// known ("script.zyl:4: data/m.lwo: ..."), else after the program's name.
void printReason(const ShowError& error) {
    if (error.reason.empty()) return;
    if (!error.scriptFile.empty() && error.scriptLine > 0)
        std::fprintf(stderr, "%s:%d: %s\n", error.scriptFile.c_str(), error.scriptLine, error.reason.c_str());
    else
        std::fprintf(stderr, "velmora: %s\n", error.reason.c_str());
}

}  // namespace

int presentShowError(const ShowError& error, bool messageBox) {
    switch (error.presentation) {
    case ErrorPresentation::FatalBox: {
        const std::string_view line = withoutTrailingNewlines(error.message);
        std::fprintf(stderr, "FATAL ERROR: %.*s\n", static_cast<int>(line.size()), line.data());
        printReason(error);
        std::fflush(stderr);
        if (messageBox) {
            hideDisplay();  // a full-screen window would hide the box
            showErrorBox("FATAL ERROR", error.message.c_str());
        }
        break;
    }
    case ErrorPresentation::StandardOutput:
        std::fputs(error.message.c_str(), stdout);
        std::fflush(stdout);
        printReason(error);
        std::fflush(stderr);
        break;
    case ErrorPresentation::StandardError:
        std::fprintf(stderr, "%s\n", error.message.c_str());
        std::fflush(stderr);
        break;
    }
    return error.exitStatus;
}

}  // namespace velmora
