// ZYL_BoxObjet3D: one LWO2 triangle mesh seen from a camera that six functions
// move, drawn far to near as white wireframe, flat faces or environment-mapped
// faces into the 512 by 256 output.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "boxes/FxBox.h"
#include "object3d/Camera.h"
#include "object3d/DepthSort.h"
#include "object3d/Mesh.h"
#include "object3d/Rasterisers.h"

namespace velmora {

class BoxObjet3D : public FxBox {
public:
    // Functions 0-2 eye, 3-5 target, 6 and 7 gates; input 0 is the environment
    // texture (modes other than 0 and 1 only).
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    // "%255s %d": the LWO2 file and the mode (0 wireframe, 1 flat, other textured).
    // A damaged or missing file raises the loader's error.
    using FxBox::configure;
    void configure(const char* text, ErrorReporter& reporter) override;

    // Takes a mesh, computes its face and vertex normals and sizes the per-frame
    // arrays. A mesh whose counts or indices do not hold together is dropped.
    void useMesh(Mesh mesh);
    void setMode(int32_t m) { mode = m; }
    int32_t drawingMode() const { return mode; }
    const Mesh& mesh() const { return mesh_; }

    // Projects, sorts and draws the mesh into 512 * 256 pixels.
    void drawObject(const CameraMatrix& matrix, Float3 eye, uint32_t* pixels, WorkerPool* workers);

    // A box of its own keeps its own last direction.
    BoxObjet3D() = default;
    // A box of a show shares the last direction with every object box of the show.
    explicit BoxObjet3D(Float3& sharedDirection) : sharedDirection_(&sharedDirection) {}

    // The last non-zero unit view direction of the object boxes sharing it; (1, 0, 0) at start.
    Float3& lastDirection() { return sharedDirection_ ? *sharedDirection_ : ownDirection_; }

private:
    struct EnvCoord {
        float u;
        float v;
    };
    // The back-face test's mean of a triangle's corners, in double.
    struct Centroid {
        double x;
        double y;
        double z;
    };
    // The screen rows a triangle's corners span this frame; none (top above
    // bottom) when a corner is unusable.
    struct RowSpan {
        float top;
        float bottom;
    };

    // Draws triangle t into the rows of `band` only.
    void drawTriangle(int32_t t, Float3 eye, uint32_t* pixels, RowBand band);
    // Splits the screen's rows into `bands` bands holding about as many
    // corners each: band b is rows bandTop[b] to bandTop[b + 1] - 1.
    void balanceBands(int bands, std::array<int32_t, kRasterHeight + 1>& bandTop) const;

    Float3* sharedDirection_ = nullptr;
    Float3 ownDirection_{1.0f, 0.0f, 0.0f};
    const uint32_t* texture = nullptr;  // input 0's pixels, 256 per row
    int32_t mode = 0;
    Mesh mesh_;
    // Per-frame work arrays, sized once with the mesh.
    std::vector<Float3> cameraPoints;
    std::vector<float> screenX;
    std::vector<float> screenY;
    std::vector<EnvCoord> envUV;
    std::vector<Float3> cameraNormals;
    std::vector<float> triangleDepth;
    std::vector<int32_t> drawOrder;
    // Found beside the depths, so that a band of rows passes over the
    // triangles it cannot touch without looking up their corners.
    std::vector<RowSpan> triangleRows;
    // Worked out once per point rather than once per triangle corner: the point
    // is in front of the eye and inside the accepted screen window this frame.
    std::vector<uint8_t> cornerUsable;
    // Fixed with the mesh: the same values the back-face test would compute
    // for every triangle on every frame.
    std::vector<Centroid> centroids;
    DepthSortScratch sortScratch;
};

}  // namespace velmora
