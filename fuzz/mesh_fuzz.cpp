// Fuzz target: the mesh importer on a file, exactly as `velmora mesh` runs it:
// the header checks, the importer in its own process with its limits, the
// scene read back through the pipe, then what the command does with it. A
// crash or abort inside the importer is contained there, as in the command,
// and becomes a refusal. Inputs whose first byte has its high bit set go
// straight to the pipe's decoder instead, as damaged bytes from the child.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "meshconvert/ContainedImport.h"
#include "meshconvert/MeshAssembly.h"
#include "meshconvert/SceneReader.h"

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The input is written as a file: a scratch directory of the target's own.
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-mesh-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    try {
        std::optional<SceneRead> scene;
        if (data[0] & 0x80) {
            scene = decodeScene(std::vector<uint8_t>(data + 1, data + size));
        } else {
            static const char* const kExtensions[] = {"obj", "ply", "stl", "gltf", "glb", "off", "dae", "3ds", "fbx", "lwo"};
            const std::string name = std::string("mesh.") + kExtensions[data[0] % std::size(kExtensions)];
            std::FILE* file = std::fopen(name.c_str(), "wb");
            if (!file) std::abort();
            if (size > 1 && std::fwrite(data + 1, 1, size - 1, file) != size - 1) std::abort();
            std::fclose(file);
            ImportLimits limits;
            limits.seconds = 10;
            std::string error;
            scene = readSceneContained(name, limits, error);
            std::filesystem::remove(name);
        }
        if (!scene) return 0;
        // What the command does next with what was read.
        for (const SceneLayer& layer : scene->layers) {
            const Mesh mesh = joinCorners(layer.corners);
            boundsOf(mesh.points);
        }
    } catch (const std::bad_alloc&) {
        return 0;  // over the memory the fuzzer allows: refused, as the command refuses it
    }
    return 0;
}
