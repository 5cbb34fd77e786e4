// The show's error value and the routine that raises a fatal one.
#include "core/Error.h"

#include <utility>

namespace velmora {

ShowError::ShowError(ErrorPresentation presentation_, int exitStatus_, std::string message_, std::string file_)
    : message(std::move(message_)), exitStatus(exitStatus_), presentation(presentation_), file(std::move(file_)) {}

void fatalError(std::string_view message) {
    throw ShowError(ErrorPresentation::FatalBox, 9999, std::string(message));
}

void fatalError(std::string_view message, std::string reason, std::string file) {
    ShowError error(ErrorPresentation::FatalBox, 9999, std::string(message), std::move(file));
    error.reason = std::move(reason);
    throw error;
}

std::string explainShowError(const ShowError& error) {
    if (error.reason.empty()) return {};
    std::string line;
    if (!error.script.empty()) line = error.script + ":";
    if (error.scriptLine > 0) line += (line.empty() ? "line " : "") + std::to_string(error.scriptLine) + ":";
    if (!line.empty()) line += " ";
    // A reason that already names its file is not prefixed with it again.
    if (!error.file.empty() && error.reason.find(error.file) == std::string::npos) line += error.file + ": ";
    // Nothing to place it: the program's name, as other tools do.
    if (line.empty()) line = "velmora: ";
    return line + error.reason;
}

}  // namespace velmora
