// Presenting the error that ends the program.
#include "host/ShowErrorExit.h"

#include <cstdio>
#include <string_view>

#include "core/Text.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"

namespace velmora {

int presentShowError(const ShowError& error, bool messageBox) {
    switch (error.presentation) {
    case ErrorPresentation::FatalBox: {
        const std::string_view line = withoutTrailingNewlines(error.message);
        std::fprintf(stderr, "FATAL ERROR: %.*s\n", static_cast<int>(line.size()), line.data());
        if (!error.reason.empty()) std::fprintf(stderr, "velmora: %s\n", error.reason.c_str());
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
        break;
    case ErrorPresentation::StandardError:
        std::fprintf(stderr, "%s\n", error.message.c_str());
        std::fflush(stderr);
        break;
    }
    return error.exitStatus;
}

}  // namespace velmora
