// The object box: camera from the eye and target functions, projection with a
// focal length of 256, painter's order, back-face culling and the three modes.
#include "object3d/BoxObjet3D.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "object3d/DepthSort.h"
#include "object3d/Lwo2Loader.h"
#include "object3d/Rasterisers.h"
#include "surface/PixelMath.h"

namespace velmora {

Float3 BoxObjet3D::lastDirection{1.0f, 0.0f, 0.0f};

namespace {

constexpr float kOneThird = 0.33333334f;

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

int BoxObjet3D::configure(const char* text) {
    char name[256] = {};
    int consumed = 0;
    if (text && std::sscanf(text, "%255s%n", name, &consumed) == 1) scanMode(text + consumed, mode);
    useMesh(loadLwo2(name));
    return 0;
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
}

void BoxObjet3D::render(Surface& output, FunctionList functions, SurfaceList inputs) {
    if (functions.size() < 8) return;
    for (size_t k = 0; k < 8; ++k)
        if (!functions[k]) return;
    if (!isOn(*functions[6]) || !isOn(*functions[7])) return;
    if (!output.isSize(kRasterWidth, kRasterHeight)) return;
    const uint32_t* environment = nullptr;
    if (!inputs.empty() && inputs[0] &&
        inputs[0]->pixelCount() >= static_cast<size_t>(kEnvTextureSize) * kEnvTextureSize)
        environment = inputs[0]->pixels;
    if (mode != 0 && mode != 1 && !environment) return;

    const Float3 eye{functions[0]->value(), functions[1]->value(), functions[2]->value()};
    const Float3 target{functions[3]->value(), functions[4]->value(), functions[5]->value()};
    const Float3 delta{target.x - eye.x, target.y - eye.y, target.z - eye.z};
    const float length = std::sqrt(delta.x * delta.x + delta.y * delta.y + delta.z * delta.z);
    Float3 d = lastDirection;
    if (length != 0.0f) {
        // NaN or overflowing eye and target give no direction: nothing to draw,
        // and the last good direction is kept for later frames.
        if (!std::isfinite(length)) return;
        d = Float3{delta.x / length, delta.y / length, delta.z / length};
        lastDirection = d;
    }
    const CameraMatrix matrix = buildCameraMatrix(d, 0.0f);
    texture = environment;
    drawObject(matrix, eye, output.pixels);
}

void BoxObjet3D::drawObject(const CameraMatrix& matrix, Float3 eye, uint32_t* pixels) {
    const size_t points = static_cast<size_t>(mesh_.pointCount);
    for (size_t i = 0; i < points; ++i) {
        const Float3& p = mesh_.points[i];
        const Float3 relative{p.x - eye.x, p.y - eye.y, p.z - eye.z};
        const Float3 c{dot(matrix.row[0], relative), dot(matrix.row[1], relative),
                       dot(matrix.row[2], relative)};
        cameraPoints[i] = c;
        if (c.z == 0.0f) {
            screenX[i] = 256.0f;
            screenY[i] = 128.0f;
        } else {
            screenX[i] = c.x * 256.0f / c.z + 256.0f;
            screenY[i] = c.y * 256.0f / c.z + 128.0f;
        }
        const Float3& n = mesh_.vertexNormals[i];
        cameraNormals[i] = Float3{dot(matrix.row[0], n), dot(matrix.row[1], n), dot(matrix.row[2], n)};
    }
    for (size_t i = 0; i < points; ++i) {
        const Float3& n = cameraNormals[i];
        envUV[i] = EnvCoord{n.x * 120.0f + 127.0f, n.y * 120.0f + 127.0f};
    }
    const int32_t triangles = mesh_.triangleCount;
    for (int32_t t = 0; t < triangles; ++t) {
        const MeshTriangle& tri = mesh_.triangles[static_cast<size_t>(t)];
        const float z0 = cameraPoints[static_cast<size_t>(tri.corner[0])].z;
        const float z1 = cameraPoints[static_cast<size_t>(tri.corner[1])].z;
        const float z2 = cameraPoints[static_cast<size_t>(tri.corner[2])].z;
        triangleDepth[static_cast<size_t>(t)] = (z2 + z1 + z0) * kOneThird;
        drawOrder[static_cast<size_t>(t)] = t;
    }
    sortByDepth(triangleDepth, drawOrder);
    for (int32_t k = triangles - 1; k >= 0; --k) drawTriangle(drawOrder[static_cast<size_t>(k)], eye, pixels);
}

void BoxObjet3D::drawTriangle(int32_t t, Float3 eye, uint32_t* pixels) {
    const MeshTriangle& tri = mesh_.triangles[static_cast<size_t>(t)];
    const size_t i0 = static_cast<size_t>(tri.corner[0]);
    const size_t i1 = static_cast<size_t>(tri.corner[1]);
    const size_t i2 = static_cast<size_t>(tri.corner[2]);
    for (size_t i : {i0, i1, i2}) {
        if (cameraPoints[i].z <= 0.0f) return;
        // Inside the accepted window or not drawn at all (NaN fails too).
        if (!(screenX[i] > -150.0f && screenX[i] < 662.0f && screenY[i] > -150.0f && screenY[i] < 406.0f))
            return;
    }
    if (mode == 0) {
        drawLine(pixels, screenX[i0], screenY[i0], screenX[i1], screenY[i1], 0xFFFFFFu);
        drawLine(pixels, screenX[i1], screenY[i1], screenX[i2], screenY[i2], 0xFFFFFFu);
        drawLine(pixels, screenX[i2], screenY[i2], screenX[i0], screenY[i0], 0xFFFFFFu);
        return;
    }
    // Back faces: the face normal must point back towards the eye (s < 0).
    const Float3& p0 = mesh_.points[i0];
    const Float3& p1 = mesh_.points[i1];
    const Float3& p2 = mesh_.points[i2];
    const Float3 centroid{(p0.x + p1.x + p2.x) * kOneThird, (p0.y + p1.y + p2.y) * kOneThird,
                          (p0.z + p1.z + p2.z) * kOneThird};
    const Float3& normal = mesh_.faceNormals[static_cast<size_t>(t)];
    const float s = (centroid.z - eye.z) * normal.z + (centroid.y - eye.y) * normal.y +
                    (centroid.x - eye.x) * normal.x;
    if (!(s < 0.0f)) return;
    if (mode == 1) {
        // Each face keeps the colour of its index in the file.
        const uint32_t colour = static_cast<uint32_t>(wrapMul(t, 7000)) & 0xFFFFFFu;
        fillTriangleFlat(pixels, screenX[i0], screenY[i0], screenX[i1], screenY[i1], screenX[i2],
                         screenY[i2], colour);
        return;
    }
    fillTriangleTextured(texture, pixels, screenX[i0], screenY[i0], screenX[i1], screenY[i1],
                         screenX[i2], screenY[i2], envUV[i0].u, envUV[i0].v, envUV[i1].u, envUV[i1].v,
                         envUV[i2].u, envUV[i2].v);
}

}  // namespace velmora
