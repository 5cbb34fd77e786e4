// The mesh command: read, triangulate, join, shape, check the
// object box's limits, and write through a temporary file renamed on success.
#include "meshconvert/MeshCommand.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "core/AtomicFile.h"
#include "meshconvert/ContainedImport.h"
#include "meshconvert/MeshAssembly.h"
#include "meshconvert/SceneReader.h"
#include "object3d/Lwo2Writer.h"

namespace velmora {

namespace {

CommandOutcome failure(const std::string& path, const std::string& message) {
    return CommandOutcome::failedOn(path, message);
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v + 0.0);  // -0 shown as 0
    return text;
}

std::string point(const Float3& p) {
    std::string text = "(";
    text.append(number(p.x)).append(", ").append(number(p.y)).append(", ").append(number(p.z)).append(")");
    return text;
}

void printBounds(const char* what, const MeshBounds& bounds) {
    std::printf("  %s: %s to %s, middle %s, radius %s\n", what, point(bounds.low).c_str(), point(bounds.high).c_str(),
                point(bounds.middle).c_str(), number(bounds.radius).c_str());
}

std::string counted(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "6 polygons (2 triangles, 4 quads)"
std::string polygonSummary(const PolygonCounts& c) {
    std::string parts;
    auto part = [&](uint64_t n, const char* one, const char* many) {
        if (n == 0) return;
        if (!parts.empty()) parts += ", ";
        parts += counted(n, one, many);
    };
    part(c.triangles, "triangle", "triangles");
    part(c.quads, "quad", "quads");
    part(c.larger, "with more corners", "with more corners");
    return counted(c.triangles + c.quads + c.larger, "polygon", "polygons") + (parts.empty() ? "" : " (" + parts + ")");
}

std::string droppedSummary(const DroppedParts& d, const PolygonCounts& kept) {
    std::string list;
    auto item = [&](bool present, const std::string& text) {
        if (!present) return;
        if (!list.empty()) list += ", ";
        list += text;
    };
    auto count = [&](uint64_t n, const char* one, const char* many) { item(n > 0, counted(n, one, many)); };
    item(d.normals, "normals");
    item(d.textureCoordinates, "texture coordinates");
    item(d.vertexColours, "vertex colours");
    item(d.bones, "bones");
    count(d.materials, "material", "materials");
    count(d.textures, "embedded picture", "embedded pictures");
    count(d.animations, "animation", "animations");
    count(d.cameras, "camera", "cameras");
    count(d.lights, "light", "lights");
    count(kept.lines, "line", "lines");
    count(kept.points, "lone point", "lone points");
    return list.empty() ? "nothing" : list;
}

// Layer `layer` (from 1), or every layer joined for 0.
SceneLayer keptLayers(const SceneRead& scene, int layer) {
    SceneLayer kept;
    for (size_t k = 0; k < scene.layers.size(); ++k) {
        if (layer > 0 && static_cast<int>(k) + 1 != layer) continue;
        const SceneLayer& part = scene.layers[k];
        kept.corners.insert(kept.corners.end(), part.corners.begin(), part.corners.end());
        addPolygons(kept.polygons, part.polygons);
        kept.pointsRead += part.pointsRead;
    }
    return kept;
}

// Writes beside `path` and renames over it: a failure leaves no partial file.
bool writeReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    AtomicFile file(path);
    if (file.tempPath().empty()) {
        error = "cannot be written: " + file.openError();
        return false;
    }
    std::FILE* out = std::fopen(file.tempPath().c_str(), "wb");
    if (!out) {
        error = std::string("cannot be written: ") + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        error = std::string("cannot be written: ") + std::strerror(written ? errno : writeErrno);
        return false;
    }
    if (!file.commit(error)) {
        error = "cannot be written: " + error;
        return false;
    }
    return true;
}

// A readable, non-empty file, or the reason it is not.
std::optional<std::string> inputProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::string("cannot be opened: ") + std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return std::string("is a directory, not a mesh file");
    // Opening a FIFO would wait for a writer; a device never ends.
    if (!S_ISREG(info.st_mode)) return std::string("is not a regular file");
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
    } else {
        return std::string("cannot be opened: ") + std::strerror(errno);
    }
    if (info.st_size == 0) return std::string("is empty");
    return std::nullopt;
}

bool endsInLwo(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".lwo";
}

// The output names the input file itself: the same device and inode when the
// output exists, else the same canonical path.
bool sameFile(const std::string& in, const std::string& out) {
    struct stat a {}, b {};
    if (::stat(out.c_str(), &b) == 0) return ::stat(in.c_str(), &a) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    std::error_code ec1, ec2;
    const auto x = std::filesystem::weakly_canonical(in, ec1), y = std::filesystem::weakly_canonical(out, ec2);
    return !ec1 && !ec2 && x == y;
}

bool isLwo2File(const std::string& path) {
    char header[12] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fclose(file);
    return read && std::memcmp(header, "FORM", 4) == 0 && std::memcmp(header + 8, "LWO2", 4) == 0;
}

}  // namespace

