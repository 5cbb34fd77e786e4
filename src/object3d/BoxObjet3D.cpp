// The object box: camera from the eye and target functions, projection with a
// focal length of 256, painter's order, back-face culling and the three modes.
// Stored values (work arrays, the direction) are floats; every expression is
// worked out in double from them and rounded only where it is stored.
#include "object3d/BoxObjet3D.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "core/MissingFile.h"
#include "core/Text.h"
#include "core/WorkerPool.h"
#include "object3d/DepthSort.h"
#include "object3d/Lwo2Loader.h"
#include "object3d/Lwo2Refusal.h"
#include "object3d/Rasterisers.h"
#include "core/PixelMath.h"

namespace velmora {

namespace {

// The single-precision value nearest to one third, used as a double.
constexpr double kOneThird = static_cast<double>(0.33333334f);

// Corners or triangles below this count are worked out on the calling thread.
constexpr int32_t kSplitFrom = 256;

// The mode after the file name, read like "%d" but without overflow: digits
// beyond the int32 range saturate. No number leaves the mode as it was.
void scanMode(const char* rest, int32_t& mode) {
    char* end = nullptr;
    const long long value = std::strtoll(rest, &end, 10);
    if (end == rest) return;
    if (value > INT32_MAX) mode = INT32_MAX;
    else if (value < INT32_MIN) mode = INT32_MIN;
    else mode = static_cast<int32_t>(value);
}

// Why the loader refused the mesh file, in words the show's author can act
// on; the loader's own text stays as it is.
std::string describeMeshRefusal(const char* name, int status) {
    if (name[0] == '"')
        return "the mesh file name is written without quotes: write " + std::string(name + 1, std::strcspn(name + 1, "\""));
    std::error_code ec;
    if (name[0] == '\0') return "the parameter text names no mesh file";
    if (status == 2 && !std::filesystem::exists(name, ec)) return describeMissingFile();
    // Read the file again and name the first thing the loader does not take.
    // Only a regular file is read again: a directory or a pipe named as a mesh
    // is said to be one, never read.
    constexpr uint64_t kMaxMeshBytes = uint64_t{256} << 20;
    std::string text;
    switch (readRegularFile(name, kMaxMeshBytes, text)) {
        case FileReadOutcome::Read: break;
        case FileReadOutcome::CannotOpen: return std::string("cannot be opened: ") + std::strerror(errno);
        case FileReadOutcome::Directory: return "is a directory, not a mesh file";
        case FileReadOutcome::Device:
        case FileReadOutcome::Pipe:
        case FileReadOutcome::Socket: return "is not a regular file";
        case FileReadOutcome::TooLarge: return "is larger than the 256 MiB a mesh file may have";
    }
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    if (const std::optional<Lwo2Refusal> refusal = describeLwo2Refusal(bytes))
        return explainLwo2Refusal(*refusal, name);
    return {};
}

// Counts match the arrays and every corner names a point (the loader
// guarantees it; meshes built in code are checked here).
bool isConsistent(const Mesh& mesh) {
    if (mesh.pointCount < 0 || mesh.triangleCount < 0) return false;
    if (mesh.points.size() != static_cast<size_t>(mesh.pointCount)) return false;
    if (mesh.triangles.size() != static_cast<size_t>(mesh.triangleCount)) return false;
    for (const MeshTriangle& triangle : mesh.triangles)
        for (int32_t index : triangle.corner)
            if (index < 0 || index >= mesh.pointCount) return false;
    return true;
}

}  // namespace

void BoxObjet3D::configure(const char* text, ErrorReporter&) {
    char name[256] = {};
    int consumed = 0;
    if (text && std::sscanf(text, "%255s%n", name, &consumed) == 1) scanMode(text + consumed, mode);
    try {
        useMesh(loadLwo2(name));
    } catch (ShowError& refused) {
        if (refused.reason.empty()) refused.reason = describeMeshRefusal(name, refused.exitStatus);
        throw;
    }
}

void BoxObjet3D::useMesh(Mesh mesh) {
    mesh_ = std::move(mesh);
    if (!isConsistent(mesh_)) mesh_ = Mesh{};
    computeFaceNormals(mesh_);
    computeVertexNormals(mesh_);
    const size_t points = static_cast<size_t>(mesh_.pointCount);
    const size_t triangles = static_cast<size_t>(mesh_.triangleCount);
    cameraPoints.assign(points, Float3{});
    screenX.assign(points, 0.0f);
    screenY.assign(points, 0.0f);
    envUV.assign(points, EnvCoord{0.0f, 0.0f});
    cameraNormals.assign(points, Float3{});
    triangleDepth.assign(triangles, 0.0f);
    drawOrder.assign(triangles, 0);
    triangleRows.assign(triangles, RowSpan{0.0f, 0.0f});
    cornerUsable.assign(points, 0);
    centroids.resize(triangles);
    for (size_t t = 0; t < triangles; ++t) {
        const MeshTriangle& tri = mesh_.triangles[t];
        const Float3& p0 = mesh_.points[static_cast<size_t>(tri.corner[0])];
        const Float3& p1 = mesh_.points[static_cast<size_t>(tri.corner[1])];
        const Float3& p2 = mesh_.points[static_cast<size_t>(tri.corner[2])];
        centroids[t] = Centroid{(double{p0.x} + p1.x + p2.x) * kOneThird,
                                (double{p0.y} + p1.y + p2.y) * kOneThird,
                                (double{p0.z} + p1.z + p2.z) * kOneThird};
    }
}

void BoxObjet3D::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) {
    if (!isOn(*functions[6]) || !isOn(*functions[7])) return;
    if (!output.isSize(kRasterWidth, kRasterHeight)) return;
    const uint32_t* environment = nullptr;
    if (!inputs.empty() && inputs[0] &&
        inputs[0]->pixelCount() >= static_cast<size_t>(kEnvTextureSize) * kEnvTextureSize)
        environment = inputs[0]->pixels;
    if (mode != 0 && mode != 1 && !environment) return;

    const Float3 eye{functions[0]->value(), functions[1]->value(), functions[2]->value()};
    const Float3 target{functions[3]->value(), functions[4]->value(), functions[5]->value()};
    const double dx = double{target.x} - eye.x;
    const double dy = double{target.y} - eye.y;
    const double dz = double{target.z} - eye.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    Float3 d = lastDirection();
    if (length != 0.0) {
        // NaN or infinite eye and target give no direction: nothing to draw,
        // and the last good direction is kept for later frames.
        if (!std::isfinite(length)) return;
        d = toFloat3(dx / length, dy / length, dz / length);
        lastDirection() = d;
    }
    const CameraMatrix matrix = buildCameraMatrix(d, 0.0);
    texture = environment;
    drawObject(matrix, eye, output.pixels, workers);
}

