// Presenting the error that ends the program.
#include "host/live/ShowErrorExit.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "core/Text.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"

namespace velmora {

namespace {

// The English line after the original text, on standard error.
void printExplanation(const std::string& explanation) {
    if (explanation.empty()) return;
    std::fprintf(stderr, "%s\n", explanation.c_str());
    std::fflush(stderr);
}

}  // namespace

int presentShowError(const ShowError& error, bool messageBox) {
    const std::string explanation = explainShowError(error);
    switch (error.presentation) {
    case ErrorPresentation::FatalBox: {
        const std::string_view line = withoutTrailingNewlines(error.message);
        std::fprintf(stderr, "FATAL ERROR: %.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stderr);
        printExplanation(explanation);
        if (messageBox) {
            hideDisplay();  // a full-screen window would hide the box
            const std::string text = explanation.empty() ? error.message : error.message + "\n\n" + explanation;
            showErrorBox("FATAL ERROR", text.c_str());
        }
        break;
    }
    case ErrorPresentation::StandardOutput:
        std::fputs(error.message.c_str(), stdout);
        std::fflush(stdout);
        printExplanation(explanation);
        break;
    case ErrorPresentation::StandardError:
        std::fprintf(stderr, "%s\n", error.message.c_str());
        std::fflush(stderr);
        printExplanation(explanation);
        break;
    }
    return error.exitStatus;
}

}  // namespace velmora
