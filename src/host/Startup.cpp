// Start-up steps shared by the show and the headless commands.
#include "host/Startup.h"

#include <string>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "host/MeshRefusalReport.h"

namespace velmora {

void loadScriptOrDie(DemoGraph& graph, const char* path, ErrorReporter& reporter) {
    int result = kScriptInvalid;
    try {
        result = graph.load(path, reporter);
    } catch (ShowError& error) {
        if (error.scriptLine > 0) error.scriptFile = path;
        explainRefusedMesh(error);  // the loader's own words rarely say why
        throw;
    }
    const char* message = result == kScriptNotFound ? "Script non trouvé!!" : "Script non valide!!";
    if (result != kLoaded && !graph.fileRefusal().empty()) fatalError(message, path, graph.fileRefusal());
    if (result != kLoaded) fatalError(message);
}

std::unique_ptr<Surface> makeOutputSurface() {
    auto output = std::make_unique<Surface>();
    output->configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));  // "512 256"
    output->clear();
    return output;
}

}  // namespace velmora
