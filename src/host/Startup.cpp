// Start-up steps shared by the show and the headless commands.
#include "host/Startup.h"

#include <string>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/MissingFile.h"

namespace velmora {

void loadScriptOrDie(DemoGraph& graph, const char* path, ErrorReporter& reporter) {
    int result = graph.load(path, reporter);
    if (result == kScriptNotFound) fatalError("Script non trouvé!!", describeMissingFile(), path);
    if (result > kScriptNotFound) {
        ShowError error(ErrorPresentation::FatalBox, 9999, "Script non valide!!");
        error.script = path;
        error.scriptLine = graph.firstProblem().line;
        error.reason = graph.firstProblem().message;
        throw error;
    }
}

std::unique_ptr<Surface> makeOutputSurface() {
    auto output = std::make_unique<Surface>();
    output->configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));  // "512 256"
    output->clear();
    return output;
}

}  // namespace velmora
