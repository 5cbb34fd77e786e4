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
        explainRefusedMesh(error, path);  // the loader's own words rarely say why
        throw;
    }
    if (result == kScriptNotFound) fatalError("Script non trouvé!!");
    if (result > kScriptNotFound) fatalError("Script non valide!!");
}

std::unique_ptr<Surface> makeOutputSurface() {
    auto output = std::make_unique<Surface>();
    output->configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));  // "512 256"
    output->clear();
    return output;
}

}  // namespace velmora