CommandOutcome runMesh(const MeshOptions& options) {
    const std::string& in = options.input;
    if (!endsInLwo(options.output))
        return failure(options.output, "the output is an LWO2 object: its name must end in .lwo");
    // Before any work: the output replaces a regular file or nothing.
    if (const std::optional<std::string> problem = replaceProblem(options.output))
        return failure(options.output, "cannot be written: " + *problem);
    if (const std::optional<std::string> problem = inputProblem(in)) return failure(in, *problem);
    // Writing LWO2 over any other format would lose the input.
    if (sameFile(in, options.output) && !isLwo2File(in))
        return failure(options.output, "is the input file, which is not LWO2: converting would overwrite it; name "
                                       "another .lwo file");
    std::string error;
    ImportLimits limits;
    if (options.memoryLimitMiB > 0) limits.memoryMiB = options.memoryLimitMiB;
    const std::optional<SceneRead> scene = readSceneContained(in, limits, error);
    if (!scene) return failure(in, error);

    std::printf("%s: %s, %s in %s\n", in.c_str(), scene->format.c_str(), counted(scene->meshes, "mesh", "meshes").c_str(),
                counted(scene->layers.size(), "layer", "layers").c_str());
    constexpr size_t kLayersListed = 16;
    for (size_t k = 0; k < scene->layers.size() && k < kLayersListed; ++k) {
        const SceneLayer& layer = scene->layers[k];
        std::printf("  layer %zu \"%s\": %s, %s\n", k + 1, layer.name.c_str(),
                    counted(layer.pointsRead, "point", "points").c_str(), polygonSummary(layer.polygons).c_str());
    }
    if (scene->layers.size() > kLayersListed) std::printf("  ... and %zu more layers\n", scene->layers.size() - kLayersListed);
    if (scene->layers.empty()) return failure(in, "holds no mesh");
    if (options.layer > static_cast<int>(scene->layers.size()))
        return failure(in, "--layer " + std::to_string(options.layer) + ": the file has " +
                               counted(scene->layers.size(), "layer", "layers"));

    const SceneLayer kept = keptLayers(*scene, options.layer);
    if (options.layer > 0) std::printf("  kept: layer %d\n", options.layer);
    else if (scene->layers.size() > 1) std::printf("  kept: every layer, joined\n");

    Mesh mesh = joinCorners(kept.corners);
    std::printf("  read: %s -> %s\n", polygonSummary(kept.polygons).c_str(),
                counted(static_cast<uint64_t>(mesh.triangleCount), "triangle", "triangles").c_str());
    std::printf("  points: %llu read -> %d after joining equal positions\n",
                static_cast<unsigned long long>(kept.pointsRead), mesh.pointCount);
    std::printf("  dropped: %s\n", droppedSummary(scene->dropped, kept.polygons).c_str());
    if (mesh.triangleCount == 0) return failure(in, "no triangles after conversion: nothing for the object box to draw");
    for (const Float3& p : mesh.points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return failure(in, "a point has a coordinate that is not a finite number");
    if (mesh.pointCount >= kMaxObjectBoxPoints)
        return failure(in, std::to_string(mesh.pointCount) +
                               " points; the object box reads fewer than 65280 (two-byte point indices): reduce the "
                               "mesh first (in Blender, the Decimate modifier), or keep one part with --layer N");

    if (options.up) {
        turnUp(mesh, *options.up);
        std::printf("  turned: the input's %s up\n", upAxisName(*options.up));
    }
    MeshBounds bounds = boundsOf(mesh.points);
    printBounds("bounding box", bounds);
    if (options.centre) {
        centreMesh(mesh, bounds);
        bounds = boundsOf(mesh.points);
    }
    if (options.fitRadius) {
        if (!(bounds.radius > 0)) return failure(in, "--fit: every point is at the same place; nothing to scale");
        const double scale = *options.fitRadius / bounds.radius;
        fitMesh(mesh, bounds, *options.fitRadius);
        // Written as 32-bit floats: the scaled points must stay finite and apart.
        for (const Float3& p : mesh.points)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                return failure(in, "--fit " + number(*options.fitRadius) +
                                       ": too large, the coordinates would pass the largest 32-bit float");
        if (!allApart(mesh.points))
            return failure(in, "--fit " + number(*options.fitRadius) +
                                   ": too small, distinct points would fall together in 32-bit floats");
        bounds = boundsOf(mesh.points);
        std::printf("  fitted: scaled by %s\n", number(scale).c_str());
    }
    if (options.centre || options.fitRadius) printBounds("as written", bounds);
    if (options.flip) {
        flipMesh(mesh);
        std::printf("  flipped: every triangle turned round\n");
    }

    if (!writeReplacing(options.output, Lwo2Writer::meshFile(mesh.points, mesh.triangles), error))
        return failure(options.output, error);
    std::printf("%s: %s, %s written (LWO2)\n", options.output.c_str(),
                counted(static_cast<uint64_t>(mesh.pointCount), "point", "points").c_str(),
                counted(static_cast<uint64_t>(mesh.triangleCount), "triangle", "triangles").c_str());
    std::fflush(stdout);
    return {};
}

}  // namespace velmora
