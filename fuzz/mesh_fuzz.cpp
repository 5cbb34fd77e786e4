// Fuzz target: the mesh importer on a file held in memory, through the same
// header checks and the same file access as `velmora mesh` (no other file can
// be reached). The first byte picks the format the name suggests; the
// fuzzer's own memory and time limits stand in for the child process's.
#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <span>
#include <string>

#include "meshconvert/MeshAssembly.h"
#include "meshconvert/SceneReader.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const kExtensions[] = {"obj", "ply", "stl", "gltf", "glb", "off", "dae", "3ds", "fbx", "lwo"};
    const std::string name = std::string("mesh.") + kExtensions[data[0] % std::size(kExtensions)];
    std::string error;
    try {
        const std::optional<SceneRead> scene = readSceneFromMemory(name, std::span(data + 1, size - 1), error);
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
