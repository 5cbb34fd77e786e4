// The show's error value and the routine that raises a fatal one.
#include "core/Error.h"

#include <utility>

namespace velmora {

ShowError::ShowError(ErrorPresentation presentation_, int exitStatus_, std::string message_, std::string file_)
    : message(std::move(message_)), exitStatus(exitStatus_), presentation(presentation_), file(std::move(file_)) {}

void fatalError(std::string_view message) {
    throw ShowError(ErrorPresentation::FatalBox, 9999, std::string(message));
}

void fatalError(std::string_view message, std::string file, std::string reason) {
    ShowError error(ErrorPresentation::FatalBox, 9999, std::string(message), std::move(file));
    error.reason = std::move(reason);
    throw error;
}

}  // namespace velmora