void BoxObjet3D::drawObject(const CameraMatrix& matrix, Float3 eye, uint32_t* pixels, WorkerPool* workers) {
    const Float3* row = matrix.row;
    // Every corner on its own: the corners are cut into parts side by side
    // (a hand-off costs about as much as a few corners, so only a tiny mesh
    // stays on the calling thread).
    runInParts(mesh_.pointCount < kSplitFrom ? nullptr : workers, mesh_.pointCount, [&](int first, int end) {
        for (size_t i = static_cast<size_t>(first); i < static_cast<size_t>(end); ++i) {
            const Float3& p = mesh_.points[i];
            const double rx = double{p.x} - eye.x;
            const double ry = double{p.y} - eye.y;
            const double rz = double{p.z} - eye.z;
            const Float3 c =
                toFloat3(dot(row[0], rx, ry, rz), dot(row[1], rx, ry, rz), dot(row[2], rx, ry, rz));
            cameraPoints[i] = c;
            float sx = 256.0f;
            float sy = 128.0f;
            if (c.z != 0.0f) {
                sx = static_cast<float>(double{c.x} * 256.0 / c.z + 256.0);
                sy = static_cast<float>(double{c.y} * 256.0 / c.z + 128.0);
            }
            screenX[i] = sx;
            screenY[i] = sy;
            // NaN fails every comparison, so it is never usable.
            cornerUsable[i] = c.z > 0.0f && sx > -150.0f && sx < 662.0f && sy > -150.0f && sy < 406.0f;
            const Float3& n = mesh_.vertexNormals[i];
            const Float3 cn = toFloat3(dot(row[0], n), dot(row[1], n), dot(row[2], n));
            cameraNormals[i] = cn;
            envUV[i] = EnvCoord{static_cast<float>(double{cn.x} * 120.0 + 127.0),
                                static_cast<float>(double{cn.y} * 120.0 + 127.0)};
        }
    });
    const int32_t triangles = mesh_.triangleCount;
    // Each triangle's depth from its corners, in parts side by side as well.
    runInParts(triangles < kSplitFrom ? nullptr : workers, triangles, [&](int first, int end) {
        for (int32_t t = first; t < end; ++t) {
            const MeshTriangle& tri = mesh_.triangles[static_cast<size_t>(t)];
            const double z0 = cameraPoints[static_cast<size_t>(tri.corner[0])].z;
            const double z1 = cameraPoints[static_cast<size_t>(tri.corner[1])].z;
            const double z2 = cameraPoints[static_cast<size_t>(tri.corner[2])].z;
            triangleDepth[static_cast<size_t>(t)] = static_cast<float>((z2 + z1 + z0) * kOneThird);
            drawOrder[static_cast<size_t>(t)] = t;
            const size_t i0 = static_cast<size_t>(tri.corner[0]);
            const size_t i1 = static_cast<size_t>(tri.corner[1]);
            const size_t i2 = static_cast<size_t>(tri.corner[2]);
            triangleRows[static_cast<size_t>(t)] =
                (cornerUsable[i0] & cornerUsable[i1] & cornerUsable[i2])
                    ? RowSpan{std::min({screenY[i0], screenY[i1], screenY[i2]}),
                              std::max({screenY[i0], screenY[i1], screenY[i2]})}
                    : RowSpan{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
        }
    });
    sortByDepth(triangleDepth, drawOrder, workers, &sortScratch);
    // Bands of screen rows side by side: each band draws every triangle in
    // the same far-to-near order, clipped to its rows, so every pixel sees the
    // same writes in the same order. A texture that is the frame itself would
    // be read across bands, so it is drawn in one band.
    const auto address = [](const uint32_t* p) { return reinterpret_cast<uintptr_t>(p); };
    const bool textureIsFrame =
        texture && address(texture) < address(pixels + kRasterWidth * kRasterHeight) &&
        address(pixels) < address(texture + kEnvTextureSize * kEnvTextureSize);
    const int bands = textureIsFrame ? 1 : std::min<int>(threadsOf(workers), kRasterHeight);
    std::array<int32_t, kRasterHeight + 1> bandTop{};
    balanceBands(bands, bandTop);
    runTasks(workers, bands, [&](int b) {
        const RowBand band{bandTop[static_cast<size_t>(b)], bandTop[static_cast<size_t>(b) + 1]};
        // The test drawTriangle starts with, on one array: each band sees every
        // triangle, and most lie in another band.
        const float above = static_cast<float>(band.top - 2);
        const float below = static_cast<float>(band.end + 1);
        for (int32_t k = triangles - 1; k >= 0; --k) {
            const int32_t t = drawOrder[static_cast<size_t>(k)];
            const RowSpan rows = triangleRows[static_cast<size_t>(t)];
            if (rows.bottom < above || rows.top > below) continue;
            drawTriangle(t, eye, pixels, band);
        }
    });
}

void BoxObjet3D::balanceBands(int bands, std::array<int32_t, kRasterHeight + 1>& bandTop) const {
    // A mesh seldom fills the screen evenly: bands of equal height would leave
    // one thread most of the drawing. The corners on screen, counted by row,
    // stand in for the work on each row, and each band takes an equal share.
    bandTop[0] = 0;
    bandTop[static_cast<size_t>(bands)] = kRasterHeight;
    if (bands == 1) return;
    std::array<int32_t, kRasterHeight> cornersOnRow{};
    int64_t total = 0;
    for (size_t i = 0; i < static_cast<size_t>(mesh_.pointCount); ++i) {
        const float y = screenY[i];
        if (!cornerUsable[i] || !(y >= 0.0f && y < static_cast<float>(kRasterHeight))) continue;
        ++cornersOnRow[static_cast<size_t>(y)];
        ++total;
    }
    int64_t seen = 0;
    int32_t row = 0;
    for (int b = 1; b < bands; ++b) {
        // Even shares when nothing is on screen; never an empty band.
        if (total == 0) {
            bandTop[static_cast<size_t>(b)] = static_cast<int32_t>(int64_t{kRasterHeight} * b / bands);
            continue;
        }
        const int64_t share = total * b / bands;
        while (row < kRasterHeight && seen + cornersOnRow[static_cast<size_t>(row)] <= share)
            seen += cornersOnRow[static_cast<size_t>(row++)];
        const int32_t lowest = bandTop[static_cast<size_t>(b) - 1] + 1;
        const int32_t highest = kRasterHeight - (bands - b);
        bandTop[static_cast<size_t>(b)] = std::clamp(row, lowest, highest);
    }
}

void BoxObjet3D::drawTriangle(int32_t t, Float3 eye, uint32_t* pixels, RowBand band) {
    const MeshTriangle& tri = mesh_.triangles[static_cast<size_t>(t)];
    const size_t i0 = static_cast<size_t>(tri.corner[0]);
    const size_t i1 = static_cast<size_t>(tri.corner[1]);
    const size_t i2 = static_cast<size_t>(tri.corner[2]);
    // Drawn whole or not at all: every corner in front of the eye and in the window.
    if (!(cornerUsable[i0] & cornerUsable[i1] & cornerUsable[i2])) return;
    // Every row a triangle or its edges touch lies within a row of its corners'
    // heights (usable corners are finite and near the screen): a band farther
    // away has nothing to draw.
    const float top = std::min({screenY[i0], screenY[i1], screenY[i2]});
    const float bottom = std::max({screenY[i0], screenY[i1], screenY[i2]});
    if (bottom < static_cast<float>(band.top - 2) || top > static_cast<float>(band.end + 1)) return;
    if (mode == 0) {
        drawLine(pixels, screenX[i0], screenY[i0], screenX[i1], screenY[i1], 0xFFFFFFu, band);
        drawLine(pixels, screenX[i1], screenY[i1], screenX[i2], screenY[i2], 0xFFFFFFu, band);
        drawLine(pixels, screenX[i2], screenY[i2], screenX[i0], screenY[i0], 0xFFFFFFu, band);
        return;
    }
    // Back faces: the face normal must point back towards the eye (s < 0).
    const Centroid& m = centroids[static_cast<size_t>(t)];
    const Float3& normal = mesh_.faceNormals[static_cast<size_t>(t)];
    const double s = (m.z - eye.z) * normal.z + (m.y - eye.y) * normal.y + (m.x - eye.x) * normal.x;
    if (!(s < 0.0)) return;
    if (mode == 1) {
        // Each face keeps the colour of its index in the file.
        const uint32_t colour = static_cast<uint32_t>(wrapMul(t, 7000)) & 0xFFFFFFu;
        fillTriangleFlat(pixels, screenX[i0], screenY[i0], screenX[i1], screenY[i1], screenX[i2],
                         screenY[i2], colour, band);
        return;
    }
    fillTriangleTextured(texture, pixels, screenX[i0], screenY[i0], screenX[i1], screenY[i1],
                         screenX[i2], screenY[i2], envUV[i0].u, envUV[i0].v, envUV[i1].u, envUV[i1].v,
                         envUV[i2].u, envUV[i2].v, band);
}

}  // namespace velmora
