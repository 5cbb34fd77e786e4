// Shared set-up of the fuzz targets: a scratch directory holding a few small
// data files, and a reporter that drops rejected parameter texts.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "showkit/JpegWriter.h"
#include "object3d/Lwo2Writer.h"
#include "core/Error.h"
#include "core/ErrorReporter.h"

namespace velmora::fuzz {

// Rejected parameter texts are expected input; nothing to print.
struct SilentReporter : ErrorReporter {
    void report(std::string_view, std::string_view) override {}
};

// A tetrahedron, enough for the object box to draw in every mode.
inline std::vector<uint8_t> smallMesh() {
    const Float3 points[] = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}};
    const MeshTriangle triangles[] = {{{0, 2, 1}}, {{0, 1, 3}}, {{0, 3, 2}}, {{1, 2, 3}}};
    return Lwo2Writer::meshFile(points, triangles);
}

inline std::vector<uint8_t> gradient(int width, int height, int components) {
    std::vector<uint8_t> samples(static_cast<size_t>(width) * height * components);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>((i * 7) ^ (i >> 9));
    return samples;
}

// Moves into a fresh scratch directory with data/pic.jpg (512x256), data/tex.jpg
// (256x256), data/map.jpg (512x512 grey), data/col.jpg (512x512) and
// data/mesh.lwo.
inline void prepareScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
    const char* dir = mkdtemp(pattern.data());
    if (!dir || chdir(dir) != 0 || system("mkdir -p data") != 0) std::abort();
    auto jpeg = [](const char* path, int w, int h, int c) {
        std::vector<uint8_t> s = gradient(w, h, c);
        if (!writeJpeg(path, w, h, c, s.data(), 80)) std::abort();
    };
    jpeg("data/pic.jpg", 512, 256, 3);
    jpeg("data/tex.jpg", 256, 256, 3);
    jpeg("data/map.jpg", 512, 512, 1);
    jpeg("data/col.jpg", 512, 512, 3);
    if (!Lwo2Writer::save("data/mesh.lwo", smallMesh())) std::abort();
}

// Writes the input to a file the loaders can open.
inline const char* inputFile(const uint8_t* data, size_t size) {
    static const char* path = "input.bin";
    std::FILE* file = std::fopen(path, "wb");
    if (!file) std::abort();
    if (size && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

}  // namespace velmora::fuzz
